#include "platform/NotificationServerSettings.h"

#include "platform/NotificationAnswers.h"
#include "platform/PlatformLogging.h"

#include <QCoro/QCoroDBus>
#include <QDBusMessage>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace {
const QString serverName = QStringLiteral("org.freedesktop.Notifications");
const QString serverPath = QStringLiteral("/org/freedesktop/Notifications");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

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
    if (!bus.isConnected())
        co_return Settings{Settings::AuthorizationStatus::denied, Settings::AlertSetting::notSupported};

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
    co_return NotificationAnswers::settings(owner.reply(), activatable.reply(), inhibited.reply(), paused.reply());
}
