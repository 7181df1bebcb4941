#pragma once
// The desktop's own settings for programs started at login, where we know one.

#include "platform/DesktopSettingsProgram.h"

struct AutostartSettingsTool : DesktopSettingsProgram {
    // `desktops` as in $XDG_CURRENT_DESKTOP, most specific first.
    static std::optional<AutostartSettingsTool> find(const QStringList &desktops, const ExecutableFinder &findExecutable);
    static std::optional<AutostartSettingsTool> find();
};
