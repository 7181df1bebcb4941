#include "shell/SystemEnvironment.h"

#include "platform/AppPaths.h"
#include "platform/CanberraSystemBeep.h"
#include "platform/InhibitPowerAssertions.h"
#include "platform/JsonFileUserDefaults.h"
#include "platform/LinuxSystemEvents.h"

#include <QDBusConnection>

BrimkitModel::Environment makeSystemEnvironment()
{
    BrimkitModel::Environment env;
    env.clock = std::make_shared<SystemBrimClock>();
    env.defaults = std::make_shared<JsonFileUserDefaults>(AppPaths::defaultsFile());
    env.power = std::make_shared<InhibitPowerAssertions>(QDBusConnection::sessionBus(), QDBusConnection::systemBus());
    env.beep = std::make_shared<CanberraSystemBeep>();
    env.systemEvents = std::make_shared<LinuxSystemEvents>(QDBusConnection::systemBus());
    return env;
}
