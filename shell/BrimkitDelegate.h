#pragma once
// Owns the application's long-lived objects and runs the launch and
// termination steps in their fixed order.

#include "models/BrimkitModel.h"
#include "shell/BrimkitPanel.h"
#include "updates/AppUpdates.h"

#include <QObject>
#include <memory>

class BrimkitStatusItem;
class BrimShortcutActions;
class BrimTimerOverlayController;

class BrimkitDelegate : public QObject {
    Q_OBJECT

public:
    BrimkitDelegate(BrimkitModel::Environment environment, BrimkitPanel::Environment panelEnvironment,
                    QObject *parent = nullptr);
    ~BrimkitDelegate() override;

    BrimkitModel &model() { return *m_model; }
    AppUpdates &updates() { return *m_updates; }
    BrimkitPanel &panel();
    BrimkitStatusItem *statusItem() const { return m_statusItem.get(); }

    void applicationDidFinishLaunching();
    void applicationWillTerminate();
    void showPanel();
    // True while work is in progress that an update must not interrupt.
    std::function<bool()> busyPredicate();

Q_SIGNALS:
    void quitRequested();

private:
    void togglePanel(const QRect &anchor);
    void openPanel(const QRect &anchor);
    void startShortcuts();

    // Taken before the model gets the environment: the shortcuts announce through it too.
    std::shared_ptr<BrimTimerNotificationCenter> m_notifications;
    std::unique_ptr<BrimkitModel> m_model;
    std::unique_ptr<AppUpdates> m_updates;
    BrimkitPanel::Environment m_panelEnvironment;
    std::unique_ptr<BrimkitPanel> m_panel;
    std::unique_ptr<BrimkitStatusItem> m_statusItem;
    // Absent until launch has finished.
    std::unique_ptr<BrimTimerOverlayController> m_capsule;
    std::unique_ptr<BrimShortcutActions> m_shortcutActions;
    bool m_launched = false;
    bool m_terminated = false;
};
