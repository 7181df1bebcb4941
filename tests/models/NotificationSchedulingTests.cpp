// Scheduling the timer's notification, and the steps the timer and the alarms
// share: the notes, and a failure reported once per series, whether the
// desktop refuses a request when it is added or when it is due.
#include "tests/support/ModelFakes.h"

#include <gtest/gtest.h>

namespace {

using Status = FakeNotificationCenter::Status;
using Alert = FakeNotificationCenter::Alert;

struct TimerNotifications : ::testing::Test, FakeModelEnvironment {
    TimerNotifications() { center = std::make_shared<FakeNotificationCenter>(); }
    static QString note(const char *text) { return BrimNotificationSeries::text(text); }
};

} // namespace

TEST_F(TimerNotifications, StartSchedulesOneRequestForTheDeadline)
{
    auto model = makeModel();
    model->startTimer(25, BrimTimerKind::focus);
    ASSERT_EQ(center->pending.size(), 1);
    const BrimNotificationRequest request = center->pending.first();
    const QString uuid = request.identifier.mid(14);
    EXPECT_EQ(request.identifier, QStringLiteral("brimkit.timer.") + uuid.toUpper());
    EXPECT_FALSE(QUuid::fromString(uuid).isNull());
    EXPECT_EQ(request, (BrimNotificationRequest{request.identifier, QStringLiteral("Ostrel Brimkit"),
                                                QStringLiteral("Focus finished"), true,
                                                BrimNotificationTrigger::afterInterval(1500)}));
    EXPECT_EQ(model->scheduledIdentifier(), request.identifier);
    EXPECT_FALSE(model->notificationNote());

    // The notification brings the sound: completion does not beep as well.
    advance(*model, 1500);
    EXPECT_EQ(beep->count, 0);
    model->dismissCompletion();
    EXPECT_EQ(center->removedDelivered, QStringList{request.identifier});
}

TEST_F(TimerNotifications, OnlyTheNewestOfOverlappingSchedulingsStays)
{
    // Restarted while the settings are read: only the second request.
    auto model = makeModel();
    center->settingsGate = FakeNotificationCenter::gate();
    model->startTimer(10, BrimTimerKind::timer);
    model->startTimer(20, BrimTimerKind::timer);
    FakeNotificationCenter::open(center->settingsGate);
    ASSERT_EQ(center->pending.size(), 1);
    EXPECT_EQ(center->pending.first().identifier, model->scheduledIdentifier());
    EXPECT_EQ(center->pending.first().trigger.interval, 1200);

    // Paused while adding: what was just added is taken back.
    center->addGate = FakeNotificationCenter::gate();
    model->startTimer(10, BrimTimerKind::timer);
    model->pauseOrResume();
    FakeNotificationCenter::open(center->addGate);
    EXPECT_TRUE(center->pending.isEmpty());
}

TEST_F(TimerNotifications, ThePromptIsAskedOnceAndOnlyByCallsThatMayAsk)
{
    center->current.authorizationStatus = Status::notDetermined;
    center->authorizationGate = FakeNotificationCenter::gate();
    auto model = makeModel(true);
    model->startTimer(10, BrimTimerKind::timer);
    model->pauseOrResume(); // paused while the prompt shows: nothing is scheduled
    FakeNotificationCenter::open(center->authorizationGate);
    EXPECT_TRUE(center->pending.isEmpty());
    model->pauseOrResume(); // resumed: scheduled without a second prompt
    EXPECT_EQ(center->pending.size(), 1);
    EXPECT_EQ(center->authorizationRequests, 1);

    // A prompt that fails can be asked again, but only by a call that may ask.
    center = std::make_shared<FakeNotificationCenter>();
    center->current.authorizationStatus = Status::notDetermined;
    center->authorizationError = QStringLiteral("no service");
    model.reset(); // it stops the shared event source when it goes
    model = makeModel(true);
    model->startTimer(10, BrimTimerKind::timer);
    EXPECT_EQ(model->notificationNote(), note(BrimNotificationSeries::timerNotes.schedulingFailed));
    EXPECT_EQ(count("brim.notificationfailed"), 1);
    model->setSoundEnabled(false);
    events->send(BrimSystemEvent::timeZoneChanged);
    EXPECT_EQ(center->authorizationRequests, 1);
    EXPECT_EQ(model->notificationNote(), note(BrimNotificationSeries::timerNotes.notificationsOff));
    center->authorizationError.reset();
    model->setNotificationEnabled(false);
    model->setNotificationEnabled(true); // switched on while timing: may ask
    EXPECT_EQ(center->authorizationRequests, 2);
    EXPECT_EQ(center->pending.size(), 1);
    EXPECT_FALSE(model->notificationNote());
}

TEST_F(TimerNotifications, SoundAndSwitchesRescheduleOrWithdraw)
{
    auto model = makeModel();
    model->startTimer(5, BrimTimerKind::timer);
    model->setSoundEnabled(false);
    ASSERT_EQ(center->pending.size(), 1);
    EXPECT_FALSE(center->pending.first().sound);
    model->setNotificationEnabled(false);
    EXPECT_TRUE(center->pending.isEmpty());
    EXPECT_FALSE(model->notificationNote() || model->scheduledIdentifier());
}

TEST_F(TimerNotifications, ShortAndPastDeadlines)
{
    auto model = makeModel();
    for (const double late : {59.5, 61.0}) {
        center->settingsGate = FakeNotificationCenter::gate();
        model->startTimer(1, BrimTimerKind::timer);
        clock->advance(late);
        FakeNotificationCenter::open(center->settingsGate);
        if (late < 60) { // half a second before its end: a 1 s trigger
            EXPECT_EQ(center->pending.value(0).trigger, BrimNotificationTrigger::afterInterval(1));
        }
    }
    // Past its end: no request, completed at once.
    EXPECT_EQ(center->added.size(), 1);
    EXPECT_TRUE(center->pending.isEmpty());
    EXPECT_EQ(model->completion(), BrimTimerKind::timer);
}

TEST_F(TimerNotifications, NothingIsAddedForAModelShutDownOrGoneWhileWaiting)
{
    for (const bool destroy : {false, true}) {
        center = std::make_shared<FakeNotificationCenter>();
        center->current.authorizationStatus = Status::notDetermined;
        center->authorizationGate = FakeNotificationCenter::gate();
        auto model = makeModel(true);
        model->startTimer(10, BrimTimerKind::timer);
        destroy ? model.reset() : model->shutdown();
        FakeNotificationCenter::open(center->authorizationGate);
        EXPECT_TRUE(center->added.isEmpty()) << destroy;
    }
}

TEST_F(TimerNotifications, NotesSayWhyNothingWillShow)
{
    const auto &notes = BrimNotificationSeries::timerNotes;
    const struct { Status status; Alert alert; std::optional<QString> addError; const char *note; int pending; } rows[] = {
        {Status::denied, Alert::enabled, {}, notes.notificationsOff, 0},
        {Status::authorized, Alert::disabled, {}, notes.bannersOff, 1},
        {Status::provisional, Alert::enabled, {}, nullptr, 1},
        {Status::authorized, Alert::enabled, QStringLiteral("refused"), notes.schedulingFailed, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(int(row.status));
        center = std::make_shared<FakeNotificationCenter>();
        center->current = {row.status, row.alert};
        center->addError = row.addError;
        tracked.clear();
        auto model = makeModel();
        model->startTimer(5, BrimTimerKind::timer);
        EXPECT_EQ(model->notificationNote(), row.note ? std::optional(note(row.note)) : std::nullopt);
        EXPECT_EQ(center->pending.size(), row.pending);
        EXPECT_EQ(count("brim.notificationdenied"), row.status == Status::denied ? 1 : 0);
    }
}

// For the timer and for the alarms alike.
TEST_F(TimerNotifications, FailureIsReportedOncePerSeriesWhenAddedOrWhenDue)
{
    using Step = std::function<void(BrimkitModel &)>;
    const BrimAlarm alarm{QUuid::createUuid(), QStringLiteral("Tea"), clock->now() + 600, QStringLiteral("UTC"), {}};
    const struct { bool alarms; Step startSeries, runAgain; } clients[] = {
        {false, [](BrimkitModel &m) { m.startTimer(5, BrimTimerKind::timer); },
         [this](BrimkitModel &) { events->send(BrimSystemEvent::timeZoneChanged); }},
        {true, [](BrimkitModel &m) { m.alarms().synchronize(true); }, [](BrimkitModel &m) { m.alarms().synchronize(false); }},
    };
    for (const auto &client : clients) {
        SCOPED_TRACE(client.alarms ? "alarms" : "timer");
        const auto &notes = client.alarms ? BrimNotificationSeries::alarmNotes : BrimNotificationSeries::timerNotes;
        center = std::make_shared<FakeNotificationCenter>();
        center->addError = QStringLiteral("refused");
        store->saved = client.alarms ? QList{alarm} : QList<BrimAlarm>{};
        auto model = makeModel(true);
        const auto shownNote = [&] { return client.alarms ? model->alarms().notificationNote() : model->notificationNote(); };
        tracked.clear();
        client.startSeries(*model);
        EXPECT_EQ(shownNote(), note(notes.schedulingFailed));
        client.runAgain(*model);
        EXPECT_EQ(count("brim.notificationfailed"), 1);
        client.startSeries(*model);
        EXPECT_EQ(count("brim.notificationfailed"), 2);

        // A run that gets through ends the series; a refusal at delivery is news again.
        center->addError.reset();
        client.runAgain(*model);
        EXPECT_FALSE(shownNote());
        center->deliveryFailed(QStringLiteral("brimkit.timer.someone-else"));
        EXPECT_FALSE(shownNote());
        const QString scheduled = client.alarms ? alarm.notificationID() : *model->scheduledIdentifier();
        center->deliveryFailed(scheduled);
        center->deliveryFailed(scheduled);
        EXPECT_EQ(shownNote(), note(notes.schedulingFailed));
        EXPECT_EQ(count("brim.notificationfailed"), 3);
    }
}
