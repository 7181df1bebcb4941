#include "core/BrimClock.h"

#include <ctime>

BrimDate SystemBrimClock::now() const
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return BrimDate::fromUnixSeconds(static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9);
}
