// Properties of the alarm file: whatever the book accepts comes back exactly
// (dates bit for bit: the generator mixes in -0.0, subnormals and full
// mantissas), and a saver killed at any instant leaves the old or the new list.
#include "core/BrimAlarmArchive.h"
#include "core/FileBrimAlarmStore.h"
#include "tests/core/AlarmTestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <sys/wait.h>
#include <unistd.h>

using namespace alarmtest;

TEST(AlarmArchiveProperty, EncodeDecodeGivesBackEveryAcceptedList)
{
    AlarmGenerator gen(0x5EED);
    for (int round = 0; round < 1000; ++round) {
        const QList<BrimAlarm> alarms = gen.list(round % 21);
        const auto book = BrimAlarmBook::make(alarms);
        ASSERT_TRUE(book.ok()) << "generator produced a refused list in round " << round;
        const QByteArray bytes = BrimAlarmArchive::encode(book.value());
        const auto decoded = BrimAlarmArchive::decode(bytes);
        ASSERT_TRUE(decoded.ok()) << "round " << round << ": " << bytes.toStdString();
        ASSERT_TRUE(identical(decoded.value(), alarms)) << "round " << round << ": " << bytes.toStdString();
    }
}

// A child saves two lists in turn and is killed at random instants; each time
// the file must read as one of the two lists. The child reports every finished
// save and how long it took, by its own clock, so the kill points follow its
// progress rather than this process's idea of time: the save after which it is
// killed is drawn at random (so either list may be the last complete one, at
// any speed), and the delay within the next save is a random share of the
// child's own last save.
TEST(FileBrimAlarmStoreCrash, KilledSaverLeavesTheOldOrTheNewList)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("alarms.json"));
    AlarmGenerator gen(0xC0FFEE);
    const QList<BrimAlarm> first = gen.list(20);
    const QList<BrimAlarm> second = gen.list(3);
    ASSERT_TRUE(FileBrimAlarmStore(path).save(first).ok());

    struct Progress {
        std::uint32_t saves; // finished so far
        std::uint32_t lastMicros;
    };
    std::mt19937 rng(42);
    int sawFirst = 0, sawSecond = 0;
    constexpr int kills = 100;
    for (int i = 0; i < kills; ++i) {
        int reports[2];
        ASSERT_EQ(::pipe(reports), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(reports[0]);
            FileBrimAlarmStore store(path);
            for (std::uint32_t k = 0;; ++k) {
                timespec begin{}, end{};
                ::clock_gettime(CLOCK_MONOTONIC, &begin);
                if (!store.save(k % 2 ? first : second).ok())
                    ::_exit(3);
                ::clock_gettime(CLOCK_MONOTONIC, &end);
                const auto micros = (end.tv_sec - begin.tv_sec) * 1'000'000 + (end.tv_nsec - begin.tv_nsec) / 1000;
                const Progress report{k + 1, static_cast<std::uint32_t>(micros)};
                if (::write(reports[1], &report, sizeof report) != sizeof report)
                    ::_exit(4);
            }
        }
        ::close(reports[1]);
        const std::uint32_t killAfter = std::uniform_int_distribution<std::uint32_t>(1, 2)(rng);
        Progress report{0, 0};
        while (report.saves < killAfter)
            ASSERT_EQ(::read(reports[0], &report, sizeof report), ssize_t(sizeof report)) << "the saver died";
        ::usleep(std::uniform_int_distribution<std::uint32_t>(0, report.lastMicros)(rng));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ::close(reports[0]);
        ASSERT_TRUE(WIFSIGNALED(status)) << "saver stopped by itself with status " << status;

        const auto loaded = FileBrimAlarmStore(path).load();
        ASSERT_TRUE(loaded.ok()) << "kill " << i << ": " << loaded.error().description().toStdString();
        if (identical(loaded.value(), first))
            ++sawFirst;
        else if (identical(loaded.value(), second))
            ++sawSecond;
        else
            FAIL() << "kill " << i << " left a list that was never saved";
    }
    // Whatever the machine's speed, the last complete save is as often the
    // first list as the second, so both outcomes occur.
    EXPECT_GT(sawFirst, 0);
    EXPECT_GT(sawSecond, 0);
    RecordProperty("sawFirst", sawFirst);
    RecordProperty("sawSecond", sawSecond);
}

// Two processes each add ten alarms, one update at a time, while this one
// keeps reading: no read fails and no addition is lost.
TEST(FileBrimAlarmStoreLock, ConcurrentWritersLoseNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("alarms.json"));
    pid_t writers[2];
    for (int w = 0; w < 2; ++w) {
        writers[w] = ::fork();
        ASSERT_GE(writers[w], 0);
        if (writers[w] != 0)
            continue;
        FileBrimAlarmStore store(path);
        for (int i = 0; i < 10; ++i) {
            const auto added = store.update([&](QList<BrimAlarm> alarms) -> Result<std::optional<QList<BrimAlarm>>, BrimAlarmStoreError> {
                alarms.append(BrimAlarm{QUuid::createUuid(), QStringLiteral("%1.%2").arg(w).arg(i),
                                        BrimDate::fromSeconds(900'000'000), QStringLiteral("UTC"), {}});
                return std::optional(alarms);
            });
            if (!added.ok())
                ::_exit(2);
        }
        ::_exit(0);
    }
    int running = 2, reads = 0;
    while (running > 0) {
        const auto loaded = FileBrimAlarmStore(path).load();
        ASSERT_TRUE(loaded.ok()) << loaded.error().description().toStdString();
        ++reads;
        for (const pid_t writer : writers) {
            int status = 0;
            if (::waitpid(writer, &status, WNOHANG) == writer) {
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer status " << status;
                --running;
            }
        }
    }
    EXPECT_EQ(FileBrimAlarmStore(path).load().value().size(), 20) << "after " << reads << " reads";
}
