#include "shell/BrimkitStatusItem.h"
#include "tests/shell/ShellFixture.h"

using StatusItem = ShellFixture;

TEST_F(StatusItem, RedrawsOncePerSecondOfCountdownAndNoMore)
{
    BrimkitStatusItem item(model);
    const int before = item.redrawCount();
    model.startTimer(25, BrimTimerKind::focus);
    // Four clock steps a second for ten seconds: the title changes ten times.
    for (int step = 1; step <= 40; ++step)
        advance(model, 0.25);
    EXPECT_EQ(item.redrawCount() - before, 1 + 10);
    EXPECT_EQ(item.toolTip(), QStringLiteral("Ostrel Brimkit, Focus, 24:50"));
}
