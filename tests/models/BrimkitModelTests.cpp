#include "models/BrimkitModel.h"
#include "tests/support/ModelFakes.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <vector>

namespace {

const BrimDate t0 = BrimDate::fromSeconds(820'000'000);

struct ModelFixture : ::testing::Test {
    std::shared_ptr<FixedBrimClock> clock = std::make_shared<FixedBrimClock>(t0);
    std::shared_ptr<MemoryUserDefaults> defaults = std::make_shared<MemoryUserDefaults>();
    std::shared_ptr<FakePowerAssertions> power = std::make_shared<FakePowerAssertions>();
    std::shared_ptr<CountingBeep> beep = std::make_shared<CountingBeep>();
    std::shared_ptr<ManualSystemEvents> events = std::make_shared<ManualSystemEvents>();
    std::shared_ptr<BrimTimerNotificationCenter> notifications;
    std::vector<QString> tracked;

    std::unique_ptr<BrimkitModel> make(bool ticking = false)
    {
        BrimkitModel::Environment env{clock, defaults, power, beep, events,
                                      [this](OstrelEvent e) { tracked.push_back(e.rawValue()); }, notifications,
                                      std::make_shared<MemoryAlarmStore>()};
        return std::make_unique<BrimkitModel>(true, ticking, std::move(env));
    }
    void advance(BrimkitModel &model, double seconds)
    {
        clock->advance(seconds);
        model.refresh(clock->now());
    }
};

} // namespace

TEST_F(ModelFixture, FocusThenShortBreakThenFocus)
{
    auto model = make();
    model->startTimer(25, BrimTimerKind::focus);
    EXPECT_EQ(model->countdown().deadline(), t0 + 1500);
    advance(*model, 1499);
    EXPECT_FALSE(model->completion());
    advance(*model, 1);
    ASSERT_EQ(model->completion(), BrimTimerKind::focus);
    EXPECT_FALSE(model->isTiming());
    EXPECT_EQ(model->nextSessionTitle(), QStringLiteral("Start short break"));
    EXPECT_EQ(beep->count, 1);

    model->startNextSession();
    EXPECT_EQ(model->kind(), BrimTimerKind::shortBreak);
    EXPECT_EQ(model->countdown().remaining(), 300);
    EXPECT_FALSE(model->completion());
    advance(*model, 300);
    EXPECT_EQ(model->nextSessionTitle(), QStringLiteral("Start focus"));
    model->startNextSession();
    EXPECT_EQ(model->kind(), BrimTimerKind::focus);
    EXPECT_EQ(model->countdown().remaining(), 1500);

    EXPECT_EQ(tracked, (std::vector<QString>{
        QStringLiteral("brim.pomodorostarted"), QStringLiteral("brim.pomodorocompleted"),
        QStringLiteral("brim.pomodorostarted"), QStringLiteral("brim.pomodorocompleted"),
        QStringLiteral("brim.pomodorostarted")}));
}

TEST_F(ModelFixture, PlainTimerRestartsWithItsLastMinutes)
{
    auto model = make();
    model->startTimer(7, BrimTimerKind::timer);
    advance(*model, 7 * 60);
    EXPECT_EQ(model->nextSessionTitle(), QStringLiteral("Restart timer"));
    model->startNextSession();
    EXPECT_EQ(model->kind(), BrimTimerKind::timer);
    EXPECT_EQ(model->countdown().remaining(), 420);
    EXPECT_EQ(tracked.back(), QStringLiteral("brim.timerstarted"));
}

TEST_F(ModelFixture, OutOfRangeMinutesAreIgnored)
{
    auto model = make();
    for (int minutes : {0, -5, 241}) {
        model->startTimer(minutes, BrimTimerKind::timer);
        model->startAwake(minutes);
    }
    EXPECT_FALSE(model->isTiming());
    EXPECT_FALSE(model->awakeUntil());
    EXPECT_TRUE(tracked.empty());
    EXPECT_TRUE(power->held.empty());
    model->startTimer(240, BrimTimerKind::timer);
    EXPECT_EQ(model->countdown().remaining(), 240 * 60);
    model->startTimer(1, BrimTimerKind::timer);
    EXPECT_EQ(model->countdown().remaining(), 60);
    EXPECT_EQ(tracked, (std::vector<QString>{QStringLiteral("brim.timerstarted"),
                                             QStringLiteral("brim.timercancelled"),
                                             QStringLiteral("brim.timerstarted")}));
}

TEST_F(ModelFixture, PauseOrResumeAfterTheDeadlineCompletesInstead)
{
    auto model = make();
    model->startTimer(1, BrimTimerKind::timer);
    clock->advance(61);
    model->pauseOrResume();
    EXPECT_FALSE(model->isPaused());
    EXPECT_EQ(model->completion(), BrimTimerKind::timer);
}

TEST_F(ModelFixture, PausedCountdownIsBusyAndResumesWithItsTimeLeft)
{
    auto model = make();
    model->startTimer(10, BrimTimerKind::timer);
    clock->advance(100);
    model->pauseOrResume();
    EXPECT_TRUE(model->isPaused());
    EXPECT_TRUE(model->isBusy());
    clock->advance(1000);
    model->pauseOrResume();
    EXPECT_EQ(model->countdown().deadline(), clock->now() + 500);
    model->cancelTimer();
    EXPECT_FALSE(model->isBusy());
    EXPECT_EQ(tracked.back(), QStringLiteral("brim.timercancelled"));
}

TEST_F(ModelFixture, CompletionBannerAloneIsNotBusy)
{
    auto model = make();
    model->startTimer(1, BrimTimerKind::timer);
    advance(*model, 60);
    EXPECT_TRUE(model->completion());
    EXPECT_FALSE(model->isBusy());
    model->dismissCompletion();
    EXPECT_FALSE(model->completion());
}

TEST_F(ModelFixture, SoundOffMeansNoBeep)
{
    auto model = make();
    model->setSoundEnabled(false);
    model->startTimer(1, BrimTimerKind::timer);
    advance(*model, 60);
    EXPECT_EQ(beep->count, 0);
}

TEST_F(ModelFixture, KeepAwakeExpiresAtTheFirstStepAtOrAfterItsEnd)
{
    auto model = make();
    model->startAwake(1);
    EXPECT_EQ(power->lastReason, QStringLiteral("Ostrel Brimkit keep awake"));
    EXPECT_EQ(power->held.size(), 1u);
    EXPECT_EQ(model->awakeUntil(), t0 + 60);
    EXPECT_TRUE(model->isBusy());
    advance(*model, 59.9);
    EXPECT_EQ(power->held.size(), 1u);
    advance(*model, 0.1);
    EXPECT_TRUE(power->held.empty());
    EXPECT_FALSE(model->awakeUntil());
}

TEST_F(ModelFixture, KeepAwakeRestartReleasesTheOldAssertionFirst)
{
    auto model = make();
    model->startAwake(15);
    model->startAwake(30);
    EXPECT_EQ(power->held, (std::set<std::uint32_t>{2}));
    model->stopAwake();
    EXPECT_TRUE(power->held.empty());
}

TEST_F(ModelFixture, RefusedAssertionShowsTheStatus)
{
    auto model = make();
    power->failWith = -536870199;
    model->startAwake(30);
    EXPECT_FALSE(model->awakeUntil());
    EXPECT_EQ(model->message(), QStringLiteral("Keep awake could not start (system error -536870199)."));
}

TEST_F(ModelFixture, ShutdownReleasesEverything)
{
    auto model = make(true);
    EXPECT_TRUE(model->isTicking());
    EXPECT_TRUE(events->handler);
    model->startAwake(30);
    model->startTimer(5, BrimTimerKind::focus);
    model->shutdown();
    EXPECT_FALSE(model->isTicking());
    EXPECT_FALSE(events->handler);
    EXPECT_TRUE(power->held.empty());
    EXPECT_FALSE(model->isTiming());
    EXPECT_EQ(tracked.back(), QStringLiteral("brim.timercancelled"));
}

TEST_F(ModelFixture, NonTickingModelNeverMovesByItselfOrObserves)
{
    auto model = make(false);
    EXPECT_FALSE(model->isTicking());
    EXPECT_FALSE(events->handler);
    clock->advance(10);
    QCoreApplication::processEvents();
    EXPECT_EQ(model->now(), t0);
}

TEST_F(ModelFixture, WakeCompletesADeadlineThatPassedDuringSleep)
{
    auto model = make(true);
    model->startTimer(25, BrimTimerKind::focus);
    clock->advance(3 * 3600);
    events->send(BrimSystemEvent::woke);
    EXPECT_EQ(model->completion(), BrimTimerKind::focus);
    EXPECT_EQ(model->now(), clock->now());
}

TEST_F(ModelFixture, SettingsReadTypedAndPersist)
{
    defaults->setString(QStringLiteral("brimkitTimerIsland"), QStringLiteral("false"));
    defaults->setInteger(QStringLiteral("brimkitTimerSound"), 0);
    defaults->setBool(QStringLiteral("brimkitTimerNotifications"), false);
    auto model = make();
    EXPECT_TRUE(model->islandEnabled());
    EXPECT_TRUE(model->soundEnabled());
    EXPECT_FALSE(model->notificationEnabled());
    // Reading never writes back.
    EXPECT_EQ(defaults->stringValue(QStringLiteral("brimkitTimerIsland")), QStringLiteral("false"));

    model->setIslandEnabled(false);
    model->setSoundEnabled(false);
    model->setNotificationEnabled(true);
    EXPECT_EQ(defaults->boolValue(QStringLiteral("brimkitTimerIsland")), false);
    EXPECT_EQ(defaults->boolValue(QStringLiteral("brimkitTimerSound")), false);
    EXPECT_EQ(defaults->boolValue(QStringLiteral("brimkitTimerNotifications")), true);
}
