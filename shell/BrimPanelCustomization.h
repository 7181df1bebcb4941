#pragma once
// The panel's settings pane: which tools the grid shows (a tool in use cannot
// be hidden), the time alerts, launching at login, updates and the support
// footer with the usage-statistics switches.

#include "core/BrimTool.h"
#include "platform/DesktopNotificationSettings.h"

#include <QList>
#include <QWidget>

#include <map>
#include <optional>

class AppUpdates;
class BrimkitModel;
class BrimShortcutsModel;
class OstrelSignals;
class QCheckBox;

class BrimPanelCustomization : public QWidget {
    Q_OBJECT

public:
    // Without an update controller there is no update check; without
    // shortcuts, no Shortcuts section.
    BrimPanelCustomization(BrimkitModel &model, OstrelSignals &signals, AppUpdates *updates,
                           std::optional<DesktopNotificationSettings> notificationSettings,
                           BrimShortcutsModel *shortcuts = nullptr, QWidget *parent = nullptr);

    void setEnabledTools(const QList<BrimTool> &enabled);
    QCheckBox *toggle(BrimTool tool) const { return m_toggles.at(tool.value()); }

    // Whether the tool is in use: keep-awake on, a countdown running or
    // paused, any alarm saved.
    static bool isActive(BrimTool tool, const BrimkitModel &model);
    // Why an active tool's switch is locked.
    static QString lockReason(BrimTool tool);

Q_SIGNALS:
    // The user switched a tool on or off.
    void toolToggled(BrimTool tool, bool enabled);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *createToolToggles();
    void refreshLocks();

    BrimkitModel &m_model;
    std::map<BrimTool::Value, QCheckBox *> m_toggles;
};
