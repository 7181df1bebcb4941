#include "platform/PortalColorSampler.h"

#include "platform/PlatformLogging.h"
#include "platform/PortalRequest.h"
#include "platform/PortalResults.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QPointer>
#include <QVariantMap>

#include <utility>

namespace {
const QString screenshotInterface = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString responseSignal = QStringLiteral("Response");
constexpr uint responseSuccess = 0;
constexpr uint responseCancelled = 1;

} // namespace

PortalColorSampler::PortalColorSampler(QDBusConnection bus, std::shared_ptr<BrimColorSampler> fallback,
                                       int callTimeoutMs)
    : m_bus(std::move(bus))
    , m_fallback(std::move(fallback))
    , m_callTimeoutMs(callTimeoutMs)
    , m_portalWatcher(PortalRequest::service, m_bus, QDBusServiceWatcher::WatchForUnregistration)
{
    connect(&m_portalWatcher, &QDBusServiceWatcher::serviceUnregistered, this, &PortalColorSampler::onPortalGone);
}

PortalColorSampler::~PortalColorSampler()
{
    // Closes the portal's picker; fire and forget, a request it no longer
    // knows is already gone.
    if (!m_requestPath.isEmpty()) {
        m_bus.send(QDBusMessage::createMethodCall(PortalRequest::service, m_requestPath, PortalRequest::interface,
                                                  QStringLiteral("Close")));
    }
}

void PortalColorSampler::pick(Done done)
{
    if (m_busy) {
        QMetaObject::invokeMethod(
            this, [done = std::move(done)] { done({BrimSampledColor::Outcome::cancelled, std::nullopt}); },
            Qt::QueuedConnection);
        return;
    }
    m_busy = true;
    m_done = std::move(done);
    const unsigned pickId = ++m_tokenCounter;
    const QString token = QStringLiteral("brimkit_color%1").arg(pickId);
    listen(PortalRequest::expectedPath(m_bus, token));

    QDBusMessage call = QDBusMessage::createMethodCall(PortalRequest::service, PortalRequest::path,
                                                       screenshotInterface, QStringLiteral("PickColor"));
    call << QString() << QVariantMap{{QStringLiteral("handle_token"), token}};
    // Already-failed calls (no bus) also report through the event loop.
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, m_callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, pickId](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        // Nothing to do once the pick is over (its Response came first).
        if (pickId == m_tokenCounter && m_busy)
            onCallFinished(w);
    });
}

void PortalColorSampler::onCallFinished(QDBusPendingCallWatcher *watcher)
{
    const QDBusMessage reply = watcher->reply();
    if (reply.type() != QDBusMessage::ReplyMessage) {
        qCWarning(lcPlatform) << "portal PickColor failed:" << reply.errorName() << reply.errorMessage()
                              << "- trying the fallback";
        stopListening();
        fallBack();
        return;
    }
    const QVariantList arguments = reply.arguments();
    const QString handle = arguments.isEmpty() ? QString() : arguments.first().value<QDBusObjectPath>().path();
    if (handle.isEmpty()) {
        qCWarning(lcPlatform) << "portal PickColor answered without a request handle - trying the fallback";
        stopListening();
        fallBack();
        return;
    }
    // Older portals choose their own handle.
    if (handle != m_requestPath) {
        stopListening();
        listen(handle);
    }
}

void PortalColorSampler::onResponse(const QDBusMessage &response)
{
    if (response.path() != m_requestPath)
        return;
    stopListening();
    const auto answer = PortalResults::response(response);
    if (!answer) {
        qCWarning(lcPlatform) << "portal PickColor response of another shape:" << response.signature();
        finish({BrimSampledColor::Outcome::picked, std::nullopt});
        return;
    }
    const uint code = answer->code;
    switch (code) {
    case responseSuccess: {
        const auto srgb = PortalResults::color(answer->results);
        if (!srgb)
            qCWarning(lcPlatform) << "portal PickColor answered without a readable color:" << answer->results.keys();
        finish({BrimSampledColor::Outcome::picked, srgb});
        return;
    }
    case responseCancelled:
        finish({BrimSampledColor::Outcome::cancelled, std::nullopt});
        return;
    default:
        qCWarning(lcPlatform) << "portal PickColor ended with response" << code;
        finish({BrimSampledColor::Outcome::cancelled, std::nullopt});
        return;
    }
}

void PortalColorSampler::onPortalGone()
{
    if (m_requestPath.isEmpty())
        return;
    qCWarning(lcPlatform) << "the portal left the bus while picking a color";
    stopListening();
    finish({BrimSampledColor::Outcome::cancelled, std::nullopt});
}

void PortalColorSampler::listen(const QString &requestPath)
{
    if (requestPath.isEmpty())
        return;
    // Any sender: matching on the portal's well-known name would need a
    // blocking owner lookup, and the path is ours alone.
    if (!m_bus.connect(QString(), requestPath, PortalRequest::interface, responseSignal, this,
                       SLOT(onResponse(QDBusMessage))))
        qCWarning(lcPlatform) << "cannot listen for the portal's response:" << m_bus.lastError().message();
    m_requestPath = requestPath;
}

void PortalColorSampler::stopListening()
{
    if (m_requestPath.isEmpty())
        return;
    m_bus.disconnect(QString(), m_requestPath, PortalRequest::interface, responseSignal, this,
                     SLOT(onResponse(QDBusMessage)));
    m_requestPath.clear();
}

void PortalColorSampler::fallBack()
{
    if (!m_fallback) {
        finish({BrimSampledColor::Outcome::unavailable, std::nullopt});
        return;
    }
    m_fallback->pick([self = QPointer(this)](const BrimSampledColor &sample) {
        if (self)
            self->finish(sample);
    });
}

void PortalColorSampler::finish(const BrimSampledColor &sample)
{
    m_busy = false;
    if (Done done = std::exchange(m_done, {}))
        done(sample);
}
