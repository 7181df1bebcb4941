#pragma once
// Where the running program sits, and whether that is an installation rather
// than a build folder: launch at login must start a program that stays put.

#include <QString>
#include <QStringList>
#include <optional>

class AppInstallation {
public:
    // `program` may be a symbolic link; it and the folders are resolved here.
    // `dataFromBindir` is the data folder as seen from the program's folder.
    AppInstallation(const QString &program, const QStringList &binFolders, QString dataFromBindir, QString identifier);

    // The running program with this build's install layout.
    static AppInstallation current();
    // The install prefix this build was configured for, /usr/bin,
    // /usr/local/bin and ~/.local/bin.
    static QStringList standardBinFolders();
    // The application's desktop-file id.
    static QString identifier();

    const QString &program() const { return m_program; }
    // Under one of the bin folders, or installed beside its own desktop entry
    // (an install under another prefix).
    bool isInstalled() const;
    // <program folder>/<data>/applications/<identifier>.desktop, when it exists.
    std::optional<QString> bundledDesktopEntry() const;
    // The desktop entries of this application that the desktop knows, the
    // bundled one first, then $XDG_DATA_HOME and $XDG_DATA_DIRS in order.
    QStringList desktopEntries() const;

private:
    QString m_program;
    QStringList m_binFolders;
    QString m_dataFromBindir;
    QString m_identifier;
};
