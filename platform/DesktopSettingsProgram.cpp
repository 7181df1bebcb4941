#include "platform/DesktopSettingsProgram.h"

#include "platform/PlatformLogging.h"

#include <QProcess>

std::optional<DesktopSettingsProgram> DesktopSettingsProgram::find(std::span<const Entry> entries,
                                                                   const QStringList &desktops,
                                                                   const ExecutableFinder &findExecutable)
{
    for (const QString &desktop : desktops) {
        for (const Entry &entry : entries) {
            if (desktop.compare(QLatin1String(entry.desktop), Qt::CaseInsensitive) != 0)
                continue;
            const QString path = findExecutable(QString::fromLatin1(entry.program));
            if (path.isEmpty())
                continue;
            DesktopSettingsProgram found{path, {}};
            if (entry.argument)
                found.arguments.append(QString::fromLatin1(entry.argument));
            return found;
        }
    }
    return std::nullopt;
}

QStringList DesktopSettingsProgram::currentDesktops()
{
    return qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

bool DesktopSettingsProgram::open() const
{
    if (QProcess::startDetached(program, arguments))
        return true;
    qCWarning(lcPlatform) << "could not start the desktop settings" << program << arguments;
    return false;
}
