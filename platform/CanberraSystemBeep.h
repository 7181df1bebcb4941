#pragma once
// The desktop's "bell" sound from the freedesktop sound theme, played through
// libcanberra; the toolkit's beep when canberra cannot play it (no sound
// server, no driver, event missing from the theme).

#include "models/BrimSystemBeep.h"

#include <functional>

struct ca_context;

class CanberraSystemBeep final : public BrimSystemBeep {
public:
    using Fallback = std::function<void()>;

    // The fallback defaults to QApplication::beep().
    explicit CanberraSystemBeep(Fallback fallback = {});
    ~CanberraSystemBeep() override;
    CanberraSystemBeep(const CanberraSystemBeep &) = delete;
    CanberraSystemBeep &operator=(const CanberraSystemBeep &) = delete;

    void beep() override;

private:
    ca_context *m_context = nullptr;
    Fallback m_fallback;
};
