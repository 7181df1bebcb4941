#pragma once
// The desktop's own notification settings: which program opens them on the
// desktops we know, and starting it (never through a shell).

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

    const QString &program() const { return m_program; }
    const QStringList &arguments() const { return m_arguments; }
    // Starts the program detached; false (and a warning) when it could not start.
    bool open() const;

private:
    DesktopNotificationSettings(QString program, QStringList arguments)
        : m_program(std::move(program))
        , m_arguments(std::move(arguments))
    {
    }

    QString m_program;
    QStringList m_arguments;
};
