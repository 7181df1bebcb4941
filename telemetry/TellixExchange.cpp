#include "telemetry/TellixExchange.h"

#include "telemetry/TelemetryLogging.h"

#include <QSslSocket>

TellixExchange::TellixExchange(QUrl url, QByteArray authorization, QByteArray body, Timeouts timeouts,
                               std::optional<QSslConfiguration> tls, QObject *parent)
    : QObject(parent)
    , m_url(std::move(url))
    , m_request(requestText(m_url, authorization, body))
    , m_timeouts(timeouts)
    , m_socket(new QSslSocket(this))
{
    if (tls)
        m_socket->setSslConfiguration(*tls);
    m_idle.setSingleShot(true);
    m_total.setSingleShot(true);
    connect(&m_idle, &QTimer::timeout, this, &TellixExchange::abort);
    connect(&m_total, &QTimer::timeout, this, &TellixExchange::abort);
    connect(m_socket, &QSslSocket::connected, this, [this] {
        // One small request and one short wait for the answer: no Nagle delay.
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    });
    connect(m_socket, &QSslSocket::encrypted, this, [this] {
        progress();
        m_socket->write(m_request);
    });
    connect(m_socket, &QSslSocket::encryptedBytesWritten, this, &TellixExchange::progress);
    connect(m_socket, &QSslSocket::readyRead, this, &TellixExchange::readHead);
    // Certificate problems, resets and early closes end without a status,
    // unless a status line already sits unread in the buffer.
    const auto ended = [this] {
        readHead();
        finish(std::nullopt);
    };
    connect(m_socket, &QSslSocket::errorOccurred, this, [this, ended] {
        qCWarning(lcTelemetry) << "Telemetry exchange with" << m_url.host() << "failed:" << m_socket->errorString();
        ended();
    });
    connect(m_socket, &QSslSocket::disconnected, this, ended);
}

TellixExchange::~TellixExchange()
{
    // Owners abort open exchanges before deleting them; resuming a waiter
    // from here could touch an owner that is already half destroyed.
    m_socket->disconnect(this);
}

QByteArray TellixExchange::requestText(const QUrl &url, const QByteArray &authorization, const QByteArray &body)
{
    QByteArray host = url.host(QUrl::FullyEncoded).toUtf8();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (url.port() != -1 && url.port() != 443)
        host += ':' + QByteArray::number(url.port());
    QByteArray path = url.path(QUrl::FullyEncoded).toUtf8();
    if (path.isEmpty())
        path = "/";
    return QByteArrayLiteral("POST ") + path + QByteArrayLiteral(" HTTP/1.1\r\nHost: ") + host
        + QByteArrayLiteral("\r\nAuthorization: ") + authorization
        + QByteArrayLiteral("\r\nContent-Type: application/json\r\nContent-Length: ") + QByteArray::number(body.size())
        + QByteArrayLiteral("\r\nConnection: close\r\n\r\n") + body;
}

void TellixExchange::start()
{
    m_total.start(m_timeouts.total);
    m_idle.start(m_timeouts.idle);
    const int port = m_url.port(443);
    m_socket->connectToHostEncrypted(m_url.host(), quint16(port));
}

void TellixExchange::abort()
{
    finish(std::nullopt);
}

void TellixExchange::progress()
{
    if (!m_finished)
        m_idle.start(m_timeouts.idle);
}

void TellixExchange::readHead()
{
    if (m_finished)
        return;
    progress();
    m_head += m_socket->read(headLimit + 1 - m_head.size());
    // Informational 1xx responses come with their own header block; skip them.
    for (;;) {
        const qsizetype lineEnd = m_head.indexOf("\r\n");
        if (lineEnd < 0)
            break;
        const QList<QByteArray> parts = m_head.left(lineEnd).split(' ');
        bool ok = false;
        const int status = parts.value(1).toInt(&ok);
        if (!parts.value(0).startsWith("HTTP/1.") || !ok || status < 100 || status > 999) {
            qCWarning(lcTelemetry) << "Telemetry server" << m_url.host() << "answered without an HTTP status line";
            finish(std::nullopt);
            return;
        }
        if (status >= 200) {
            finish(status);
            return;
        }
        const qsizetype blockEnd = m_head.indexOf("\r\n\r\n");
        if (blockEnd < 0)
            break;
        m_head.remove(0, blockEnd + 4);
    }
    if (m_head.size() > headLimit)
        finish(std::nullopt);
}

void TellixExchange::finish(std::optional<int> status)
{
    if (m_finished)
        return;
    m_finished = true;
    m_status = status;
    m_idle.stop();
    m_total.stop();
    // The body is never needed: drop the connection rather than read it.
    m_socket->disconnect(this);
    m_socket->abort();
    Q_EMIT finished();
}

void TellixExchange::Awaiter::await_suspend(std::coroutine_handle<> handle)
{
    QObject::connect(exchange, &TellixExchange::finished, exchange, [handle] { handle.resume(); },
                     Qt::SingleShotConnection);
}
