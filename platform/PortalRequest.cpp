#include "platform/PortalRequest.h"

#include "platform/PlatformLogging.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QUuid>
#include <QCoro/QCoroDBus>
#include <QCoro/QCoroSignal>

namespace {
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");
constexpr int callTimeoutMs = 25'000;

QString predictedPath(const QDBusConnection &bus, const QString &token)
{
    QString sender = bus.baseService();
    sender.remove(0, 1); // the leading ':'
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return portalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}
} // namespace

bool PortalRequest::subscribe(QDBusConnection &bus, const QString &path)
{
    m_path = path;
    return bus.connect(portalService, path, requestInterface, QStringLiteral("Response"), this,
                       SLOT(onResponse(uint, QVariantMap)));
}

void PortalRequest::unsubscribe(QDBusConnection &bus)
{
    bus.disconnect(portalService, m_path, requestInterface, QStringLiteral("Response"), this,
                   SLOT(onResponse(uint, QVariantMap)));
}

void PortalRequest::onResponse(uint code, const QVariantMap &results)
{
    if (m_response)
        return;
    m_response = Response{code, results};
    Q_EMIT answered();
}

QCoro::Task<Result<PortalRequest::Response, QString>> PortalRequest::call(QDBusConnection bus, QString interface,
                                                                         QString method, QVariantList arguments,
                                                                         QVariantMap options,
                                                                         std::chrono::milliseconds timeout)
{
    const QString token = QStringLiteral("ostrel") + QUuid::createUuid().toString(QUuid::Id128);
    PortalRequest request;
    if (!request.subscribe(bus, predictedPath(bus, token)))
        qCWarning(lcPlatform) << "cannot subscribe to the portal's answer:" << bus.lastError().message();
    options.insert(QStringLiteral("handle_token"), token);
    arguments.append(options);
    QDBusMessage message = QDBusMessage::createMethodCall(portalService, portalPath, interface, method);
    message.setArguments(arguments);

    const QDBusMessage reply = co_await bus.asyncCall(message, callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        request.unsubscribe(bus);
        const QString reason = QDBusError(reply).message();
        qCWarning(lcPlatform) << "portal call" << interface << method << "failed:" << reason;
        co_return Failure{reason};
    }
    // Portals older than the handle_token convention pick their own path.
    const QString handle = reply.arguments().value(0).value<QDBusObjectPath>().path();
    if (!handle.isEmpty() && handle != request.m_path) {
        request.unsubscribe(bus);
        request.subscribe(bus, handle);
    }
    if (!request.m_response)
        co_await qCoro(&request, &PortalRequest::answered, timeout);
    request.unsubscribe(bus);
    if (!request.m_response) {
        qCWarning(lcPlatform) << "portal request" << interface << method << "got no answer";
        co_return Failure{QCoreApplication::translate("PortalRequest", "The desktop did not answer.")};
    }
    co_return *request.m_response;
}
