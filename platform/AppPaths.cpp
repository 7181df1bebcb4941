#include "platform/AppPaths.h"

#include "BuildInfo.h"

#include <QDir>

namespace {

// XDG says relative values are invalid and must be ignored.
QString baseFolder(const char *variable, const QString &fallbackBelowHome)
{
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return value;
    return QDir::homePath() + QLatin1Char('/') + fallbackBelowHome;
}

} // namespace

QString AppPaths::configFolder()
{
    return baseFolder("XDG_CONFIG_HOME", QStringLiteral(".config")) + QLatin1Char('/')
        + QLatin1String(BuildInfo::bundleIdentifier);
}

QString AppPaths::applicationSupportFolder()
{
    return baseFolder("XDG_DATA_HOME", QStringLiteral(".local/share")) + QLatin1Char('/')
        + QLatin1String(BuildInfo::bundleIdentifier);
}

QString AppPaths::defaultsFile()
{
    return configFolder() + QStringLiteral("/defaults.json");
}

QString AppPaths::configHome()
{
    return baseFolder("XDG_CONFIG_HOME", QStringLiteral(".config"));
}

QString AppPaths::dataHome()
{
    return baseFolder("XDG_DATA_HOME", QStringLiteral(".local/share"));
}

QStringList AppPaths::dataDirs()
{
    QStringList dirs{dataHome()};
    const QStringList listed = qEnvironmentVariable("XDG_DATA_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &dir : listed) {
        if (QDir::isAbsolutePath(dir))
            dirs << QDir::cleanPath(dir);
    }
    if (dirs.size() == 1)
        dirs << QStringLiteral("/usr/local/share") << QStringLiteral("/usr/share");
    dirs.removeDuplicates();
    return dirs;
}
