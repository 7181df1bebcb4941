#include "platform/AutostartSettingsTool.h"

#include <QStandardPaths>

namespace {
// In order of preference within each desktop.
constexpr DesktopSettingsProgram::Entry candidates[] = {
    {"KDE", "systemsettings", "kcm_autostart"},
    {"XFCE", "xfce4-session-settings", nullptr},
    {"MATE", "mate-session-properties", nullptr},
    {"X-Cinnamon", "cinnamon-session-properties", nullptr},
    {"LXQt", "lxqt-config-session", nullptr},
    {"GNOME", "gnome-session-properties", nullptr},
    {"GNOME", "gnome-tweaks", nullptr},
    {"Unity", "gnome-session-properties", nullptr},
    {"Budgie", "gnome-session-properties", nullptr},
};
} // namespace

std::optional<AutostartSettingsTool> AutostartSettingsTool::find(const QStringList &desktops,
                                                                 const ExecutableFinder &findExecutable)
{
    if (auto found = DesktopSettingsProgram::find(candidates, desktops, findExecutable))
        return AutostartSettingsTool{std::move(*found)};
    return std::nullopt;
}

std::optional<AutostartSettingsTool> AutostartSettingsTool::find()
{
    return find(currentDesktops(), [](const QString &name) { return QStandardPaths::findExecutable(name); });
}
