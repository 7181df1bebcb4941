#pragma once
// System happenings that must force an immediate clock step.

#include <functional>

enum class BrimSystemEvent {
    clockChanged,
    timeZoneChanged,
    applicationActivated,
    woke,
};

class BrimSystemEvents {
public:
    using Handler = std::function<void(BrimSystemEvent)>;
    virtual ~BrimSystemEvents() = default;
    // Replaces any earlier handler; events arrive on the main thread.
    virtual void observe(Handler handler) = 0;
    virtual void stopObserving() = 0;
};
