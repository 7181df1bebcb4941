#include "shell/SystemEnvironment.h"

#include "core/XdgFolders.h"
#include "platform/AppInstallation.h"
#include "platform/AppPaths.h"
#include "platform/BrimQR.h"
#include "platform/CanberraSystemBeep.h"
#include "platform/DesktopWorkspace.h"
#include "platform/FileManagerReveal.h"
#include "platform/InhibitPowerAssertions.h"
#include "platform/LinuxSystemEvents.h"
#include "platform/PortalColorSampler.h"
#include "platform/SystemClipboard.h"
#include "platform/SystemBrimTimerNotifications.h"
#include "platform/SystemGlobalShortcuts.h"
#include "platform/SystemLoginItems.h"
#include "platform/SystemdAlarmTimer.h"
#include "platform/X11ColorSampler.h"
#include "models/BrimShortcutsModel.h"
#include "services/LaunchAtLoginController.h"
#include "services/OstrelSignals.h"
#include "shell/QFileDialogPanels.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFileDialog>

namespace {
// The user manager may have been started without the session's XDG folders:
// the delivery must find the same alarm and settings files as the app.
SystemdAlarmTimer::Config alarmTimerConfig()
{
    SystemdAlarmTimer::Config config{XdgFolders::configHome() + QStringLiteral("/systemd/user"),
                                     QCoreApplication::applicationFilePath(), {}};
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
        const QString value = qEnvironmentVariable(name);
        if (QDir::isAbsolutePath(value))
            config.environment.append(QLatin1String(name) + QLatin1Char('=') + value);
    }
    return config;
}
} // namespace

void configureSystemServices()
{
    LaunchAtLoginController::configureSystem({makeSystemLoginItemService, AppInstallation::current().isInstalled()});
}

BrimkitModel::Environment makeSystemEnvironment(std::shared_ptr<UserDefaults> defaults)
{
    BrimkitModel::Environment env;
    env.clock = std::make_shared<SystemBrimClock>();
    env.defaults = std::move(defaults);
    env.power = std::make_shared<InhibitPowerAssertions>(QDBusConnection::sessionBus(), QDBusConnection::systemBus());
    // One sound player for the model and the notifications.
    env.beep = std::make_shared<CanberraSystemBeep>();
    env.systemEvents = std::make_shared<LinuxSystemEvents>(QDBusConnection::systemBus());
    env.notifications = std::make_shared<SystemBrimTimerNotifications>(QDBusConnection::sessionBus(), env.beep);
    env.alarmTimer = std::make_shared<SystemdAlarmTimer>(QDBusConnection::sessionBus(), alarmTimerConfig());
    env.track = [](OstrelEvent event) { OstrelSignals::shared().track(event); };
    return env;
}

BrimkitPanel::Environment makeSystemPanelEnvironment(std::shared_ptr<UserDefaults> defaults)
{
    BrimkitPanel::Environment env;
    env.defaults = std::move(defaults);
    env.clock = std::make_shared<SystemBrimClock>();
    env.clipboard = std::make_shared<SystemClipboard>();
    env.colorSampler = std::make_shared<PortalColorSampler>(QDBusConnection::sessionBus(), std::make_shared<X11ColorSampler>());
    env.filePanels = std::make_shared<QFileDialogPanels>();
    env.fileReveal = std::make_shared<FileManagerReveal>(QDBusConnection::sessionBus());
    env.workspace = std::make_shared<DesktopWorkspace>(DesktopEntries(XdgFolders::dataDirs()));
    env.qrCodec = std::make_shared<SystemBrimQRCodec>();
    env.signals = &OstrelSignals::shared();
    env.notificationSettings = DesktopNotificationSettings::current();
    env.shortcuts = std::make_shared<BrimShortcutsModel>(
        env.defaults, std::make_shared<SystemGlobalShortcuts>(QDBusConnection::sessionBus(), true));
    return env;
}
