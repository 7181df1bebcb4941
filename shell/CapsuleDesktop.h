#pragma once
// What the timer capsule controller needs from the desktop: the screen to
// sit on, its window, and delayed work. Injected so the controller can be
// driven with fakes and a clock of the test's choosing.

#include "shell/CapsuleWindow.h"

#include <QObject>
#include <QRect>

#include <chrono>
#include <memory>
#include <optional>

class BrimkitModel;

class CapsuleDesktop : public QObject {
    Q_OBJECT

public:
    // Qt's global coordinates: full geometry and the part not taken by panels.
    struct Screen {
        QRect geometry;
        QRect available;
    };

    using QObject::QObject;

    // The screen that shows the capsule; absent when there is none.
    virtual std::optional<Screen> screen() const = 0;
    virtual std::unique_ptr<CapsuleWindow> makeWindow(BrimkitModel &model, CapsuleWindow::Hooks hooks) = 0;
    // Runs `work` once after `delay`; destroying the handle first cancels it.
    virtual std::unique_ptr<QObject> after(std::chrono::milliseconds delay, std::function<void()> work) = 0;

Q_SIGNALS:
    // A screen came or went, or the chosen one changed size or panels.
    void screensChanged();
};
