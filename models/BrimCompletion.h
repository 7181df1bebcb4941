#pragma once
// A one-shot latch that several coroutines can wait on: the shared form of
// "wait until that earlier piece of work has finished". Hold it by
// shared_ptr while waiting so it outlives every waiter.

#include <QCoro/QCoroSignal>
#include <QCoro/QCoroTask>
#include <QObject>
#include <memory>

class BrimCompletion : public QObject {
    Q_OBJECT

public:
    // Finishes a latch however the coroutine that owns it ends.
    struct FinishOnExit {
        std::shared_ptr<BrimCompletion> completion;
        ~FinishOnExit() { completion->finish(); }
    };

    bool isDone() const { return m_done; }
    void finish()
    {
        if (m_done)
            return;
        m_done = true;
        Q_EMIT finished();
    }
    QCoro::Task<> wait()
    {
        if (!m_done)
            co_await qCoro(this, &BrimCompletion::finished);
    }

Q_SIGNALS:
    void finished();

private:
    bool m_done = false;
};
