#include "platform/AutostartSettingsTool.h"

#include "platform/PlatformLogging.h"

#include <QProcess>
#include <QStandardPaths>

namespace {
struct Candidate {
    const char *desktop;
    const char *program;
    const char *argument;
};
// In order of preference within each desktop.
constexpr Candidate candidates[] = {
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
    for (const QString &desktop : desktops) {
        for (const Candidate &candidate : candidates) {
            if (desktop.compare(QLatin1String(candidate.desktop), Qt::CaseInsensitive) != 0)
                continue;
            const QString path = findExecutable(QString::fromLatin1(candidate.program));
            if (path.isEmpty())
                continue;
            AutostartSettingsTool tool{path, {}};
            if (candidate.argument)
                tool.arguments.append(QString::fromLatin1(candidate.argument));
            return tool;
        }
    }
    return std::nullopt;
}

std::optional<AutostartSettingsTool> AutostartSettingsTool::find()
{
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return find(desktops, [](const QString &name) { return QStandardPaths::findExecutable(name); });
}

bool AutostartSettingsTool::open() const
{
    if (QProcess::startDetached(program, arguments))
        return true;
    qCWarning(lcPlatform) << "could not start the autostart settings" << program << arguments;
    return false;
}
