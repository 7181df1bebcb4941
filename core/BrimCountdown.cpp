#include "core/BrimCountdown.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double twoToThe63 = 9223372036854775808.0;
}

void BrimCountdown::start(double seconds, BrimDate now)
{
    cancel();
    if (!(seconds > 0) || !std::isfinite(seconds) || !(seconds < twoToThe63))
        return;
    if (!now.isFinite() || !(now + seconds).isFinite())
        return;
    m_remaining = seconds;
    m_deadline = now + seconds;
}

void BrimCountdown::cancel()
{
    m_deadline.reset();
    m_remaining = 0;
}

double BrimCountdown::liveRemaining(BrimDate now) const
{
    if (m_deadline) {
        const double d = *m_deadline - now;
        if (std::isfinite(d)) {
            if (d >= 0)
                return std::min(d, m_remaining);
            return m_remaining > 0 ? 0.0 : m_remaining;
        }
    }
    return m_remaining;
}

void BrimCountdown::pause(BrimDate now)
{
    if (!m_deadline)
        return;
    const double left = liveRemaining(now);
    if (left > 0) {
        m_remaining = left;
        m_deadline.reset();
    }
}

void BrimCountdown::resume(BrimDate now)
{
    if (m_deadline)
        return;
    if (m_remaining > 0)
        start(m_remaining, now);
}

std::int64_t BrimCountdown::secondsLeft(BrimDate now) const
{
    // remaining is below 2^63, so the rounded value always fits.
    return static_cast<std::int64_t>(std::ceil(liveRemaining(now)));
}

bool BrimCountdown::finishIfDue(BrimDate now)
{
    if (!m_deadline)
        return false;
    if (liveRemaining(now) > 0)
        return false;
    cancel();
    return true;
}
