#include "shell/BrimkitDelegate.h"
#include "tests/shell/PanelFixture.h"
#include "tests/support/ModelFakes.h"

#include <gtest/gtest.h>

namespace {

struct DelegateFixture : ::testing::Test {
    std::shared_ptr<FixedBrimClock> clock = std::make_shared<FixedBrimClock>(BrimDate::fromSeconds(850'000'000));
    std::shared_ptr<FakePowerAssertions> power = std::make_shared<FakePowerAssertions>();
    std::shared_ptr<ManualSystemEvents> events = std::make_shared<ManualSystemEvents>();

    std::unique_ptr<BrimkitDelegate> make()
    {
        return std::make_unique<BrimkitDelegate>(BrimkitModel::Environment{
            clock, std::make_shared<MemoryUserDefaults>(), power, std::make_shared<CountingBeep>(), events, {}, nullptr,
            std::make_shared<MemoryAlarmStore>()},
            fakePanelEnvironment(clock));
    }
};

} // namespace

TEST_F(DelegateFixture, BusyWhileTimingPausedOrKeepingAwake)
{
    auto delegate = make();
    auto busy = delegate->busyPredicate();
    BrimkitModel &model = delegate->model();
    EXPECT_FALSE(busy());

    model.startTimer(5, BrimTimerKind::timer);
    EXPECT_TRUE(busy());
    model.pauseOrResume();
    ASSERT_TRUE(model.isPaused());
    EXPECT_TRUE(busy());

    model.cancelTimer();
    model.startAwake(15);
    EXPECT_TRUE(busy());
    model.stopAwake();

    // A finished session still on show is not work in progress.
    model.startTimer(1, BrimTimerKind::timer);
    clock->advance(60);
    model.refresh(clock->now());
    ASSERT_TRUE(model.completion());
    EXPECT_FALSE(busy());

    model.startAwake(15);
    delegate.reset();
    EXPECT_FALSE(busy());
}

TEST_F(DelegateFixture, TerminationBeforeLaunchFinishedStillShutsDown)
{
    auto delegate = make();
    delegate->model().startAwake(30);
    delegate->model().startTimer(10, BrimTimerKind::focus);
    delegate->applicationWillTerminate();
    EXPECT_TRUE(power->held.empty());
    EXPECT_FALSE(delegate->model().isTiming());
    EXPECT_FALSE(delegate->model().isTicking());
    EXPECT_FALSE(events->handler);
}

TEST_F(DelegateFixture, TerminationAfterLaunchReleasesKeepAwake)
{
    auto delegate = make();
    delegate->applicationDidFinishLaunching();
    delegate->showPanel();
    delegate->model().startAwake(30);
    EXPECT_EQ(power->held.size(), 1u);
    delegate->applicationWillTerminate();
    EXPECT_TRUE(power->held.empty());
}
