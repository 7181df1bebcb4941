#pragma once
// The desktop as the timer capsule meets it: the primary screen (Linux
// screens have no camera housing), the capsule window, and Qt timers.

#include "shell/CapsuleDesktop.h"

class QScreen;

class SystemCapsuleDesktop final : public CapsuleDesktop {
    Q_OBJECT

public:
    explicit SystemCapsuleDesktop(QObject *parent = nullptr);

    std::optional<Screen> screen() const override;
    std::unique_ptr<CapsuleWindow> makeWindow(BrimkitModel &model, CapsuleWindow::Hooks hooks) override;
    std::unique_ptr<QObject> after(std::chrono::milliseconds delay, std::function<void()> work) override;

private:
    void watch(QScreen *screen);

    QMetaObject::Connection m_geometry;
    QMetaObject::Connection m_available;
};
