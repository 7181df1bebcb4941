#pragma once
// The source of "now" for models, injected so tests can fix the date.

#include "core/BrimDate.h"

class BrimClock {
public:
    virtual ~BrimClock() = default;
    virtual BrimDate now() const = 0;
};

class SystemBrimClock final : public BrimClock {
public:
    BrimDate now() const override;
};

// A clock that only moves when told to.
class FixedBrimClock final : public BrimClock {
public:
    explicit FixedBrimClock(BrimDate start = BrimDate{}) : m_now(start) {}
    BrimDate now() const override { return m_now; }
    void set(BrimDate date) { m_now = date; }
    void advance(double seconds) { m_now = m_now + seconds; }

private:
    BrimDate m_now;
};
