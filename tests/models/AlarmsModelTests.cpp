#include "core/FileBrimAlarmStore.h"
#include "models/BrimAlarmsModel.h"
#include "models/BrimkitModel.h"
#include "tests/support/FakeNotificationCenter.h"
#include "tests/support/ModelFakes.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

namespace {

using Status = FakeNotificationCenter::Status;
using Alert = FakeNotificationCenter::Alert;
const BrimDate t0 = BrimDate::fromSeconds(880'000'000);
constexpr double aYear = 365 * 86400.0;

// Passes everything to the fake and remembers which identifiers were added,
// so a test can tell "scheduled once" from "scheduled and replaced".
class RecordingCenter final : public BrimTimerNotificationCenter {
public:
    explicit RecordingCenter(std::shared_ptr<FakeNotificationCenter> fake) : m_fake(std::move(fake)) {}

    QStringList added;

    QCoro::Task<BrimTimerNotificationSettings> settings() override { return m_fake->settings(); }
    QCoro::Task<Result<bool, QString>> requestAuthorization() override { return m_fake->requestAuthorization(); }
    QCoro::Task<Result<void, QString>> add(BrimNotificationRequest request) override
    {
        added << request.identifier;
        return m_fake->add(std::move(request));
    }
    QCoro::Task<QList<BrimNotificationRequest>> pendingRequests() override { return m_fake->pendingRequests(); }
    void removePending(const QStringList &identifiers) override { m_fake->removePending(identifiers); }
    void removeDelivered(const QStringList &identifiers) override { m_fake->removeDelivered(identifiers); }

private:
    std::shared_ptr<FakeNotificationCenter> m_fake;
};

BrimAlarm makeAlarm(const QString &title, BrimDate date, std::optional<BrimDate> firedAt = std::nullopt)
{
    return BrimAlarm{QUuid::createUuid(), title, date, QStringLiteral("UTC"), firedAt};
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

std::string joined(QStringList ids)
{
    ids.sort();
    return ids.join(QLatin1Char(' ')).toStdString();
}

struct Alarms : ::testing::Test {
    std::shared_ptr<FixedBrimClock> clock = std::make_shared<FixedBrimClock>(t0);
    std::shared_ptr<FakeNotificationCenter> center = std::make_shared<FakeNotificationCenter>();
    std::shared_ptr<RecordingCenter> recorder;
    std::shared_ptr<MemoryAlarmStore> store = std::make_shared<MemoryAlarmStore>();
    std::shared_ptr<CountingBeep> beep = std::make_shared<CountingBeep>();
    QStringList tracked;

    // Without a centre when `center` is null, as when the desktop offers none.
    std::unique_ptr<BrimAlarmsModel> make(bool enabled = true, bool sound = true,
                                          std::shared_ptr<BrimAlarmStoring> otherStore = nullptr)
    {
        const auto track = [this](OstrelEvent e) { tracked << e.rawValue(); };
        recorder = center ? std::make_shared<RecordingCenter>(center) : nullptr;
        auto authorization = recorder ? std::make_shared<BrimTimeNotificationAuthorization>(recorder, track) : nullptr;
        return std::make_unique<BrimAlarmsModel>(otherStore ? otherStore : store, recorder, authorization, enabled,
                                                 sound, BrimAlarmsModel::Environment{clock, beep, track});
    }
    BrimAlarm stored(const QString &title, BrimDate date, std::optional<BrimDate> firedAt = std::nullopt)
    {
        store->saved.append(makeAlarm(title, date, firedAt));
        return store->saved.last();
    }
    // Sorted and joined, so a failure prints readably.
    std::string pendingIds() const
    {
        QStringList ids;
        for (const BrimNotificationRequest &r : center->pending)
            ids << r.identifier;
        return joined(ids);
    }
    int count(const char *event) const { return int(tracked.count(QLatin1String(event))); }
    void tick(BrimAlarmsModel &model, double seconds, bool restoring = false)
    {
        clock->advance(seconds);
        model.refresh(clock->now(), restoring);
    }
};

} // namespace

TEST_F(Alarms, RequestIsTheAlarmAtItsWholeSecond)
{
    const BrimAlarm alarm = stored(QStringLiteral("Stand up"), t0 + 600.75);
    stored(QStringLiteral("Old"), t0 - 60, t0 - 60);
    auto model = make(true, false);
    ASSERT_EQ(center->pending.size(), 1);
    const BrimNotificationRequest &request = center->pending.first();
    EXPECT_EQ(request.identifier, alarm.notificationID());
    EXPECT_EQ(request.title, QStringLiteral("Ostrel Brimkit"));
    EXPECT_EQ(request.body, QStringLiteral("Stand up"));
    EXPECT_FALSE(request.sound);
    EXPECT_EQ(request.trigger, BrimNotificationTrigger::atDate(t0 + 600));
}

TEST_F(Alarms, WhatHappensDuringAnAddDecidesWhatStaysPending)
{
    struct Case {
        const char *name;
        bool removeSoon, switchOff, quit;
        bool soonPending, laterPending;
    };
    const Case cases[] = {
        {"soon removed", true, false, false, false, true},
        {"soon removed, then quit", true, false, true, false, false},
        {"switched off, then quit", false, true, true, false, false},
        // What was added stays for the desktop to deliver; nothing more is added.
        {"quit", false, false, true, true, false},
    };
    for (const Case &c : cases) {
        store = std::make_shared<MemoryAlarmStore>();
        center = std::make_shared<FakeNotificationCenter>();
        const BrimAlarm soon = stored(QStringLiteral("Soon"), t0 + 300);
        const BrimAlarm later = stored(QStringLiteral("Later"), t0 + 600);
        center->addGate = FakeNotificationCenter::gate();
        auto model = make(); // held in the add of "Soon"
        ASSERT_EQ(recorder->added, QStringList{soon.notificationID()}) << c.name;
        if (c.removeSoon)
            model->remove(soon.id);
        if (c.switchOff) {
            model->setEnabled(false);
            model->synchronize(false);
        }
        if (c.quit)
            model->shutdown();
        FakeNotificationCenter::open(center->addGate);
        QStringList expected;
        if (c.soonPending)
            expected << soon.notificationID();
        if (c.laterPending)
            expected << later.notificationID();
        EXPECT_EQ(pendingIds(), joined(expected)) << c.name;
    }
}

TEST_F(Alarms, ModelGoneWhileItsWorkerWaitsIsHarmless)
{
    stored(QStringLiteral("Tea"), t0 + 300);
    for (const bool inAdd : {false, true}) {
        center = std::make_shared<FakeNotificationCenter>();
        auto &gate = inAdd ? center->addGate : center->settingsGate;
        gate = FakeNotificationCenter::gate();
        auto model = make();
        model->synchronize(false); // a second worker queued behind the first
        model.reset();
        FakeNotificationCenter::open(gate);
        // Nobody is left to keep track of it, so it is not kept.
        EXPECT_EQ(pendingIds(), "") << (inAdd ? "in add" : "in settings");
    }
}

TEST_F(Alarms, OnlyTheLastOfQuickSynchronizationsSchedules)
{
    const BrimAlarm a = stored(QStringLiteral("A"), t0 + 60);
    const BrimAlarm b = stored(QStringLiteral("B"), t0 + aYear);
    center->settingsGate = FakeNotificationCenter::gate();
    auto model = make(); // its own synchronization waits on the gate
    model->synchronize(false);
    model->setSound(false);
    model->synchronize(false);
    // Replaced workers wait their turn and then give up without asking.
    EXPECT_EQ(center->settingsCalls, 1);
    FakeNotificationCenter::open(center->settingsGate);
    EXPECT_EQ(center->settingsCalls, 2);
    EXPECT_EQ(recorder->added, (QStringList{a.notificationID(), b.notificationID()}));
    ASSERT_EQ(center->pending.size(), 2);
    for (const BrimNotificationRequest &r : center->pending)
        EXPECT_FALSE(r.sound) << qPrintable(r.identifier);
}

TEST_F(Alarms, OnePermissionPromptForTimerAndAlarms)
{
    center->current.authorizationStatus = Status::notDetermined;
    center->authorizationGate = FakeNotificationCenter::gate();
    BrimkitModel model(true, false,
                       BrimkitModel::Environment{clock, std::make_shared<MemoryUserDefaults>(),
                                                 std::make_shared<FakePowerAssertions>(), beep, nullptr,
                                                 [this](OstrelEvent e) { tracked << e.rawValue(); }, center, store});
    model.alarms().add(QStringLiteral("One"), t0 + 600, t0);
    model.alarms().add(QStringLiteral("Two"), t0 + 1200, t0);
    model.startTimer(10, BrimTimerKind::timer);
    FakeNotificationCenter::open(center->authorizationGate);
    EXPECT_EQ(center->authorizationRequests, 1);
    EXPECT_EQ(center->pending.size(), 3) << pendingIds();
    EXPECT_EQ(model.alarms().book().upcoming().size(), 2);
    ASSERT_TRUE(model.scheduledIdentifier());
    EXPECT_NE(pendingIds().find(model.scheduledIdentifier()->toStdString()), std::string::npos);
    EXPECT_FALSE(model.alarms().notificationNote());
}

TEST_F(Alarms, ShutdownWhileWaitingForPermissionAddsNothing)
{
    center->current.authorizationStatus = Status::notDetermined;
    center->authorizationGate = FakeNotificationCenter::gate();
    auto model = make();
    model->add(QStringLiteral("Tea"), t0 + 300, t0); // asks, and waits for the answer
    model->synchronize(true);                        // queued behind it
    model->shutdown();
    FakeNotificationCenter::open(center->authorizationGate);
    EXPECT_EQ(center->authorizationRequests, 1);
    // Permission is granted by now, yet a closed model schedules nothing.
    model->synchronize(true);
    EXPECT_TRUE(recorder->added.isEmpty());
    EXPECT_TRUE(center->pending.isEmpty());
}

TEST_F(Alarms, SweepTouchesOnlyAlarmRequestsAndOnlyWhenItMay)
{
    const QString timer = QStringLiteral("brimkit.timer.") + brimUuidText(QUuid::createUuid());
    const QString orphan = QStringLiteral("brimkit.alarm.") + brimUuidText(QUuid::createUuid());
    const QString foreign = QStringLiteral("brimkit.alarmist");
    struct Case {
        const char *name;
        bool unreadable;
        bool enabled;
        bool keepsAlarm, keepsOrphan;
    };
    const Case cases[] = {
        {"readable, on: the orphan goes", false, true, true, false},
        {"readable, switched off: every alarm request goes", false, false, false, false},
        // Unread, the book cannot tell which pending requests are its own.
        {"unreadable, on: all left alone", true, true, true, true},
        {"unreadable, switched off: every alarm request goes", true, false, false, false},
    };
    for (const Case &c : cases) {
        store = std::make_shared<MemoryAlarmStore>();
        center = std::make_shared<FakeNotificationCenter>();
        const BrimAlarm alarm = stored(QStringLiteral("Mine"), t0 + 600);
        if (c.unreadable)
            store->loadError = BrimAlarmStoreError(BrimAlarmError::invalidArchive);
        for (const QString &id : {alarm.notificationID(), orphan, timer, foreign})
            center->pending.append(BrimNotificationRequest{id, {}, {}, true, {}});

        auto model = make();
        model->setEnabled(c.enabled);
        model->synchronize(false);

        QStringList expected{timer, foreign};
        if (c.keepsAlarm)
            expected << alarm.notificationID();
        if (c.keepsOrphan)
            expected << orphan;
        EXPECT_EQ(pendingIds(), joined(expected)) << c.name;
    }
}

TEST_F(Alarms, NotesSayWhyAlarmsWillNotShow)
{
    struct Case {
        const char *name;
        Status status;
        Alert alert;
        std::optional<QString> promptError;
        bool asking; // an add asks for permission; a plain synchronization does not
        std::optional<QString> note;
        int pending;
        int prompts;
    };
    const Case cases[] = {
        {"denied", Status::denied, Alert::enabled, {}, true, BrimAlarmsModel::notificationsOffNote, 0, 0},
        {"banners off", Status::authorized, Alert::disabled, {}, false, BrimAlarmsModel::bannersOffNote, 1, 0},
        {"never asked, not asking", Status::notDetermined, Alert::enabled, {}, false,
         BrimAlarmsModel::notificationsOffNote, 0, 0},
        {"never asked, asking", Status::notDetermined, Alert::enabled, {}, true, std::nullopt, 2, 1},
        {"prompt fails", Status::notDetermined, Alert::enabled, QStringLiteral("no service"), true,
         BrimAlarmsModel::schedulingFailedNote, 0, 1},
    };
    for (const Case &c : cases) {
        store = std::make_shared<MemoryAlarmStore>();
        center = std::make_shared<FakeNotificationCenter>();
        center->current = {c.status, c.alert};
        center->authorizationError = c.promptError;
        stored(QStringLiteral("Stored"), t0 + 600);
        auto model = make();
        if (c.asking)
            model->add(QStringLiteral("Added"), t0 + 900, t0);
        EXPECT_EQ(model->notificationNote(), c.note) << c.name;
        EXPECT_EQ(center->pending.size(), c.pending) << c.name;
        EXPECT_EQ(center->authorizationRequests, c.prompts) << c.name;
    }
}

TEST_F(Alarms, FailedAddStopsTheRunAndIsReportedOncePerSeries)
{
    const BrimAlarm soon = stored(QStringLiteral("Soon"), t0 + 60);
    stored(QStringLiteral("Next year"), t0 + aYear);
    center->addError = QStringLiteral("refused");
    auto model = make();
    EXPECT_EQ(recorder->added, QStringList{soon.notificationID()});
    EXPECT_EQ(model->notificationNote(), BrimAlarmsModel::schedulingFailedNote);
    EXPECT_EQ(count("brim.notificationfailed"), 1);

    model->synchronize(false); // same series
    EXPECT_EQ(count("brim.notificationfailed"), 1);
    model->synchronize(true); // a new one
    EXPECT_EQ(count("brim.notificationfailed"), 2);

    // A run that gets through ends the series: the next failure is news again.
    center->addError.reset();
    model->synchronize(false);
    EXPECT_EQ(center->pending.size(), 2);
    EXPECT_FALSE(model->notificationNote());
    center->addError = QStringLiteral("refused");
    model->synchronize(false);
    EXPECT_EQ(count("brim.notificationfailed"), 3);

    // Failing to replace it leaves the earlier request, which still sounds.
    tick(*model, 60);
    EXPECT_EQ(model->book().completed().size(), 1);
    EXPECT_EQ(beep->count, 0);
}

TEST_F(Alarms, BeepsOnlyWhenNoNotificationMakesTheSound)
{
    struct Case {
        const char *name;
        Status status;
        bool sound;
        int alarms;
        bool switchedOff; // notifications off after they were scheduled
        bool restoring;
        int beeps;
    };
    const Case cases[] = {
        {"sound notification pending", Status::authorized, true, 1, false, false, 0},
        {"three, each with a sound notification", Status::authorized, true, 3, false, false, 0},
        {"not authorized", Status::denied, true, 1, false, false, 1},
        {"three on one tick", Status::denied, true, 3, false, false, 1},
        {"sound off", Status::denied, false, 1, false, false, 0},
        {"notifications switched off", Status::authorized, true, 1, true, false, 1},
        {"restoring", Status::denied, true, 1, false, true, 0},
    };
    for (const Case &c : cases) {
        clock->set(t0);
        store = std::make_shared<MemoryAlarmStore>();
        center = std::make_shared<FakeNotificationCenter>();
        center->current.authorizationStatus = c.status;
        beep->count = 0;
        tracked.clear();
        for (int i = 0; i < c.alarms; ++i)
            stored(QStringLiteral("Alarm %1").arg(i), t0 + 60);
        auto model = make(true, c.sound);
        if (c.switchedOff) {
            model->setEnabled(false);
            model->synchronize(false);
        }
        tick(*model, 60, c.restoring);
        EXPECT_EQ(model->book().completed().size(), c.alarms) << c.name;
        EXPECT_EQ(count(c.restoring ? "brim.alarmmissed" : "brim.alarmcompleted"), c.alarms) << c.name;
        EXPECT_EQ(beep->count, c.beeps) << c.name;
    }
}

TEST_F(Alarms, OneAlarmWithoutSoundingNotificationOnATickBeeps)
{
    stored(QStringLiteral("Scheduled"), t0 + 30);
    auto model = make();
    center->addError = QStringLiteral("refused");
    model->add(QStringLiteral("Unscheduled"), t0 + 60, t0);
    EXPECT_EQ(model->notificationNote(), BrimAlarmsModel::schedulingFailedNote);
    tick(*model, 60);
    EXPECT_EQ(model->book().completed().size(), 2);
    EXPECT_EQ(beep->count, 1);
}

TEST_F(Alarms, WithoutANotificationCentreAlarmsStillFireAndBeep)
{
    center = nullptr;
    auto model = make();
    model->add(QStringLiteral("Gone"), t0 + 30, t0);
    model->add(QStringLiteral("Kept"), t0 + 60, t0);
    model->remove(model->book().upcoming().first().id);
    tick(*model, 60);
    ASSERT_EQ(model->book().completed().size(), 1);
    EXPECT_EQ(model->book().completed().first().title, QStringLiteral("Kept"));
    EXPECT_FALSE(model->notificationNote());
    EXPECT_EQ(beep->count, 1);
}

TEST_F(Alarms, UnreadableStoreBlocksEverythingUntilRetry)
{
    const BrimAlarm overdue = stored(QStringLiteral("Overdue"), t0 + 30);
    const BrimAlarm later = stored(QStringLiteral("Later"), t0 + 3600);
    const auto denied = BrimAlarmStoreError::fileSystem(QStringLiteral("Permission denied"), EACCES);
    store->loadError = denied;
    auto model = make();
    EXPECT_EQ(model->storageIssue(), denied.description());
    EXPECT_TRUE(model->book().alarms().isEmpty());
    EXPECT_EQ(count("brim.alarmstoragefailed"), 1);

    model->add(QStringLiteral("New"), t0 + 600, t0);
    model->remove(overdue.id);
    tick(*model, 60);
    model->retryStorage(); // still unreadable
    EXPECT_TRUE(model->book().alarms().isEmpty());
    EXPECT_EQ(store->saves, 0);
    EXPECT_FALSE(model->message());
    EXPECT_EQ(model->storageIssue(), denied.description());
    EXPECT_EQ(count("brim.alarmstoragefailed"), 2);
    EXPECT_EQ(count("brim.alarmcompleted") + count("brim.alarmmissed"), 0);
    EXPECT_EQ(beep->count, 0);
    EXPECT_TRUE(center->pending.isEmpty());

    store->loadError.reset();
    model->retryStorage();
    EXPECT_FALSE(model->storageIssue());
    ASSERT_EQ(model->book().completed().size(), 1);
    EXPECT_EQ(model->book().completed().first().id, overdue.id);
    EXPECT_EQ(model->book().completed().first().firedAt, clock->now());
    EXPECT_EQ(count("brim.alarmmissed"), 1);
    EXPECT_EQ(beep->count, 0);
    EXPECT_EQ(store->saved, model->book().alarms());
    EXPECT_EQ(pendingIds(), later.notificationID().toStdString());

    model->add(QStringLiteral("New"), clock->now() + 600, clock->now());
    EXPECT_EQ(model->book().upcoming().size(), 2);
}

TEST_F(Alarms, UnsavedCompletionIsKeptAndMergedOnRetry)
{
    const BrimAlarm tea = stored(QStringLiteral("Tea"), t0 + 60);
    const BrimAlarm call = stored(QStringLiteral("Call"), t0 + 3600);
    auto model = make();
    store->saveError = BrimAlarmStoreError::fileSystem(QStringLiteral("No space left on device"), ENOSPC);
    tick(*model, 60);
    ASSERT_EQ(model->book().completed().size(), 1);
    EXPECT_EQ(model->book().completed().first().firedAt, t0 + 60);
    EXPECT_EQ(model->storageIssue(), BrimAlarmsModel::completionNotSavedIssue);
    EXPECT_FALSE(store->saved.first().firedAt);
    EXPECT_EQ(count("brim.alarmcompleted"), 1);
    EXPECT_EQ(count("brim.alarmstoragefailed"), 1);

    // Blocked while the completion is unsaved.
    store->saveError.reset();
    model->add(QStringLiteral("More"), t0 + 600, clock->now());
    model->remove(call.id);
    EXPECT_EQ(model->book().alarms().size(), 2);

    // Meanwhile the file gained an alarm from elsewhere; the file wins except for completions.
    const BrimAlarm elsewhere = makeAlarm(QStringLiteral("Elsewhere"), t0 + 7200);
    store->saved.append(elsewhere);
    model->retryStorage();
    EXPECT_FALSE(model->storageIssue());
    ASSERT_EQ(store->saved.size(), 3);
    EXPECT_EQ(store->saved.first().id, tea.id);
    EXPECT_EQ(store->saved.first().firedAt, t0 + 60);
    EXPECT_EQ(store->saved, model->book().alarms());
    EXPECT_EQ(count("brim.alarmmissed"), 0);
    EXPECT_NE(pendingIds().find(elsewhere.notificationID().toStdString()), std::string::npos);
}

TEST_F(Alarms, RemovalThatCannotBeSavedKeepsTheAlarm)
{
    const BrimAlarm upcoming = stored(QStringLiteral("Upcoming"), t0 + 600);
    const BrimAlarm done = stored(QStringLiteral("Done"), t0 - 100, t0 - 100);
    auto model = make();
    store->saveError = BrimAlarmStoreError::fileSystem(QStringLiteral("Read-only file system"), EROFS);
    model->remove(upcoming.id);
    EXPECT_EQ(model->book().alarms().size(), 2);
    EXPECT_EQ(model->message(), BrimAlarmsModel::removalNotSavedMessage);
    EXPECT_EQ(pendingIds(), upcoming.notificationID().toStdString());
    EXPECT_EQ(count("brim.alarmstoragefailed"), 1);

    store->saveError.reset();
    model->remove(upcoming.id);
    EXPECT_FALSE(model->message());
    EXPECT_TRUE(center->pending.isEmpty());
    model->remove(done.id);
    EXPECT_TRUE(model->book().alarms().isEmpty());
    EXPECT_TRUE(store->saved.isEmpty());
    EXPECT_EQ(center->removedDelivered, (QStringList{upcoming.notificationID(), done.notificationID()}));
    EXPECT_EQ(count("brim.alarmcancelled"), 1);
    EXPECT_EQ(count("brim.alarmdismissed"), 1);
}

TEST_F(Alarms, AddThatCannotBeSavedChangesNothing)
{
    auto model = make();
    store->saveError = BrimAlarmStoreError(BrimAlarmError::invalidArchive);
    model->add(QStringLiteral("Tea"), t0 + 600, t0);
    EXPECT_EQ(model->message(), BrimAlarmError(BrimAlarmError::invalidArchive).description());
    EXPECT_TRUE(model->book().alarms().isEmpty());
    EXPECT_TRUE(recorder->added.isEmpty());
    EXPECT_EQ(count("brim.alarmcreated"), 0);

    store->saveError.reset();
    model->add(QStringLiteral("Tea"), t0 + 600, t0);
    EXPECT_FALSE(model->message());
    EXPECT_EQ(store->saved, model->book().alarms());
    EXPECT_EQ(count("brim.alarmcreated"), 1);
}

TEST_F(Alarms, MainModelKeepsAlarmRequestsInStep)
{
    const BrimAlarm alarm = stored(QStringLiteral("Tea"), t0 + 600);
    auto events = std::make_shared<ManualSystemEvents>();
    BrimkitModel model(true, true,
                       BrimkitModel::Environment{clock, std::make_shared<MemoryUserDefaults>(),
                                                 std::make_shared<FakePowerAssertions>(), beep, events,
                                                 [this](OstrelEvent e) { tracked << e.rawValue(); }, center, store});
    ASSERT_EQ(pendingIds(), alarm.notificationID().toStdString());

    const QString orphan = QStringLiteral("brimkit.alarm.") + brimUuidText(QUuid::createUuid());
    center->pending.append(BrimNotificationRequest{orphan, {}, {}, false, {}});
    events->send(BrimSystemEvent::timeZoneChanged);
    EXPECT_EQ(pendingIds(), alarm.notificationID().toStdString());

    model.setSoundEnabled(false);
    ASSERT_EQ(center->pending.size(), 1);
    EXPECT_FALSE(center->pending.first().sound);

    model.setNotificationEnabled(false);
    EXPECT_TRUE(center->pending.isEmpty());
    model.setNotificationEnabled(true);
    EXPECT_EQ(pendingIds(), alarm.notificationID().toStdString());

    model.shutdown();
    center->pending.clear();
    model.alarms().synchronize(true);
    EXPECT_TRUE(center->pending.isEmpty());
}

TEST_F(Alarms, AlarmDueWhileNotRunningIsMissedOnceAtStart)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("app/alarms.json")); // folder made on first save
    const auto start = [&] { return make(true, true, std::make_shared<FileBrimAlarmStore>(path)); };
    {
        auto model = start();
        model->add(QStringLiteral("Stand up"), t0 + 3600, t0);
        model->add(QStringLiteral("Next year"), t0 + aYear, t0);
        model->shutdown();
    }
    const BrimDate restart = t0 + 7200;
    clock->set(restart);
    center = std::make_shared<FakeNotificationCenter>();
    tracked.clear();
    {
        auto model = start();
        ASSERT_EQ(model->book().completed().size(), 1);
        EXPECT_EQ(model->book().completed().first().title, QStringLiteral("Stand up"));
        EXPECT_EQ(model->book().completed().first().firedAt, restart);
        EXPECT_EQ(count("brim.alarmmissed"), 1);
        EXPECT_EQ(count("brim.alarmcompleted"), 0);
        EXPECT_FALSE(model->storageIssue());
        model->refresh(clock->now(), false);
        EXPECT_EQ(beep->count, 0);
        EXPECT_EQ(pendingIds(), model->book().upcoming().first().notificationID().toStdString());
    }
    // The completion reached the file: the next start has nothing to report.
    clock->advance(60);
    tracked.clear();
    auto model = start();
    EXPECT_EQ(count("brim.alarmmissed"), 0);
    ASSERT_EQ(model->book().completed().size(), 1);
    EXPECT_EQ(model->book().completed().first().firedAt, restart);
}

TEST_F(Alarms, DamagedFileIsKeptUntilRepairedThenRecovered)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("alarms.json"));
    const BrimAlarm overdue = makeAlarm(QStringLiteral("Overdue"), t0 + 30);
    const BrimAlarm later = makeAlarm(QStringLiteral("Later"), t0 + 3600);
    ASSERT_TRUE(FileBrimAlarmStore(path).save({overdue, later}).ok());
    const QByteArray good = readFile(path);
    const QByteArray damaged = good.left(good.size() / 2);
    ASSERT_TRUE(writeFile(path, damaged));

    clock->advance(60);
    auto model = make(true, true, std::make_shared<FileBrimAlarmStore>(path));
    EXPECT_EQ(model->storageIssue(), BrimAlarmError(BrimAlarmError::invalidArchive).description());
    model->add(QStringLiteral("New"), clock->now() + 600, clock->now());
    model->remove(later.id);
    tick(*model, 60);
    model->retryStorage();
    EXPECT_TRUE(model->book().alarms().isEmpty());
    EXPECT_EQ(readFile(path), damaged);

    ASSERT_TRUE(writeFile(path, good));
    model->retryStorage();
    EXPECT_FALSE(model->storageIssue());
    ASSERT_EQ(model->book().completed().size(), 1);
    EXPECT_EQ(model->book().completed().first().id, overdue.id);
    EXPECT_EQ(model->book().completed().first().firedAt, clock->now());
    EXPECT_EQ(count("brim.alarmmissed"), 1);
    EXPECT_EQ(pendingIds(), later.notificationID().toStdString());
    const auto reread = FileBrimAlarmStore(path).load();
    ASSERT_TRUE(reread.ok());
    EXPECT_EQ(reread.value(), model->book().alarms());

    model->remove(later.id);
    EXPECT_EQ(model->book().upcoming().size(), 0);
    EXPECT_TRUE(center->pending.isEmpty());
}
