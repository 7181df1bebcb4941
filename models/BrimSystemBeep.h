#pragma once

// The desktop's alert sound, played once per call.
class BrimSystemBeep {
public:
    virtual ~BrimSystemBeep() = default;
    virtual void beep() = 0;
};
