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
    QTest::mouseClick(button(controls, QStringLiteral("Timer")), Qt::LeftButton);
    auto *stepper = controls.findChild<QSpinBox *>();
    ASSERT_TRUE(stepper && stepper->isVisible());
    EXPECT_EQ(stepper->minimum(), 1);
    EXPECT_EQ(stepper->maximum(), 240);
    stepper->setValue(40);
    EXPECT_EQ(controls.timerMinutes(), 40);
    QTest::mouseClick(button(controls, QStringLiteral("Pomodoro")), Qt::LeftButton);
    EXPECT_EQ(controls.timerMinutes(), 25);
    QTest::mouseClick(button(controls, QStringLiteral("Timer")), Qt::LeftButton);
    EXPECT_EQ(controls.timerMinutes(), 25);
    EXPECT_EQ(stepper->text(), QStringLiteral("25 min"));
}

TEST_F(TimerControls, EachFocusChoiceStartsItsKind)
{
    struct Case { const char *choice; BrimTimerKind kind; int minutes; };
    const Case cases[] = {
        {"Focus · 25 min", BrimTimerKind::focus, 25},
        {"Short break · 5 min", BrimTimerKind::shortBreak, 5},
        {"Long break · 15 min", BrimTimerKind::longBreak, 15},
    };
    for (const Case &c : cases) {
        model.cancelTimer();
        BrimTimerControls controls(model);
        controls.show();
        auto *duration = controls.findChild<QComboBox *>();
        const int index = duration->findText(QString::fromUtf8(c.choice));
        ASSERT_GE(index, 0) << c.choice;
        duration->setCurrentIndex(index);
        Q_EMIT duration->activated(index);
        QTest::mouseClick(button(controls, QStringLiteral("Start")), Qt::LeftButton);
        EXPECT_EQ(model.kind(), c.kind) << c.choice;
        EXPECT_EQ(model.countdown().remaining(), c.minutes * 60.0) << c.choice;
    }
}

TEST_F(TimerControls, RunningPausedAndCompletedViews)
{
    BrimTimerControls controls(model);
    controls.show();
    QTest::mouseClick(button(controls, QStringLiteral("Timer")), Qt::LeftButton);
    controls.findChild<QSpinBox *>()->setValue(90);
    QTest::mouseClick(button(controls, QStringLiteral("Start")), Qt::LeftButton);
    EXPECT_TRUE(visibleTexts(controls).contains(QStringLiteral("90:00")));
    EXPECT_TRUE(visibleTexts(controls).contains(QStringLiteral("Timer")));

    clock->advance(61.5);
    model.refresh(clock->now());
    EXPECT_TRUE(visibleTexts(controls).contains(QStringLiteral("88:59")));

    QTest::mouseClick(button(controls, QStringLiteral("Pause")), Qt::LeftButton);
    EXPECT_TRUE(visibleTexts(controls).contains(QStringLiteral("Timer · Paused")));
    QTest::mouseClick(button(controls, QStringLiteral("Resume")), Qt::LeftButton);
    EXPECT_FALSE(model.isPaused());

    clock->advance(90 * 60);
    model.refresh(clock->now());
    EXPECT_TRUE(visibleTexts(controls).contains(QStringLiteral("Timer finished")));
    QTest::mouseClick(button(controls, QStringLiteral("Restart timer")), Qt::LeftButton);
    EXPECT_EQ(model.countdown().remaining(), 90 * 60.0);
    QTest::mouseClick(button(controls, QStringLiteral("Cancel")), Qt::LeftButton);
    EXPECT_FALSE(model.isTiming());
    EXPECT_TRUE(button(controls, QStringLiteral("Start")));
}

TEST_F(TimerControls, CompletedFocusOffersTheShortBreak)
{
    BrimTimerControls controls(model);
    controls.show();
    model.startTimer(25, BrimTimerKind::focus);
    clock->advance(1500);
    model.refresh(clock->now());
    EXPECT_TRUE(visibleTexts(controls).contains(QStringLiteral("Focus finished")));
    ASSERT_TRUE(button(controls, QStringLiteral("Dismiss")));
    QTest::mouseClick(button(controls, QStringLiteral("Start short break")), Qt::LeftButton);
    EXPECT_EQ(model.kind(), BrimTimerKind::shortBreak);
    EXPECT_EQ(model.countdown().remaining(), 300.0);
}
