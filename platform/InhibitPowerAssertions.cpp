#include "platform/InhibitPowerAssertions.h"

#include "platform/PlatformLogging.h"
#include "platform/PortalRequest.h"
#include "platform/PortalResults.h"

#include <QCoreApplication>
#include <QCoro/QCoroDBus>
#include <QCoro/QCoroSignal>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
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

bool isTimeout(const QDBusError &error)
{
    return error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout
        || error.type() == QDBusError::TimedOut;
}

// "Not there" (including a service without the inhibit interface) versus "said no".
std::int32_t statusOfError(const QDBusError &error)
{
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
    case QDBusError::InvalidSignature: // answered, but not with what Inhibit returns
        return InhibitPowerAssertions::statusBadReply;
    default:
        return InhibitPowerAssertions::statusRefused;
    }
}

// The status number alone tells a user nothing: say which services failed how.
QString reasonText(std::int32_t status)
{
    switch (status) {
    case InhibitPowerAssertions::statusBadReply:
        return QCoreApplication::translate("InhibitPowerAssertions",
                                           "The desktop portal or logind gave an answer that could not be used.");
    case InhibitPowerAssertions::statusRefused:
        return QCoreApplication::translate("InhibitPowerAssertions",
                                           "The desktop portal or logind refused to keep the system awake.");
    default: return QCoreApplication::translate("InhibitPowerAssertions", "No desktop portal or logind answered.");
    }
}

// How long a portal that missed our time-out still gets to answer, so the
// inhibitor it then hands out can be given back. Portals started by D-Bus
// activation have been seen to take longer than the usual 25 s.
constexpr int lateAnswerMs = 120'000;

void closePortalRequest(const QDBusConnection &bus, const QString &path)
{
    // Fire and forget: releasing must not block, and a request the portal no
    // longer knows is already gone.
    if (!bus.send(QDBusMessage::createMethodCall(portalService, path, portalRequest, QStringLiteral("Close"))))
        qCWarning(lcPlatform) << "Could not close the portal's inhibit request" << path << bus.lastError().message();
}
} // namespace

InhibitPowerAssertions::InhibitPowerAssertions(QDBusConnection sessionBus, QDBusConnection systemBus,
                                               int timeoutMs)
    : m_state(std::make_shared<State>(std::move(sessionBus), std::move(systemBus), timeoutMs))
{
}

InhibitPowerAssertions::~InhibitPowerAssertions()
{
    // Calls still in flight see `closed` and give back what they get.
    m_state->closed = true;
    for (const auto &entry : m_state->held)
        giveBack(*m_state, entry.second);
    m_state->held.clear();
}

QCoro::Task<BrimPowerAssertion> InhibitPowerAssertions::preventIdleSleep(QString reason)
{
    // Only the shared state is used from here on: the adapter may be gone
    // when an answer arrives.
    const std::shared_ptr<State> state = m_state;
    Attempt attempt = co_await inhibitThroughPortal(state, reason);
    if (attempt.status != 0 && !state->closed) {
        const std::int32_t portalStatus = attempt.status;
        attempt = co_await inhibitThroughLogind(state, reason);
        attempt.status = attempt.status == 0 ? 0 : std::max(portalStatus, attempt.status);
    }
    if (attempt.status != 0)
        co_return BrimPowerAssertion{attempt.status, 0, reasonText(attempt.status)};
    if (state->closed) {
        giveBack(*state, attempt.hold);
        co_return BrimPowerAssertion{statusUnavailable, 0, reasonText(statusUnavailable)};
    }
    const std::uint32_t identifier = nextIdentifier(*state);
    state->held.emplace(identifier, std::move(attempt.hold));
    co_return BrimPowerAssertion{0, identifier, {}};
}

void InhibitPowerAssertions::release(std::uint32_t identifier)
{
    const auto found = m_state->held.find(identifier);
    if (found == m_state->held.end())
        return;
    giveBack(*m_state, found->second);
    m_state->held.erase(found);
}

QCoro::Task<InhibitPowerAssertions::Attempt> InhibitPowerAssertions::inhibitThroughPortal(std::shared_ptr<State> state,
                                                                                          QString reason)
{
    const QString token = QStringLiteral("brimkit%1").arg(++state->tokenCounter);
    QDBusMessage call = QDBusMessage::createMethodCall(portalService, portalPath, portalInhibit,
                                                       QStringLiteral("Inhibit"));
    const QVariantMap options{{QStringLiteral("reason"), reason}, {QStringLiteral("handle_token"), token}};
    call << QString() << portalSuspendFlag << options;
    // Our own wait is short; the call itself stays open longer, so that an
    // answer after our time-out is still seen and its inhibitor given back.
    // Parented to the application, so a call still open at exit is no leak.
    auto *watcher = new QDBusPendingCallWatcher(state->session.asyncCall(call, lateAnswerMs), QCoreApplication::instance());
    const auto answered = co_await qCoro(watcher, &QDBusPendingCallWatcher::finished,
                                         std::chrono::milliseconds(state->timeoutMs));
    if (!answered) {
        qCWarning(lcPlatform) << "The portal did not answer Inhibit within" << state->timeoutMs << "ms";
        // A portal that derives the handle from our token is told at once, in
        // case it never answers; one that picks its own is told when it does.
        const QString expected = PortalRequest::expectedPath(state->session, token);
        if (!expected.isEmpty())
            closePortalRequest(state->session, expected);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [state, expected](QDBusPendingCallWatcher *late) {
            late->deleteLater();
            const auto handle = PortalResults::inhibitHandle(late->reply());
            if (handle.ok() && handle.value().path() != expected)
                closePortalRequest(state->session, handle.value().path());
        });
        co_return Attempt{statusUnavailable, {}};
    }
    watcher->deleteLater();
    const Result<QDBusObjectPath, QDBusError> handle = PortalResults::inhibitHandle(watcher->reply());
    if (!handle.ok()) {
        qCWarning(lcPlatform) << "The portal did not inhibit suspend:" << handle.error().name() << handle.error().message();
        co_return Attempt{statusOfError(handle.error()), {}};
    }
    co_return Attempt{0, Hold{handle.value(), {}}};
}

QCoro::Task<InhibitPowerAssertions::Attempt> InhibitPowerAssertions::inhibitThroughLogind(std::shared_ptr<State> state,
                                                                                          QString reason)
{
    QDBusMessage call = QDBusMessage::createMethodCall(logindService, logindPath, logindManager,
                                                       QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << QGuiApplication::applicationDisplayName() << reason << QStringLiteral("block");
    QDBusPendingReply<QDBusUnixFileDescriptor> reply = state->system.asyncCall(call, state->timeoutMs);
    co_await reply;

    if (reply.isError()) {
        const QDBusError error = reply.error();
        qCWarning(lcPlatform) << "logind did not inhibit sleep:" << error.name() << error.message();
        co_return Attempt{statusOfError(error), {}};
    }
    const QDBusUnixFileDescriptor fd = reply.value();
    if (!fd.isValid()) {
        qCWarning(lcPlatform) << "logind answered Inhibit without a descriptor";
        co_return Attempt{statusBadReply, {}};
    }
    co_return Attempt{0, Hold{{}, fd}};
}

void InhibitPowerAssertions::giveBack(State &state, const Hold &hold)
{
    // A logind descriptor closes with its last copy.
    if (!hold.portalRequest.path().isEmpty())
        closePortalRequest(state.session, hold.portalRequest.path());
}

std::uint32_t InhibitPowerAssertions::nextIdentifier(State &state)
{
    // 0 means "none held"; after wrapping around, skip identifiers still in use.
    do {
        ++state.lastIdentifier;
    } while (state.lastIdentifier == 0 || state.held.count(state.lastIdentifier) != 0);
    return state.lastIdentifier;
}
