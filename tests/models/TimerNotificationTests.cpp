#include "models/BrimkitModel.h"
#include "tests/support/FakeNotificationCenter.h"
#include "tests/support/ModelFakes.h"

#include <gtest/gtest.h>

namespace {

using Status = FakeNotificationCenter::Status;
using Alert = FakeNotificationCenter::Alert;
const BrimDate t0 = BrimDate::fromSeconds(860'000'000);

struct TimerNotifications : ::testing::Test {
    std::shared_ptr<FixedBrimClock> clock = std::make_shared<FixedBrimClock>(t0);
    std::shared_ptr<FakeNotificationCenter> center = std::make_shared<FakeNotificationCenter>();
    std::shared_ptr<CountingBeep> beep = std::make_shared<CountingBeep>();
    std::shared_ptr<ManualSystemEvents> events = std::make_shared<ManualSystemEvents>();
    QStringList tracked;

    std::unique_ptr<BrimkitModel> make(bool ticking = false)
    {
        return std::make_unique<BrimkitModel>(
            true, ticking,
            BrimkitModel::Environment{clock, std::make_shared<MemoryUserDefaults>(),
                                      std::make_shared<FakePowerAssertions>(), beep, events,
                                      [this](OstrelEvent e) { tracked << e.rawValue(); }, center,
                                      std::make_shared<MemoryAlarmStore>()});
    }
};

} // namespace

TEST_F(TimerNotifications, StartSchedulesOneRequestForTheDeadline)
{
    auto model = make();
    model->startTimer(25, BrimTimerKind::focus);
    ASSERT_EQ(center->pending.size(), 1);
    const BrimNotificationRequest &request = center->pending.first();
    EXPECT_TRUE(request.identifier.startsWith(QStringLiteral("brimkit.timer.")));
    EXPECT_EQ(request.identifier, request.identifier.toUpper().replace(QStringLiteral("BRIMKIT.TIMER."),
                                                                        QStringLiteral("brimkit.timer.")));
    EXPECT_EQ(request.identifier.size(), 14 + 36);
    EXPECT_EQ(request.title, QStringLiteral("Ostrel Brimkit"));
    EXPECT_EQ(request.body, QStringLiteral("Focus finished"));
    EXPECT_TRUE(request.sound);
    EXPECT_EQ(request.trigger, BrimNotificationTrigger::afterInterval(1500));
    EXPECT_EQ(model->scheduledIdentifier(), request.identifier);
    EXPECT_FALSE(model->notificationNote());

    // The notification brings the sound: completion does not beep as well.
    clock->advance(1500);
    model->refresh(clock->now());
    EXPECT_EQ(beep->count, 0);
    model->dismissCompletion();
    EXPECT_EQ(center->removedDelivered, QStringList{request.identifier});
}

TEST_F(TimerNotifications, TwoQuickStartsLeaveOnlyTheSecondRequest)
{
    auto model = make();
    center->settingsGate = FakeNotificationCenter::gate();
    model->startTimer(10, BrimTimerKind::timer);
    model->startTimer(20, BrimTimerKind::timer);
    FakeNotificationCenter::open(center->settingsGate);
    ASSERT_EQ(center->pending.size(), 1);
    EXPECT_EQ(center->pending.first().identifier, model->scheduledIdentifier());
    EXPECT_EQ(center->pending.first().trigger.interval, 1200);
}

TEST_F(TimerNotifications, OvertakenWhileAddingTakesTheRequestBack)
{
    auto model = make();
    center->addGate = FakeNotificationCenter::gate();
    model->startTimer(10, BrimTimerKind::timer);
    model->pauseOrResume(); // pause
    FakeNotificationCenter::open(center->addGate);
    EXPECT_TRUE(center->pending.isEmpty());
}

TEST_F(TimerNotifications, PausingDuringThePromptSchedulesNothingAndAsksOnce)
{
    center->current.authorizationStatus = Status::notDetermined;
    center->authorizationGate = FakeNotificationCenter::gate();
    auto model = make();
    model->startTimer(10, BrimTimerKind::timer);
    model->pauseOrResume();
    EXPECT_TRUE(model->isPaused());
    FakeNotificationCenter::open(center->authorizationGate);
    EXPECT_TRUE(center->pending.isEmpty());
    EXPECT_EQ(center->authorizationRequests, 1);
    // Resuming later schedules without a second prompt.
    model->pauseOrResume();
    EXPECT_EQ(center->pending.size(), 1);
    EXPECT_EQ(center->authorizationRequests, 1);
}

TEST_F(TimerNotifications, ParallelCallersShareOnePrompt)
{
    center->current.authorizationStatus = Status::notDetermined;
    center->authorizationGate = FakeNotificationCenter::gate();
    auto model = make();
    model->startTimer(10, BrimTimerKind::timer);
    std::optional<BrimTimeNotificationAuthorization::Answer> other;
    // The closure must outlive the coroutine, which reads its captures after resuming.
    auto body = [&]() -> QCoro::Task<> {
        other = co_await model->authorization()->settings(true, [] { return true; });
    };
    auto task = body();
    FakeNotificationCenter::open(center->authorizationGate);
    EXPECT_EQ(center->authorizationRequests, 1);
    ASSERT_TRUE(other && other->ok() && other->value());
    EXPECT_EQ(other->value()->authorizationStatus, Status::authorized);
    EXPECT_EQ(center->pending.size(), 1);
}

TEST_F(TimerNotifications, FailedPromptCanBeAskedAgain)
{
    center->current.authorizationStatus = Status::notDetermined;
    center->authorizationError = QStringLiteral("no service");
    auto model = make();
    model->startTimer(10, BrimTimerKind::timer);
    EXPECT_EQ(model->notificationNote(), BrimkitModel::schedulingFailedNote);
    EXPECT_TRUE(tracked.contains(QStringLiteral("brim.notificationfailed")));
    center->authorizationError.reset();
    model->startTimer(10, BrimTimerKind::timer);
    EXPECT_EQ(center->authorizationRequests, 2);
    EXPECT_EQ(center->pending.size(), 1);
    EXPECT_FALSE(model->notificationNote());
}

TEST_F(TimerNotifications, NotesExplainWhyNothingWillShow)
{
    struct Case {
        const char *name;
        Status status;
        Alert alert;
        std::optional<QString> addError;
        std::optional<QString> note;
        int pending;
    };
    const Case cases[] = {
        {"denied", Status::denied, Alert::enabled, {}, BrimkitModel::notificationsOffNote, 0},
        {"banners off", Status::authorized, Alert::disabled, {}, BrimkitModel::bannersOffNote, 1},
        {"provisional", Status::provisional, Alert::enabled, {}, std::nullopt, 1},
        {"add fails", Status::authorized, Alert::enabled, QStringLiteral("refused"), BrimkitModel::schedulingFailedNote, 0},
    };
    for (const Case &c : cases) {
        center = std::make_shared<FakeNotificationCenter>();
        center->current = {c.status, c.alert};
        center->addError = c.addError;
        tracked.clear();
        auto model = make();
        model->startTimer(5, BrimTimerKind::timer);
        EXPECT_EQ(model->notificationNote(), c.note) << c.name;
        EXPECT_EQ(center->pending.size(), c.pending) << c.name;
        EXPECT_EQ(tracked.contains(QStringLiteral("brim.notificationdenied")), c.status == Status::denied) << c.name;
    }
}

TEST_F(TimerNotifications, AddFailureIsReportedOncePerSeries)
{
    center->addError = QStringLiteral("refused");
    auto model = make(true);
    model->startTimer(5, BrimTimerKind::timer);
    events->send(BrimSystemEvent::timeZoneChanged);
    events->send(BrimSystemEvent::clockChanged);
    EXPECT_EQ(tracked.count(QStringLiteral("brim.notificationfailed")), 1);
    model->startTimer(5, BrimTimerKind::timer); // a new series
    EXPECT_EQ(tracked.count(QStringLiteral("brim.notificationfailed")), 2);
    // Without sound from a notification, completion beeps.
    clock->advance(300);
    model->refresh(clock->now());
    EXPECT_EQ(beep->count, 1);
}

TEST_F(TimerNotifications, NeverAskedAndNoPermissionRequestMeansNoPrompt)
{
    center->current.authorizationStatus = Status::notDetermined;
    auto model = make(true);
    model->setNotificationEnabled(false);
    model->startTimer(5, BrimTimerKind::timer); // not scheduled: notifications off
    model->setNotificationEnabled(true);        // asks: enabled while timing
    EXPECT_EQ(center->authorizationRequests, 1);

    center = std::make_shared<FakeNotificationCenter>();
    center->current.authorizationStatus = Status::notDetermined;
    auto other = make(true);
    other->startTimer(5, BrimTimerKind::timer);
    other->setSoundEnabled(false); // reschedules without asking
    EXPECT_EQ(center->authorizationRequests, 1);
    center->pending.clear();
    events->send(BrimSystemEvent::timeZoneChanged);
    EXPECT_EQ(center->authorizationRequests, 1);
}

TEST_F(TimerNotifications, SoundAndSwitchesRescheduleOrWithdraw)
{
    auto model = make();
    model->startTimer(5, BrimTimerKind::timer);
    model->setSoundEnabled(false);
    ASSERT_EQ(center->pending.size(), 1);
    EXPECT_FALSE(center->pending.first().sound);
    model->setNotificationEnabled(false);
    EXPECT_TRUE(center->pending.isEmpty());
    EXPECT_FALSE(model->notificationNote());
    EXPECT_FALSE(model->scheduledIdentifier());
}

TEST_F(TimerNotifications, ShortAndPastDeadlines)
{
    auto model = make();
    center->settingsGate = FakeNotificationCenter::gate();
    model->startTimer(1, BrimTimerKind::timer);
    clock->advance(59.5);
    FakeNotificationCenter::open(center->settingsGate);
    ASSERT_EQ(center->pending.size(), 1);
    EXPECT_EQ(center->pending.first().trigger.interval, 1.0);

    center->settingsGate = FakeNotificationCenter::gate();
    model->startTimer(1, BrimTimerKind::timer);
    clock->advance(61);
    FakeNotificationCenter::open(center->settingsGate);
    EXPECT_EQ(model->completion(), BrimTimerKind::timer);
    EXPECT_TRUE(center->pending.isEmpty());
}

TEST_F(TimerNotifications, ShutdownDuringThePromptAddsNothing)
{
    center->current.authorizationStatus = Status::notDetermined;
    center->authorizationGate = FakeNotificationCenter::gate();
    auto model = make(true);
    model->startTimer(10, BrimTimerKind::timer);
    model->shutdown();
    FakeNotificationCenter::open(center->authorizationGate);
    EXPECT_TRUE(center->pending.isEmpty());
}

TEST_F(TimerNotifications, ModelDestroyedWhileWaitingIsHarmless)
{
    center->settingsGate = FakeNotificationCenter::gate();
    auto model = make();
    model->startTimer(10, BrimTimerKind::timer);
    model.reset();
    FakeNotificationCenter::open(center->settingsGate);
    EXPECT_TRUE(center->pending.isEmpty());
}
