// The scheduling steps the timer and the alarms share: the notes, and a
// failure reported once per series, whether the desktop refuses a request
// when it is added or when it is due.
#include "tests/support/ModelFakes.h"

#include <gtest/gtest.h>

namespace {

using Status = FakeNotificationCenter::Status;
using Alert = FakeNotificationCenter::Alert;
using Notes = BrimNotificationSeries;

struct Series : ::testing::Test, FakeModelEnvironment {
    Series() { center = std::make_shared<FakeNotificationCenter>(); }
};

} // namespace

TEST_F(Series, TimerNotesSayWhyNothingWillShow)
{
    const auto &notes = Notes::timerNotes;
    struct Row {
        const char *name;
        Status status;
        Alert alert;
        std::optional<QString> addError;
        const char *note;
        int pending;
    };
    const Row rows[] = {
        {"denied", Status::denied, Alert::enabled, {}, notes.notificationsOff, 0},
        {"banners off", Status::authorized, Alert::disabled, {}, notes.bannersOff, 1},
        {"provisional", Status::provisional, Alert::enabled, {}, nullptr, 1},
        {"add fails", Status::authorized, Alert::enabled, QStringLiteral("refused"), notes.schedulingFailed, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        center = std::make_shared<FakeNotificationCenter>();
        center->current = {row.status, row.alert};
        center->addError = row.addError;
        tracked.clear();
        auto model = makeModel();
        model->startTimer(5, BrimTimerKind::timer);
        EXPECT_EQ(model->notificationNote(), row.note ? std::optional(Notes::text(row.note)) : std::nullopt);
        EXPECT_EQ(center->pending.size(), row.pending);
        EXPECT_EQ(count("brim.notificationdenied"), row.status == Status::denied ? 1 : 0);
    }
}

TEST_F(Series, FailureIsReportedOncePerSeriesWhenAddedOrWhenDue)
{
    struct Client {
        const char *name;
        const Notes::Notes &notes;
        bool storesAlarm;
        std::function<void(BrimkitModel &)> startSeries; // may ask for permission
        std::function<void(BrimkitModel &)> runAgain;    // same series
        std::function<std::optional<QString>(BrimkitModel &)> note;
        std::function<QString(BrimkitModel &)> scheduled;
    };
    const BrimAlarm alarm{QUuid::createUuid(), QStringLiteral("Tea"), clock->now() + 600, QStringLiteral("UTC"), {}};
    const Client clients[] = {
        {"timer", Notes::timerNotes, false, [](BrimkitModel &m) { m.startTimer(5, BrimTimerKind::timer); },
         [this](BrimkitModel &) { events->send(BrimSystemEvent::timeZoneChanged); },
         [](BrimkitModel &m) { return m.notificationNote(); }, [](BrimkitModel &m) { return *m.scheduledIdentifier(); }},
        {"alarms", Notes::alarmNotes, true, [](BrimkitModel &m) { m.alarms().synchronize(true); },
         [](BrimkitModel &m) { m.alarms().synchronize(false); },
         [](BrimkitModel &m) { return m.alarms().notificationNote(); },
         [alarm](BrimkitModel &) { return alarm.notificationID(); }},
    };
    for (const Client &client : clients) {
        SCOPED_TRACE(client.name);
        const std::optional<QString> failedNote = Notes::text(client.notes.schedulingFailed);
        center = std::make_shared<FakeNotificationCenter>();
        center->addError = QStringLiteral("refused");
        store->saved = client.storesAlarm ? QList{alarm} : QList<BrimAlarm>{};
        auto model = makeModel(true);
        tracked.clear();
        client.startSeries(*model);
        EXPECT_EQ(client.note(*model), failedNote);
        EXPECT_EQ(count("brim.notificationfailed"), 1);
        client.runAgain(*model);
        EXPECT_EQ(count("brim.notificationfailed"), 1);
        client.startSeries(*model);
        EXPECT_EQ(count("brim.notificationfailed"), 2);

        // A run that gets through ends the series; a refusal at delivery is news again.
        center->addError.reset();
        client.runAgain(*model);
        EXPECT_FALSE(client.note(*model));
        ASSERT_TRUE(center->deliveryFailed);
        center->deliveryFailed(QStringLiteral("brimkit.timer.someone-else"));
        EXPECT_FALSE(client.note(*model));
        center->deliveryFailed(client.scheduled(*model));
        center->deliveryFailed(client.scheduled(*model));
        EXPECT_EQ(client.note(*model), failedNote);
        EXPECT_EQ(count("brim.notificationfailed"), 3);
    }
}
