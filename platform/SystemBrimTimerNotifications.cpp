#include "platform/SystemBrimTimerNotifications.h"

#include "models/BrimCompletion.h"
#include "platform/NotificationAnswers.h"
#include "platform/NotificationServerSettings.h"
#include "platform/PlatformLogging.h"

#include <QCoro/QCoroDBus>
#include <QCoro/QCoroSignal>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QUrl>

#include <algorithm>

namespace {
const QString serverName = QStringLiteral("org.freedesktop.Notifications");
const QString serverPath = QStringLiteral("/org/freedesktop/Notifications");
const QString alertSoundName = QStringLiteral("alarm-clock-elapsed");

QDBusMessage serverCall(const QString &method)
{
    return QDBusMessage::createMethodCall(serverName, serverPath, serverName, method);
}
} // namespace

SystemBrimTimerNotifications::SystemBrimTimerNotifications(QDBusConnection bus, std::shared_ptr<BrimSystemBeep> sound,
                                                           QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_sound(std::move(sound))
{
    // Qt's own session bus (known by its name: asking for it would connect
    // to it): the one the environment names, or else the user's bus socket,
    // as Qt and libdbus find it.
    if (m_bus.name() == QLatin1String("qt_default_session_bus")) {
        m_busAddress = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
        const QString socket = qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/bus");
        if (m_busAddress.isEmpty() && qEnvironmentVariableIsSet("XDG_RUNTIME_DIR") && QFileInfo(socket).exists())
            m_busAddress = QStringLiteral("unix:path=") + QString::fromLatin1(QUrl::toPercentEncoding(socket, "/*", "~"));
    }
    if (!m_bus.isConnected()) {
        qCWarning(lcPlatform) << "No session bus: notifications are off:" << m_bus.lastError().message();
        return;
    }
    // Any sender: matching the well-known name would need its owner looked up.
    if (!m_bus.connect(QString(), serverPath, serverName, QStringLiteral("NotificationClosed"), this,
                       SLOT(onNotificationClosed(uint, uint))))
        qCWarning(lcPlatform) << "Notifications closed on the desktop go unnoticed:" << m_bus.lastError().message();
    m_serverWatcher = new QDBusServiceWatcher(serverName, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_serverWatcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &newOwner) {
                forgetServer();
                if (!newOwner.isEmpty())
                    askCapabilities(false);
            });
    askCapabilities(false);
}

void SystemBrimTimerNotifications::setBusAddress(const QString &address)
{
    m_busAddress = address;
}

DirectBusConnection *SystemBrimTimerNotifications::direct()
{
    if (!m_directTried && !m_busAddress.isEmpty()) {
        m_directTried = true;
        m_direct = DirectBusConnection::open(m_busAddress, this);
    }
    return m_direct;
}

void SystemBrimTimerNotifications::setReplyTimeout(std::chrono::milliseconds timeout)
{
    m_timeoutMs = int(std::clamp<qint64>(timeout.count(), 1, 600000));
    if (!m_capabilities)
        m_capabilitiesCall.reset(); // asked again, within the new time
}

QCoro::Task<BrimTimerNotificationSettings> SystemBrimTimerNotifications::settings()
{
    return NotificationServerSettings::read(m_bus, m_timeoutMs);
}

void SystemBrimTimerNotifications::removeDelivered(const QStringList &identifiers)
{
    for (const QString &identifier : identifiers) {
        for (const uint id : m_shownIds.take(identifier))
            closeOnServer(id);
        // Its server id is not known yet: close it as soon as it is.
        for (auto it = m_inFlight.find(identifier); it != m_inFlight.end() && it.key() == identifier; ++it)
            it.value()->withdrawn = true;
    }
}

void SystemBrimTimerNotifications::onNotificationClosed(uint id, uint)
{
    for (auto it = m_shownIds.begin(); it != m_shownIds.end();) {
        it.value().removeAll(id);
        it = it.value().isEmpty() ? m_shownIds.erase(it) : std::next(it);
    }
}

void SystemBrimTimerNotifications::forgetServer()
{
    // A new server starts its own numbering: closing an old id there could
    // close another application's notification.
    m_capabilities.reset();
    m_capabilitiesCall.reset();
    m_shownIds.clear();
}

void SystemBrimTimerNotifications::closeOnServer(uint id)
{
    QDBusMessage close = serverCall(QStringLiteral("CloseNotification"));
    close << id;
    close.setAutoStartService(false); // nothing to close on a server that is not running
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(close, m_timeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [id](QDBusPendingCallWatcher *call) {
        if (call->isError())
            qCWarning(lcPlatform) << "Could not close notification" << id << ":" << call->error().message();
        call->deleteLater();
    });
}

// Asked ahead, whenever a server is there, so that a notification goes out
// in the same turn as the request: a process killed right after it recorded
// an alarm as told must not die waiting for this answer first. The question
// ahead does not start a server; the one a notification needs does.
void SystemBrimTimerNotifications::askCapabilities(bool startServer)
{
    QDBusMessage ask = serverCall(QStringLiteral("GetCapabilities"));
    ask.setAutoStartService(startServer);
    m_capabilitiesCall = m_bus.asyncCall(ask, m_timeoutMs);
    m_capabilitiesCallStarts = startServer;
    ++m_capabilitiesAsked;
}

QCoro::Task<QStringList> SystemBrimTimerNotifications::capabilities()
{
    QPointer<SystemBrimTimerNotifications> self(this);
    while (!m_capabilities) {
        if (!m_capabilitiesCall)
            askCapabilities(true);
        const int asked = m_capabilitiesAsked;
        const bool startedServer = m_capabilitiesCallStarts;
        QDBusPendingCall call = *m_capabilitiesCall; // shared by every caller waiting now
        co_await call;
        if (!self)
            co_return QStringList();
        if (m_capabilities)
            break;
        if (const std::optional<QStringList> answer = NotificationAnswers::capabilities(call.reply())) {
            m_capabilities = answer;
            break;
        }
        if (asked == m_capabilitiesAsked)
            m_capabilitiesCall.reset();
        if (startedServer) { // asked in earnest: the next notification asks again
            qCWarning(lcPlatform) << "The notification server did not tell its capabilities:" << call.error().message();
            co_return QStringList();
        }
    }
    // A copy: QCoro moves what co_return names, and the cache must stay.
    co_return QStringList(*m_capabilities);
}

QDBusMessage SystemBrimTimerNotifications::notifyMessage(const BrimNotificationRequest &request) const
{
    // The sound hints follow what the server said it does. Before it has said
    // (the first notification of a run) they go along anyway, since a server
    // without sounds ignores them: waiting for its answer first would leave an
    // alarm recorded as told but not yet sent should the process die meanwhile.
    const bool hintSound = !m_capabilities || m_capabilities->contains(QLatin1String("sound"));
    const QString appId = QGuiApplication::desktopFileName();
    QVariantMap hints{{QStringLiteral("desktop-entry"), appId}};
    if (hintSound)
        hints.insert(request.sound ? QStringLiteral("sound-name") : QStringLiteral("suppress-sound"),
                     request.sound ? QVariant(alertSoundName) : QVariant(true));

    QDBusMessage notify = serverCall(QStringLiteral("Notify"));
    notify << QGuiApplication::applicationDisplayName() << uint(0) << appId << request.title << request.body
           << QStringList() << hints << int(-1);
    return notify;
}

void SystemBrimTimerNotifications::Outgoing::send()
{
    const QMutexLocker lock(&mutex);
    if (sent)
        return;
    sent = true;
    if (prepared) {
        auto waiting = std::make_shared<DirectBusConnection::Answer>();
        if (line->send(std::move(prepared), std::chrono::milliseconds(timeoutMs), waiting)) {
            answer = std::move(waiting);
            return;
        }
    }
    call = bus.asyncCall(message, timeoutMs);
}

std::function<void()> SystemBrimTimerNotifications::sender(const BrimNotificationRequest &request)
{
    if (!m_bus.isConnected())
        return {};
    m_ready.removeIf([](const auto &entry) { return entry.value().expired(); });
    DirectBusConnection *line = direct();
    auto outgoing =
        std::make_shared<Outgoing>(m_bus, notifyMessage(request), m_timeoutMs, line ? line->line() : nullptr);
    m_ready.insert(request.identifier, outgoing);
    return [outgoing] { outgoing->send(); };
}

// Once send() has returned, nothing else writes to the outgoing's answer or call.
QCoro::Task<Result<uint, QString>> SystemBrimTimerNotifications::sent(std::shared_ptr<Outgoing> outgoing)
{
    if (const std::shared_ptr<DirectBusConnection::Answer> answer = outgoing->answer) {
        if (!answer->done && m_direct) {
            // answered() comes for every reply, often several in one turn, and
            // QCoro 0.8 resumes a waiter on a signal once per emission, even
            // after it has moved on: wait on a latch finished once instead. The
            // connection answers every call still waiting before it is gone.
            const auto filled = std::make_shared<BrimCompletion>();
            connect(m_direct, &DirectBusConnection::answered, filled.get(), [answer, latch = filled.get()] {
                if (answer->done)
                    latch->finish();
            });
            connect(m_direct, &QObject::destroyed, filled.get(), &BrimCompletion::finish);
            co_await filled->wait();
        }
        if (!answer->done)
            co_return Failure{QStringLiteral("Notifications were shut down.")};
        co_return NotificationAnswers::notificationId(*answer);
    }
    QDBusPendingCall call = *outgoing->call;
    co_await call;
    co_return NotificationAnswers::notificationId(call.reply());
}

QCoro::Task<Result<void, QString>> SystemBrimTimerNotifications::show(BrimNotificationRequest request)
{
    if (!m_bus.isConnected())
        co_return Failure{QStringLiteral("There is no session bus.")};
    QPointer<SystemBrimTimerNotifications> self(this);
    const auto flight = std::make_shared<InFlight>();
    m_inFlight.insert(request.identifier, flight);

    // Sent ahead already, or now.
    std::shared_ptr<Outgoing> outgoing = m_ready.take(request.identifier).lock();
    if (!outgoing)
        outgoing = std::make_shared<Outgoing>(m_bus, notifyMessage(request), m_timeoutMs, nullptr);
    outgoing->send();
    const QStringList caps = co_await capabilities();
    if (!self)
        co_return Failure{QStringLiteral("Notifications were shut down.")};
    const bool serverSound = caps.contains(QLatin1String("sound"));
    const Result<uint, QString> shown = co_await sent(std::move(outgoing));
    if (!self)
        co_return Failure{QStringLiteral("Notifications were shut down.")};
    m_inFlight.remove(request.identifier, flight);
    if (!shown.ok()) {
        qCWarning(lcPlatform) << "The notification server did not take" << request.identifier << ":" << shown.error();
        co_return Failure{shown.error()};
    }
    // Shown: a server without sounds of its own leaves the sound to us.
    if (request.sound && !serverSound && m_sound)
        m_sound->play(BrimSystemBeep::Sound::notification);
    const uint id = shown.value();
    if (flight->withdrawn)
        closeOnServer(id);
    else
        m_shownIds[request.identifier].append(id);
    co_return Result<void, QString>();
}
