#pragma once
// Installed applications by desktop-file id, along the XDG data folders
// ($XDG_DATA_HOME first, then $XDG_DATA_DIRS, which also hold Flatpak's and
// Snap's exported entries), as the Desktop Entry Specification says: the
// first file with an id decides, so a Hidden copy in the user's folder
// removes the system's.

#include "platform/DesktopEntry.h"
#include "platform/DesktopExec.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

class DesktopEntries {
public:
    struct Found {
        QString path;
        DesktopEntry entry;
        DesktopExec exec;
    };

    // Desktop files larger than this are not desktop files we read.
    static constexpr qint64 maximumSize = 1 << 20;

    // dataDirs most important first, each holding an "applications" folder.
    explicit DesktopEntries(QStringList dataDirs);

    // The application with this id ("firefox" for firefox.desktop,
    // "kde-foo" also for kde/foo.desktop). Nothing when no file has the id,
    // or the first one is hidden, not an application, has a TryExec program
    // that is not installed, or has no Exec line we can run.
    std::optional<Found> find(const QString &desktopId) const;
    // Every desktop id along the folders, each once, with the file that
    // decides it; the files themselves are not read.
    QList<std::pair<QString, QString>> allIds() const;
    // The applications folders and their subfolders, each with the time it
    // last changed: an entry added, removed or replaced changes it.
    QList<std::pair<QString, qint64>> folderStamps() const;
    // Whether a file find gave may be shown to the user: not hidden, its
    // TryExec program installed.
    static bool isInstalled(const Found &found);
    // The desktop file at path, read again (for launching what find gave).
    static std::optional<Found> load(const QString &path);
    // A desktop file already read.
    static std::optional<Found> parse(const QString &path, QByteArrayView data);
    // An installed program: an absolute path to an executable file, or a
    // name found along $PATH. Empty when there is none.
    static QString resolveProgram(const QString &program);

private:
    QString locate(const QString &base, const QString &rest) const;

    QStringList m_dataDirs;
};
