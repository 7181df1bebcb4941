#include "shell/SystemCapsuleDesktop.h"

#include "shell/BrimTimerPanel.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

SystemCapsuleDesktop::SystemCapsuleDesktop(QObject *parent)
    : CapsuleDesktop(parent)
{
    connect(qGuiApp, &QGuiApplication::screenAdded, this, &CapsuleDesktop::screensChanged);
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &CapsuleDesktop::screensChanged);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, [this](QScreen *screen) {
        watch(screen);
        Q_EMIT screensChanged();
    });
    watch(QGuiApplication::primaryScreen());
}

void SystemCapsuleDesktop::watch(QScreen *screen)
{
    disconnect(m_geometry);
    disconnect(m_available);
    if (!screen)
        return;
    m_geometry = connect(screen, &QScreen::geometryChanged, this, &CapsuleDesktop::screensChanged);
    m_available = connect(screen, &QScreen::availableGeometryChanged, this, &CapsuleDesktop::screensChanged);
}

std::optional<CapsuleDesktop::Screen> SystemCapsuleDesktop::screen() const
{
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary)
        return std::nullopt;
    return Screen{primary->geometry(), primary->availableGeometry()};
}

std::unique_ptr<CapsuleWindow> SystemCapsuleDesktop::makeWindow(BrimkitModel &model, CapsuleWindow::Hooks hooks)
{
    return std::make_unique<BrimTimerPanel>(model, std::move(hooks));
}

std::unique_ptr<QObject> SystemCapsuleDesktop::after(std::chrono::milliseconds delay, std::function<void()> work)
{
    auto timer = std::make_unique<QTimer>();
    timer->setSingleShot(true);
    connect(timer.get(), &QTimer::timeout, timer.get(), std::move(work));
    timer->start(delay);
    return timer;
}
