#include "shell/BrimkitDelegate.h"
#include "tests/shell/PanelFixture.h"
#include "tests/support/ModelFakes.h"

#include <gtest/gtest.h>

namespace {
struct DelegateFixture : ::testing::Test, FakeModelEnvironment {
    std::unique_ptr<BrimkitDelegate> make()
    {
        return std::make_unique<BrimkitDelegate>(environment(), fakePanelEnvironment(clock));
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
    advance(model, 60);
    ASSERT_TRUE(model.completion());
    EXPECT_FALSE(busy());

    model.startAwake(15);
    delegate.reset();
    EXPECT_FALSE(busy());
}

TEST_F(DelegateFixture, TerminationShutsDownBeforeOrAfterLaunchFinished)
{
    for (const bool launched : {false, true}) {
        SCOPED_TRACE(launched ? "after launch" : "before launch");
        auto delegate = make();
        if (launched) {
            delegate->applicationDidFinishLaunching();
            delegate->showPanel();
        }
        delegate->model().startAwake(30);
        delegate->model().startTimer(10, BrimTimerKind::focus);
        EXPECT_EQ(power->held.size(), 1u);
        delegate->applicationWillTerminate();
        EXPECT_TRUE(power->held.empty());
        EXPECT_FALSE(delegate->model().isTiming());
        EXPECT_FALSE(delegate->model().isTicking());
        EXPECT_FALSE(events->handler);
    }
}
