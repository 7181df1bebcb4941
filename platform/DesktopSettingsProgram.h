#pragma once
// A page of the desktop's own settings: the program that shows it, picked by
// $XDG_CURRENT_DESKTOP from a table and found on the search path, started
// detached and never through a shell.

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <span>

struct DesktopSettingsProgram {
    struct Entry {
        const char *desktop;
        const char *program;
        const char *argument; // may be null
    };
    using ExecutableFinder = std::function<QString(const QString &name)>;

    // The first installed entry for the most specific of `desktops` (as in
    // $XDG_CURRENT_DESKTOP, any case); entries of one desktop in order of preference.
    static std::optional<DesktopSettingsProgram> find(std::span<const Entry> entries, const QStringList &desktops,
                                                      const ExecutableFinder &findExecutable);
    // $XDG_CURRENT_DESKTOP of this session, split.
    static QStringList currentDesktops();

    // False (and a warning) when it could not start.
    bool open() const;

    QString program;
    QStringList arguments;
};
