#include "telemetry/TellixClient.h"

#include "telemetry/TellixExchange.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QTimer>
#include <algorithm>

namespace {
const QString eventsPath = QStringLiteral("v1/events");
const QString feedbackPath = QStringLiteral("v1/feedback");
} // namespace

TellixClient::TellixClient(std::optional<TellixConfiguration> configuration, AppSignalContext context,
                           TellixSessionOptions session, QObject *parent)
    : QObject(parent)
    , m_configuration(std::move(configuration))
    , m_context(std::move(context))
    , m_session(std::move(session))
{
}

TellixClient::~TellixClient()
{
    // Finish every suspended request now, while the members it touches exist.
    m_closing = true;
    ++m_generation;
    m_queue.clear();
    m_worker = false;
    const QSet<TellixExchange *> open = m_exchanges;
    for (TellixExchange *exchange : open)
        exchange->abort();
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

    const TellixExchange::Timeouts timeouts{std::min(requestTimeoutInterval, m_session.requestTimeout),
                                            m_session.resourceTimeout};
    auto *exchange = new TellixExchange(m_configuration->url(path),
                                        QByteArrayLiteral("Bearer ") + m_configuration->key().toUtf8(),
                                        std::move(body), timeouts, m_session.tls, this);
    m_exchanges.insert(exchange);
    if (isEvent)
        m_inFlight = exchange;
    exchange->start();

    co_await *exchange;

    m_exchanges.remove(exchange);
    if (m_inFlight == exchange)
        m_inFlight = nullptr;
    const std::optional<int> status = exchange->status();
    const bool delivered = status && *status >= 200 && *status <= 299;
    exchange->deleteLater();
    if (!m_closing)
        Q_EMIT sent(path, delivered);
    co_return delivered;
}
