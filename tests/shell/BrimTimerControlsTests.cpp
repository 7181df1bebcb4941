#include "shell/BrimTimerControls.h"
#include "tests/shell/ShellFixture.h"

#include <QComboBox>
#include <QSpinBox>
#include <QTest>

using TimerControls = ShellFixture;

TEST_F(TimerControls, PomodoroSetsTwentyFiveAndTimerKeepsIt)
{
    BrimTimerControls controls(model);
    controls.show();
    click(controls, "Timer");
    auto *stepper = controls.findChild<QSpinBox *>();
    ASSERT_TRUE(stepper && stepper->isVisible());
    EXPECT_EQ(std::pair(stepper->minimum(), stepper->maximum()), std::pair(1, 240));
    stepper->setValue(40);
    click(controls, "Pomodoro");
    EXPECT_EQ(controls.timerMinutes(), 25);
    click(controls, "Timer");
    EXPECT_EQ(stepper->text(), QStringLiteral("25 min"));
    // Space presses buttons elsewhere; here it must not blank the number.
    stepper->selectAll();
    QTest::keyClick(stepper, Qt::Key_Space);
    EXPECT_EQ(stepper->text(), QStringLiteral("25 min"));
}

TEST_F(TimerControls, EachSessionChoiceStartsItsKindAtItsLength)
{
    const struct { const char *choice; BrimTimerKind kind; } rows[] = {
        {"Focus · 25 min", BrimTimerKind::focus}, {"Short break · 5 min", BrimTimerKind::shortBreak},
        {"Long break · 15 min", BrimTimerKind::longBreak},
    };
    BrimTimerControls controls(model);
    controls.show();
    auto *duration = controls.findChild<QComboBox *>();
    for (const auto &row : rows) {
        const int index = duration->findText(QString::fromUtf8(row.choice));
        ASSERT_GE(index, 0) << row.choice;
        duration->setCurrentIndex(index);
        Q_EMIT duration->activated(index);
        click(controls, "Start");
        EXPECT_EQ(model.kind(), row.kind) << row.choice;
        EXPECT_EQ(model.countdown().remaining(), row.kind.minutes() * 60.0) << row.choice;
        click(controls, "Cancel");
    }
}

TEST_F(TimerControls, RunningPausedAndCompletedViews)
{
    BrimTimerControls controls(model);
    controls.show();
    click(controls, "Timer");
    controls.findChild<QSpinBox *>()->setValue(90);
    click(controls, "Start");
    EXPECT_TRUE(shows(controls, QStringLiteral("90:00")) && shows(controls, QStringLiteral("Timer")));
    advance(model, 61.5);
    EXPECT_TRUE(shows(controls, QStringLiteral("88:59")));
    // Cancel, then Pause, as the capsule has them.
    EXPECT_LT(button(controls, "Cancel")->x(), button(controls, "Pause")->x());
    click(controls, "Pause");
    EXPECT_TRUE(shows(controls, QStringLiteral("Timer · Paused")));
    click(controls, "Resume");
    advance(model, 90 * 60);
    EXPECT_TRUE(shows(controls, QStringLiteral("Timer finished")));
    click(controls, "Restart timer");
    EXPECT_EQ(model.countdown().remaining(), 90 * 60.0);
    click(controls, "Cancel");
    EXPECT_TRUE(!model.isTiming() && button(controls, "Start"));
}
