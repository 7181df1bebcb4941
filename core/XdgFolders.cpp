#include "core/XdgFolders.h"

#include <QDir>
#include <QStandardPaths>

namespace {
QString absoluteOr(const QString &path, QLatin1String belowHome)
{
    return QDir::isAbsolutePath(path) ? path : QDir::homePath() + belowHome;
}
} // namespace

QString XdgFolders::configHome()
{
    return absoluteOr(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
                      QLatin1String("/.config"));
}

QString XdgFolders::dataHome()
{
    return absoluteOr(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                      QLatin1String("/.local/share"));
}

QStringList XdgFolders::dataDirs()
{
    // Qt leaves out relative entries of $XDG_DATA_DIRS; the first is the data home.
    QStringList dirs = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    if (!dirs.isEmpty())
        dirs.removeFirst();
    dirs.prepend(dataHome());
    dirs.removeDuplicates();
    return dirs;
}
