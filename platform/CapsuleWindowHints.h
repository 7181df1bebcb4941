#pragma once
// How the timer capsule, small and always in view, is told apart from
// ordinary windows by the window system.

#include <Qt>

class QWindow;

class CapsuleWindowHints {
public:
    CapsuleWindowHints() = delete;

    // Frameless, above other windows, never focused, with no taskbar entry.
    static Qt::WindowFlags flags();
    // Names the created window's role to the window system; call before the first show.
    static void describe(QWindow &window);
};
