#include "shell/SystemEnvironment.h"

#include "platform/AppPaths.h"
#include "platform/JsonFileUserDefaults.h"

#include <QApplication>

namespace {
// Placeholders until the desktop adapters land.
class RefusingPowerAssertions final : public BrimPowerAssertions {
public:
    BrimPowerAssertion preventIdleSleep(const QString &) override { return {1, 0}; }
    void release(std::uint32_t) override {}
};
class QtBeep final : public BrimSystemBeep {
public:
    void beep() override { QApplication::beep(); }
};
} // namespace

BrimkitModel::Environment makeSystemEnvironment()
{
    BrimkitModel::Environment env;
    env.clock = std::make_shared<SystemBrimClock>();
    env.defaults = std::make_shared<JsonFileUserDefaults>(AppPaths::defaultsFile());
    env.power = std::make_shared<RefusingPowerAssertions>();
    env.beep = std::make_shared<QtBeep>();
    return env;
}
