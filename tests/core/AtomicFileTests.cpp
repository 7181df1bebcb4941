#include "core/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

TEST(AtomicFile, ReplacesContentAndLeavesNoTemporaryFiles)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.json"));
    ASSERT_TRUE(writeFileAtomically(path, "old").ok());
    ASSERT_TRUE(writeFileAtomically(path, "new").ok());
    EXPECT_EQ(readAll(path), "new");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("a.json")});
}

TEST(AtomicFile, FailureInReadOnlyFolderKeepsOldContentAndSaysWhy)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.json"));
    ASSERT_TRUE(writeFileAtomically(path, "old").ok());
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const auto result = writeFileAtomically(path, "new");
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_FALSE(result.ok());
    EXPECT_FALSE(result.error().isEmpty());
    EXPECT_EQ(readAll(path), "old");
}
