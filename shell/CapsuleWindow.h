#pragma once
// The timer capsule's window as its controller drives it. The running app
// uses BrimTimerPanel; controller tests use a fake.

#include <QRect>

#include <functional>

class CapsuleWindow {
public:
    // What the capsule reports back; the controller holds itself weakly in both.
    struct Hooks {
        std::function<void(bool entered)> hover;
        std::function<void()> toggle;
    };

    virtual ~CapsuleWindow() = default;

    // Rebuilds the content, collapsed or expanded, from what the model presents now.
    virtual void present(bool expanded) = 0;
    // Height the content needs at this width.
    virtual int fittingHeight(int width) const = 0;
    // Global geometry in Qt's coordinates (y grows downwards).
    virtual void setFrame(const QRect &frame) = 0;
    virtual bool isShown() const = 0;
    // Shows it above other windows without taking focus.
    virtual void orderFront() = 0;
    // Hides it; the window is kept for the next show.
    virtual void orderOut() = 0;
};
