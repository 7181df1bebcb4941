#pragma once
// Launch at login through the XDG Autostart Specification: registering
// writes $XDG_CONFIG_HOME/autostart/<id>.desktop from the installed desktop
// entry with Exec set to the installed program; unregistering removes it, or
// hides a system-wide entry of the same name with Hidden=true.

#include "platform/AutostartSettingsTool.h"
#include "services/LoginItemService.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

class XdgAutostartLoginItems : public LoginItemService {
public:
    struct Locations {
        QString userAutostartFolder;
        // $XDG_CONFIG_DIRS/*/autostart, most important first.
        QStringList systemAutostartFolders;
        // Installed desktop entries of the application, preferred first.
        QStringList installedEntries;
        QString program;
        QString fileName;
        QString displayName;

        // This application, the running program and the XDG folders of now.
        static Locations current();
    };

    explicit XdgAutostartLoginItems(Locations locations,
                                    std::optional<AutostartSettingsTool> settingsTool = AutostartSettingsTool::find());

    // The user's entry decides; without one a system-wide entry does.
    LoginItemStatus status() override;
    QCoro::Task<Result<void, QString>> registerItem() override;
    QCoro::Task<Result<void, QString>> unregisterItem() override;
    bool canOpenSettings() const override { return m_settingsTool.has_value(); }
    void openSettings() override;

    // The program as one Exec argument (quoted and escaped as the Desktop
    // Entry Specification asks); nothing for a path it cannot express.
    static std::optional<QString> execArgument(const QString &program);
    // The entry to write: `installed` (a minimal one when absent or not a
    // desktop entry) with Exec and TryExec set to `exec` and nothing hiding it.
    static QByteArray autostartEntry(const std::optional<QByteArray> &installed, const QString &exec,
                                     const QString &displayName);
    // `entry` with Hidden=true, for masking a system-wide entry.
    static QByteArray hiddenEntry(const QByteArray &entry);
    // Hidden=true, or switched off in GNOME's own key.
    static bool isHidden(const QByteArray &entry);

private:
    QString userEntry() const;
    std::optional<QString> systemEntry() const;

    Locations m_locations;
    std::optional<AutostartSettingsTool> m_settingsTool;
};
