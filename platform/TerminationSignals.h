#pragma once
// Turns SIGTERM (sent at logout), SIGINT and SIGHUP into an orderly application quit,
// so the same shutdown steps run as for the Quit command.

#include <QObject>
#include <memory>

class QSocketNotifier;

class TerminationSignals : public QObject {
    Q_OBJECT

public:
    // Only one instance may exist; it installs the handlers for its lifetime.
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void terminationRequested(int signal);

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
};
