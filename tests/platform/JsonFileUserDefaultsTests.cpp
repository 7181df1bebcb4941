#include "platform/JsonFileUserDefaults.h"

#include "SmallFileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Typed values round trip, and unparsable files are moved aside, in the
// settings-file fuzz target (seeds in fuzz/corpus/FuzzSettingsFile). Here:
// each write meets a full disk, then a read-only folder: the file keeps its
// old bytes, the store says why it did not save, and the first write after
// the fault saves everything set meanwhile (the folder made on the way).
// Also a damaged file on a read-only disk: it cannot be moved aside, so
// nothing is saved, and saying so matters.
TEST(JsonFileUserDefaults, DiskFaultsKeepTheOldFileAndAreReported)
{
    QTemporaryDir dir;
    SmallFileSystem disk(dir.path());
    if (!disk.ok())
        GTEST_SKIP() << "cannot mount a small file system here: " << disk.error().toStdString();
    // Writes are gathered per turn of the event loop and made on a worker.
    const auto settle = [](JsonFileUserDefaults &store) {
        QCoreApplication::processEvents();
        store.flush();
    };
    const auto bytes = [](const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
    };
    const QString path = dir.filePath(QStringLiteral("app/defaults.json"));
    JsonFileUserDefaults defaults(path);
    defaults.setBool(QStringLiteral("kept"), true);
    EXPECT_FALSE(QFile::exists(path)) << "written before the turn ended";
    settle(defaults);
    ASSERT_FALSE(defaults.writeError());

    const char *const reasons[] = {"No space left on device", "is not writable"};
    int round = 0;
    for (const SmallFileSystem::Fault &f : disk.faults()) {
        SCOPED_TRACE(f.name);
        const char *const reason = reasons[round];
        const QByteArray before = bytes(path);
        ASSERT_TRUE(f.begin());
        const QString key = QStringLiteral("during %1").arg(++round);
        for (const std::function<void()> &write : std::initializer_list<std::function<void()>>{
                 [&] { defaults.setInteger(key, round); }, [&] { defaults.remove(QStringLiteral("kept")); }}) {
            write();
            settle(defaults);
            ASSERT_TRUE(defaults.writeError());
            EXPECT_TRUE(defaults.writeError()->contains(QLatin1String(reason))) << defaults.writeError()->toStdString();
            EXPECT_EQ(bytes(path), before);
            EXPECT_EQ(QDir(dir.filePath(QStringLiteral("app"))).entryList(QDir::Files | QDir::Hidden),
                      QStringList{QStringLiteral("defaults.json")}) << "a temporary file was left";
        }
        ASSERT_TRUE(f.end());
        defaults.setBool(QStringLiteral("after %1").arg(round), true);
        settle(defaults);
        EXPECT_FALSE(defaults.writeError());
        JsonFileUserDefaults reread(path);
        EXPECT_EQ(reread.integerValue(key), round);
        EXPECT_FALSE(reread.object(QStringLiteral("kept")));
    }

    const QByteArray damaged("{\"kept\": tru");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(damaged) == damaged.size());
    file.close();
    ASSERT_TRUE(disk.setReadOnly(true));
    JsonFileUserDefaults stuck(path);
    EXPECT_FALSE(stuck.setAsidePath());
    stuck.setBool(QStringLiteral("kept"), true);
    settle(stuck);
    EXPECT_TRUE(stuck.writeError()) << "reported as saved";
    EXPECT_EQ(bytes(path), damaged);
    ASSERT_TRUE(disk.setReadOnly(false));
}
