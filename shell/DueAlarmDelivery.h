#pragma once
// What the desktop's alarm timer starts while the app is closed: each due
// alarm not yet fired gets the notification the app would have shown, and is
// recorded fired so the next start does not report it missed. A running app
// delivers its own alarms, so then nothing happens.

#include <QDBusConnection>
#include <QString>

namespace DueAlarmDelivery {
inline const QString option = QStringLiteral("--deliver-due-alarms");

// Runs the delivery on the calling thread (there is no window to keep
// responsive) and gives the process's exit code: 0 when nothing failed.
int run(QDBusConnection bus);
} // namespace DueAlarmDelivery
