// The closed-app alarm timer against a fake systemd user manager: the unit
// files follow the alarms model's upcoming alarms and the manager hears of
// every change; without a manager nothing is written.
#include "platform/SystemdAlarmTimer.h"

#include "PrivateBus.h"

#include "tests/support/ModelFakes.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const BrimDate t0 = BrimDate::fromUnixSeconds(1'900'000'000); // 2030-03-17 17:46:40 UTC

// Lets a test wait until every run the model started has ended.
struct CountingTimer final : BrimAlarmTimer {
    explicit CountingTimer(std::shared_ptr<BrimAlarmTimer> timer) : inner(std::move(timer)) {}
    QCoro::Task<bool> schedule(QList<BrimDate> moments) override
    {
        ++started;
        const bool answer = co_await inner->schedule(std::move(moments));
        co_return ++ended, answer;
    }
    std::shared_ptr<BrimAlarmTimer> inner;
    int started = 0, ended = 0;
};

struct ClosedAppTimer : ::testing::Test {
    PrivateBus bus;
    QTemporaryDir home;
    const QString folder = home.filePath(QStringLiteral("systemd/user"));
    const QString program = QStringLiteral("/opt/50% $off/ostrel-brimkit");
    FixedBrimClock clock{t0};
    std::shared_ptr<MemoryAlarmStore> store = std::make_shared<MemoryAlarmStore>();

    std::unique_ptr<BrimAlarmsModel> start(std::shared_ptr<CountingTimer> timer)
    {
        auto model = std::make_unique<BrimAlarmsModel>(
            store, nullptr, true, true,
            BrimAlarmsModel::Environment{std::make_shared<FixedBrimClock>(clock), nullptr, {}, timer, false});
        settle(*timer);
        return model;
    }
    std::shared_ptr<CountingTimer> timerOnBus()
    {
        const SystemdAlarmTimer::Config config{folder, program, {QStringLiteral("XDG_DATA_HOME=/home/a \"b\"")}};
        return std::make_shared<CountingTimer>(std::make_shared<SystemdAlarmTimer>(bus.connect(), config));
    }
    static void settle(const CountingTimer &timer)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return timer.ended == timer.started; }, 10000));
    }
    QStringList unitLines(const QString &unit, const QString &prefix) const
    {
        QFile file(folder + QLatin1Char('/') + unit);
        if (!file.open(QIODevice::ReadOnly))
            return {QStringLiteral("(no file)")};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')).filter(QRegularExpression(u'^' + prefix));
    }
};

QStringList at(std::initializer_list<const char *> times)
{
    QStringList lines;
    for (const char *time : times)
        lines << QStringLiteral("OnCalendar=2030-03-17 %1 UTC").arg(QLatin1String(time));
    return lines;
}

} // namespace

TEST_F(ClosedAppTimer, UnitFilesFollowTheUpcomingAlarmsAndTheManagerIsTold)
{
    FakeDBusService manager(bus, QStringLiteral("org.freedesktop.systemd1"), QStringLiteral("/org/freedesktop/systemd1"),
                            [](const QDBusMessage &call) { return std::optional(call.createReply()); });
    const auto alarm = [](const char *title, double offset, std::optional<BrimDate> firedAt = std::nullopt) {
        return BrimAlarm{QUuid::createUuid(), QLatin1String(title), t0 + offset, QStringLiteral("UTC"), firedAt};
    };
    store->saved = {alarm("A", 600), alarm("B", 1200.5), alarm("Done", -60, t0 - 60)};
    auto timer = timerOnBus();
    auto model = start(timer);
    EXPECT_TRUE(model->deliversWhileClosed());
    EXPECT_TRUE(model->helpText().contains(QLatin1String("Your desktop can notify you with the app closed")));
    EXPECT_EQ(unitLines(SystemdAlarmTimer::serviceUnit(), QStringLiteral("E")),
              (QStringList{QStringLiteral(R"(Environment="XDG_DATA_HOME=/home/a \"b\"")"),
                           QStringLiteral(R"(ExecStart="/opt/50%% $off/ostrel-brimkit" --deliver-due-alarms)")}));

    const QUuid a = store->saved[0].id, b = store->saved[1].id;
    const struct { const char *step; std::function<void()> act; QStringList lines; const char *calls; } steps[] = {
        {"first start", [] {}, at({"17:56:40", "18:06:41"}), "EnableUnitFiles Reload StartUnit"},
        {"add", [&] { model->add(QStringLiteral("C"), t0 + 900, t0); }, at({"17:56:40", "18:01:40", "18:06:41"}),
         "EnableUnitFiles Reload StartUnit"},
        {"cancel", [&] { model->remove(a); }, at({"18:01:40", "18:06:41"}), "EnableUnitFiles Reload StartUnit"},
        {"fire", [&] { model->refresh(t0 + 1000, false); }, at({"18:06:41"}), "EnableUnitFiles Reload StartUnit"},
        {"restart, nothing changed", [&] { model = start(timer); }, at({"18:06:41"}), "EnableUnitFiles StartUnit"},
        {"switched off", [&] { model->setEnabled(false); model->synchronize(false); }, {"(no file)"},
         "StopUnit DisableUnitFiles Reload"},
        {"on, the last one cancelled", [&] { model->setEnabled(true); model->remove(b); }, {"(no file)"}, ""},
    };
    qsizetype seen = 0;
    for (const auto &step : steps) {
        SCOPED_TRACE(step.step);
        step.act();
        settle(*timer);
        EXPECT_EQ(unitLines(SystemdAlarmTimer::timerUnit(), QStringLiteral("OnCalendar=")), step.lines);
        const QStringList calls = manager.members();
        EXPECT_EQ(calls.mid(seen).join(QLatin1Char(' ')).toStdString(), step.calls);
        seen = calls.size();
    }
    EXPECT_FALSE(QFile::exists(folder + QLatin1Char('/') + SystemdAlarmTimer::serviceUnit()));
}

TEST_F(ClosedAppTimer, WithoutAManagerNothingIsWrittenAndAlarmsRingWhileRunning)
{
    store->saved = {BrimAlarm{QUuid::createUuid(), QStringLiteral("A"), t0 + 600, QStringLiteral("UTC"), {}}};
    auto timer = timerOnBus();
    auto model = start(timer);
    EXPECT_EQ(timer->started, 1);
    EXPECT_FALSE(model->deliversWhileClosed());
    EXPECT_TRUE(model->helpText().contains(QLatin1String("Brimkit notifies you only while it runs;")));
    EXPECT_FALSE(QFile::exists(home.filePath(QStringLiteral("systemd"))));
}
