#include "platform/SystemBrimTimerNotifications.h"

#include "platform/PlatformLogging.h"

#include <QCoro/QCoroDBus>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDateTime>
#include <QGuiApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cmath>
#include <sys/timerfd.h>
#include <unistd.h>

namespace {
const QString serverName = QStringLiteral("org.freedesktop.Notifications");
const QString serverPath = QStringLiteral("/org/freedesktop/Notifications");
const QString serverInterface = QStringLiteral("org.freedesktop.Notifications");
const QString dunstInterface = QStringLiteral("org.dunstproject.cmd0");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString alertSoundName = QStringLiteral("alarm-clock-elapsed");

// 9999-12-31T23:59:59Z: later moments cannot be a real schedule, and keeping
// below it leaves the millisecond arithmetic far from overflow.
constexpr qint64 latestDueMs = 253402300799000;
// Without a timerfd, wake at least this often so clock changes and sleep
// are noticed soon after they happen.
constexpr qint64 fallbackPollMs = 10000;

std::optional<qint64> dueMoment(const BrimNotificationTrigger &trigger, qint64 nowMs)
{
    switch (trigger.kind) {
    case BrimNotificationTrigger::Kind::timeInterval: {
        const double ms = trigger.interval * 1000.0;
        if (!std::isfinite(ms) || ms <= 0 || ms > double(latestDueMs - nowMs))
            return std::nullopt;
        return nowMs + qint64(std::llround(ms));
    }
    case BrimNotificationTrigger::Kind::calendar: {
        const double seconds = trigger.date.unixSeconds();
        if (!std::isfinite(seconds) || seconds * 1000.0 > double(latestDueMs))
            return std::nullopt;
        // Whole seconds: the moment is matched to the second, fractions dropped.
        return qint64(std::floor(std::max(seconds, 0.0))) * 1000;
    }
    }
    return std::nullopt;
}

// The peer never answered (as opposed to answering with an error).
bool unanswered(const QDBusError &error)
{
    return error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout
        || error.type() == QDBusError::Disconnected;
}

} // namespace

SystemBrimTimerNotifications::SystemBrimTimerNotifications(QDBusConnection bus, std::shared_ptr<BrimSystemBeep> sound,
                                                           QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_sound(std::move(sound))
{
    m_fallbackTimer = new QTimer(this);
    m_fallbackTimer->setSingleShot(true);
    connect(m_fallbackTimer, &QTimer::timeout, this, &SystemBrimTimerNotifications::fireDue);

    // An absolute CLOCK_REALTIME timer follows the wall clock: it expires at
    // once when the clock is set past it or the machine wakes after it.
    m_timerFd = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_timerFd < 0)
        qCWarning(lcPlatform) << "No wall-clock timer for notifications, polling instead:" << std::strerror(errno);
    if (m_timerFd >= 0) {
        m_notifier = new QSocketNotifier(m_timerFd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] {
            quint64 expirations = 0;
            [[maybe_unused]] const ssize_t n = ::read(m_timerFd, &expirations, sizeof expirations);
            fireDue();
        });
    }

    if (!m_bus.isConnected())
        qCWarning(lcPlatform) << "No session bus: notifications are off:" << m_bus.lastError().message();
    if (m_bus.isConnected()) {
        // Any sender: matching the well-known name would need its owner looked up.
        if (!m_bus.connect(QString(), serverPath, serverInterface, QStringLiteral("NotificationClosed"), this,
                           SLOT(onNotificationClosed(uint, uint))))
            qCWarning(lcPlatform) << "Notifications closed on the desktop go unnoticed:" << m_bus.lastError().message();
        m_serverWatcher = new QDBusServiceWatcher(serverName, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(m_serverWatcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
                &SystemBrimTimerNotifications::forgetServer);
    }
}

SystemBrimTimerNotifications::~SystemBrimTimerNotifications()
{
    delete m_notifier;
    if (m_timerFd >= 0)
        ::close(m_timerFd);
}

void SystemBrimTimerNotifications::setReplyTimeout(std::chrono::milliseconds timeout)
{
    m_timeoutMs = int(std::clamp<qint64>(timeout.count(), 1, 600000));
}

void SystemBrimTimerNotifications::setDeliveryFailureHandler(std::function<void(const QString &)> handler)
{
    m_deliveryFailed = std::move(handler);
}

void SystemBrimTimerNotifications::playSound()
{
    if (m_sound)
        m_sound->play(BrimSystemBeep::Sound::notification);
}

QCoro::Task<BrimTimerNotificationSettings> SystemBrimTimerNotifications::settings()
{
    using Settings = BrimTimerNotificationSettings;
    Settings result{Settings::AuthorizationStatus::denied, Settings::AlertSetting::notSupported};
    if (!m_bus.isConnected())
        co_return result;

    const QString busService = QStringLiteral("org.freedesktop.DBus");
    const QString busPath = QStringLiteral("/org/freedesktop/DBus");
    QDBusMessage hasOwner = QDBusMessage::createMethodCall(busService, busPath, busService, QStringLiteral("NameHasOwner"));
    hasOwner << serverName;
    const QDBusMessage listActivatable
        = QDBusMessage::createMethodCall(busService, busPath, busService, QStringLiteral("ListActivatableNames"));
    // Do-not-disturb as KDE and dunst expose it. Never start a server just to
    // read its state: one that is not running is not paused either.
    QDBusMessage inhibited = QDBusMessage::createMethodCall(serverName, serverPath, propertiesInterface, QStringLiteral("Get"));
    inhibited << serverInterface << QStringLiteral("Inhibited");
    inhibited.setAutoStartService(false);
    QDBusMessage paused = QDBusMessage::createMethodCall(serverName, serverPath, propertiesInterface, QStringLiteral("Get"));
    paused << dunstInterface << QStringLiteral("paused");
    paused.setAutoStartService(false);

    // All four in flight at once; each ends by its timeout at the latest.
    QDBusPendingReply<bool> owner = m_bus.asyncCall(hasOwner, m_timeoutMs);
    QDBusPendingReply<QStringList> activatable = m_bus.asyncCall(listActivatable, m_timeoutMs);
    QDBusPendingReply<QDBusVariant> inhibitedReply = m_bus.asyncCall(inhibited, m_timeoutMs);
    QDBusPendingReply<QDBusVariant> pausedReply = m_bus.asyncCall(paused, m_timeoutMs);
    // Members are not touched after this point, so the object may be gone.
    co_await owner;
    co_await activatable;
    co_await inhibitedReply;
    co_await pausedReply;
    if (owner.isError())
        qCWarning(lcPlatform) << "The bus did not say whether a notification server runs:" << owner.error().message();

    // A server started on demand (dunst, mako) owns no name until the first
    // notification, yet it will show that one.
    const bool startable = activatable.isValid() && activatable.value().contains(serverName);
    if (!(owner.isValid() && owner.value()) && !startable)
        co_return result;

    result.authorizationStatus = Settings::AuthorizationStatus::authorized;
    const auto isOn = [](const QDBusPendingReply<QDBusVariant> &property) {
        return property.isValid() && property.value().variant().userType() == QMetaType::Bool
            && property.value().variant().toBool();
    };
    if (isOn(inhibitedReply) || isOn(pausedReply))
        result.alertSetting = Settings::AlertSetting::disabled;
    else if (unanswered(inhibitedReply.error()) && unanswered(pausedReply.error()))
        result.alertSetting = Settings::AlertSetting::notSupported;
    else
        result.alertSetting = Settings::AlertSetting::enabled;
    co_return result;
}

QCoro::Task<Result<bool, QString>> SystemBrimTimerNotifications::requestAuthorization()
{
    const BrimTimerNotificationSettings current = co_await settings();
    co_return Result<bool, QString>(current.allowsDelivery());
}

QCoro::Task<Result<void, QString>> SystemBrimTimerNotifications::add(BrimNotificationRequest request)
{
    if (request.identifier.isEmpty())
        co_return Failure{QStringLiteral("The notification has no identifier.")};
    const std::optional<qint64> due = dueMoment(request.trigger, QDateTime::currentMSecsSinceEpoch());
    if (!due)
        co_return Failure{QStringLiteral("The notification's trigger is not a valid moment.")};

    const QString identifier = request.identifier;
    m_pending.removeIf([&](const Pending &p) { return p.request.identifier == identifier; });
    m_pending.append(Pending{std::move(request), *due});
    arm();
    co_return Result<void, QString>();
}

QCoro::Task<QList<BrimNotificationRequest>> SystemBrimTimerNotifications::pendingRequests()
{
    QList<BrimNotificationRequest> requests;
    requests.reserve(m_pending.size());
    for (const Pending &p : std::as_const(m_pending))
        requests.append(p.request);
    co_return requests;
}

void SystemBrimTimerNotifications::removePending(const QStringList &identifiers)
{
    if (m_pending.removeIf([&](const Pending &p) { return identifiers.contains(p.request.identifier); }) > 0)
        arm();
}

void SystemBrimTimerNotifications::removeDelivered(const QStringList &identifiers)
{
    for (const QString &identifier : identifiers) {
        for (const uint id : m_deliveredIds.take(identifier))
            closeOnServer(id);
        // Its server id is not known yet: close it as soon as it is.
        for (auto it = m_inFlight.find(identifier); it != m_inFlight.end() && it.key() == identifier; ++it)
            it.value()->withdrawn = true;
    }
}

void SystemBrimTimerNotifications::onNotificationClosed(uint id, uint)
{
    for (auto it = m_deliveredIds.begin(); it != m_deliveredIds.end();) {
        it.value().removeAll(id);
        it = it.value().isEmpty() ? m_deliveredIds.erase(it) : std::next(it);
    }
}

void SystemBrimTimerNotifications::forgetServer()
{
    // A new server starts its own numbering: closing an old id there could
    // close another application's notification.
    m_capabilities.reset();
    m_deliveredIds.clear();
}

void SystemBrimTimerNotifications::arm()
{
    std::optional<qint64> earliest;
    for (const Pending &p : std::as_const(m_pending))
        earliest = std::min(earliest.value_or(p.dueMs), p.dueMs);

    if (m_timerFd >= 0) {
        itimerspec spec{}; // all zero disarms
        if (earliest) {
            const qint64 ms = std::max<qint64>(*earliest, 1); // zero would disarm
            spec.it_value.tv_sec = time_t(ms / 1000);
            spec.it_value.tv_nsec = long(ms % 1000) * 1000000L;
        }
        if (::timerfd_settime(m_timerFd, TFD_TIMER_ABSTIME, &spec, nullptr) == 0) {
            m_fallbackTimer->stop();
            return;
        }
        qCWarning(lcPlatform) << "Could not arm the notification timer, polling instead:" << std::strerror(errno);
    }
    if (!earliest) {
        m_fallbackTimer->stop();
        return;
    }
    const qint64 wait = std::clamp<qint64>(*earliest - QDateTime::currentMSecsSinceEpoch(), 0, fallbackPollMs);
    m_fallbackTimer->start(int(wait));
}

void SystemBrimTimerNotifications::fireDue()
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    QList<Pending> due;
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (it->dueMs <= now) {
            due.append(std::move(*it));
            it = m_pending.erase(it);
        } else {
            ++it;
        }
    }
    arm();
    std::stable_sort(due.begin(), due.end(), [](const Pending &a, const Pending &b) { return a.dueMs < b.dueMs; });
    for (Pending &p : due)
        deliver(std::move(p.request)); // runs on by itself; the task is not awaited
}

QDBusMessage SystemBrimTimerNotifications::serverCall(const QString &interface, const QString &method) const
{
    return QDBusMessage::createMethodCall(serverName, serverPath, interface, method);
}

void SystemBrimTimerNotifications::closeOnServer(uint id)
{
    QDBusMessage close = serverCall(serverInterface, QStringLiteral("CloseNotification"));
    close << id;
    close.setAutoStartService(false); // nothing to close on a server that is not running
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(close, m_timeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [id](QDBusPendingCallWatcher *call) {
        if (call->isError())
            qCWarning(lcPlatform) << "Could not close notification" << id << ":" << call->error().message();
        call->deleteLater();
    });
}

QCoro::Task<QStringList> SystemBrimTimerNotifications::capabilities()
{
    if (m_capabilities)
        co_return *m_capabilities;
    QPointer<SystemBrimTimerNotifications> self(this);
    QDBusPendingReply<QStringList> reply =
        m_bus.asyncCall(serverCall(serverInterface, QStringLiteral("GetCapabilities")), m_timeoutMs);
    co_await reply;
    if (reply.isError())
        qCWarning(lcPlatform) << "The notification server did not tell its capabilities:" << reply.error().message();
    if (!self || reply.isError())
        co_return QStringList();
    m_capabilities = reply.value();
    co_return reply.value();
}

QCoro::Task<> SystemBrimTimerNotifications::deliver(BrimNotificationRequest request)
{
    QPointer<SystemBrimTimerNotifications> self(this);
    const auto flight = std::make_shared<InFlight>();
    m_inFlight.insert(request.identifier, flight);

    const QStringList caps = co_await capabilities();
    if (!self)
        co_return;
    const bool serverSound = caps.contains(QLatin1String("sound"));
    const QString appId = QGuiApplication::desktopFileName();
    QVariantMap hints{{QStringLiteral("desktop-entry"), appId}};
    if (request.sound && serverSound)
        hints.insert(QStringLiteral("sound-name"), alertSoundName);
    else if (!request.sound && serverSound)
        hints.insert(QStringLiteral("suppress-sound"), true);
    if (request.sound && !serverSound)
        playSound();

    QDBusMessage notify = serverCall(serverInterface, QStringLiteral("Notify"));
    notify << QGuiApplication::applicationDisplayName() << uint(0) << appId << request.title << request.body
           << QStringList() << hints << int(-1);
    QDBusPendingReply<uint> reply = m_bus.asyncCall(notify, m_timeoutMs);
    co_await reply;
    if (!self)
        co_return;
    m_inFlight.remove(request.identifier, flight);

    if (reply.isValid()) {
        const uint id = reply.value();
        if (flight->withdrawn)
            closeOnServer(id);
        else
            m_deliveredIds[request.identifier].append(id);
    } else {
        qCWarning(lcPlatform) << "The notification server did not take" << request.identifier << ":"
                              << reply.error().name() << reply.error().message();
        if (request.sound && serverSound)
            playSound(); // the server was to play it and did not get the chance
        if (m_deliveryFailed)
            m_deliveryFailed(request.identifier);
    }
    Q_EMIT delivered(request.identifier, reply.isValid());
}
