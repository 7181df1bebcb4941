#include "platform/DesktopNotificationSettings.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(DesktopNotificationSettings, KnownDesktopsOnlyAndOnlyWhenInstalled)
{
    QTemporaryDir bin, empty;
    for (const char *name : {"gnome-control-center", "systemsettings", "xfce4-notifyd-config"}) {
        QFile program(bin.filePath(QString::fromLatin1(name)));
        program.open(QIODevice::WriteOnly);
        program.setPermissions(program.permissions() | QFileDevice::ExeOwner);
    }
    struct Case { const char *desktop; QString folder; QStringList expected; }; // program, then arguments; empty: none
    const Case cases[] = {
        {"GNOME", bin.path(), {"gnome-control-center", "notifications"}},
        {"ubuntu:GNOME", bin.path(), {"gnome-control-center", "notifications"}},
        {"kde", bin.path(), {"systemsettings", "kcm_notifications"}},
        {"XFCE", bin.path(), {"xfce4-notifyd-config"}}, {"X-Cinnamon", bin.path(), {}}, {"GNOMEX:", bin.path(), {}},
        {"GNOME", empty.path(), {}},
    };
    for (const Case &c : cases) {
        const auto settings = DesktopNotificationSettings::forDesktop(QString::fromUtf8(c.desktop), {c.folder});
        QStringList found;
        if (settings)
            found << QFileInfo(settings->program()).fileName() << settings->arguments();
        EXPECT_EQ(found, c.expected) << c.desktop;
    }
}
