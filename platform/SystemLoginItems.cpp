#include "platform/SystemLoginItems.h"

#include "platform/AppInstallation.h"
#include "platform/AppPaths.h"
#include "platform/BackgroundPortalLoginItems.h"
#include "platform/XdgAutostartLoginItems.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>

std::shared_ptr<LoginItemService> makeSystemLoginItemService()
{
    if (QFileInfo::exists(QStringLiteral("/.flatpak-info"))) {
        const QString reason = QCoreApplication::translate("SystemLoginItems", "Open %1 automatically when you log in")
                                   .arg(QGuiApplication::applicationDisplayName());
        return std::make_shared<BackgroundPortalLoginItems>(QDBusConnection::sessionBus(),
                                                            AppPaths::configFolder() + QStringLiteral("/launch-at-login"),
                                                            QStringList{AppInstallation::current().program()}, reason);
    }
    return std::make_shared<XdgAutostartLoginItems>(XdgAutostartLoginItems::Locations::current());
}
