#include "platform/AppInstallation.h"

#include "BuildInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>

AppInstallation::AppInstallation(const QString &program, const QStringList &binFolders, QString dataFromBindir,
                                 QString identifier)
    : m_program(QFileInfo(program).canonicalFilePath())
    , m_dataFromBindir(std::move(dataFromBindir))
    , m_identifier(std::move(identifier))
{
    for (const QString &folder : binFolders) {
        const QString resolved = QFileInfo(folder).canonicalFilePath();
        if (!resolved.isEmpty())
            m_binFolders.append(resolved);
    }
}

AppInstallation AppInstallation::current()
{
    return AppInstallation(QCoreApplication::applicationFilePath(), standardBinFolders(),
                           QString::fromUtf8(BuildInfo::dataFromBindir), identifier());
}

QString AppInstallation::identifier()
{
    const QString fromApplication = QGuiApplication::desktopFileName();
    return fromApplication.isEmpty() ? QString::fromUtf8(BuildInfo::bundleIdentifier) : fromApplication;
}

QStringList AppInstallation::standardBinFolders()
{
    return {QString::fromUtf8(BuildInfo::installBindir), QStringLiteral("/usr/bin"), QStringLiteral("/usr/local/bin"),
            QDir::homePath() + QStringLiteral("/.local/bin")};
}

bool AppInstallation::isInstalled() const
{
    if (m_program.isEmpty())
        return false;
    for (const QString &folder : m_binFolders) {
        // "/usr/binx" is not inside "/usr/bin".
        const QString inside = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
        if (m_program.startsWith(inside))
            return true;
    }
    return bundledDesktopEntry().has_value();
}

std::optional<QString> AppInstallation::bundledDesktopEntry() const
{
    if (m_program.isEmpty() || m_dataFromBindir.isEmpty())
        return std::nullopt;
    const QDir programFolder = QFileInfo(m_program).absoluteDir();
    const QString entry = QDir::cleanPath(programFolder.filePath(m_dataFromBindir + QStringLiteral("/applications/")
                                                                 + m_identifier + QStringLiteral(".desktop")));
    if (!QFileInfo(entry).isFile())
        return std::nullopt;
    return entry;
}

QStringList AppInstallation::desktopEntries() const
{
    QStringList entries;
    if (const std::optional<QString> bundled = bundledDesktopEntry())
        entries.append(*bundled);
    const QString name = QStringLiteral("applications/") + m_identifier + QStringLiteral(".desktop");
    for (const QString &found : QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, name)) {
        if (!entries.contains(found))
            entries.append(found);
    }
    return entries;
}
