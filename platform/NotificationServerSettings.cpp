#include "platform/NotificationServerSettings.h"

#include "platform/PlatformLogging.h"

#include <QCoro/QCoroDBus>
#include <QDBusMessage>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace {
const QString serverName = QStringLiteral("org.freedesktop.Notifications");
const QString serverPath = QStringLiteral("/org/freedesktop/Notifications");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

// The peer never answered (as opposed to answering with an error).
bool unanswered(const QDBusError &error)
{
    return error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout
        || error.type() == QDBusError::Disconnected;
}

QDBusMessage property(const QString &interface, const QString &name)
{
    QDBusMessage get = QDBusMessage::createMethodCall(serverName, serverPath, propertiesInterface, QStringLiteral("Get"));
    get << interface << name;
    // One that is not running is not paused either.
    get.setAutoStartService(false);
    return get;
}
} // namespace

QCoro::Task<BrimTimerNotificationSettings> NotificationServerSettings::read(QDBusConnection bus, int timeoutMs)
{
    using Settings = BrimTimerNotificationSettings;
    Settings result{Settings::AuthorizationStatus::denied, Settings::AlertSetting::notSupported};
    if (!bus.isConnected())
        co_return result;

    const QString busService = QStringLiteral("org.freedesktop.DBus");
    const QString busPath = QStringLiteral("/org/freedesktop/DBus");
    QDBusMessage hasOwner = QDBusMessage::createMethodCall(busService, busPath, busService, QStringLiteral("NameHasOwner"));
    hasOwner << serverName;
    const QDBusMessage listActivatable
        = QDBusMessage::createMethodCall(busService, busPath, busService, QStringLiteral("ListActivatableNames"));

    // All four in flight at once.
    QDBusPendingReply<bool> owner = bus.asyncCall(hasOwner, timeoutMs);
    QDBusPendingReply<QStringList> activatable = bus.asyncCall(listActivatable, timeoutMs);
    QDBusPendingReply<QDBusVariant> inhibited = bus.asyncCall(property(serverName, QStringLiteral("Inhibited")), timeoutMs);
    QDBusPendingReply<QDBusVariant> paused
        = bus.asyncCall(property(QStringLiteral("org.dunstproject.cmd0"), QStringLiteral("paused")), timeoutMs);
    co_await owner;
    co_await activatable;
    co_await inhibited;
    co_await paused;
    if (owner.isError())
        qCWarning(lcPlatform) << "The bus did not say whether a notification server runs:" << owner.error().message();

    // A server started on demand (dunst, mako) owns no name until the first
    // notification, yet it will show that one.
    const bool startable = activatable.isValid() && activatable.value().contains(serverName);
    if (!(owner.isValid() && owner.value()) && !startable)
        co_return result;

    result.authorizationStatus = Settings::AuthorizationStatus::authorized;
    const auto isOn = [](const QDBusPendingReply<QDBusVariant> &reply) {
        return reply.isValid() && reply.value().variant().userType() == QMetaType::Bool && reply.value().variant().toBool();
    };
    if (isOn(inhibited) || isOn(paused))
        result.alertSetting = Settings::AlertSetting::disabled;
    else if (unanswered(inhibited.error()) && unanswered(paused.error()))
        result.alertSetting = Settings::AlertSetting::notSupported;
    else
        result.alertSetting = Settings::AlertSetting::enabled;
    co_return result;
}
