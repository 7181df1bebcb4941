#pragma once
// The one object through which the application records usage events, changes
// the telemetry choices and sends feedback. It owns the telemetry client and
// session, keeps the installation identifier and opens the feedback window.
// Main thread only.
//
// In the application: configureShared(store) once the application object and
// the defaults store exist; shared().start() at launch-finished; models track through
// [](OstrelEvent e) { OstrelSignals::shared().track(e); }. The session ends
// cleanly on aboutToQuit by itself.

#include "core/UserDefaults.h"
#include "telemetry/AppBundle.h"
#include "telemetry/AppSignalContext.h"
#include "telemetry/OstrelEvent.h"
#include "telemetry/TelemetrySession.h"
#include "telemetry/TellixClient.h"

#include <QObject>
#include <QString>
#include <QCoro/QCoroTask>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

class OstrelSignals : public QObject {
    Q_OBJECT
public:
    static QString installationKey() { return QStringLiteral("ostrel.installation.v1"); }

    // Without a client one is created from the bundle's configuration.
    OstrelSignals(AppBundle bundle, std::shared_ptr<UserDefaults> defaults,
                  std::shared_ptr<TellixClient> client = nullptr, QObject *parent = nullptr);
    ~OstrelSignals() override;

    // Creates the process-wide instance over the application's store. Call it
    // once, before the first shared(); false when the instance already exists.
    static bool configureShared(std::shared_ptr<UserDefaults> defaults, AppBundle bundle = AppBundle::main());
    // The process-wide instance. Unconfigured, it keeps its choices in memory only.
    static OstrelSignals &shared();

    // Once per process, at launch-finished: marks the session as running and
    // records the opening, an unclean previous exit and a completed update.
    void start();
    void track(OstrelEvent event);
    void setEnabled(bool on);
    void setLocationEnabled(bool on);
    void recordUpdateInstallation(const QString &version);
    void clearUpdateInstallation();
    // Normal termination; also connected to the application's aboutToQuit.
    void finishSession();

    void showSupport(bool bug);
    void setFeedbackIsBug(bool bug);
    QCoro::Task<bool> feedback(QString message, bool bug);
    QString reviewedMetadata() const;

    bool enabled() const { return m_enabled; }
    bool locationEnabled() const { return m_locationEnabled; }
    bool feedbackIsBug() const { return m_feedbackIsBug; }
    bool configured() const { return m_configured; }
    bool started() const { return m_started; }
    const AppSignalContext &context() const { return m_context; }
    const QString &appName() const { return m_appName; }
    TellixClient &client() const { return *m_client; }
    // Client updates waiting in the operation chain.
    bool hasPendingOperations() const { return !m_operations.empty(); }
    QWidget *supportWindow() const { return m_supportWindow.get(); }

Q_SIGNALS:
    // Published state (the three flags) changed.
    void changed();

private:
    using Step = std::function<void()>;
    // Steps of consecutive operations run in call order, one per turn of the
    // event loop, so a later consent change can overtake a queued update.
    void enqueue(std::initializer_list<Step> steps);
    void runNextStep();
    QString installationIdentifier();

    bool m_enabled = true;
    bool m_locationEnabled = true;
    bool m_feedbackIsBug = false;
    bool m_configured = false;
    AppSignalContext m_context;
    std::shared_ptr<TellixClient> m_client;
    bool m_started = false;
    qint64 m_preferenceRevision = 0;
    std::deque<Step> m_operations;
    bool m_stepScheduled = false;
    std::shared_ptr<UserDefaults> m_defaults;
    TelemetrySession m_telemetrySession;
    QString m_currentBuild;
    QString m_appName;
    std::unique_ptr<QWidget> m_supportWindow;
};
