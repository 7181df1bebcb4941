#include "core/BrimAlarmArchive.h"
#include "core/FileBrimAlarmStore.h"
#include "tests/core/AlarmTestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace alarmtest;

namespace {

const char *const tea = R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","title":"Tea","date":100.5,"timeZoneID":"UTC"})";

QByteArray archiveOf(const QByteArray &alarms, const QByteArray &version = "1")
{
    return "{\"version\":" + version + ",\"alarms\":[" + alarms + "]}";
}

QByteArray manyAlarms(int count)
{
    QByteArrayList out;
    for (int i = 0; i < count; ++i)
        out << QStringLiteral(R"({"id":"00000000-0000-0000-0000-%1","title":"t","date":%2,"timeZoneID":"UTC"})")
                   .arg(i, 12, 10, QLatin1Char('0')).arg(i).toUtf8();
    return out.join(',');
}

std::optional<BrimAlarmError::Value> storeErrorCase(const BrimAlarmStoreError &e)
{
    return e.alarmError() ? std::optional(e.alarmError()->value()) : std::nullopt;
}

} // namespace

TEST(FileBrimAlarmStore, MissingFileAndFolderLoadEmptyThenSaveCreatesBoth)
{
    QTemporaryDir dir;
    FileBrimAlarmStore store(dir.filePath(QStringLiteral("a/b/alarms.json")));
    const auto empty = store.load();
    ASSERT_TRUE(empty.ok());
    EXPECT_TRUE(empty.value().isEmpty());
    AlarmGenerator gen(11);
    // A list the book refuses is not saved, and makes no folder.
    const auto refused = store.save(gen.list(21));
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(storeErrorCase(refused.error()), BrimAlarmError::invalidArchive);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("a"))));

    const QList<BrimAlarm> alarms = gen.list(7);
    ASSERT_TRUE(store.save(alarms).ok());
    EXPECT_TRUE(identical(store.load().value(), alarms));
    // The file and its lock: no temporary files left behind.
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("a/b"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              (QStringList{QStringLiteral("alarms.json"), QStringLiteral("alarms.json.lock")}));
}

TEST(FileBrimAlarmStore, UpdateTellsTheMomentTheFileHoldsTheChangeAndOnlyThen)
{
    QTemporaryDir dir;
    FileBrimAlarmStore store(dir.filePath(QStringLiteral("alarms.json")));
    const QList<BrimAlarm> alarms = AlarmGenerator(3).list(2);
    int told = 0;
    std::optional<QList<BrimAlarm>> seen;
    const auto tell = [&] { // what a process reading the file now gets
        ++told;
        QFile file(store.url());
        if (file.open(QIODevice::ReadOnly))
            seen = BrimAlarmArchive::decode(file.readAll()).value();
    };
    ASSERT_TRUE(store.update([&](const QList<BrimAlarm> &) { return std::optional(alarms); }, tell).ok());
    EXPECT_EQ(told, 1);
    ASSERT_TRUE(seen);
    EXPECT_TRUE(identical(*seen, alarms));
    // Nothing to change, or a change refused: nothing written, nothing told.
    ASSERT_TRUE(store.update([](const QList<BrimAlarm> &) { return std::optional<QList<BrimAlarm>>(); }, tell).ok());
    ASSERT_FALSE(store.update([&](const QList<BrimAlarm> &) { return std::optional(AlarmGenerator(4).list(21)); }, tell).ok());
    EXPECT_EQ(told, 1);
}

TEST(FileBrimAlarmStore, WritesCompactJsonInMemberOrder)
{
    QTemporaryDir dir;
    FileBrimAlarmStore store(dir.filePath(QStringLiteral("alarms.json")));
    ASSERT_TRUE(store.save({}).ok());
    EXPECT_EQ(readFile(store.url()), QByteArray(R"({"version":1,"alarms":[]})"));

    const QList<BrimAlarm> alarms = {
        alarm("{e621e1f8-c36c-495a-93fc-0c247a3e6e5f}", QStringLiteral("Tea \"green\" \\ caf\u00e9 \U0001F375"), 786000000.5,
              std::nullopt, QStringLiteral("Europe/Berlin")),
        alarm("{00000000-0000-0000-0000-0000000000AB}", QStringLiteral("Call"), -0.1, 786000001.0, QStringLiteral("a\nb")),
    };
    ASSERT_TRUE(store.save(alarms).ok());
    EXPECT_EQ(readFile(store.url()),
              QByteArray(R"({"version":1,"alarms":[)"
                         R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","title":"Tea \"green\" \\ caf)" "\xC3\xA9 \xF0\x9F\x8D\xB5"
                         R"(","date":786000000.5,"timeZoneID":"Europe/Berlin"},)"
                         R"({"id":"00000000-0000-0000-0000-0000000000AB","title":"Call","date":-0.1,"timeZoneID":"a\nb","firedAt":786000001.0}]})"));
}

TEST(FileBrimAlarmStore, ReadsArchivesByTheirRules)
{
    using E = BrimAlarmError;
    struct Row { const char *what; QByteArray bytes; std::optional<E::Value> error; qsizetype count; };
    const QByteArray t = tea;
    const Row rows[] = {
        {"plain", archiveOf(t), std::nullopt, 1},
        {"members in any order, unknown ones ignored", R"({"x":[{}],"alarms":[{"timeZoneID":"UTC","more":{"a":1},"date":1,"title":"T","id":"6F9619FF-8B86-D011-B42D-00C04FC964FF"}],"version":1})", std::nullopt, 1},
        {"firedAt null reads as upcoming", archiveOf(R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","title":"T","date":1,"timeZoneID":"UTC","firedAt":null})"), std::nullopt, 1},
        {"lower-case id", archiveOf(R"({"id":"e621e1f8-c36c-495a-93fc-0c247a3e6e5f","title":"T","date":1,"timeZoneID":"UTC"})"), std::nullopt, 1},
        {"version written as 1.0", archiveOf(t, "1.0"), std::nullopt, 1},
        {"byte order mark", "\xEF\xBB\xBF" + archiveOf(t), std::nullopt, 1},
        {"20 alarms", archiveOf(manyAlarms(20)), std::nullopt, 20},
        {"deep nesting in an unknown member", R"({"version":1,"alarms":[],"deep":)" + QByteArray(65000, '[') + QByteArray(65000, ']') + "}", std::nullopt, 0},
        {"version 2", archiveOf(t, "2"), E::newerArchive, 0},
        {"version 0", archiveOf(t, "0"), E::newerArchive, 0},
        {"version huge", archiveOf(t, "9223372036854775807"), E::newerArchive, 0},
        {"version beyond 64 bits", archiveOf(t, "18446744073709551616"), E::invalidArchive, 0},
        {"version 1.5", archiveOf(t, "1.5"), E::invalidArchive, 0},
        {"version as text", archiveOf(t, "\"1\""), E::invalidArchive, 0},
        {"no version", R"({"alarms":[]})", E::invalidArchive, 0},
        {"newer version that does not decode", R"({"version":2,"alarms":null})", E::invalidArchive, 0},
        {"no alarms", R"({"version":1})", E::invalidArchive, 0},
        {"alarms null", R"({"version":1,"alarms":null})", E::invalidArchive, 0},
        {"alarms an object", R"({"version":1,"alarms":{}})", E::invalidArchive, 0},
        {"alarm not an object", archiveOf("1"), E::invalidArchive, 0},
        {"missing timeZoneID", archiveOf(R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","title":"T","date":1})"), E::invalidArchive, 0},
        {"missing title", archiveOf(R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","date":1,"timeZoneID":"UTC"})"), E::invalidArchive, 0},
        {"missing date", archiveOf(R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","title":"T","timeZoneID":"UTC"})"), E::invalidArchive, 0},
        {"missing id", archiveOf(R"({"title":"T","date":1,"timeZoneID":"UTC"})"), E::invalidArchive, 0},
        {"date as text", archiveOf(R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","title":"T","date":"1","timeZoneID":"UTC"})"), E::invalidArchive, 0},
        {"firedAt as text", archiveOf(R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","title":"T","date":1,"timeZoneID":"UTC","firedAt":"1"})"), E::invalidArchive, 0},
        {"id in braces", archiveOf(R"({"id":"{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}","title":"T","date":1,"timeZoneID":"UTC"})"), E::invalidArchive, 0},
        {"id not a UUID", archiveOf(R"({"id":"E621E1F8C36C495A93FC0C247A3E6E5F","title":"T","date":1,"timeZoneID":"UTC"})"), E::invalidArchive, 0},
        {"21 alarms", archiveOf(manyAlarms(21)), E::invalidArchive, 0},
        {"title with a lone surrogate", archiveOf(R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","title":"a\ud800","date":1,"timeZoneID":"UTC"})"), E::invalidArchive, 0},
        {"date overflowing a double", archiveOf(R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","title":"T","date":1e999,"timeZoneID":"UTC"})"), E::invalidArchive, 0},
        {"invalid UTF-8", archiveOf("{\"id\":\"E621E1F8-C36C-495A-93FC-0C247A3E6E5F\",\"title\":\"\xC3\x28\",\"date\":1,\"timeZoneID\":\"UTC\"}"), E::invalidArchive, 0},
        {"empty file", "", E::invalidArchive, 0},
        {"top level array", "[]", E::invalidArchive, 0},
        {"trailing garbage", archiveOf("") + "x", E::invalidArchive, 0},
    };
    QTemporaryDir dir;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        FileBrimAlarmStore store(dir.filePath(QStringLiteral("alarms.json")));
        ASSERT_TRUE(writeFile(store.url(), row.bytes));
        const auto loaded = store.load();
        EXPECT_EQ(BrimAlarmArchive::decode(row.bytes).ok(), loaded.ok());
        if (!row.error) {
            ASSERT_TRUE(loaded.ok()) << loaded.error().description().toStdString();
            EXPECT_EQ(loaded.value().size(), row.count);
            continue;
        }
        ASSERT_FALSE(loaded.ok());
        EXPECT_EQ(storeErrorCase(loaded.error()), *row.error);
        // A file that does not load is never replaced.
        const auto saved = store.save({});
        EXPECT_TRUE(!saved.ok() && saved.error() == loaded.error());
        EXPECT_EQ(readFile(store.url()), row.bytes);
    }
}

TEST(FileBrimAlarmStore, SizeLimitIsCheckedBeforeReading)
{
    QTemporaryDir dir;
    FileBrimAlarmStore store(dir.filePath(QStringLiteral("alarms.json")));
    QByteArray exact = archiveOf(tea);
    exact += QByteArray(FileBrimAlarmStore::maximumFileSize - exact.size(), ' ');
    ASSERT_EQ(exact.size(), 131072);
    ASSERT_TRUE(writeFile(store.url(), exact));
    EXPECT_EQ(store.load().value().size(), 1);

    const QByteArray over = exact + ' ';
    ASSERT_TRUE(writeFile(store.url(), over));
    const auto refused = store.load();
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(storeErrorCase(refused.error()), BrimAlarmError::invalidArchive);
    EXPECT_FALSE(store.save({}).ok());
    EXPECT_EQ(readFile(store.url()), over);

    // Unreadable content proves the size alone decides: the file is not read.
    ASSERT_TRUE(writeFile(store.url(), QByteArray()));
    ASSERT_EQ(::truncate(QFile::encodeName(store.url()).constData(), 1 << 30), 0); // sparse 1 GiB
    const auto huge = store.load();
    ASSERT_FALSE(huge.ok());
    EXPECT_EQ(storeErrorCase(huge.error()), BrimAlarmError::invalidArchive);
}

TEST(FileBrimAlarmStore, OtherFileKindsFailWithTheirOwnErrorWithoutHangingOrReplacingThem)
{
    QTemporaryDir dir;
    // A folder at the path, or a file where the folder should be: the system's own error.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")) && writeFile(dir.filePath(QStringLiteral("blocker")), "keep me"));
    const std::pair<const char *, int> rows[] = {{"folder", EISDIR}, {"blocker/alarms.json", ENOTDIR}};
    for (const auto &[path, code] : rows) {
        FileBrimAlarmStore store(dir.filePath(QLatin1String(path)));
        const auto loaded = store.load();
        ASSERT_FALSE(loaded.ok());
        EXPECT_EQ(loaded.error().fileSystemCode(), code);
        EXPECT_EQ(loaded.error().description(), QString::fromLocal8Bit(std::strerror(code)));
        EXPECT_FALSE(store.save({}).ok());
    }
    // Deeper down, the folder cannot be created.
    EXPECT_FALSE(FileBrimAlarmStore(dir.filePath(QStringLiteral("blocker/sub/alarms.json"))).save({}).ok());
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("blocker"))), QByteArray("keep me"));

    // A pipe would block a plain read forever.
    FileBrimAlarmStore pipe(dir.filePath(QStringLiteral("pipe")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe.url()).constData(), 0600), 0);
    const auto asPipe = pipe.load();
    ASSERT_FALSE(asPipe.ok());
    EXPECT_EQ(storeErrorCase(asPipe.error()), BrimAlarmError::invalidArchive);
}

TEST(FileBrimAlarmStore, DefaultLocationFollowsXdgDataHome)
{
    const QByteArray oldData = qgetenv("XDG_DATA_HOME"), oldHome = qgetenv("HOME");
    qputenv("HOME", "/home/tester");
    const std::pair<const char *, const char *> rows[] = {{"/data", "/data"}, {"", "/home/tester/.local/share"},
                                                          {"relative/data", "/home/tester/.local/share"}};
    for (const auto &[dataHome, base] : rows) {
        qputenv("XDG_DATA_HOME", dataHome);
        EXPECT_EQ(FileBrimAlarmStore::defaultURL(), QLatin1String(base) + QLatin1String("/app.ostrel.brimkit/alarms.json"));
    }
    qputenv("XDG_DATA_HOME", oldData);
    qputenv("HOME", oldHome);
}
