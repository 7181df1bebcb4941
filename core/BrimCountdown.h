#pragma once
// A pausable countdown measured against wall-clock dates. It keeps no timer:
// its owner asks it about "now" once per clock step.

#include "core/BrimDate.h"

#include <cstdint>
#include <optional>

class BrimCountdown {
public:
    BrimCountdown() = default;

    // Clears, then starts if seconds is positive, finite and below 2^63 and
    // now + seconds is finite; otherwise stays cleared.
    void start(double seconds, BrimDate now);
    void cancel();
    // Keeps running a countdown that has already run out, so finishIfDue completes it.
    void pause(BrimDate now);
    void resume(BrimDate now);
    // Live remaining rounded up to whole seconds.
    std::int64_t secondsLeft(BrimDate now) const;
    // True once per run, when the deadline has been reached; clears the countdown.
    bool finishIfDue(BrimDate now);

    const std::optional<BrimDate> &deadline() const { return m_deadline; }
    double remaining() const { return m_remaining; }

    bool isRunning() const { return m_deadline.has_value(); }
    bool isPaused() const { return !m_deadline && m_remaining > 0; }
    bool isCleared() const { return !m_deadline && m_remaining == 0; }

    friend bool operator==(const BrimCountdown &, const BrimCountdown &) = default;

private:
    // Clamped into [0, remaining] so a clock moved backwards never lengthens a run.
    double liveRemaining(BrimDate now) const;

    std::optional<BrimDate> m_deadline;
    double m_remaining = 0;
};
