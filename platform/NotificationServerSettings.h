#pragma once
// What the session bus says about its notification server: whether one runs
// or can be started (no permission prompt exists on this platform), and
// whether it holds banners back (do-not-disturb as KDE and dunst expose it).

#include "models/BrimTimerNotificationCenter.h"

#include <QDBusConnection>

namespace NotificationServerSettings {
// Every call ends by the timeout at the latest; the server is never started
// just to be asked.
QCoro::Task<BrimTimerNotificationSettings> read(QDBusConnection bus, int timeoutMs);
} // namespace NotificationServerSettings
