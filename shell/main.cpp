#include "BuildInfo.h"
#include "platform/AppPaths.h"
#include "platform/JsonFileUserDefaults.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "shell/BrimkitDelegate.h"
#include "services/OstrelSignals.h"
#include "shell/SystemEnvironment.h"

#include <QApplication>
#include <QDBusConnection>
#include <QTimer>

namespace {

// Core Wayland cannot place or raise the timer capsule: on a Wayland session
// with XWayland run on xcb, unless the user chose a platform.
void choosePlatform()
{
    const bool wayland = qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (wayland && !qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

} // namespace

int main(int argc, char **argv)
{
    choosePlatform();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ostrel-brimkit"));
    QApplication::setApplicationDisplayName(QString::fromUtf8(BuildInfo::displayName));
    QApplication::setApplicationVersion(QString::fromUtf8(BuildInfo::shortVersion));
    QApplication::setDesktopFileName(QString::fromUtf8(BuildInfo::bundleIdentifier));
    // A tray app: closing the pop-up or a dialog must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance(QDBusConnection::sessionBus());
    if (instance.claim() == SingleInstance::Claim::alreadyRunning)
        return 0;

    // SIGTERM at logout quits through the same steps as the Quit command.
    TerminationSignals signals;
    QObject::connect(&signals, &TerminationSignals::terminationRequested, &app, [] { QApplication::quit(); });

    // One defaults store for the whole process, so no writer overwrites another.
    auto defaults = std::make_shared<JsonFileUserDefaults>(AppPaths::defaultsFile());
    OstrelSignals::configureShared(defaults);

    BrimkitDelegate delegate(makeSystemEnvironment(defaults), makeSystemPanelEnvironment(defaults));
    QObject::connect(&delegate, &BrimkitDelegate::quitRequested, &app, [] { QApplication::quit(); });
    QObject::connect(&instance, &SingleInstance::showPanelRequested, &delegate, &BrimkitDelegate::showPanel);
    instance.setStatusTitleSource([&delegate] { return delegate.model().menuTitle(); });
    QObject::connect(&app, &QApplication::aboutToQuit, &delegate, &BrimkitDelegate::applicationWillTerminate);
    QTimer::singleShot(0, &delegate, &BrimkitDelegate::applicationDidFinishLaunching);

    return QApplication::exec();
}
