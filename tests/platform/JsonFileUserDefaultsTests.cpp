#include "platform/JsonFileUserDefaults.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
void writeRaw(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
} // namespace

TEST(JsonFileUserDefaults, PersistsTypedValuesAcrossInstances)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sub/defaults.json"));
    {
        JsonFileUserDefaults defaults(path);
        defaults.setBool(QStringLiteral("b"), false);
        defaults.setString(QStringLiteral("s"), QStringLiteral("x"));
        defaults.setInteger(QStringLiteral("i"), 7);
        EXPECT_FALSE(defaults.writeError());
    }
    JsonFileUserDefaults again(path);
    EXPECT_EQ(again.boolValue(QStringLiteral("b")), false);
    EXPECT_EQ(again.stringValue(QStringLiteral("s")), QStringLiteral("x"));
    EXPECT_EQ(again.integerValue(QStringLiteral("i")), 7);
}

TEST(JsonFileUserDefaults, UnparsableFileIsMovedAsideNotOverwritten)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.json"));
    for (const QByteArray &bad : {QByteArray("{\"a\": tru"), QByteArray("[1,2]"), QByteArray("\xff\xfe")}) {
        writeRaw(path, bad);
        JsonFileUserDefaults defaults(path);
        ASSERT_TRUE(defaults.setAsidePath());
        QFile aside(*defaults.setAsidePath());
        ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
        EXPECT_EQ(aside.readAll(), bad);
        EXPECT_FALSE(defaults.object(QStringLiteral("a")));
        defaults.setBool(QStringLiteral("a"), true);
        EXPECT_EQ(JsonFileUserDefaults(path).boolValue(QStringLiteral("a")), true);
        QFile::remove(*defaults.setAsidePath());
    }
}
