#include "models/BrimkitModel.h"
#include "tests/support/ModelFakes.h"

#include <gtest/gtest.h>

namespace {

const BrimDate t0 = BrimDate::fromSeconds(870'000'000);

struct Presentation : ::testing::Test {
    std::shared_ptr<FixedBrimClock> clock = std::make_shared<FixedBrimClock>(t0);
    std::shared_ptr<MemoryAlarmStore> store = std::make_shared<MemoryAlarmStore>();
    std::unique_ptr<BrimkitModel> model;

    void SetUp() override { remake(); }
    void remake()
    {
        model = std::make_unique<BrimkitModel>(
            true, false,
            BrimkitModel::Environment{clock, std::make_shared<MemoryUserDefaults>(),
                                      std::make_shared<FakePowerAssertions>(), std::make_shared<CountingBeep>(),
                                      nullptr, {}, nullptr, store});
    }
    void at(double secondsAfterStart)
    {
        clock->set(t0 + secondsAfterStart);
        model->refresh(clock->now());
    }
    void addAlarm(const QString &title, double secondsAhead)
    {
        model->alarms().add(title, clock->now() + secondsAhead, clock->now());
        ASSERT_FALSE(model->alarms().message()) << model->alarms().message()->toStdString();
    }
};

} // namespace

TEST(BrimTimePresentationText, ClockHasNoHourField)
{
    const std::pair<std::int64_t, const char *> rows[] = {
        {0, "00:00"}, {1, "00:01"}, {59, "00:59"}, {60, "01:00"}, {754, "12:34"}, {5400, "90:00"}, {14400, "240:00"}};
    for (const auto &[seconds, text] : rows)
        EXPECT_EQ(BrimTimePresentation::clockText(seconds), QLatin1String(text)) << seconds;
}

TEST_F(Presentation, IdleShowsOnlyTheSymbol)
{
    EXPECT_FALSE(model->timePresentation());
    EXPECT_EQ(model->menuTitle(), QString());
    EXPECT_EQ(model->statusSymbol(), QStringLiteral("wrench.and.screwdriver"));
    EXPECT_EQ(model->accessibilityLabel(), QStringLiteral("Ostrel Brimkit"));
    model->startAwake(30);
    EXPECT_EQ(model->menuTitle(), QStringLiteral("Awake"));
    EXPECT_EQ(model->accessibilityLabel(), QStringLiteral("Ostrel Brimkit, Brimkit, Awake"));
}

TEST_F(Presentation, CountdownRoundsUpThenReadsDone)
{
    model->startTimer(1, BrimTimerKind::timer);
    at(0.8);
    EXPECT_EQ(model->menuTitle(), QStringLiteral("01:00")); // 59.2 s left
    at(59.6);
    EXPECT_EQ(model->menuTitle(), QStringLiteral("00:01")); // 0.4 s left
    at(60);
    EXPECT_EQ(model->menuTitle(), QStringLiteral("Done"));
    EXPECT_EQ(model->statusSymbol(), QStringLiteral("checkmark.circle.fill"));
    const auto presentation = model->timePresentation();
    ASSERT_TRUE(presentation && presentation->timerComplete());
    EXPECT_TRUE(presentation->isComplete());
    EXPECT_FALSE(presentation->value());
    EXPECT_EQ(presentation->detail(), QStringLiteral("Your timer has ended."));
    EXPECT_EQ(presentation->primaryTitle(), QStringLiteral("Restart timer"));
    EXPECT_EQ(presentation->secondaryTitle(), QStringLiteral("Dismiss"));
    EXPECT_EQ(model->accessibilityLabel(), QStringLiteral("Ostrel Brimkit, Timer finished, Done"));
}

TEST_F(Presentation, RunningAndPausedFocus)
{
    model->startTimer(25, BrimTimerKind::focus);
    at(60);
    EXPECT_EQ(model->menuTitle(), QStringLiteral("24:00"));
    EXPECT_EQ(model->statusSymbol(), QStringLiteral("leaf.fill"));
    EXPECT_EQ(model->accessibilityLabel(), QStringLiteral("Ostrel Brimkit, Focus, 24:00"));
    auto presentation = model->timePresentation();
    ASSERT_TRUE(presentation && presentation->countdown());
    EXPECT_EQ(presentation->countdown()->id, model->timerID());
    EXPECT_EQ(presentation->detail(),
              QStringLiteral("Ends at ") + BrimTimePresentation::timeText(t0 + 1500));
    EXPECT_EQ(presentation->primaryTitle(), QStringLiteral("Pause"));

    clock->set(t0 + 1500 - 754);
    model->pauseOrResume();
    EXPECT_EQ(model->menuTitle(), QStringLiteral("\u2161 12:34"));
    presentation = model->timePresentation();
    EXPECT_EQ(presentation->detail(), QStringLiteral("Paused"));
    EXPECT_EQ(presentation->primaryTitle(), QStringLiteral("Resume"));
    EXPECT_EQ(presentation->secondaryTitle(), QStringLiteral("Cancel"));
}

TEST_F(Presentation, CompletedFocusOffersABreak)
{
    model->startTimer(25, BrimTimerKind::focus);
    at(1500);
    const auto presentation = model->timePresentation();
    EXPECT_EQ(presentation->detail(), QStringLiteral("Time for a break."));
    EXPECT_EQ(presentation->primaryTitle(), QStringLiteral("Start short break"));
}

TEST_F(Presentation, FiredAlarmOutranksTheCountdownButTheTitleStillCounts)
{
    addAlarm(QStringLiteral("Call back"), 30);
    model->startTimer(10, BrimTimerKind::timer);
    EXPECT_EQ(model->menuTitle(), QStringLiteral("10:00")); // a countdown outranks an upcoming alarm
    at(30);
    const auto presentation = model->timePresentation();
    ASSERT_TRUE(presentation && presentation->alarm());
    EXPECT_TRUE(presentation->isComplete());
    EXPECT_FALSE(presentation->value());
    EXPECT_FALSE(presentation->primaryTitle());
    EXPECT_EQ(presentation->secondaryTitle(), QStringLiteral("Dismiss"));
    EXPECT_TRUE(presentation->detail().startsWith(QStringLiteral("Was scheduled for ")));
    EXPECT_EQ(model->menuTitle(), QStringLiteral("! 09:30"));
    EXPECT_EQ(model->statusSymbol(), QStringLiteral("alarm.fill"));
    model->cancelTimer();
    EXPECT_EQ(model->menuTitle(), QStringLiteral("Alarm"));
    EXPECT_EQ(model->accessibilityLabel(), QStringLiteral("Ostrel Brimkit, Call back, Alarm"));
}

TEST_F(Presentation, UpcomingAlarmBeatsKeepAwake)
{
    model->startAwake(60);
    addAlarm(QStringLiteral("Tea"), 600);
    const auto presentation = model->timePresentation();
    ASSERT_TRUE(presentation && presentation->alarm());
    EXPECT_EQ(presentation->value(), BrimTimePresentation::timeText(t0 + 600));
    EXPECT_EQ(presentation->secondaryTitle(), QStringLiteral("Cancel"));
    EXPECT_FALSE(presentation->primaryTitle());
    EXPECT_TRUE(presentation->detail().startsWith(QStringLiteral("Scheduled for ")));
    EXPECT_EQ(model->menuTitle(), BrimTimePresentation::timeText(t0 + 600));
}
