#include "platform/InhibitPowerAssertions.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QVariantMap>

#include <algorithm>

namespace {
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString portalInhibit = QStringLiteral("org.freedesktop.portal.Inhibit");
const QString portalRequest = QStringLiteral("org.freedesktop.portal.Request");
// The portal's "suspend" flag: we only hold off sleep, never logout or idle blanking.
constexpr uint portalSuspendFlag = 4;

const QString logindService = QStringLiteral("org.freedesktop.login1");
const QString logindPath = QStringLiteral("/org/freedesktop/login1");
const QString logindManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString inhibitorOwner = QStringLiteral("Ostrel Brimkit");

bool isTimeout(const QDBusError &error)
{
    return error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout
        || error.type() == QDBusError::TimedOut;
}

// "Not there" (including a service without the inhibit interface) versus "said no".
std::int32_t statusOfError(const QDBusMessage &reply)
{
    const QDBusError error(reply);
    if (isTimeout(error))
        return InhibitPowerAssertions::statusUnavailable;
    switch (error.type()) {
    case QDBusError::ServiceUnknown:
    case QDBusError::NoServer:
    case QDBusError::Disconnected:
    case QDBusError::UnknownObject:
    case QDBusError::UnknownInterface:
    case QDBusError::UnknownMethod:
        return InhibitPowerAssertions::statusUnavailable;
    default:
        return InhibitPowerAssertions::statusRefused;
    }
}

// The handle the portal derives from our unique name and the token we pass,
// so an answer that comes after our timeout can still be withdrawn.
QString expectedRequestPath(const QDBusConnection &bus, const QString &token)
{
    QString sender = bus.baseService();
    if (sender.isEmpty())
        return {};
    sender.remove(0, 1); // the leading ':'
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return portalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}
} // namespace

InhibitPowerAssertions::InhibitPowerAssertions(QDBusConnection sessionBus, QDBusConnection systemBus,
                                               int timeoutMs)
    : m_session(std::move(sessionBus))
    , m_system(std::move(systemBus))
    , m_timeoutMs(timeoutMs)
{
}

InhibitPowerAssertions::~InhibitPowerAssertions()
{
    for (const auto &entry : m_held) {
        if (!entry.second.portalRequest.path().isEmpty())
            closePortalRequest(entry.second.portalRequest);
    }
    // Dropping the map closes the logind descriptors.
}

BrimPowerAssertion InhibitPowerAssertions::preventIdleSleep(const QString &reason)
{
    Attempt attempt = inhibitThroughPortal(reason);
    if (attempt.status != 0) {
        const std::int32_t portalStatus = attempt.status;
        attempt = inhibitThroughLogind(reason);
        if (attempt.status != 0)
            return {std::max(portalStatus, attempt.status), 0};
    }
    const std::uint32_t identifier = nextIdentifier();
    m_held.emplace(identifier, std::move(attempt.hold));
    return {0, identifier};
}

void InhibitPowerAssertions::release(std::uint32_t identifier)
{
    const auto found = m_held.find(identifier);
    if (found == m_held.end())
        return;
    if (!found->second.portalRequest.path().isEmpty())
        closePortalRequest(found->second.portalRequest);
    m_held.erase(found);
}

InhibitPowerAssertions::Attempt InhibitPowerAssertions::inhibitThroughPortal(const QString &reason)
{
    const QString token = QStringLiteral("brimkit%1").arg(++m_tokenCounter);
    QDBusMessage call = QDBusMessage::createMethodCall(portalService, portalPath, portalInhibit,
                                                       QStringLiteral("Inhibit"));
    const QVariantMap options{{QStringLiteral("reason"), reason},
                              {QStringLiteral("handle_token"), token}};
    call << QString() << portalSuspendFlag << options;
    const QDBusMessage reply = m_session.call(call, QDBus::Block, m_timeoutMs);

    Attempt attempt;
    if (reply.type() != QDBusMessage::ReplyMessage) {
        attempt.status = statusOfError(reply);
        // A portal that answers late still inhibits; withdraw that request.
        if (isTimeout(QDBusError(reply))) {
            const QString late = expectedRequestPath(m_session, token);
            if (!late.isEmpty())
                closePortalRequest(QDBusObjectPath(late));
        }
        return attempt;
    }
    const QVariantList arguments = reply.arguments();
    if (arguments.isEmpty() || arguments.first().userType() != qMetaTypeId<QDBusObjectPath>()
        || arguments.first().value<QDBusObjectPath>().path().isEmpty()) {
        attempt.status = statusBadReply;
        return attempt;
    }
    attempt.status = 0;
    attempt.hold.portalRequest = arguments.first().value<QDBusObjectPath>();
    return attempt;
}

InhibitPowerAssertions::Attempt InhibitPowerAssertions::inhibitThroughLogind(const QString &reason)
{
    QDBusMessage call = QDBusMessage::createMethodCall(logindService, logindPath, logindManager,
                                                       QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << inhibitorOwner << reason << QStringLiteral("block");
    const QDBusMessage reply = m_system.call(call, QDBus::Block, m_timeoutMs);

    Attempt attempt;
    if (reply.type() != QDBusMessage::ReplyMessage) {
        attempt.status = statusOfError(reply);
        return attempt;
    }
    const QVariantList arguments = reply.arguments();
    if (arguments.isEmpty() || arguments.first().userType() != qMetaTypeId<QDBusUnixFileDescriptor>()
        || !arguments.first().value<QDBusUnixFileDescriptor>().isValid()) {
        attempt.status = statusBadReply;
        return attempt;
    }
    attempt.status = 0;
    attempt.hold.logindFd = arguments.first().value<QDBusUnixFileDescriptor>();
    return attempt;
}

void InhibitPowerAssertions::closePortalRequest(const QDBusObjectPath &request)
{
    // Fire and forget: releasing must not block, and a request the portal no
    // longer knows is already gone.
    const QDBusMessage close = QDBusMessage::createMethodCall(portalService, request.path(),
                                                              portalRequest, QStringLiteral("Close"));
    m_session.send(close);
}

std::uint32_t InhibitPowerAssertions::nextIdentifier()
{
    // 0 means "none held"; after wrapping around, skip identifiers still in use.
    do {
        ++m_lastIdentifier;
    } while (m_lastIdentifier == 0 || m_held.count(m_lastIdentifier) != 0);
    return m_lastIdentifier;
}
