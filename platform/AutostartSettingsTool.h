#pragma once
// The desktop's own settings for programs started at login, where we know
// one: picked by $XDG_CURRENT_DESKTOP and found on the PATH.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

struct AutostartSettingsTool {
    QString program;
    QStringList arguments;

    using ExecutableFinder = std::function<QString(const QString &name)>;
    // `desktops` as in $XDG_CURRENT_DESKTOP, most specific first.
    static std::optional<AutostartSettingsTool> find(const QStringList &desktops, const ExecutableFinder &findExecutable);
    static std::optional<AutostartSettingsTool> find();

    // Started detached, never through a shell.
    bool open() const;
};
