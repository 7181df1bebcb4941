#include "tests/support/ModelFakes.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {
struct ModelFixture : ::testing::Test, FakeModelEnvironment {
    BrimDate t0 = clock->now();
};
} // namespace

TEST_F(ModelFixture, EachSessionOffersItsFollowerAtTheStandardLength)
{
    const struct { BrimTimerKind kind; int minutes; const char *nextTitle; BrimTimerKind next; double nextSeconds;
                   const char *events; } rows[] = {
        {BrimTimerKind::timer, 7, "Restart timer", BrimTimerKind::timer, 420, "timerstarted timercompleted timerstarted"},
        {BrimTimerKind::focus, 40, "Start short break", BrimTimerKind::shortBreak, 300, "pomodorostarted pomodorocompleted pomodorostarted"},
        {BrimTimerKind::shortBreak, 5, "Start focus", BrimTimerKind::focus, 1500, "pomodorostarted pomodorocompleted pomodorostarted"},
        {BrimTimerKind::longBreak, 15, "Start focus", BrimTimerKind::focus, 1500, "pomodorostarted pomodorocompleted pomodorostarted"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.kind.rawValue().toStdString());
        auto model = makeModel();
        tracked.clear();
        beep->count = 0;
        model->startTimer(row.minutes, row.kind);
        advance(*model, row.minutes * 60.0 - 0.5);
        EXPECT_FALSE(model->completion());
        advance(*model, 0.5);
        EXPECT_EQ(model->completion(), row.kind);
        EXPECT_FALSE(model->isTiming());
        EXPECT_EQ(beep->count, 1);
        EXPECT_EQ(model->nextSessionTitle(), QLatin1String(row.nextTitle));
        model->startNextSession();
        EXPECT_EQ(model->kind(), row.next);
        EXPECT_EQ(model->countdown().deadline(), clock->now() + row.nextSeconds);
        EXPECT_FALSE(model->completion());
        EXPECT_EQ(tracked.join(QLatin1Char(' ')).remove(QStringLiteral("brim.")), QLatin1String(row.events));
    }
}

TEST_F(ModelFixture, OutOfRangeMinutesAreIgnored)
{
    auto model = makeModel();
    for (int minutes : {0, -5, 241}) {
        model->startTimer(minutes, BrimTimerKind::timer);
        model->startAwake(minutes);
    }
    EXPECT_FALSE(model->isTiming() || model->awakeUntil() || !tracked.empty() || !power->held.empty());
    model->startTimer(240, BrimTimerKind::timer);
    EXPECT_EQ(model->countdown().remaining(), 240 * 60);
    model->startTimer(1, BrimTimerKind::timer);
    EXPECT_EQ(model->countdown().remaining(), 60);
    EXPECT_EQ(tracked.join(QLatin1Char(' ')), QStringLiteral("brim.timerstarted brim.timercancelled brim.timerstarted"));
}

TEST_F(ModelFixture, PauseKeepsTheTimeLeftUnlessTheDeadlineHasPassed)
{
    auto model = makeModel();
    model->startTimer(10, BrimTimerKind::timer);
    clock->advance(100);
    model->pauseOrResume();
    EXPECT_TRUE(model->isPaused() && model->isBusy());
    clock->advance(1000);
    model->pauseOrResume();
    EXPECT_EQ(model->countdown().deadline(), clock->now() + 500);
    clock->advance(501); // past the deadline, before the next tick: completes instead of pausing
    model->pauseOrResume();
    EXPECT_FALSE(model->isPaused());
    EXPECT_EQ(model->completion(), BrimTimerKind::timer);
    model->cancelTimer();
    EXPECT_FALSE(model->completion() || model->isBusy());
}

TEST_F(ModelFixture, KeepAwakeHoldsUntilTheFirstStepAtOrAfterItsEnd)
{
    auto model = makeModel();
    model->startAwake(15);
    model->startAwake(1); // a restart gives the old assertion back first
    EXPECT_EQ(power->held, (std::set<std::uint32_t>{2}));
    EXPECT_EQ(power->lastReason, QStringLiteral("Ostrel Brimkit keep awake"));
    EXPECT_EQ(model->awakeUntil(), t0 + 60);
    advance(*model, 59.9);
    EXPECT_EQ(power->held.size(), 1u);
    advance(*model, 0.1);
    EXPECT_FALSE(!power->held.empty() || model->awakeUntil());

    power->failWith = 1;
    power->failReason = QStringLiteral("No desktop portal or logind answered.");
    model->startAwake(30);
    EXPECT_FALSE(model->awakeUntil());
    EXPECT_EQ(model->message(),
              QStringLiteral("Keep awake could not start (system error 1). No desktop portal or logind answered."));
}

TEST_F(ModelFixture, KeepAwakeIsOnOnlyOnceHeldAndALateAssertionNobodyWantsIsGivenBack)
{
    enum class Meanwhile { nothing, stop, restart, shutdown, destroy };
    const struct { Meanwhile meanwhile; std::size_t held; bool on; } rows[] = {
        {Meanwhile::nothing, 1, true},   {Meanwhile::stop, 0, false},    {Meanwhile::restart, 1, true},
        {Meanwhile::shutdown, 0, false}, {Meanwhile::destroy, 0, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(int(row.meanwhile));
        power->held.clear();
        power->gate = FakeNotificationCenter::gate();
        auto model = makeModel();
        model->startAwake(30);
        EXPECT_FALSE(model->awakeUntil() || model->isBusy());
        switch (row.meanwhile) {
        case Meanwhile::nothing: break;
        case Meanwhile::stop: model->stopAwake(); break;
        case Meanwhile::restart: model->startAwake(60); break;
        case Meanwhile::shutdown: model->shutdown(); break;
        case Meanwhile::destroy: model.reset(); break;
        }
        int changes = 0;
        if (model)
            QObject::connect(model.get(), &BrimkitModel::changed, [&] { ++changes; });
        FakeNotificationCenter::open(power->gate);
        EXPECT_EQ(power->held.size(), row.held);
        EXPECT_EQ(model && model->awakeUntil(), row.on);
        EXPECT_EQ(changes > 0, row.on);
    }
}

TEST_F(ModelFixture, ShutdownReleasesEverythingAndStopsTheClock)
{
    auto model = makeModel(true);
    ASSERT_TRUE(model->isTicking() && events->handler);
    model->startTimer(25, BrimTimerKind::focus);
    clock->advance(3 * 3600);
    events->send(BrimSystemEvent::woke); // a deadline passed in sleep completes at once
    EXPECT_EQ(model->completion(), BrimTimerKind::focus);
    EXPECT_EQ(model->now(), clock->now());

    model->startAwake(30);
    model->startTimer(5, BrimTimerKind::focus);
    model->shutdown();
    EXPECT_FALSE(model->isTicking() || events->handler || !power->held.empty() || model->isTiming());
    EXPECT_EQ(tracked.back(), QStringLiteral("brim.timercancelled"));
}

TEST_F(ModelFixture, TheClockStepsEachSecondOnlyWhileACountdownRunsElseAtTheNextDeadline)
{
    auto model = makeModel(true);
    EXPECT_FALSE(model->nextStep()); // nothing due: no wake-ups at all
    model->startAwake(30);
    EXPECT_EQ(model->nextStep(), t0 + 1800);
    model->alarms().add(QStringLiteral("Tea"), t0 + 600, t0);
    EXPECT_EQ(model->nextStep(), t0 + 600);
    model->startTimer(25, BrimTimerKind::focus);
    advance(*model, 0.4); // the shown seconds change when the time left passes a whole second
    EXPECT_EQ(model->nextStep(), t0 + 1);
    advance(*model, 0.6);
    EXPECT_EQ(model->nextStep(), t0 + 2);
    model->pauseOrResume();
    EXPECT_EQ(model->nextStep(), t0 + 600);
    model->stopAwake();
    model->alarms().remove(model->alarms().book().alarms().first().id);
    EXPECT_FALSE(model->nextStep());
}

TEST_F(ModelFixture, SettingsReadTypedAndPersistAndAModelThatDoesNotTickStandsStill)
{
    defaults->setString(QStringLiteral("brimkitTimerIsland"), QStringLiteral("false"));
    defaults->setInteger(QStringLiteral("brimkitTimerSound"), 0);
    defaults->setBool(QStringLiteral("brimkitTimerNotifications"), false);
    auto model = makeModel(false);
    EXPECT_TRUE(model->islandEnabled() && model->soundEnabled() && !model->notificationEnabled());
    // Reading never writes back.
    EXPECT_EQ(defaults->stringValue(QStringLiteral("brimkitTimerIsland")), QStringLiteral("false"));

    model->setIslandEnabled(false);
    model->setSoundEnabled(false);
    model->setNotificationEnabled(true);
    EXPECT_EQ(defaults->boolValue(QStringLiteral("brimkitTimerIsland")), false);
    EXPECT_EQ(defaults->boolValue(QStringLiteral("brimkitTimerSound")), false);
    EXPECT_EQ(defaults->boolValue(QStringLiteral("brimkitTimerNotifications")), true);
    model->startTimer(1, BrimTimerKind::timer);
    advance(*model, 60);
    EXPECT_EQ(beep->count, 0); // sound off

    EXPECT_FALSE(model->isTicking() || events->handler);
    clock->advance(10);
    QCoreApplication::processEvents();
    EXPECT_EQ(model->now(), clock->now() - 10);
}
