#include "core/UserDefaults.h"

#include <gtest/gtest.h>

TEST(UserDefaults, TypedReadsKeepOtherTypesApart)
{
    MemoryUserDefaults defaults;
    defaults.setBool(QStringLiteral("b"), false);
    defaults.setString(QStringLiteral("s"), QStringLiteral("true"));
    defaults.setInteger(QStringLiteral("i"), 42);
    defaults.set(QStringLiteral("f"), 1.5);

    EXPECT_EQ(defaults.boolValue(QStringLiteral("b")), false);
    EXPECT_FALSE(defaults.boolValue(QStringLiteral("s")));
    EXPECT_FALSE(defaults.boolValue(QStringLiteral("i")));
    EXPECT_FALSE(defaults.boolValue(QStringLiteral("missing")));
    EXPECT_EQ(defaults.integerValue(QStringLiteral("i")), 42);
    EXPECT_FALSE(defaults.integerValue(QStringLiteral("f")));
    EXPECT_FALSE(defaults.integerValue(QStringLiteral("b")));
    EXPECT_EQ(defaults.stringValue(QStringLiteral("s")), QStringLiteral("true"));
    EXPECT_FALSE(defaults.stringValue(QStringLiteral("i")));

    defaults.remove(QStringLiteral("b"));
    EXPECT_FALSE(defaults.object(QStringLiteral("b")));
}
