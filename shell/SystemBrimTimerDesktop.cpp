#include "shell/SystemBrimTimerDesktop.h"

#include "shell/BrimTimerPanel.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

SystemBrimTimerDesktop::SystemBrimTimerDesktop(QObject *parent)
    : BrimTimerDesktop(parent)
{
    connect(qGuiApp, &QGuiApplication::screenAdded, this, &BrimTimerDesktop::screensChanged);
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &BrimTimerDesktop::screensChanged);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, [this](QScreen *screen) {
        watch(screen);
        Q_EMIT screensChanged();
    });
    watch(QGuiApplication::primaryScreen());
}

void SystemBrimTimerDesktop::watch(QScreen *screen)
{
    disconnect(m_geometry);
    disconnect(m_available);
    if (!screen)
        return;
    m_geometry = connect(screen, &QScreen::geometryChanged, this, &BrimTimerDesktop::screensChanged);
    m_available = connect(screen, &QScreen::availableGeometryChanged, this, &BrimTimerDesktop::screensChanged);
}

std::optional<BrimTimerDesktop::Screen> SystemBrimTimerDesktop::screen() const
{
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary)
        return std::nullopt;
    return Screen{primary->geometry(), primary->availableGeometry()};
}

std::unique_ptr<BrimTimerWindow> SystemBrimTimerDesktop::makeWindow(BrimkitModel &model, BrimTimerWindow::Hooks hooks)
{
    return std::make_unique<BrimTimerPanel>(model, std::move(hooks));
}

std::unique_ptr<QObject> SystemBrimTimerDesktop::after(std::chrono::milliseconds delay, std::function<void()> work)
{
    auto timer = std::make_unique<QTimer>();
    timer->setSingleShot(true);
    connect(timer.get(), &QTimer::timeout, timer.get(), std::move(work));
    timer->start(delay);
    return timer;
}
