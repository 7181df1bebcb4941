#include "core/BrimTimerKind.h"
#include "tests/core/RawValueChecks.h"

TEST(BrimTimerKind, TableOfKinds)
{
    using K = BrimTimerKind;
    expectExactRawValues<K>({"timer", "focus", "shortBreak", "longBreak"});
    EXPECT_EQ(eachCase<K>(&K::title), QStringList({"Timer", "Focus", "Short break", "Long break"}));
    EXPECT_EQ(eachCase<K>(&K::symbol), QStringList({"timer", "leaf.fill", "cup.and.saucer.fill", "cup.and.saucer.fill"}));
    const int minutes[] = {25, 25, 5, 15};
    const K next[] = {K::timer, K::shortBreak, K::focus, K::focus};
    for (size_t i = 0; i < K::allCases().size(); ++i) {
        EXPECT_EQ(K::allCases()[i].minutes(), minutes[i]);
        EXPECT_EQ(K::allCases()[i].next(), next[i]);
    }
}
