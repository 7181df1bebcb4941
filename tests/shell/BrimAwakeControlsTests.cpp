#include "shell/BrimAwakeControls.h"
#include "tests/shell/ShellFixture.h"

#include <QComboBox>
#include <QTest>

using AwakeControls = ShellFixture;

TEST_F(AwakeControls, StartsForTheChosenDurationAndStops)
{
    BrimAwakeControls controls(model);
    controls.show();
    auto *duration = controls.findChild<QComboBox *>();
    QStringList choices;
    for (int i = 0; i < duration->count(); ++i)
        choices << duration->itemText(i);
    EXPECT_EQ(choices, (QStringList{QStringLiteral("15 min"), QStringLiteral("30 min"), QStringLiteral("60 min"),
                                    QStringLiteral("120 min")}));
    EXPECT_EQ(controls.awakeMinutes(), 60);
    duration->setCurrentIndex(0);
    QTest::mouseClick(button(controls, QStringLiteral("Start")), Qt::LeftButton);
    EXPECT_EQ(model.awakeUntil(), clock->now() + 15 * 60);
    EXPECT_EQ(power->held.size(), 1u);
    bool shown = false;
    for (const QString &text : visibleTexts(controls))
        shown |= text.startsWith(QStringLiteral("Awake until "));
    EXPECT_TRUE(shown);
    QTest::mouseClick(button(controls, QStringLiteral("Stop keeping awake")), Qt::LeftButton);
    EXPECT_TRUE(power->held.empty());
    EXPECT_TRUE(button(controls, QStringLiteral("Start")));
}
