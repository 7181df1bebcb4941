#pragma once
// The desktop's sounds, each played once per call without blocking the caller.

class BrimSystemBeep {
public:
    enum class Sound {
        alert,        // the system beep: a finished countdown, a fired alarm
        notification, // what a notification plays when the desktop cannot
    };

    virtual ~BrimSystemBeep() = default;
    virtual void play(Sound sound) = 0;
    void beep() { play(Sound::alert); }
};
