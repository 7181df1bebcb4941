#include "core/FileBrimAlarmStore.h"
#include "tests/core/AlarmTestSupport.h"
#include "tests/platform/SmallFileSystem.h"
#include "tests/support/Patience.h"
#include "tests/support/ModelFakes.h"

#include <QSemaphore>
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

// Saves wait on the worker until the test lets them through.
struct HeldSaves final : BrimAlarmStoring {
    std::shared_ptr<MemoryAlarmStore> memory = std::make_shared<MemoryAlarmStore>();
    QSemaphore entered, release;
    Result<QList<BrimAlarm>, BrimAlarmStoreError> load() override { return memory->load(); }
    Result<void, BrimAlarmStoreError> save(const QList<BrimAlarm> &alarms) override
    {
        entered.release();
        release.acquire();
        return memory->save(alarms);
    }
};

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
                                          std::shared_ptr<BrimAlarmStoring> otherStore = nullptr, bool onWorker = false)
    {
        const auto track = [this](OstrelEvent e) { tracked << e.rawValue(); };
        auto model = std::make_unique<BrimAlarmsModel>(otherStore ? otherStore : store, center, enabled, sound,
                                                       BrimAlarmsModel::Environment{clock, beep, track, nullptr, onWorker});
        settle(*model);
        return model;
    }
    // Until every file operation asked for has ended; each end is an event.
    static void settle(BrimAlarmsModel &model)
    {
        while (model.isStoring())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
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

TEST_F(Alarms, FiringShowsTheAlarmsNotificationAndWakesTheClockAtItsMoment)
{
    const BrimAlarm alarm = stored(QStringLiteral("Stand up"), t0 + 600.75);
    stored(QStringLiteral("Old"), t0 - 60, t0 - 60);
    auto model = make(true, false);
    EXPECT_EQ(model->nextDue(), t0 + 600.75);
    tick(*model, 600);
    EXPECT_TRUE(center->shown.isEmpty());
    tick(*model, 1);
    const QString scheduled = BrimTimePresentation(BrimTimePresentation::Alarm{alarm}).detail();
    EXPECT_EQ(center->shown, QList{(BrimNotificationRequest{alarm.notificationID(), QStringLiteral("Stand up"), scheduled, false})});
    EXPECT_FALSE(model->nextDue());
}

TEST_F(Alarms, AChangeAskedForWhileASaveIsInFlightWaitsForIt)
{
    const auto held = std::make_shared<HeldSaves>();
    auto model = make(true, true, held, true);
    model->add(QStringLiteral("First"), t0 + 600, t0);
    ASSERT_TRUE(held->entered.tryAcquire(1, patienceMs)); // the first save runs on the worker
    model->add(QStringLiteral("Second"), t0 + 900, t0);
    EXPECT_TRUE(model->isStoring());
    EXPECT_EQ(titles(model->book().alarms()), "");
    held->release.release(3);
    Alarms::settle(*model);
    EXPECT_EQ(titles(model->book().alarms()), "First, Second");
    model->remove(model->book().alarms().first().id);
    Alarms::settle(*model);
    EXPECT_EQ(titles(held->memory->saved), "Second");
    EXPECT_EQ(held->memory->saves, 3);

    // Quitting waits for a change still on its way to the file.
    model->add(QStringLiteral("Third"), t0 + 1200, t0);
    held->release.release(1);
    model->shutdown();
    EXPECT_EQ(titles(held->memory->saved), "Second, Third");
}

TEST_F(Alarms, AMissedAlarmIsShownAsItIsRecordedAndNothingAfterShutdown)
{
    stored(QStringLiteral("Missed"), t0 - 60);
    center->settingsGate = FakeNotificationCenter::gate();
    auto model = make(); // shown without waiting for the settings: it is recorded as told
    ASSERT_EQ(center->shown.size(), 1);
    model->shutdown();
    FakeNotificationCenter::open(center->settingsGate);
    model->synchronize(true);
    EXPECT_EQ(center->shown.size(), 1);
}

TEST_F(Alarms, NotesSayWhyAlarmsWillNotShow)
{
    const auto &notes = Notes::alarmNotes;
    // An add starts a series that may ask for permission; a plain synchronization does not.
    const struct { const char *name; Status status; Alert alert; bool asking; const char *note; int denials; } rows[] = {
        {"denied, asking", Status::denied, Alert::enabled, true, notes.notificationsOff, 1},
        {"denied", Status::denied, Alert::enabled, false, notes.notificationsOff, 0},
        {"banners off", Status::authorized, Alert::disabled, false, notes.bannersOff, 0},
        {"provisional", Status::provisional, Alert::enabled, true, nullptr, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        reset();
        center->current = {row.status, row.alert};
        stored(QStringLiteral("Stored"), t0 + 600);
        auto model = make();
        if (row.asking)
            model->add(QStringLiteral("Added"), t0 + 900, t0);
        EXPECT_EQ(model->notificationNote(), row.note ? std::optional(Notes::text(row.note)) : std::nullopt);
        EXPECT_EQ(count("brim.notificationdenied"), row.denials);
    }
}

TEST_F(Alarms, BeepsOnlyWhenNoNotificationMakesTheSound)
{
    // switchedOff: notifications off after the last synchronization; refused: the desktop refuses to show;
    // noCenter: the desktop offers no notifications (an alarm added and removed there too).
    const struct { const char *name; Status status; bool sound; int alarms; bool switchedOff, restoring, refused, noCenter;
                   int beeps, shown; } rows[] = {
        {"notification shown", Status::authorized, true, 1, false, false, false, false, 0, 1},
        {"three shown on one tick", Status::authorized, true, 3, false, false, false, false, 0, 3},
        {"refused: each tried at once, one beep", Status::authorized, true, 3, false, false, true, false, 1, 3},
        {"not authorized", Status::denied, true, 1, false, false, false, false, 1, 0},
        {"three on one tick", Status::denied, true, 3, false, false, false, false, 1, 0},
        {"sound off", Status::denied, false, 1, false, false, false, false, 0, 0},
        {"notifications switched off", Status::authorized, true, 1, true, false, false, false, 1, 0},
        {"restoring", Status::denied, true, 1, false, true, false, false, 0, 0},
        {"no notification centre", Status::denied, true, 1, false, false, false, true, 1, 0},
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
        if (row.refused)
            center->showError = QStringLiteral("refused");
        if (row.switchedOff)
            model->setEnabled(false);
        tick(*model, 60, row.restoring);
        EXPECT_EQ(model->book().completed().size(), row.alarms);
        EXPECT_EQ(count(row.restoring ? "brim.alarmmissed" : "brim.alarmcompleted"), row.alarms);
        EXPECT_EQ(beep->count, row.beeps);
        EXPECT_EQ(center ? center->shown.size() : 0, row.shown);
        if (row.refused) {
            EXPECT_EQ(model->notificationNote(), Notes::text(Notes::alarmNotes.schedulingFailed));
        }
    }
}

TEST_F(Alarms, ARefusalIsReportedOncePerSeries)
{
    stored(QStringLiteral("One"), t0 + 60);
    stored(QStringLiteral("Two"), t0 + 120);
    auto model = make();
    center->showError = QStringLiteral("refused");
    tick(*model, 60);
    model->synchronize(false); // the same series
    tick(*model, 60);
    EXPECT_EQ(count("brim.notificationfailed"), 1);
    model->add(QStringLiteral("Three"), t0 + 180, clock->now()); // may ask: a new series
    tick(*model, 60);
    EXPECT_EQ(count("brim.notificationfailed"), 2);
    EXPECT_EQ(center->titles(), "One, Two, Three");
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
    auto model = make(true, true, file, true); // the real file, read and written on the worker
    const QString issue = BrimAlarmError(BrimAlarmError::invalidArchive).description();
    EXPECT_EQ(model->storageIssue(), issue);
    model->add(QStringLiteral("New"), clock->now() + 600, clock->now());
    model->remove(later.id);
    tick(*model, 60);
    model->retryStorage(); // still unreadable
    settle(*model);
    EXPECT_EQ(titles(model->book().alarms()), "");
    EXPECT_EQ(model->storageIssue(), issue);
    EXPECT_FALSE(model->message());
    EXPECT_EQ(tracked.join(QLatin1Char(' ')), QStringLiteral("brim.alarmstoragefailed brim.alarmstoragefailed"));
    EXPECT_EQ(readFile(file->url()), damaged);

    ASSERT_TRUE(writeFile(file->url(), good));
    model->retryStorage();
    settle(*model);
    EXPECT_FALSE(model->storageIssue());
    EXPECT_EQ(titles(model->book().alarms()), "Overdue*, Later");
    EXPECT_EQ(model->book().completed().first().firedAt, clock->now());
    EXPECT_EQ(count("brim.alarmmissed"), 1);
    EXPECT_EQ(beep->count, 0);
    EXPECT_EQ(center->titles(), "Overdue");
    EXPECT_EQ(file->load().value(), model->book().alarms());
    model->add(QStringLiteral("New"), clock->now() + 600, clock->now());
    settle(*model);
    EXPECT_EQ(model->book().upcoming().size(), 2);
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
        // Shown now, once, without sound, saying when it was due.
        const BrimAlarm missed = model->book().completed().first();
        const QString body = QStringLiteral("Missed while Brimkit was closed. It was due %1.")
                                 .arg(BrimTimePresentation::dateTimeText(t0 + 3600));
        EXPECT_EQ(center->shown, QList{(BrimNotificationRequest{missed.notificationID(), QStringLiteral("Stand up"), body, false})});
        model->synchronize(true);
        EXPECT_EQ(center->shown.size(), 1);
    }
    // The completion reached the file: the next start has nothing to report.
    clock->advance(60);
    tracked.clear();
    auto model = start();
    EXPECT_TRUE(tracked.isEmpty());
    EXPECT_EQ(model->book().completed().first().firedAt, restart);
}

TEST_F(Alarms, DiskFaultsAtEachWriteKeepTheFileAndSaySo)
{
    QTemporaryDir dir;
    SmallFileSystem disk(dir.path());
    if (!disk.ok())
        GTEST_SKIP() << "cannot mount a small file system here: " << disk.error().toStdString();
    const auto file = std::make_shared<FileBrimAlarmStore>(dir.filePath(QStringLiteral("app/alarms.json")));
    const BrimAlarm kept = makeAlarm(QStringLiteral("Kept"), t0 + 3600);
    ASSERT_TRUE(file->save({kept, makeAlarm(QStringLiteral("Done 1"), t0 - 60, t0 - 60), makeAlarm(QStringLiteral("Due 1"), t0 + 30),
                            makeAlarm(QStringLiteral("Done 2"), t0 - 60, t0 - 60), makeAlarm(QStringLiteral("Due 2"), t0 + 90)})
                    .ok());
    auto model = make(true, false, file, true); // saved on the worker, as in the app
    const char *const reasons[] = {"No space left on device", "is not writable"};
    int round = 0;
    for (const SmallFileSystem::Fault &f : disk.faults()) {
        SCOPED_TRACE(f.name);
        const char *const reason = reasons[round++];
        const QByteArray before = readFile(file->url());
        const std::string shownBefore = titles(model->book().alarms());
        ASSERT_TRUE(f.begin());
        const auto unchanged = [&](const char *write) {
            SCOPED_TRACE(write);
            settle(*model);
            EXPECT_EQ(readFile(file->url()), before);
            EXPECT_EQ(QDir(dir.filePath(QStringLiteral("app"))).entryList(QDir::Files | QDir::Hidden),
                      (QStringList{QStringLiteral("alarms.json"), QStringLiteral("alarms.json.lock")}));
        };
        model->add(QStringLiteral("New"), clock->now() + 600, clock->now());
        unchanged("add");
        ASSERT_TRUE(model->message());
        EXPECT_TRUE(model->message()->contains(QLatin1String(reason))) << model->message()->toStdString();
        model->remove(kept.id);
        unchanged("cancel");
        EXPECT_EQ(model->message(), BrimAlarmsModel::removalNotSavedMessage());
        const BrimAlarm done = model->book().completed().first();
        model->remove(done.id);
        unchanged("dismiss");
        EXPECT_EQ(titles(model->book().alarms()), shownBefore);
        tick(*model, 60);
        unchanged("fire");
        EXPECT_EQ(model->storageIssue(), BrimAlarmsModel::completionNotSavedIssue());
        EXPECT_EQ(center->titles(), round == 1 ? "Due 1" : "Due 1, Due 2") << "told, though not recorded";

        ASSERT_TRUE(f.end());
        model->retryStorage();
        settle(*model);
        EXPECT_FALSE(model->storageIssue());
        model->remove(done.id);
        settle(*model);
        EXPECT_FALSE(model->message());
        EXPECT_EQ(file->load().value(), model->book().alarms());
        EXPECT_EQ(center->removedDelivered.last(), done.notificationID());
    }
    EXPECT_EQ(titles(model->book().alarms()), "Kept, Due 1*, Due 2*");
    const QString failed = QStringLiteral("brim.alarmstoragefailed");
    EXPECT_EQ(tracked, (QStringList{failed, failed, failed, QStringLiteral("brim.alarmcompleted"), failed,
                                    QStringLiteral("brim.alarmdismissed")}
                        + QStringList{failed, failed, failed, QStringLiteral("brim.alarmcompleted"), failed,
                                      QStringLiteral("brim.alarmdismissed")}));
}
