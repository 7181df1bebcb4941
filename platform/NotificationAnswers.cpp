#include "platform/NotificationAnswers.h"

#include <QDBusPendingReply>
#include <QDBusVariant>

namespace {
const QString serverName = QStringLiteral("org.freedesktop.Notifications");

// Typed as the adapters read them: a reply of another signature is an error.
template <class T>
QDBusPendingReply<T> typed(const QDBusMessage &message)
{
    return QDBusPendingReply<T>(QDBusPendingCall::fromCompletedCall(message));
}

// The peer never answered (as opposed to answering with an error).
bool unanswered(const QDBusError &error)
{
    return error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout
        || error.type() == QDBusError::Disconnected;
}
} // namespace

BrimTimerNotificationSettings NotificationAnswers::settings(const QDBusMessage &hasOwner, const QDBusMessage &activatable,
                                                            const QDBusMessage &inhibited, const QDBusMessage &paused)
{
    using Settings = BrimTimerNotificationSettings;
    Settings result{Settings::AuthorizationStatus::denied, Settings::AlertSetting::notSupported};
    const auto owner = typed<bool>(hasOwner);
    const auto names = typed<QStringList>(activatable);
    // A server started on demand (dunst, mako) owns no name until the first
    // notification, yet it will show that one.
    const bool startable = names.isValid() && names.value().contains(serverName);
    if (!(owner.isValid() && owner.value()) && !startable)
        return result;

    result.authorizationStatus = Settings::AuthorizationStatus::authorized;
    const auto inhibitedReply = typed<QDBusVariant>(inhibited);
    const auto pausedReply = typed<QDBusVariant>(paused);
    const auto isOn = [](const QDBusPendingReply<QDBusVariant> &reply) {
        return reply.isValid() && reply.value().variant().userType() == QMetaType::Bool && reply.value().variant().toBool();
    };
    if (isOn(inhibitedReply) || isOn(pausedReply))
        result.alertSetting = Settings::AlertSetting::disabled;
    else if (unanswered(inhibitedReply.error()) && unanswered(pausedReply.error()))
        result.alertSetting = Settings::AlertSetting::notSupported;
    else
        result.alertSetting = Settings::AlertSetting::enabled;
    return result;
}

std::optional<QStringList> NotificationAnswers::capabilities(const QDBusMessage &reply)
{
    const auto list = typed<QStringList>(reply);
    if (!list.isValid())
        return std::nullopt;
    return list.value();
}

Result<uint, QString> NotificationAnswers::notificationId(const QDBusMessage &reply)
{
    const auto id = typed<uint>(reply);
    if (!id.isValid())
        return Failure{id.error().message()};
    return id.value();
}

Result<uint, QString> NotificationAnswers::notificationId(const DirectBusConnection::Answer &answer)
{
    if (answer.error.isValid())
        return Failure{answer.error.message().isEmpty() ? answer.error.name() : answer.error.message()};
    // Like a typed reply: more arguments than asked for are let through.
    if (!answer.signature.startsWith(u'u') || answer.arguments.isEmpty())
        return Failure{QStringLiteral("Unexpected reply signature: got \"%1\", expected \"u\"").arg(answer.signature)};
    return answer.arguments.first().toUInt();
}
