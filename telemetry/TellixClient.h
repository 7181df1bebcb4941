#pragma once
// The only component that talks to the telemetry service. It keeps consent,
// queues usage events as ready-to-send JSON documents and delivers them one at
// a time, at most once, and sends feedback reports on demand. It lives on the
// main thread; all network I/O is asynchronous, so no call ever blocks.
// Each request is a TellixExchange of its own: QNetworkAccessManager silently
// resends a POST whose connection drops, which would deliver a document twice.

#include "telemetry/AppSignalContext.h"
#include "telemetry/OstrelEvent.h"
#include "telemetry/TellixConfiguration.h"

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSslConfiguration>
#include <QString>
#include <QCoro/QCoroTask>
#include <chrono>
#include <deque>
#include <optional>

class TellixExchange;

// How requests are made. No cookies, no cache and no redirects, ever.
struct TellixSessionOptions {
    // Longest time a request may go without any progress.
    std::chrono::milliseconds requestTimeout{10000};
    // Longest time a whole request may take.
    std::chrono::milliseconds resourceTimeout{15000};
    // Tests only: trust a locally generated certificate. Production keeps the
    // system's full verification.
    std::optional<QSslConfiguration> tls;
};

class TellixClient : public QObject {
    Q_OBJECT
public:
    static constexpr int queueLimit = 64;
    static constexpr int messageLimit = 2000;
    static constexpr std::chrono::milliseconds requestTimeoutInterval{60000};

    TellixClient(std::optional<TellixConfiguration> configuration, AppSignalContext context,
                 TellixSessionOptions session = {}, QObject *parent = nullptr);
    ~TellixClient() override;

    // Withdrawing consent clears the identifier, empties the queue and aborts
    // the request in flight at once. Granting it keeps the queue.
    virtual void setConsent(bool consent, std::optional<QString> installationID, bool location);
    // Queued only with consent, a configuration and an installation identifier.
    virtual void event(OstrelEvent event);
    using QObject::event; // Qt's event dispatch stays reachable
    // True only when the service accepted the report. Independent of consent.
    virtual QCoro::Task<bool> feedback(QString message, bool bug);

    int pendingCount() const { return int(m_queue.size()); }
    bool consent() const { return m_consent; }
    bool locationConsent() const { return m_locationConsent; }
    const std::optional<QString> &installation() const { return m_installation; }
    bool hasWorker() const { return m_worker; }
    qint64 generation() const { return m_generation; }
    bool isConfigured() const { return m_configuration.has_value(); }
    const AppSignalContext &context() const { return m_context; }
    // Payload bytes held by the queue.
    qint64 queuedBytes() const;

    // The documents as they go on the wire.
    QByteArray usageDocument(OstrelEvent event) const;
    // Nothing for a message that is blank or longer than the limit once trimmed.
    std::optional<QByteArray> feedbackDocument(const QString &message, bool bug) const;

Q_SIGNALS:
    // Each finished request: the path it went to and whether it counts as delivered.
    void sent(const QString &path, bool delivered);

private:
    QJsonObject envelope() const;
    QCoro::Task<> drain(qint64 generation);
    QCoro::Task<bool> send(QByteArray body, QString path, bool isEvent);

    std::optional<TellixConfiguration> m_configuration;
    AppSignalContext m_context;
    TellixSessionOptions m_session;
    bool m_consent = false;
    bool m_locationConsent = false;
    std::optional<QString> m_installation;
    std::deque<QByteArray> m_queue;
    bool m_worker = false;
    qint64 m_generation = 0;
    bool m_closing = false;
    // The event request the worker is waiting on, aborted when consent goes.
    QPointer<TellixExchange> m_inFlight;
    // Every open request, so none outlives the client.
    QSet<TellixExchange *> m_exchanges;
};
