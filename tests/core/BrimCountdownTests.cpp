#include "core/BrimCountdown.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

namespace {
const BrimDate t0 = BrimDate::fromSeconds(800'000'000);
}

TEST(BrimCountdown, RejectedStartsLeaveItCleared)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case { double seconds; BrimDate now; };
    const Case cases[] = {
        {0, t0}, {-1, t0}, {inf, t0}, {nan, t0}, {9223372036854775808.0, t0},
        {10, BrimDate::fromSeconds(inf)}, {10, BrimDate::fromSeconds(nan)},
        {1e308, BrimDate::fromSeconds(1e308)}, // the deadline overflows
    };
    for (const Case &c : cases) {
        BrimCountdown countdown;
        countdown.start(100, t0);
        countdown.start(c.seconds, c.now);
        EXPECT_TRUE(countdown.isCleared()) << c.seconds;
        EXPECT_FALSE(countdown.deadline().has_value());
        EXPECT_EQ(countdown.remaining(), 0);
    }
}

TEST(BrimCountdown, CountsDownRoundingUpAndFinishesOnce)
{
    BrimCountdown countdown;
    countdown.start(1500, t0);
    EXPECT_EQ(countdown.deadline(), t0 + 1500);
    EXPECT_EQ(countdown.remaining(), 1500);
    EXPECT_EQ(countdown.secondsLeft(t0 + 0.5), 1500);
    EXPECT_EQ(countdown.secondsLeft(t0 + 1440.8), 60); // 59.2 s left shows as 60
    EXPECT_EQ(countdown.secondsLeft(t0 + 1499.5), 1);
    EXPECT_FALSE(countdown.finishIfDue(t0 + 1499.5));
    EXPECT_EQ(countdown.secondsLeft(t0 + 1500), 0);
    EXPECT_TRUE(countdown.finishIfDue(t0 + 1500));
    EXPECT_FALSE(countdown.finishIfDue(t0 + 1500));
    EXPECT_TRUE(countdown.isCleared());
}

TEST(BrimCountdown, BackwardClockJumpNeverLengthensTheRun)
{
    BrimCountdown countdown;
    countdown.start(1500, t0);
    EXPECT_EQ(countdown.secondsLeft(t0 - 3600), 1500);
    EXPECT_EQ(countdown.secondsLeft(t0 + 100 - 3600), 1500);
    countdown.pause(t0 - 3600);
    EXPECT_EQ(countdown.remaining(), 1500);
}

TEST(BrimCountdown, PauseAndResumeKeepTheTimeLeft)
{
    BrimCountdown countdown;
    countdown.start(1500, t0);
    countdown.pause(t0 + 600);
    EXPECT_TRUE(countdown.isPaused());
    EXPECT_EQ(countdown.remaining(), 900);
    EXPECT_FALSE(countdown.finishIfDue(t0 + 99999)); // paused never finishes
    countdown.pause(t0 + 700); // already paused: no change
    EXPECT_EQ(countdown.remaining(), 900);
    const BrimDate later = t0 + 5000;
    countdown.resume(later);
    EXPECT_EQ(countdown.deadline(), later + 900);
    EXPECT_EQ(countdown.remaining(), 900);
}

TEST(BrimCountdown, PauseAndResumeOutsideTheirStatesChangeNothing)
{
    BrimCountdown countdown;
    countdown.resume(t0); // cleared
    EXPECT_TRUE(countdown.isCleared());
    countdown.start(60, t0);
    countdown.resume(t0 + 30); // running
    EXPECT_EQ(countdown.deadline(), t0 + 60);
    const BrimCountdown before = countdown;
    countdown.pause(t0 + 61); // past the deadline: left to finish
    EXPECT_EQ(countdown, before);
    EXPECT_TRUE(countdown.finishIfDue(t0 + 61));
}
