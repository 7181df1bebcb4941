#pragma once
// A mute change being confirmed: other software can silently undo a device
// mute, so the controller watches the state for a while after writing it.

#include "services/MicrophoneAudio.h"

#include <QString>

#include <functional>
#include <optional>

// Seconds on a clock that only runs forward: a wall-clock step must neither
// hold a change in confirmation nor confirm it early.
using MonotonicSeconds = std::function<double()>;
double steadySeconds();

struct MicrophoneMuteVerification {
    struct Evaluation {
        enum class Kind { pending, confirmed, failed };
        Kind kind = Kind::pending;
        // The user-facing reason when failed.
        QString message;

        friend bool operator==(const Evaluation &, const Evaluation &) = default;
    };

    // Before this, a read-back may still show the old state.
    static constexpr double settleSeconds = 0.3;
    // The new state must hold this long to count as kept.
    static constexpr double confirmSeconds = 1.5;

    MicrophoneAudio::DeviceID device = 0;
    bool requested = false;
    double startedAt = 0; // MonotonicSeconds

    Evaluation evaluate(std::optional<MicrophoneAudio::DeviceID> currentDevice, std::optional<bool> muted,
                        double now) const;
};
