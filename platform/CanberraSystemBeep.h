#pragma once
// The desktop's sounds from the freedesktop sound theme, played through
// libcanberra on a worker thread of its own (the sound server may be slow to
// answer); the toolkit's beep, on the main thread, when canberra cannot play
// (no sound server, no device, event missing from the theme). One canberra
// context for the process, created at the first sound.

#include "models/BrimSystemBeep.h"

#include <QThreadPool>

#include <chrono>

#include <functional>
#include <memory>

class CanberraSystemBeep final : public BrimSystemBeep {
public:
    using Fallback = std::function<void()>;

    // The fallback defaults to QApplication::beep(); it always runs on the main thread.
    explicit CanberraSystemBeep(Fallback fallback = {});
    ~CanberraSystemBeep() override;
    CanberraSystemBeep(const CanberraSystemBeep &) = delete;
    CanberraSystemBeep &operator=(const CanberraSystemBeep &) = delete;

    void play(Sound sound) override;
    // Blocks until every sound asked for so far was handed to canberra.
    void waitForDone() { m_worker.waitForDone(); }
    // Blocks until every sound asked for so far has ended, or patience ran
    // out: for a process about to exit, which would cut them short.
    void waitForSounds(std::chrono::milliseconds patience);

private:
    struct Player;

    std::shared_ptr<Player> m_player;
    QThreadPool m_worker; // one thread: sounds play in order through one context
};
