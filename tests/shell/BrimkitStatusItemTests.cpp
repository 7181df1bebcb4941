#include "shell/BrimkitStatusItem.h"
#include "tests/shell/ShellFixture.h"

using StatusItem = ShellFixture;

// A 25-minute focus session stepped four times a second: the icon follows the
// minutes (rounded up, as the title) and redraws once a minute, then once a
// second in the last minute; the tooltip follows every second.
TEST_F(StatusItem, RedrawsWhenTheMinuteChangesAndTheTooltipEverySecond)
{
    BrimkitStatusItem item(model);
    model.startTimer(25, BrimTimerKind::focus);
    const BrimDate start = clock->now();
    const auto at = [&](double seconds) {
        clock->set(start + seconds);
        model.refresh(clock->now());
        return BrimkitStatusGlyph::forModel(model);
    };
    const std::tuple<double, int, int, int> rows[] = {
        // seconds in, minutes shown, ring filled, of
        {0, 25, 25, 25}, {0.5, 25, 25, 25}, {60, 24, 24, 25}, {1439.5, 2, 2, 25}, {1440, 0, 60, 60}, {1499.2, 0, 1, 60}};
    for (const auto &[seconds, minutes, filled, steps] : rows) {
        const BrimkitStatusGlyph glyph = at(seconds);
        EXPECT_EQ(std::tuple(glyph.minutes, glyph.ringFilled, glyph.ringSteps), std::tuple(minutes, filled, steps)) << seconds;
    }

    const int before = item.redrawCount();
    for (int step = 0; step <= 4 * 1500; ++step) {
        at(step * 0.25);
        EXPECT_TRUE(step != 4 * 600 + 1 || item.toolTip() == QStringLiteral("Ostrel Brimkit, Focus, 15:00"));
    }
    // Back to 25, then 24 … 2 in whole minutes, 60 … 1 seconds, done.
    EXPECT_EQ(item.redrawCount() - before, 1 + 23 + 60 + 1);
    EXPECT_EQ(item.toolTip(), QStringLiteral("Ostrel Brimkit, Focus finished, Done"));
}

// With two alarms fired, dismissing the first must not leave its name behind.
TEST_F(StatusItem, TooltipNamesTheAlarmStillShown)
{
    BrimkitStatusItem item(model);
    model.alarms().add(QStringLiteral("Tea"), clock->now() + 60, clock->now());
    model.alarms().add(QStringLiteral("Call"), clock->now() + 120, clock->now());
    clock->set(clock->now() + 180);
    model.refresh(clock->now());
    ASSERT_EQ(item.toolTip(), QStringLiteral("Ostrel Brimkit, Tea, Alarm"));
    EXPECT_EQ(BrimkitStatusGlyph::forModel(model), BrimkitStatusGlyph::alarmFired());
    const int redraws = item.redrawCount();
    model.alarms().remove(model.alarms().book().completed().first().id);
    EXPECT_EQ(item.toolTip(), QStringLiteral("Ostrel Brimkit, Call, Alarm"));
    EXPECT_EQ(item.redrawCount(), redraws);
}
