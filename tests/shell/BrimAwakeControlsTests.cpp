#include "shell/BrimAwakeControls.h"
#include "tests/shell/ShellFixture.h"

#include <QComboBox>

using AwakeControls = ShellFixture;

TEST_F(AwakeControls, StartsForTheChosenDurationAndStops)
{
    BrimAwakeControls controls(model);
    controls.show();
    EXPECT_EQ(controls.awakeMinutes(), 60);
    controls.findChild<QComboBox *>()->setCurrentIndex(0);
    click(controls, "Start");
    EXPECT_EQ(model.awakeUntil(), clock->now() + 15 * 60);
    EXPECT_TRUE(shows(controls, QStringLiteral("Awake until ") + BrimTimePresentation::timeText(*model.awakeUntil())));
    click(controls, "Stop keeping awake");
    EXPECT_TRUE(power->held.empty() && button(controls, "Start"));
}
