#pragma once
// The desktop's own notification settings: which program opens them on the
// desktops we know, and starting it (never through a shell).

#include "platform/DesktopSettingsProgram.h"

#include <QString>
#include <QStringList>

#include <optional>

class DesktopNotificationSettings {
public:
    // For a desktop named like XDG_CURRENT_DESKTOP (a colon-separated list,
    // any case); absent when the desktop is unknown or its program is not
    // installed. Programs are looked up in `searchPaths`, or PATH when empty.
    static std::optional<DesktopNotificationSettings> forDesktop(QStringView currentDesktop,
                                                                 const QStringList &searchPaths = {});
    // For the session this process runs in.
    static std::optional<DesktopNotificationSettings> current();

    const QString &program() const { return m_settings.program; }
    const QStringList &arguments() const { return m_settings.arguments; }
    // Starts the program detached; false (and a warning) when it could not start.
    bool open() const;

private:
    explicit DesktopNotificationSettings(DesktopSettingsProgram settings) : m_settings(std::move(settings)) {}

    DesktopSettingsProgram m_settings;
};
