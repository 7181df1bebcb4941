#include "LoopbackHttpsServer.h"

#include <QProcess>
#include <QSslServer>
#include <QSslSocket>
#include <sys/socket.h>
#include <utility>

LoopbackHttpsServer::LoopbackHttpsServer(QObject *parent)
    : QObject(parent)
    , m_server(new QSslServer(this))
    , m_responder([](const ReceivedRequest &, int) { return ServerAnswer::withStatus(204); })
{
    connect(m_server, &QTcpServer::pendingConnectionAvailable, this, &LoopbackHttpsServer::accept);
}

LoopbackHttpsServer::~LoopbackHttpsServer()
{
    // Sockets are children of the server; stop reacting to them first.
    for (QTcpSocket *socket : m_server->findChildren<QTcpSocket *>())
        socket->disconnect(this);
}

std::optional<LoopbackHttpsServer::Certificate> LoopbackHttpsServer::certificate(QString *error)
{
    static std::optional<Certificate> made;
    if (made)
        return made;
    // Key and certificate both come out on standard output, one PEM block after the other.
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"), QStringLiteral("req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes "
                                                            "-keyout /dev/stdout -out /dev/stdout -days 2 -subj /CN=127.0.0.1 "
                                                            "-addext subjectAltName=IP:127.0.0.1,DNS:localhost").split(u' '));
    const bool ran = openssl.waitForFinished(30000) && openssl.exitCode() == 0;
    const QByteArray pem = openssl.readAllStandardOutput();
    made = Certificate{QSslCertificate(pem, QSsl::Pem), QSslKey(pem, QSsl::Ec, QSsl::Pem)};
    if (!ran || made->certificate.isNull() || made->key.isNull()) {
        *error = QStringLiteral("openssl made no usable certificate: ") + QString::fromLocal8Bit(openssl.readAllStandardError());
        made.reset();
    }
    return made;
}

bool LoopbackHttpsServer::listen()
{
    m_certificate = certificate(&m_error);
    if (!m_certificate)
        return false;
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificate(m_certificate->certificate);
    configuration.setPrivateKey(m_certificate->key);
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
    configuration.setCaCertificates({}); // clients are not verified; skip loading the system store per connection
    m_server->setSslConfiguration(configuration);
    if (!m_server->listen(QHostAddress::LocalHost, 0)) {
        m_error = m_server->errorString();
        return false;
    }
    return true;
}

QUrl LoopbackHttpsServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("https://127.0.0.1:%1%2").arg(m_server->serverPort()).arg(path));
}

QSslConfiguration LoopbackHttpsServer::clientConfiguration() const
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setCaCertificates({m_certificate->certificate});
    return configuration;
}

void LoopbackHttpsServer::accept()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        m_buffers.insert(socket, QByteArray());
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            ++m_closed;
            m_buffers.remove(socket);
            m_stalled.removeAll(socket);
            socket->deleteLater();
        });
        if (socket->bytesAvailable() > 0)
            readFrom(socket);
    }
}

void LoopbackHttpsServer::readFrom(QTcpSocket *socket)
{
    QByteArray &buffer = m_buffers[socket];
    buffer += socket->readAll();
    for (;;) {
        const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        ReceivedRequest request{requestLine.value(0), requestLine.value(1), {}, {}};
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
        }
        const qsizetype length = request.headers.value("content-length", "0").toLongLong();
        if (buffer.size() < headerEnd + 4 + length)
            return;
        request.body = buffer.mid(headerEnd + 4, length);
        buffer.remove(0, headerEnd + 4 + length);
        m_requests.append(request);
        const ServerAnswer reply = m_responder(request, int(m_requests.size()) - 1);
        answer(socket, reply);
        if (reply.kind != ServerAnswer::status)
            return;
    }
}

void LoopbackHttpsServer::answer(QTcpSocket *socket, const ServerAnswer &answer)
{
    switch (answer.kind) {
    case ServerAnswer::status:
        socket->write(QByteArrayLiteral("HTTP/1.1 ") + QByteArray::number(answer.code)
                      + QByteArrayLiteral(" Answer\r\nContent-Length: 0\r\nConnection: keep-alive\r\n\r\n"));
        return;
    case ServerAnswer::stall:
        m_stalled.append(socket);
        return;
    case ServerAnswer::raw:
        socket->write(answer.bytes);
        socket->disconnectFromHost();
        return;
    case ServerAnswer::reset: {
        // Zero linger turns the close into a TCP reset.
        linger immediate {1, 0};
        ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &immediate, sizeof immediate);
        socket->abort();
        return;
    }
    case ServerAnswer::hugeBody: {
        socket->write(QByteArrayLiteral("HTTP/1.1 200 OK\r\nContent-Length: 1073741824\r\n\r\n"));
        auto pump = [this, socket] {
            static const QByteArray chunk(64 * 1024, 'x');
            if (socket->state() != QAbstractSocket::ConnectedState || m_hugeBytes >= hugeBodyCap
                || socket->bytesToWrite() > 4 * chunk.size())
                return;
            socket->write(chunk);
            m_hugeBytes += chunk.size();
        };
        connect(static_cast<QSslSocket *>(socket), &QSslSocket::encryptedBytesWritten, this, pump);
        pump();
        pump();
        return;
    }
    }
}

void LoopbackHttpsServer::closeStalled()
{
    for (QTcpSocket *socket : std::exchange(m_stalled, {}))
        socket->disconnectFromHost();
}
