#include "telemetry/TellixClient.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QCoro/QCoroNetworkReply>
#include <algorithm>
#include <memory>

namespace {
const QString eventsPath = QStringLiteral("v1/events");
const QString feedbackPath = QStringLiteral("v1/feedback");

struct ResponseWatch {
    qint64 bodyBytes = 0;
    // Set when the transfer was cut off after the status line was known.
    std::optional<int> decidedStatus;
};

bool isSuccess(int status) { return status >= 200 && status <= 299; }
} // namespace

TellixClient::TellixClient(std::optional<TellixConfiguration> configuration, AppSignalContext context,
                           TellixSessionOptions session, QObject *parent)
    : QObject(parent)
    , m_configuration(std::move(configuration))
    , m_context(std::move(context))
    , m_session(std::move(session))
    , m_network(new QNetworkAccessManager(this))
{
    m_network->setAutoDeleteReplies(false);
    m_network->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

TellixClient::~TellixClient()
{
    // Finish every suspended request now, while the members it touches exist.
    m_closing = true;
    ++m_generation;
    m_queue.clear();
    m_worker = false;
    const QSet<QNetworkReply *> open = m_replies;
    for (QNetworkReply *reply : open)
        reply->abort();
}

void TellixClient::setConsent(bool consent, std::optional<QString> installationID, bool location)
{
    m_consent = consent;
    m_locationConsent = consent && location;
    if (consent) {
        m_installation = std::move(installationID);
        return;
    }
    m_installation.reset();
    ++m_generation;
    m_queue.clear();
    m_worker = false;
    // Resumes the worker right away; it sees the new generation and ends.
    if (m_inFlight)
        m_inFlight->abort();
}

QJsonObject TellixClient::envelope() const
{
    QJsonObject metadata;
    const QMap<QString, QString> fields = m_context.metadata();
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        metadata.insert(it.key(), it.value());
    return QJsonObject{
        {QStringLiteral("source"), m_context.app()},
        {QStringLiteral("release"), m_context.release()},
        {QStringLiteral("timestamp"), QDateTime::currentDateTimeUtc().toString(Qt::ISODate)},
        {QStringLiteral("metadata"), metadata},
    };
}

QByteArray TellixClient::usageDocument(OstrelEvent event) const
{
    QJsonObject document = envelope();
    QJsonObject metadata = document.value(QStringLiteral("metadata")).toObject();
    metadata.insert(QStringLiteral("installation_id"), m_installation.value_or(QString()));
    metadata.insert(QStringLiteral("location_opt_in"), m_locationConsent);
    document.insert(QStringLiteral("metadata"), metadata);
    document.insert(QStringLiteral("name"), event.rawValue());
    document.insert(QStringLiteral("properties"), QJsonObject());
    return QJsonDocument(document).toJson(QJsonDocument::Compact);
}

std::optional<QByteArray> TellixClient::feedbackDocument(const QString &message, bool bug) const
{
    const QString text = message.trimmed();
    if (text.isEmpty() || text.size() > messageLimit)
        return std::nullopt;
    QJsonObject document = envelope();
    document.insert(QStringLiteral("message"), text);
    document.insert(QStringLiteral("category"), bug ? QStringLiteral("bug") : QStringLiteral("feedback"));
    return QJsonDocument(document).toJson(QJsonDocument::Compact);
}

qint64 TellixClient::queuedBytes() const
{
    qint64 total = 0;
    for (const QByteArray &document : m_queue)
        total += document.size();
    return total;
}

void TellixClient::event(OstrelEvent event)
{
    if (!m_consent || !m_configuration || !m_installation)
        return;
    QByteArray document = usageDocument(event);
    if (document.isEmpty())
        return;
    if (m_queue.size() >= std::size_t(queueLimit))
        m_queue.pop_front();
    m_queue.push_back(std::move(document));
    if (m_worker)
        return;
    // The worker starts on the next turn of the event loop, so a burst of
    // events is queued (and trimmed) before the first one leaves.
    m_worker = true;
    const qint64 generation = m_generation;
    QTimer::singleShot(0, this, [this, generation] { drain(generation); });
}

QCoro::Task<> TellixClient::drain(qint64 generation)
{
    while (m_consent && m_generation == generation && !m_queue.empty()) {
        QByteArray document = std::move(m_queue.front());
        m_queue.pop_front();
        // Delivery is best effort: a failed document is gone either way.
        co_await send(std::move(document), eventsPath, true);
    }
    // A newer consent state must not lose its own worker.
    if (m_generation == generation)
        m_worker = false;
}

QCoro::Task<bool> TellixClient::feedback(QString message, bool bug)
{
    std::optional<QByteArray> document = feedbackDocument(message, bug);
    if (!document)
        co_return false;
    const bool delivered = co_await send(std::move(*document), feedbackPath, false);
    co_return delivered;
}

QCoro::Task<bool> TellixClient::send(QByteArray body, QString path, bool isEvent)
{
    if (!m_configuration || m_closing)
        co_return false;

    QNetworkRequest request(m_configuration->url(path));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    request.setRawHeader(QByteArrayLiteral("Authorization"), QByteArrayLiteral("Bearer ") + m_configuration->key().toUtf8());
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    // The bearer key must never follow a redirect; a 3xx is simply not delivered.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(int(std::min(requestTimeoutInterval, m_session.requestTimeout).count()));
    if (m_session.tls)
        request.setSslConfiguration(*m_session.tls);

    QNetworkReply *reply = m_network->post(request, body);
    m_replies.insert(reply);
    if (isEvent)
        m_inFlight = reply;

    auto watch = std::make_shared<ResponseWatch>();
    auto cutOff = [reply, watch] {
        if (watch->decidedStatus)
            return;
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        watch->decidedStatus = status.isValid() ? status.toInt() : 0;
        // Queued: aborting inside the reply's own signal would re-enter it.
        QMetaObject::invokeMethod(reply, &QNetworkReply::abort, Qt::QueuedConnection);
    };
    connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, cutOff] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > responseBodyLimit)
            cutOff();
    });
    connect(reply, &QNetworkReply::readyRead, reply, [reply, watch, cutOff] {
        // The body is ignored: drop it as it arrives so it never piles up.
        watch->bodyBytes += reply->skip(reply->bytesAvailable());
        if (watch->bodyBytes > responseBodyLimit)
            cutOff();
    });
    auto *deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, reply, &QNetworkReply::abort);
    deadline->start(m_session.resourceTimeout);

    co_await reply;

    m_replies.remove(reply);
    if (m_inFlight == reply)
        m_inFlight = nullptr;
    bool delivered = false;
    if (watch->decidedStatus) {
        delivered = isSuccess(*watch->decidedStatus);
    } else if (reply->error() == QNetworkReply::NoError) {
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        delivered = status.isValid() && isSuccess(status.toInt());
    }
    reply->deleteLater();
    if (!m_closing)
        Q_EMIT sent(path, delivered);
    co_return delivered;
}
