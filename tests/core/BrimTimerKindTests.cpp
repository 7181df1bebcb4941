#include "core/BrimTimerKind.h"

#include <gtest/gtest.h>

TEST(BrimTimerKind, TableOfKinds)
{
    struct Row { const char *raw, *title, *completion, *symbol; int minutes; BrimTimerKind next; };
    const Row rows[] = {
        {"timer", "Timer", "Timer finished", "timer", 25, BrimTimerKind::timer},
        {"focus", "Focus", "Focus finished", "leaf.fill", 25, BrimTimerKind::shortBreak},
        {"shortBreak", "Short break", "Short break finished", "cup.and.saucer.fill", 5, BrimTimerKind::focus},
        {"longBreak", "Long break", "Long break finished", "cup.and.saucer.fill", 15, BrimTimerKind::focus},
    };
    const auto all = BrimTimerKind::allCases();
    ASSERT_EQ(all.size(), std::size(rows));
    for (size_t i = 0; i < all.size(); ++i) {
        const BrimTimerKind kind = all[i];
        const Row &row = rows[i];
        EXPECT_EQ(kind.rawValue(), QLatin1String(row.raw));
        EXPECT_EQ(kind.title(), QLatin1String(row.title));
        EXPECT_EQ(kind.completionTitle(), QLatin1String(row.completion));
        EXPECT_EQ(kind.symbol(), QLatin1String(row.symbol));
        EXPECT_EQ(kind.minutes(), row.minutes);
        EXPECT_EQ(kind.next(), row.next);
        EXPECT_EQ(BrimTimerKind::fromRawValue(kind.rawValue()), kind);
    }
}

TEST(BrimTimerKind, RawValuesAreCaseSensitive)
{
    EXPECT_FALSE(BrimTimerKind::fromRawValue(u"Focus"));
    EXPECT_FALSE(BrimTimerKind::fromRawValue(u"longbreak"));
    EXPECT_FALSE(BrimTimerKind::fromRawValue(u""));
    EXPECT_EQ(BrimTimerKind::fromRawValue(u"longBreak"), BrimTimerKind::longBreak);
}
