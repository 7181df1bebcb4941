// The timer's notification: made ready when a countdown starts, shown by the
// clock step that finishes it, and the notes that say why it will not show.
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

TEST_F(TimerNotifications, TheFinishingStepShowsOneNotificationWithItsSound)
{
    auto model = makeModel();
    model->startTimer(25, BrimTimerKind::focus);
    ASSERT_TRUE(model->scheduledIdentifier());
    const QString identifier = *model->scheduledIdentifier();
    EXPECT_TRUE(identifier.startsWith(QStringLiteral("brimkit.timer.")));
    EXPECT_FALSE(QUuid::fromString(identifier.mid(14)).isNull());
    EXPECT_EQ(identifier.mid(14), identifier.mid(14).toUpper());
    advance(*model, 1499);
    EXPECT_TRUE(center->shown.isEmpty());
    advance(*model, 1);
    EXPECT_EQ(center->shown, QList{(BrimNotificationRequest{identifier, QStringLiteral("Focus finished"),
                                                            QStringLiteral("Time for a break."), true})});
    EXPECT_EQ(beep->count, 0); // the notification brings the sound
    model->dismissCompletion();
    EXPECT_EQ(center->removedDelivered, QStringList{identifier});
}

TEST_F(TimerNotifications, OnlyTheNewestOfOverlappingStartsCounts)
{
    auto model = makeModel();
    center->settingsGate = FakeNotificationCenter::gate();
    model->startTimer(10, BrimTimerKind::timer);
    model->startTimer(20, BrimTimerKind::timer);
    model->pauseOrResume(); // paused while the settings are read: nothing is made ready
    FakeNotificationCenter::open(center->settingsGate);
    EXPECT_FALSE(model->scheduledIdentifier());
    center->settingsGate.reset();
    model->pauseOrResume();
    advance(*model, 1200);
    EXPECT_EQ(center->titles(), "Timer finished");
}

TEST_F(TimerNotifications, SwitchesDecideSoundAndWhetherItShows)
{
    const struct { bool notifications, sound; int shown, beeps; } rows[] = {
        {true, true, 1, 0}, {true, false, 1, 0}, {false, true, 0, 1}, {false, false, 0, 0}};
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.notifications << row.sound);
        center = std::make_shared<FakeNotificationCenter>();
        beep->count = 0;
        auto model = makeModel();
        model->startTimer(5, BrimTimerKind::timer);
        model->setSoundEnabled(row.sound);
        model->setNotificationEnabled(row.notifications);
        advance(*model, 300);
        EXPECT_EQ(center->shown.size(), row.shown);
        EXPECT_EQ(center->shown.value(0).sound, row.shown && row.sound);
        EXPECT_EQ(beep->count, row.beeps);
        EXPECT_FALSE(model->notificationNote());
    }
}

TEST_F(TimerNotifications, ADeadlinePassedWhileTheSettingsWereReadCompletesAtOnce)
{
    auto model = makeModel();
    center->settingsGate = FakeNotificationCenter::gate();
    model->startTimer(1, BrimTimerKind::timer);
    clock->advance(61);
    FakeNotificationCenter::open(center->settingsGate);
    EXPECT_EQ(model->completion(), BrimTimerKind::timer);
    EXPECT_TRUE(center->shown.isEmpty());
    EXPECT_EQ(beep->count, 1);
}

TEST_F(TimerNotifications, NotesSayWhyNothingWillShow)
{
    const auto &notes = BrimNotificationSeries::timerNotes;
    const struct { Status status; Alert alert; bool refused; const char *note; int beeps; } rows[] = {
        {Status::denied, Alert::enabled, false, notes.notificationsOff, 1},
        {Status::authorized, Alert::disabled, false, notes.bannersOff, 0},
        {Status::provisional, Alert::enabled, false, nullptr, 0},
        {Status::authorized, Alert::enabled, true, notes.schedulingFailed, 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(int(row.status));
        center = std::make_shared<FakeNotificationCenter>();
        center->current = {row.status, row.alert};
        if (row.refused)
            center->showError = QStringLiteral("refused");
        tracked.clear();
        beep->count = 0;
        auto model = makeModel();
        model->startTimer(5, BrimTimerKind::timer);
        advance(*model, 300);
        EXPECT_EQ(model->notificationNote(), row.note ? std::optional(note(row.note)) : std::nullopt);
        EXPECT_EQ(beep->count, row.beeps);
        EXPECT_EQ(count("brim.notificationdenied"), row.status == Status::denied ? 1 : 0);
        EXPECT_EQ(count("brim.notificationfailed"), row.refused ? 1 : 0);
    }
}
