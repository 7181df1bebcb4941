#include "platform/DesktopNotificationSettings.h"

#include <QStandardPaths>

namespace {
constexpr DesktopSettingsProgram::Entry knownDesktops[] = {
    {"GNOME", "gnome-control-center", "notifications"},
    {"KDE", "systemsettings", "kcm_notifications"},
    {"XFCE", "xfce4-notifyd-config", nullptr},
};
} // namespace

std::optional<DesktopNotificationSettings> DesktopNotificationSettings::forDesktop(QStringView currentDesktop,
                                                                                   const QStringList &searchPaths)
{
    // The list runs from the most to the least specific name ("ubuntu:GNOME").
    const QStringList desktops = currentDesktop.toString().split(QLatin1Char(':'), Qt::SkipEmptyParts);
    auto found = DesktopSettingsProgram::find(knownDesktops, desktops, [&](const QString &name) {
        return QStandardPaths::findExecutable(name, searchPaths);
    });
    if (!found)
        return std::nullopt;
    return DesktopNotificationSettings(std::move(*found));
}

std::optional<DesktopNotificationSettings> DesktopNotificationSettings::current()
{
    return forDesktop(qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
}

bool DesktopNotificationSettings::open() const
{
    return m_settings.open();
}
