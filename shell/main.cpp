#include "BuildInfo.h"
#include "models/BrimkitLogging.h"
#include "platform/AppPaths.h"
#include "platform/BusDisconnection.h"
#include "platform/JsonFileUserDefaults.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "shell/BrimkitCommandLine.h"
#include "shell/BrimkitDelegate.h"
#include "shell/BrimkitStyle.h"
#include "shell/DueAlarmDelivery.h"
#include "services/OstrelSignals.h"
#include "shell/SystemEnvironment.h"

#include <QApplication>
#include <QDBusConnection>
#include <QTimer>

#include <cstdio>

namespace {

// Core Wayland cannot place or raise the timer capsule: on a Wayland session
// with XWayland run on xcb, unless the user chose a platform. Without
// XWayland, natively on Wayland (Qt would try xcb on GNOME and abort).
void choosePlatform()
{
    const bool wayland = qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (!wayland || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    else if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "wayland");
}

// With MIT-SHM every repaint of a region the X server may still be reading
// (the capsule's digits, once a second) first waits for a round trip to the
// server. Our windows are small and the server local: the pixels go through
// the socket instead, and a running countdown costs one wake-up a second.
// Qt reads the switch while it connects; the programs we start never see it.
class DrawingWithoutSharedMemory {
public:
    DrawingWithoutSharedMemory()
        : m_set(!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
    {
        if (m_set)
            qputenv("QT_XCB_NO_MITSHM", "1");
    }
    void connected() const
    {
        if (m_set)
            qunsetenv("QT_XCB_NO_MITSHM");
    }

private:
    bool m_set;
};

// Qt aborts when it finds no display; say why in one line instead.
bool displayAvailable(const BrimkitCommandLine &command)
{
    return command.platformChosen || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
        || !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

QStringList argumentsOf(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// Set before any application object exists, so the delivery command (which
// has no display) names itself the same way.
void nameApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("ostrel-brimkit"));
    QGuiApplication::setApplicationDisplayName(QString::fromUtf8(BuildInfo::displayName));
    QCoreApplication::setApplicationVersion(QString::fromUtf8(BuildInfo::shortVersion));
    QGuiApplication::setDesktopFileName(QString::fromUtf8(BuildInfo::bundleIdentifier));
}

} // namespace

int main(int argc, char **argv)
{
    nameApplication();
    const BrimkitCommandLine command = BrimkitCommandLine::parse(argumentsOf(argc, argv));
    if (command.action == BrimkitCommandLine::Action::exit) {
        std::fputs(command.output.toLocal8Bit().constData(), command.exitCode == 0 ? stdout : stderr);
        return command.exitCode;
    }
    // Started by the desktop's alarm timer: no window, no display needed.
    if (command.action == BrimkitCommandLine::Action::deliverDueAlarms) {
        const QCoreApplication delivery(argc, argv);
        return DueAlarmDelivery::run(QDBusConnection::sessionBus());
    }
    if (!displayAvailable(command)) {
        const QString line = QCoreApplication::translate("main", "%1 needs a desktop session: neither DISPLAY nor "
                                                                 "WAYLAND_DISPLAY is set.\n");
        std::fputs(line.arg(QGuiApplication::applicationDisplayName()).toLocal8Bit().constData(), stderr);
        return 1;
    }

    choosePlatform();
    const DrawingWithoutSharedMemory drawing;
    QApplication app(argc, argv);
    drawing.connected();
    // A tray app: closing the pop-up or a dialog must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setStyle(new BrimkitStyle(QApplication::style()->name()));

    // Losing the session bus quits as Quit does: the tray item, the
    // notifications and the single-instance name are gone with it, and a
    // restarted bus is a new session that would not know them. Watched before
    // the name is claimed, so a loss right after the claim is seen too.
    BusDisconnection busLoss(QDBusConnection::sessionBus());
    QObject::connect(&busLoss, &BusDisconnection::lost, &app, [] {
        qCWarning(lcBrimkit) << "Quitting: the session bus is gone";
        QApplication::quit();
    });

    SingleInstance instance(QDBusConnection::sessionBus());
    if (instance.claim() == SingleInstance::Claim::alreadyRunning)
        return 0;

    // SIGTERM at logout quits through the same steps as the Quit command.
    TerminationSignals signals;
    QObject::connect(&signals, &TerminationSignals::terminationRequested, &app, [] { QApplication::quit(); });

    // One defaults store for the whole process, so no writer overwrites another.
    auto defaults = std::make_shared<JsonFileUserDefaults>(AppPaths::defaultsFile());
    OstrelSignals::configureShared(defaults);
    configureSystemServices();

    BrimkitDelegate delegate(makeSystemEnvironment(defaults), makeSystemPanelEnvironment(defaults));
    QObject::connect(&delegate, &BrimkitDelegate::quitRequested, &app, [] { QApplication::quit(); });
    QObject::connect(&instance, &SingleInstance::showPanelRequested, &delegate, &BrimkitDelegate::showPanel);
    instance.setStatusTitleSource([&delegate] { return delegate.model().menuTitle(); });
    QObject::connect(&app, &QApplication::aboutToQuit, &delegate, &BrimkitDelegate::applicationWillTerminate);
    QTimer::singleShot(0, &delegate, &BrimkitDelegate::applicationDidFinishLaunching);

    return QApplication::exec();
}
