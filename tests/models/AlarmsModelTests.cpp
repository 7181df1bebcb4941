#include "core/FileBrimAlarmStore.h"
#include "tests/core/AlarmTestSupport.h"
#include "tests/support/ModelFakes.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>

namespace {

using Status = FakeNotificationCenter::Status;
using Alert = FakeNotificationCenter::Alert;
using Notes = BrimNotificationSeries;
const BrimDate t0 = BrimDate::fromSeconds(880'000'000);
constexpr double aYear = 365 * 86400.0;

BrimAlarm makeAlarm(const QString &title, BrimDate date, std::optional<BrimDate> firedAt = std::nullopt)
{
    return BrimAlarm{QUuid::createUuid(), title, date, QStringLiteral("UTC"), firedAt};
}

using alarmtest::readFile;
using alarmtest::writeFile;

// "Tea*, Call": titles in book order, fired ones starred.
std::string titles(const QList<BrimAlarm> &alarms)
{
    QStringList result;
    for (const BrimAlarm &a : alarms)
        result << a.title + (a.firedAt ? QStringLiteral("*") : QString());
    return result.join(QStringLiteral(", ")).toStdString();
}

struct Alarms : ::testing::Test, FakeModelEnvironment {
    Alarms() { reset(); }
    // A fresh store and centre, the clock back at t0.
    void reset()
    {
        clock->set(t0);
        store = std::make_shared<MemoryAlarmStore>();
        center = std::make_shared<FakeNotificationCenter>();
        tracked.clear();
        beep->count = 0;
    }
    // Without a centre when `center` is null, as when the desktop offers none.
    std::unique_ptr<BrimAlarmsModel> make(bool enabled = true, bool sound = true,
                                          std::shared_ptr<BrimAlarmStoring> otherStore = nullptr)
    {
        const auto track = [this](OstrelEvent e) { tracked << e.rawValue(); };
        auto authorization = center ? std::make_shared<BrimTimeNotificationAuthorization>(center, track) : nullptr;
        return std::make_unique<BrimAlarmsModel>(otherStore ? otherStore : store, center, authorization, enabled,
                                                 sound, BrimAlarmsModel::Environment{clock, beep, track, nullptr});
    }
    BrimAlarm stored(const QString &title, BrimDate date, std::optional<BrimDate> firedAt = std::nullopt)
    {
        store->saved.append(makeAlarm(title, date, firedAt));
        return store->saved.last();
    }
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
    const BrimNotificationRequest expected{alarm.notificationID(), QStringLiteral("Ostrel Brimkit"),
                                           QStringLiteral("Stand up"), false, BrimNotificationTrigger::atDate(t0 + 600)};
    EXPECT_EQ(center->pending, QList{expected});
}

TEST_F(Alarms, WhatHappensDuringAnAddDecidesWhatStaysPending)
{
    enum Step { removeSoon = 1, switchOff = 2, quit = 4, destroy = 8 };
    const std::pair<int, const char *> rows[] = {
        {removeSoon, "Later"},
        {removeSoon | quit, ""},
        {switchOff | quit, ""},
        {quit, "Soon"},  // what was added stays for the desktop to deliver; nothing more is added
        {destroy, ""},   // nobody is left to keep track of it, so it is not kept
    };
    for (const auto &[steps, expected] : rows) {
        SCOPED_TRACE(steps);
        reset();
        const BrimAlarm soon = stored(QStringLiteral("Soon"), t0 + 300);
        stored(QStringLiteral("Later"), t0 + 600);
        center->addGate = FakeNotificationCenter::gate();
        auto model = make(); // held in the add of "Soon"
        model->synchronize(false); // a second worker queued behind it
        ASSERT_EQ(center->added, QStringList{soon.notificationID()});
        if (steps & removeSoon)
            model->remove(soon.id);
        if (steps & switchOff) {
            model->setEnabled(false);
            model->synchronize(false);
        }
        if (steps & quit)
            model->shutdown();
        if (steps & destroy)
            model.reset();
        FakeNotificationCenter::open(center->addGate);
        EXPECT_EQ(center->bodies(), expected);
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
    EXPECT_EQ(center->added, (QStringList{a.notificationID(), b.notificationID()}));
    EXPECT_TRUE(std::none_of(center->pending.cbegin(), center->pending.cend(), [](auto &r) { return r.sound; }));
}

TEST_F(Alarms, OnePermissionPromptForTimerAndAlarmsAndNothingAfterShutdown)
{
    center->current.authorizationStatus = Status::notDetermined;
    center->authorizationGate = FakeNotificationCenter::gate();
    auto model = makeModel();
    model->alarms().add(QStringLiteral("One"), t0 + 600, t0);
    model->alarms().add(QStringLiteral("Two"), t0 + 1200, t0);
    model->startTimer(10, BrimTimerKind::timer);
    FakeNotificationCenter::open(center->authorizationGate);
    EXPECT_EQ(center->authorizationRequests, 1);
    EXPECT_EQ(center->bodies(), "One, Timer finished, Two");
    EXPECT_FALSE(model->alarms().notificationNote());

    // Shut down while waiting for permission: even once granted, nothing more is added.
    reset();
    center->current.authorizationStatus = Status::notDetermined;
    center->authorizationGate = FakeNotificationCenter::gate();
    auto alarms = make();
    alarms->add(QStringLiteral("Tea"), t0 + 300, t0); // asks, and waits for the answer
    alarms->synchronize(true);                        // queued behind it
    alarms->shutdown();
    FakeNotificationCenter::open(center->authorizationGate);
    alarms->synchronize(true);
    EXPECT_EQ(center->authorizationRequests, 1);
    EXPECT_TRUE(center->added.isEmpty());
}

TEST_F(Alarms, SweepTouchesOnlyAlarmRequestsAndOnlyWhenItMay)
{
    const QString orphan = QStringLiteral("brimkit.alarm.") + brimUuidText(QUuid::createUuid());
    const struct { const char *name; bool unreadable, enabled; const char *left; } rows[] = {
        {"readable, on: the orphan goes", false, true, "Alarmist, Mine, Timer"},
        {"readable, switched off: every alarm request goes", false, false, "Alarmist, Timer"},
        // Unread, the book cannot tell which pending requests are its own.
        {"unreadable, on: all left alone", true, true, "Alarmist, Mine, Orphan, Timer"},
        {"unreadable, switched off: every alarm request goes", true, false, "Alarmist, Timer"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        reset();
        const BrimAlarm alarm = stored(QStringLiteral("Mine"), t0 + 600);
        if (row.unreadable)
            store->loadError = BrimAlarmStoreError(BrimAlarmError::invalidArchive);
        const std::pair<QString, const char *> requests[] = {{alarm.notificationID(), "Mine"}, {orphan, "Orphan"},
            {QStringLiteral("brimkit.timer.1"), "Timer"}, {QStringLiteral("brimkit.alarmist"), "Alarmist"}};
        for (const auto &[id, body] : requests)
            center->pending.append(BrimNotificationRequest{id, {}, QLatin1String(body), true, {}});
        auto model = make();
        model->setEnabled(row.enabled);
        model->synchronize(false);
        EXPECT_EQ(center->bodies(), row.left);
    }
}

TEST_F(Alarms, NotesSayWhyAlarmsWillNotShow)
{
    const auto &notes = Notes::alarmNotes;
    // An add asks for permission; a plain synchronization does not.
    const struct { const char *name; Status status; Alert alert; std::optional<QString> promptError; bool asking;
                   const char *note, *pending; int prompts; } rows[] = {
        {"denied", Status::denied, Alert::enabled, {}, true, notes.notificationsOff, "", 0},
        {"banners off", Status::authorized, Alert::disabled, {}, false, notes.bannersOff, "Stored", 0},
        {"never asked, not asking", Status::notDetermined, Alert::enabled, {}, false, notes.notificationsOff, "", 0},
        {"never asked, asking", Status::notDetermined, Alert::enabled, {}, true, nullptr, "Added, Stored", 1},
        {"prompt fails", Status::notDetermined, Alert::enabled, QStringLiteral("no"), true, notes.schedulingFailed, "", 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        reset();
        center->current = {row.status, row.alert};
        center->authorizationError = row.promptError;
        stored(QStringLiteral("Stored"), t0 + 600);
        auto model = make();
        if (row.asking)
            model->add(QStringLiteral("Added"), t0 + 900, t0);
        EXPECT_EQ(model->notificationNote(), row.note ? std::optional(Notes::text(row.note)) : std::nullopt);
        EXPECT_EQ(center->bodies(), row.pending);
        EXPECT_EQ(center->authorizationRequests, row.prompts);
    }
}

TEST_F(Alarms, FailedAddStopsTheRunAndTheEarlierRequestStillSounds)
{
    const BrimAlarm soon = stored(QStringLiteral("Soon"), t0 + 60);
    stored(QStringLiteral("Next year"), t0 + aYear);
    auto model = make();
    center->addError = QStringLiteral("refused");
    center->added.clear();
    model->synchronize(false);
    EXPECT_EQ(center->added, QStringList{soon.notificationID()});
    EXPECT_EQ(model->notificationNote(), Notes::text(Notes::alarmNotes.schedulingFailed));
    tick(*model, 60);
    EXPECT_EQ(titles(model->book().alarms()), "Soon*, Next year");
    EXPECT_EQ(beep->count, 0);
}

TEST_F(Alarms, BeepsOnlyWhenNoNotificationMakesTheSound)
{
    // switchedOff: notifications off after they were scheduled; oneUnscheduled: a further alarm whose add failed;
    // noCenter: the desktop offers no notifications (an alarm added and removed there too).
    const struct { const char *name; Status status; bool sound; int alarms; bool switchedOff, restoring, oneUnscheduled, noCenter; int beeps; } rows[] = {
        {"sound notification pending", Status::authorized, true, 1, false, false, false, false, 0},
        {"one of two without a notification", Status::authorized, true, 1, false, false, true, false, 1},
        {"not authorized", Status::denied, true, 1, false, false, false, false, 1},
        {"three on one tick", Status::denied, true, 3, false, false, false, false, 1},
        {"sound off", Status::denied, false, 1, false, false, false, false, 0},
        {"notifications switched off", Status::authorized, true, 1, true, false, false, false, 1},
        {"restoring", Status::denied, true, 1, false, true, false, false, 0},
        {"no notification centre", Status::denied, true, 1, false, false, false, true, 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        reset();
        center->current.authorizationStatus = row.status;
        for (int i = 0; i < row.alarms; ++i)
            stored(QStringLiteral("Alarm %1").arg(i), t0 + 30);
        if (row.noCenter)
            center = nullptr;
        auto model = make(true, row.sound);
        if (row.noCenter) {
            model->add(QStringLiteral("Gone"), t0 + 45, t0);
            model->remove(model->book().upcoming().last().id);
        }
        if (row.oneUnscheduled) {
            center->addError = QStringLiteral("refused");
            model->add(QStringLiteral("Unscheduled"), t0 + 60, t0);
        }
        if (row.switchedOff) {
            model->setEnabled(false);
            model->synchronize(false);
        }
        tick(*model, 60, row.restoring);
        const qsizetype fired = row.alarms + (row.oneUnscheduled ? 1 : 0);
        EXPECT_EQ(model->book().completed().size(), fired);
        EXPECT_EQ(count(row.restoring ? "brim.alarmmissed" : "brim.alarmcompleted"), fired);
        EXPECT_EQ(beep->count, row.beeps);
        EXPECT_EQ(titles(model->book().upcoming()), "");
        EXPECT_TRUE(!row.noCenter || !model->notificationNote());
    }
}

TEST_F(Alarms, UnreadableFileBlocksEverythingUntilRepairedThenRecovers)
{
    QTemporaryDir dir;
    const auto file = std::make_shared<FileBrimAlarmStore>(dir.filePath(QStringLiteral("alarms.json")));
    const BrimAlarm later = makeAlarm(QStringLiteral("Later"), t0 + 3600);
    ASSERT_TRUE(file->save({makeAlarm(QStringLiteral("Overdue"), t0 + 30), later}).ok());
    const QByteArray good = readFile(file->url());
    const QByteArray damaged = good.left(good.size() / 2);
    ASSERT_TRUE(writeFile(file->url(), damaged));
    clock->set(t0 + 60);
    auto model = make(true, true, file);
    const QString issue = BrimAlarmError(BrimAlarmError::invalidArchive).description();
    EXPECT_EQ(model->storageIssue(), issue);
    model->add(QStringLiteral("New"), clock->now() + 600, clock->now());
    model->remove(later.id);
    tick(*model, 60);
    model->retryStorage(); // still unreadable
    EXPECT_EQ(titles(model->book().alarms()), "");
    EXPECT_EQ(model->storageIssue(), issue);
    EXPECT_FALSE(model->message());
    EXPECT_EQ(tracked.join(QLatin1Char(' ')), QStringLiteral("brim.alarmstoragefailed brim.alarmstoragefailed"));
    EXPECT_EQ(center->bodies(), "");
    EXPECT_EQ(readFile(file->url()), damaged);

    ASSERT_TRUE(writeFile(file->url(), good));
    model->retryStorage();
    EXPECT_FALSE(model->storageIssue());
    EXPECT_EQ(titles(model->book().alarms()), "Overdue*, Later");
    EXPECT_EQ(model->book().completed().first().firedAt, clock->now());
    EXPECT_EQ(count("brim.alarmmissed"), 1);
    EXPECT_EQ(beep->count, 0);
    EXPECT_EQ(center->bodies(), "Later, Overdue");
    EXPECT_EQ(file->load().value(), model->book().alarms());
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
    EXPECT_EQ(titles(model->book().alarms()), "Tea*, Call");
    EXPECT_EQ(titles(store->saved), "Tea, Call");
    EXPECT_EQ(model->storageIssue(), BrimAlarmsModel::completionNotSavedIssue());
    EXPECT_EQ(tracked.join(QLatin1Char(' ')), QStringLiteral("brim.alarmcompleted brim.alarmstoragefailed"));

    // Blocked while the completion is unsaved.
    store->saveError.reset();
    model->add(QStringLiteral("More"), t0 + 600, clock->now());
    model->remove(call.id);
    EXPECT_EQ(titles(model->book().alarms()), "Tea*, Call");

    // Meanwhile the file gained an alarm from elsewhere; the file wins except for completions.
    store->saved.append(makeAlarm(QStringLiteral("Elsewhere"), t0 + 7200));
    model->retryStorage();
    EXPECT_FALSE(model->storageIssue());
    EXPECT_EQ(titles(store->saved), "Tea*, Call, Elsewhere");
    EXPECT_EQ(store->saved.first().firedAt, t0 + 60);
    EXPECT_EQ(store->saved, model->book().alarms());
    EXPECT_EQ(count("brim.alarmmissed"), 0);
    EXPECT_NE(center->bodies().find("Elsewhere"), std::string::npos);
}

TEST_F(Alarms, ChangesThatCannotBeSavedKeepTheBook)
{
    const BrimAlarm upcoming = stored(QStringLiteral("Upcoming"), t0 + 600);
    const BrimAlarm done = stored(QStringLiteral("Done"), t0 - 100, t0 - 100);
    auto model = make();
    center->added.clear();
    store->saveError = BrimAlarmStoreError(BrimAlarmError::invalidArchive);
    model->add(QStringLiteral("Tea"), t0 + 600, t0);
    EXPECT_EQ(model->message(), BrimAlarmError(BrimAlarmError::invalidArchive).description());
    model->remove(upcoming.id);
    EXPECT_EQ(model->message(), BrimAlarmsModel::removalNotSavedMessage());
    EXPECT_EQ(titles(model->book().alarms()), "Upcoming, Done*");
    EXPECT_EQ(center->bodies(), "Upcoming");
    EXPECT_TRUE(center->added.isEmpty());
    EXPECT_EQ(tracked.join(QLatin1Char(' ')), QStringLiteral("brim.alarmstoragefailed brim.alarmstoragefailed"));

    store->saveError.reset();
    model->remove(upcoming.id);
    EXPECT_FALSE(model->message());
    model->remove(done.id);
    model->add(QStringLiteral("Tea"), t0 + 600, t0);
    EXPECT_EQ(titles(store->saved), "Tea");
    EXPECT_EQ(center->bodies(), "Tea");
    EXPECT_EQ(center->removedDelivered, (QStringList{upcoming.notificationID(), done.notificationID()}));
    EXPECT_EQ(tracked.mid(2).join(QLatin1Char(' ')),
              QStringLiteral("brim.alarmcancelled brim.alarmdismissed brim.alarmcreated"));
}

TEST_F(Alarms, MainModelKeepsAlarmRequestsInStep)
{
    stored(QStringLiteral("Tea"), t0 + 600);
    auto model = makeModel(true);
    center->pending.append(BrimNotificationRequest{QStringLiteral("brimkit.alarm.") + brimUuidText(QUuid::createUuid()),
                                                  {}, QStringLiteral("Orphan"), false, {}});
    events->send(BrimSystemEvent::timeZoneChanged);
    EXPECT_EQ(center->bodies(), "Tea");
    model->setSoundEnabled(false);
    EXPECT_FALSE(center->pending.value(0).sound);
    model->setNotificationEnabled(false);
    EXPECT_EQ(center->bodies(), "");
    model->setNotificationEnabled(true);
    EXPECT_EQ(center->bodies(), "Tea");

    model->shutdown();
    center->pending.clear();
    model->alarms().synchronize(true);
    EXPECT_EQ(center->bodies(), "");
}

TEST_F(Alarms, AlarmDueWhileNotRunningIsMissedOnceAtStart)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("app/alarms.json")); // folder made on first save
    const auto start = [&] { return make(true, true, std::make_shared<FileBrimAlarmStore>(path)); };
    start()->add(QStringLiteral("Stand up"), t0 + 3600, t0);
    start()->add(QStringLiteral("Next year"), t0 + aYear, t0);
    const BrimDate restart = t0 + 7200;
    clock->set(restart);
    center = std::make_shared<FakeNotificationCenter>();
    tracked.clear();
    {
        auto model = start();
        EXPECT_EQ(titles(model->book().alarms()), "Stand up*, Next year");
        EXPECT_EQ(model->book().completed().first().firedAt, restart);
        EXPECT_EQ(tracked, QStringList{QStringLiteral("brim.alarmmissed")});
        model->refresh(clock->now(), false);
        EXPECT_EQ(beep->count, 0);
        // Its notification is shown now, once, without sound.
        EXPECT_EQ(center->bodies(), "Next year, Stand up");
        const QString missed = model->book().completed().first().notificationID();
        EXPECT_EQ(center->pending.first(), (BrimNotificationRequest{missed, QStringLiteral("Ostrel Brimkit"), QStringLiteral("Stand up"),
                                                                    false, BrimNotificationTrigger::atDate(restart)}));
        model->synchronize(true);
        EXPECT_EQ(center->added.count(missed), 1);
    }
    // The completion reached the file: the next start has nothing to report.
    clock->advance(60);
    tracked.clear();
    auto model = start();
    EXPECT_TRUE(tracked.isEmpty());
    EXPECT_EQ(model->book().completed().first().firedAt, restart);
}
