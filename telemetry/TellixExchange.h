#pragma once
// One HTTPS POST on its own connection, finished as soon as the status line
// is known. The request is written exactly once: there is no transparent
// reconnect-and-resend, so a document is never delivered twice.

#include <QByteArray>
#include <QObject>
#include <QSslConfiguration>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <coroutine>
#include <optional>

class QSslSocket;

class TellixExchange : public QObject {
    Q_OBJECT
public:
    struct Timeouts {
        // Longest time without any progress on the connection.
        std::chrono::milliseconds idle;
        // Longest time for the whole exchange.
        std::chrono::milliseconds total;
    };
    // Status lines longer than this are treated as a broken response.
    static constexpr qsizetype headLimit = 16 * 1024;

    TellixExchange(QUrl url, QByteArray authorization, QByteArray body, Timeouts timeouts,
                   std::optional<QSslConfiguration> tls, QObject *parent = nullptr);
    ~TellixExchange() override;

    void start();
    // Ends the exchange at once, as a failure; `finished` is emitted before it returns.
    void abort();

    bool isFinished() const { return m_finished; }
    // The final HTTP status, when one arrived.
    std::optional<int> status() const { return m_status; }

    // The bytes written for this request.
    static QByteArray requestText(const QUrl &url, const QByteArray &authorization, const QByteArray &body);

    // co_await-able: resumes directly when the exchange finishes.
    struct Awaiter {
        TellixExchange *exchange;
        bool await_ready() const noexcept { return exchange->isFinished(); }
        void await_suspend(std::coroutine_handle<> handle);
        void await_resume() const noexcept {}
    };
    Awaiter operator co_await() { return Awaiter{this}; }

Q_SIGNALS:
    void finished();

private:
    void readHead();
    void progress();
    void finish(std::optional<int> status);

    QUrl m_url;
    QByteArray m_request;
    Timeouts m_timeouts;
    QSslSocket *m_socket;
    QTimer m_idle;
    QTimer m_total;
    QByteArray m_head;
    bool m_finished = false;
    std::optional<int> m_status;
};
