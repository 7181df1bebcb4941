#include "shell/SystemEnvironment.h"

#include "platform/CanberraSystemBeep.h"
#include "platform/InhibitPowerAssertions.h"
#include "platform/LinuxSystemEvents.h"
#include "platform/SystemBrimTimerNotifications.h"
#include "services/OstrelSignals.h"

#include <QDBusConnection>

BrimkitModel::Environment makeSystemEnvironment(std::shared_ptr<UserDefaults> defaults)
{
    BrimkitModel::Environment env;
    env.clock = std::make_shared<SystemBrimClock>();
    env.defaults = std::move(defaults);
    env.power = std::make_shared<InhibitPowerAssertions>(QDBusConnection::sessionBus(), QDBusConnection::systemBus());
    // One sound player for the model and the notifications.
    env.beep = std::make_shared<CanberraSystemBeep>();
    env.systemEvents = std::make_shared<LinuxSystemEvents>(QDBusConnection::systemBus());
    env.notifications = std::make_shared<SystemBrimTimerNotifications>(QDBusConnection::sessionBus(), env.beep);
    env.track = [](OstrelEvent event) { OstrelSignals::shared().track(event); };
    return env;
}
