#include "platform/DesktopNotificationSettings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A folder of stand-ins for the desktops' settings programs; each writes its
// arguments, one a line, to "<name>.args".
struct SettingsPrograms {
    QTemporaryDir dir;
    SettingsPrograms()
    {
        for (const char *name : {"gnome-control-center", "systemsettings", "xfce4-notifyd-config"}) {
            QFile script(dir.filePath(QString::fromLatin1(name)));
            script.open(QIODevice::WriteOnly);
            script.write(QByteArray("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args\"\n"));
            script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
        }
    }
};

} // namespace

TEST(DesktopNotificationSettings, KnownDesktopsOnlyAndOnlyWhenInstalled)
{
    SettingsPrograms programs;
    const QStringList paths{programs.dir.path()};
    struct Case {
        const char *desktop;
        const char *program; // empty: no settings
        QStringList arguments;
    };
    const Case cases[] = {
        {"GNOME", "gnome-control-center", {QStringLiteral("notifications")}},
        {"ubuntu:GNOME", "gnome-control-center", {QStringLiteral("notifications")}},
        {"kde", "systemsettings", {QStringLiteral("kcm_notifications")}},
        {"XFCE", "xfce4-notifyd-config", {}},
        {"X-Cinnamon", "", {}},
        {"", "", {}},
        {"GNOMEX:", "", {}},
    };
    for (const Case &c : cases) {
        const auto settings = DesktopNotificationSettings::forDesktop(QString::fromUtf8(c.desktop), paths);
        if (!*c.program) {
            EXPECT_FALSE(settings) << c.desktop;
            continue;
        }
        ASSERT_TRUE(settings) << c.desktop;
        EXPECT_EQ(settings->program(), programs.dir.filePath(QString::fromLatin1(c.program))) << c.desktop;
        EXPECT_EQ(settings->arguments(), c.arguments) << c.desktop;
    }
    QTemporaryDir empty;
    EXPECT_FALSE(DesktopNotificationSettings::forDesktop(u"GNOME", {empty.path()})) << "not installed";
}

TEST(DesktopNotificationSettings, OpensWithItsArgumentsAsIs)
{
    SettingsPrograms programs;
    const auto settings = DesktopNotificationSettings::forDesktop(u"KDE", {programs.dir.path()});
    ASSERT_TRUE(settings);
    ASSERT_TRUE(settings->open());
    QFile args(settings->program() + QStringLiteral(".args"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return args.size() > 0; }, 5000));
    args.open(QIODevice::ReadOnly);
    EXPECT_EQ(args.readAll(), QByteArray("kcm_notifications\n"));
}
