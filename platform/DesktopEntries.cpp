#include "platform/DesktopEntries.h"

#include "platform/PlatformLogging.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSet>
#include <QStandardPaths>

DesktopEntries::DesktopEntries(QStringList dataDirs)
    : m_dataDirs(std::move(dataDirs))
{
}

std::optional<DesktopEntries::Found> DesktopEntries::find(const QString &desktopId) const
{
    if (desktopId.isEmpty() || desktopId.contains(u'/'))
        return std::nullopt;
    for (const QString &dir : m_dataDirs) {
        const QString path = locate(dir + QStringLiteral("/applications/"), desktopId);
        if (path.isEmpty())
            continue;
        std::optional<Found> found = load(path);
        if (!found || !isInstalled(*found))
            return std::nullopt;
        return found;
    }
    return std::nullopt;
}

bool DesktopEntries::isInstalled(const Found &found)
{
    const QString tryExec = found.entry.value(QStringLiteral("TryExec"));
    return !found.entry.hidden() && (tryExec.isEmpty() || !resolveProgram(tryExec).isEmpty());
}

QList<std::pair<QString, qint64>> DesktopEntries::folderStamps() const
{
    QList<std::pair<QString, qint64>> stamps;
    for (const QString &dir : m_dataDirs) {
        const QString base = dir + QStringLiteral("/applications");
        stamps.append({base, QFileInfo(base).lastModified().toMSecsSinceEpoch()});
        QDirIterator folders(base, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (folders.hasNext()) {
            folders.next();
            stamps.append({folders.filePath(), folders.fileInfo().lastModified().toMSecsSinceEpoch()});
        }
    }
    return stamps;
}

QList<std::pair<QString, QString>> DesktopEntries::allIds() const
{
    QList<std::pair<QString, QString>> ids;
    QSet<QString> seen;
    for (const QString &dir : m_dataDirs) {
        const QString base = dir + QStringLiteral("/applications/");
        // Matched by hand: a name filter would load and run the regular
        // expression engine, whose pages then stay with the idle app.
        QDirIterator files(base, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            if (!path.endsWith(QLatin1String(".desktop"), Qt::CaseInsensitive))
                continue;
            // kde/foo.desktop has the id kde-foo.
            QString id = path.mid(base.size());
            id.chop(int(qstrlen(".desktop")));
            id.replace(u'/', u'-');
            if (!seen.contains(id)) {
                seen.insert(id);
                ids.append({id, path});
            }
        }
    }
    return ids;
}

// A "-" in an id may stand for a subfolder: "kde-foo" is also kde/foo.desktop.
// Only folders that exist are followed, so this stays a handful of stats.
QString DesktopEntries::locate(const QString &base, const QString &rest) const
{
    const QString direct = base + rest + QStringLiteral(".desktop");
    if (QFileInfo::exists(direct))
        return direct;
    for (qsizetype dash = rest.indexOf(u'-'); dash > 0; dash = rest.indexOf(u'-', dash + 1)) {
        const QString folder = base + rest.left(dash);
        if (!QFileInfo(folder).isDir())
            continue;
        const QString found = locate(folder + QLatin1Char('/'), rest.mid(dash + 1));
        if (!found.isEmpty())
            return found;
    }
    return {};
}

std::optional<DesktopEntries::Found> DesktopEntries::load(const QString &path)
{
    QFile file(path);
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > maximumSize) {
        qCWarning(lcPlatform) << "not a desktop file we read:" << path;
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcPlatform) << "cannot read desktop file" << path << file.errorString();
        return std::nullopt;
    }
    return parse(path, file.read(maximumSize));
}

std::optional<DesktopEntries::Found> DesktopEntries::parse(const QString &path, QByteArrayView data)
{
    const std::optional<DesktopEntry> entry = DesktopEntry::parse(data, QLocale().name());
    if (!entry || !entry->isApplication()) {
        qCWarning(lcPlatform) << "not an application's desktop file:" << path;
        return std::nullopt;
    }
    const std::optional<DesktopExec> exec = DesktopExec::parse(entry->value(QStringLiteral("Exec")));
    if (!exec) {
        qCWarning(lcPlatform) << "cannot run the Exec line of" << path << entry->value(QStringLiteral("Exec"));
        return std::nullopt;
    }
    return Found{path, *entry, *exec};
}

QString DesktopEntries::resolveProgram(const QString &program)
{
    if (!QDir::isAbsolutePath(program))
        return program.contains(u'/') ? QString() : QStandardPaths::findExecutable(program);
    const QFileInfo info(program);
    return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
}
