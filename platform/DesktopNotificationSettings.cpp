#include "platform/DesktopNotificationSettings.h"

#include "platform/PlatformLogging.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

struct Known {
    const char *desktop;
    const char *program;
    const char *argument;
};

constexpr Known knownDesktops[] = {
    {"GNOME", "gnome-control-center", "notifications"},
    {"KDE", "systemsettings", "kcm_notifications"},
    {"XFCE", "xfce4-notifyd-config", nullptr},
};

} // namespace

std::optional<DesktopNotificationSettings> DesktopNotificationSettings::forDesktop(QStringView currentDesktop,
                                                                                   const QStringList &searchPaths)
{
    // The list runs from the most to the least specific name ("ubuntu:GNOME").
    for (QStringView name : currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        for (const Known &known : knownDesktops) {
            if (name.compare(QLatin1String(known.desktop), Qt::CaseInsensitive) != 0)
                continue;
            const QString program = QStandardPaths::findExecutable(QString::fromLatin1(known.program), searchPaths);
            if (program.isEmpty())
                return std::nullopt;
            QStringList arguments;
            if (known.argument)
                arguments << QString::fromLatin1(known.argument);
            return DesktopNotificationSettings(program, arguments);
        }
    }
    return std::nullopt;
}

std::optional<DesktopNotificationSettings> DesktopNotificationSettings::current()
{
    return forDesktop(qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
}

bool DesktopNotificationSettings::open() const
{
    if (QProcess::startDetached(m_program, m_arguments))
        return true;
    qCWarning(lcPlatform) << "Could not start" << m_program << m_arguments;
    return false;
}
