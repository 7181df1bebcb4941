#include "platform/PortalRequest.h"

#include "platform/PlatformLogging.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QTimer>
#include <QUuid>
#include <QCoro/QCoroDBus>

namespace {
constexpr int callTimeoutMs = 25'000;
} // namespace

bool PortalRequest::subscribe(QDBusConnection &bus, const QString &path)
{
    m_path = path;
    return bus.connect(service, path, PortalRequest::interface, QStringLiteral("Response"), this,
                       SLOT(onResponse(uint, QVariantMap)));
}

void PortalRequest::unsubscribe(QDBusConnection &bus)
{
    bus.disconnect(service, m_path, PortalRequest::interface, QStringLiteral("Response"), this,
                   SLOT(onResponse(uint, QVariantMap)));
}

void PortalRequest::onResponse(uint code, const QVariantMap &results)
{
    if (m_response)
        return;
    m_response = Response{code, results};
    m_settled->finish();
}

QCoro::Task<Result<PortalRequest::Response, QString>> PortalRequest::call(QDBusConnection bus, QString interface,
                                                                         QString method, QVariantList arguments,
                                                                         QVariantMap options,
                                                                         std::chrono::milliseconds timeout)
{
    const QString token = QStringLiteral("ostrel") + QUuid::createUuid().toString(QUuid::Id128);
    PortalRequest request;
    if (!request.subscribe(bus, expectedPath(bus, token)))
        qCWarning(lcPlatform) << "cannot subscribe to the portal's answer:" << bus.lastError().message();
    options.insert(QStringLiteral("handle_token"), token);
    arguments.append(options);
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
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
    if (!request.m_response) {
        // One latch for the answer and the time-out: QCoro 0.8 resumes a
        // waiter on a signal again if something else resumed it first.
        const std::shared_ptr<BrimCompletion> settled = request.m_settled;
        QTimer::singleShot(timeout, settled.get(), &BrimCompletion::finish);
        co_await settled->wait();
    }
    request.unsubscribe(bus);
    if (!request.m_response) {
        qCWarning(lcPlatform) << "portal request" << interface << method << "got no answer";
        co_return Failure{QCoreApplication::translate("PortalRequest", "The desktop did not answer.")};
    }
    co_return *request.m_response;
}
