#include "platform/JsonFileUserDefaults.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(JsonFileUserDefaults, KeepsTypedValuesAndMovesAnUnparsableFileAside)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sub/defaults.json"));
    {
        JsonFileUserDefaults defaults(path); // the folder is made on the first write
        defaults.setBool(QStringLiteral("b"), false);
        defaults.setString(QStringLiteral("s"), QStringLiteral("x"));
        defaults.setInteger(QStringLiteral("i"), 7);
        EXPECT_FALSE(defaults.writeError());
    }
    JsonFileUserDefaults again(path);
    EXPECT_EQ(again.boolValue(QStringLiteral("b")), false);
    EXPECT_EQ(again.stringValue(QStringLiteral("s")), QStringLiteral("x"));
    EXPECT_EQ(again.integerValue(QStringLiteral("i")), 7);

    for (const QByteArray &bad : {QByteArray("{\"a\": tru"), QByteArray("[1,2]"), QByteArray("\xff\xfe")}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bad) == bad.size());
        file.close();
        JsonFileUserDefaults defaults(path);
        ASSERT_TRUE(defaults.setAsidePath());
        QFile aside(*defaults.setAsidePath());
        EXPECT_TRUE(aside.open(QIODevice::ReadOnly) && aside.readAll() == bad);
        EXPECT_FALSE(defaults.object(QStringLiteral("a")));
        defaults.setBool(QStringLiteral("a"), true);
        EXPECT_FALSE(QFile::exists(path)); // written once the turn ends
        QCoreApplication::processEvents();
        defaults.flush();
        EXPECT_EQ(JsonFileUserDefaults(path).boolValue(QStringLiteral("a")), true);
        QFile::remove(*defaults.setAsidePath());
    }
}
