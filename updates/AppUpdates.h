#pragma once
// The update controller: decides whether this build can be updated at all,
// mirrors the updater's state for the settings views, and holds an update's
// relaunch back while the host application is busy, polling once a second
// until the work has ended. Main thread only.
//
// The application makes one with the plain constructor, keeps it for the life
// of the process and calls start() once at launch-finished.

#include "telemetry/AppBundle.h"
#include "updates/AppUpdater.h"
#include "updates/AppUpdaterDelegate.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUuid>
#include <QCoro/QCoroTask>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class OstrelSignals;
class QAction;
class QWidget;
class UpdateSettingsWindow;

class AppUpdates : public QObject, public AppUpdaterDelegate {
    Q_OBJECT

public:
    struct Environment {
        AppBundle bundle = AppBundle::main();
        // Absent: this platform has no updater, the build stays unpublished.
        AppUpdater::Factory makeUpdater;
        std::chrono::milliseconds pollInterval{1000};
    };

    // The shared signals facade, this build's settings, no updater.
    explicit AppUpdates(QObject *parent = nullptr);
    AppUpdates(OstrelSignals &signals, Environment environment, QObject *parent = nullptr);
    ~AppUpdates() override;

    // Published state.
    bool available() const { return m_available; }
    bool canCheck() const { return m_canCheck; }
    const QString &message() const { return m_message; }
    bool automaticChecks() const { return m_automaticChecks; }
    bool automaticDownloads() const { return m_automaticDownloads; }
    bool hasPendingInstallation() const { return m_hasPendingInstallation; }

    // Every call replaces the busy predicate; only the first sets the updater up.
    void start(std::function<bool()> isBusy);
    void check();
    void setAutomaticChecks(bool on);
    void setAutomaticDownloads(bool on);

    // How a host ends the work an installation waits for.
    void configurePendingWorkAction(QString title, QString waitingMessage, std::function<void()> action);
    void configureSessionClosureConfirmation(std::function<bool()> confirmation);
    std::optional<QString> pendingWorkActionTitle() const;
    bool canCloseSessionsForUpdate() const;
    void resolvePendingWork();
    void closeSessionsAndInstallUpdate();
    bool consumeSessionClosureApproval();

    // Menu entries for hosts that use them; each follows the published state.
    QAction *menuItem(QObject *parent);
    QAction *preferencesMenuItem(QObject *parent);
    // Null when no pending-work action title is configured.
    QAction *pendingWorkMenuItem(QObject *parent);

    // The "Update Settings" window, made on first use.
    void showPreferences();
    QWidget *settingsWindow() const;
    OstrelSignals &signals() const { return m_signals; }

    // AppUpdaterDelegate
    bool shouldPostponeRelaunch(const AppUpdateItem &item, std::function<void()> installHandler) override;
    void didFindValidUpdate(const AppUpdateItem &item) override;
    void didDownloadUpdate(const AppUpdateItem &item) override;
    void willInstallUpdate(const AppUpdateItem &item) override;
    void didAbort(const AppUpdateError &error) override;
    void didFinishUpdateCycle(const std::optional<AppUpdateError> &error) override;
    QStringList allowedSystemProfileKeys() const override { return {}; }

    static QString notPublishedMessage();
    static QString reviewBuildMessage();
    static QString availableMessage();
    static QString installingMessage();
    static QString postponedMessage();
    // A feed the updater may use: https with a host. A key: standard Base64 of 32 bytes.
    static bool isPublishableFeed(const std::optional<QString> &feed);
    static bool isPublishableKey(const std::optional<QString> &key);

Q_SIGNALS:
    void changed();

private:
    bool isReviewBuild() const;
    void assign(bool &field, bool value);
    void setMessage(const QString &message);
    void applySetting(AppUpdater::Setting setting, bool value);
    void installNow();
    void clearPendingInstallation();
    void pollPendingInstallation();

    bool m_available = false;
    bool m_canCheck = false;
    QString m_message;
    bool m_automaticChecks = false;
    bool m_automaticDownloads = false;
    bool m_hasPendingInstallation = false;

    std::unique_ptr<AppUpdater> m_controller;
    std::unique_ptr<UpdateSettingsWindow> m_settingsWindow;
    bool m_started = false;
    std::function<bool()> m_isBusy = [] { return false; };
    // Polls the busy predicate while an installation waits; a plain timer
    // rather than a sleeping coroutine, so tearing down mid-wait frees everything.
    QTimer m_pollTimer;
    std::function<void()> m_pendingInstallHandler;
    QUuid m_pendingGeneration = QUuid::createUuid();
    std::function<bool()> m_sessionClosureConfirmation;
    bool m_confirmingSessionClosure = false;
    bool m_sessionClosureApproved = false;
    std::function<void()> m_pendingWorkAction;
    std::optional<QString> m_workActionTitle;
    std::optional<QString> m_workWaitingMessage;
    OstrelSignals &m_signals;
    Environment m_environment;
};
