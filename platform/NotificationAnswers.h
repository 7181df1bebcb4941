#pragma once
// What the notification server and the bus answer, read strictly: only the
// documented types count, anything else is no answer. Pure, so the fuzz
// target reads them as the adapters do.

#include "core/Result.h"
#include "models/BrimTimerNotificationSettings.h"
#include "platform/DirectBusConnection.h"

#include <QDBusMessage>
#include <QStringList>
#include <optional>

namespace NotificationAnswers {
// The four answers of a settings read: NameHasOwner and ListActivatableNames
// from the bus, the server's Inhibited and dunst's paused properties.
BrimTimerNotificationSettings settings(const QDBusMessage &hasOwner, const QDBusMessage &activatable,
                                       const QDBusMessage &inhibited, const QDBusMessage &paused);
// GetCapabilities; nothing unless a list of strings.
std::optional<QStringList> capabilities(const QDBusMessage &reply);
// Notify's id of what the server shows, or why it was not shown.
Result<uint, QString> notificationId(const QDBusMessage &reply);
// The same from our own connection's answer, by the same rule.
Result<uint, QString> notificationId(const DirectBusConnection::Answer &answer);
} // namespace NotificationAnswers
