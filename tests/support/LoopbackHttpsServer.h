#pragma once
// An HTTPS/1.1 server on 127.0.0.1 for tests and benchmarks, with a
// certificate generated at run time. Each request gets the answer the
// responder chooses: a status, silence, a connection reset or an endless body.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QUrl>
#include <functional>
#include <optional>

class QSslServer;
class QTcpSocket;

struct ReceivedRequest {
    QByteArray method, path;
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
};

struct ServerAnswer {
    enum Kind { status, stall, reset, hugeBody, raw };
    Kind kind = status;
    int code = 204;
    // For `raw`: written as is, then the connection is closed.
    QByteArray bytes = {};

    static ServerAnswer withStatus(int code) { return {status, code}; }
    static ServerAnswer rawThenClose(QByteArray bytes) { return {raw, 0, std::move(bytes)}; }
};

class LoopbackHttpsServer : public QObject {
    Q_OBJECT
public:
    // Bodies of hugeBody answers stop after this many bytes at the latest.
    static constexpr qint64 hugeBodyCap = 256LL * 1024 * 1024;

    explicit LoopbackHttpsServer(QObject *parent = nullptr);
    ~LoopbackHttpsServer() override;

    // False when no certificate could be made or the port could not be bound.
    bool listen();
    QString errorString() const { return m_error; }
    QUrl url(const QString &path = QString()) const;
    // What a client needs to trust this server and nothing else.
    QSslConfiguration clientConfiguration() const;

    // Called for each complete request; the default answers 204.
    void setResponder(std::function<ServerAnswer(const ReceivedRequest &, int index)> responder)
    {
        m_responder = std::move(responder);
    }

    const QList<ReceivedRequest> &requests() const { return m_requests; }
    int connectionsClosed() const { return m_closed; }
    qint64 hugeBodyBytesSent() const { return m_hugeBytes; }
    // Closes every connection left waiting without an answer.
    void closeStalled();

private:
    struct Certificate {
        QSslCertificate certificate;
        QSslKey key;
    };
    static std::optional<Certificate> certificate(QString *error);
    void accept();
    void readFrom(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const ServerAnswer &answer);

    QSslServer *m_server;
    std::optional<Certificate> m_certificate;
    QString m_error;
    std::function<ServerAnswer(const ReceivedRequest &, int)> m_responder;
    QList<ReceivedRequest> m_requests;
    QMap<QTcpSocket *, QByteArray> m_buffers;
    QList<QTcpSocket *> m_stalled;
    int m_closed = 0;
    qint64 m_hugeBytes = 0;
};
