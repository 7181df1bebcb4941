#pragma once
// The one model behind the tray item: countdowns and focus sessions,
// keep-awake, the timer settings and the clock. The clock wakes once a second
// only while a countdown runs; otherwise it sleeps until the next deadline
// (an alarm, the end of keep-awake) or a system event.

#include "core/BrimAlarmStoring.h"
#include "core/BrimClock.h"
#include "core/BrimCountdown.h"
#include "core/BrimTimerKind.h"
#include "core/UserDefaults.h"
#include "models/BrimAlarmsModel.h"
#include "models/BrimNotificationSeries.h"
#include "models/BrimPowerAssertions.h"
#include "models/BrimSystemBeep.h"
#include "models/BrimSystemEvents.h"
#include "models/BrimTimePresentation.h"
#include "models/BrimTimerNotificationCenter.h"
#include "telemetry/OstrelEvent.h"

#include <QObject>
#include <QTimer>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

class BrimkitModel : public QObject {
    Q_OBJECT

public:
    // Everything the model talks to, injected so tests can drive it with fakes.
    struct Environment {
        std::shared_ptr<BrimClock> clock;
        std::shared_ptr<UserDefaults> defaults;
        std::shared_ptr<BrimPowerAssertions> power;
        std::shared_ptr<BrimSystemBeep> beep;
        // Only consulted when the model ticks.
        std::shared_ptr<BrimSystemEvents> systemEvents;
        std::function<void(OstrelEvent)> track;
        // The desktop's notification centre; absent runs without notifications.
        std::shared_ptr<BrimTimerNotificationCenter> notifications;
        // Where alarms are kept; absent means the alarm file in its default place.
        std::shared_ptr<BrimAlarmStoring> alarmStore;
        // Delivers alarms while the app is closed; absent, alarms ring only while it runs.
        std::shared_ptr<BrimAlarmTimer> alarmTimer;
        // Off, the alarm store is called on the main thread (for stores in memory).
        bool alarmStoreOnWorker = true;
    };

    struct Options {
        // Without ticking the model has no clock and observes no system events.
        bool ticking = true;
    };

    static inline const QString islandKey = QStringLiteral("brimkitTimerIsland");
    static inline const QString notificationsKey = QStringLiteral("brimkitTimerNotifications");
    static inline const QString soundKey = QStringLiteral("brimkitTimerSound");

    explicit BrimkitModel(Environment environment, QObject *parent = nullptr);
    BrimkitModel(Environment environment, Options options, QObject *parent = nullptr);
    ~BrimkitModel() override;

    // Published state; changed() follows every change.
    BrimDate now() const { return m_now; }
    const BrimCountdown &countdown() const { return m_countdown; }
    BrimTimerKind kind() const { return m_kind; }
    std::optional<BrimTimerKind> completion() const { return m_completion; }
    std::optional<BrimDate> awakeUntil() const { return m_awakeUntil; }
    const std::optional<QString> &message() const { return m_message; }
    const std::optional<QString> &notificationNote() const;
    bool islandEnabled() const { return m_islandEnabled; }
    bool notificationEnabled() const { return m_notificationEnabled; }
    bool soundEnabled() const { return m_soundEnabled; }

    void setMessage(std::optional<QString> message);
    void setIslandEnabled(bool enabled);
    void setNotificationEnabled(bool enabled);
    void setSoundEnabled(bool enabled);

    bool isTiming() const { return m_countdown.deadline().has_value() || m_countdown.remaining() > 0; }
    bool isPaused() const { return isTiming() && !m_countdown.deadline(); }
    // Work in progress that an update must not interrupt.
    bool isBusy() const { return isTiming() || m_awakeUntil.has_value(); }
    QString nextSessionTitle() const;
    // What the capsule and the panel show of the current time state.
    std::optional<BrimTimePresentation> timePresentation() const;
    // The text beside the tray symbol; empty when nothing is going on.
    QString menuTitle() const;
    // Symbol name of the tray icon.
    QString statusSymbol() const;
    // What assistive technologies read for the tray item.
    QString accessibilityLabel() const;
    int lastMinutes() const { return m_lastMinutes; }
    QUuid timerID() const { return m_timerID; }
    bool isTicking() const { return m_tick.has_value(); }
    // When the clock steps next; nothing while nothing is due.
    std::optional<BrimDate> nextStep() const { return m_nextStep; }
    // Identifier of the timer notification to show at the deadline or shown, if any.
    const std::optional<QString> &scheduledIdentifier() const { return m_scheduledIdentifier; }
    // The notification of a finished countdown of this kind.
    static BrimNotificationRequest completionRequest(const QString &identifier, BrimTimerKind kind, bool sound);
    BrimAlarmsModel &alarms() { return *m_alarms; }
    const BrimAlarmsModel &alarms() const { return *m_alarms; }

    static inline const QString timerIdentifierPrefix = QStringLiteral("brimkit.timer.");
    // What the power assertion is held for, as the desktop lists it.
    static QString awakeReason();

    void refresh(BrimDate date);
    // Same as a system activation event; the shell calls it when the panel opens.
    void applicationDidBecomeActive() { onSystemEvent(BrimSystemEvent::applicationActivated); }
    void startTimer(int minutes, BrimTimerKind kind);
    void pauseOrResume();
    void cancelTimer();
    void startNextSession();
    void dismissCompletion();
    // Keep-awake shows as on only once the desktop holds the assertion.
    void startAwake(int minutes);
    void stopAwake();
    void shutdown();

Q_SIGNALS:
    void changed();

private:
    void onSystemEvent(BrimSystemEvent event);
    // Sets the clock for its next step.
    void armClock();
    QCoro::Task<> notifyCompletion(BrimNotificationRequest request);
    QCoro::Task<> holdAwake(quint64 generation, int minutes);
    // Ends keep-awake, including a start still waiting for the desktop.
    void endAwake();
    void synchronizeAlarms(bool requestPermission);
    void track(OstrelEvent event) const;
    void synchronizeNotification(bool requestPermission);
    QCoro::Task<> scheduleNotification(QUuid generation, BrimDate deadline, bool requestPermission);
    void clearNotification();

    Environment m_env;

    BrimDate m_now;
    BrimCountdown m_countdown;
    BrimTimerKind m_kind = BrimTimerKind::timer;
    std::optional<BrimTimerKind> m_completion;
    std::optional<BrimDate> m_awakeUntil;
    std::optional<QString> m_message;
    bool m_islandEnabled = true;
    bool m_notificationEnabled = true;
    bool m_soundEnabled = true;

    std::shared_ptr<BrimTimerNotificationCenter> m_notifications;
    std::shared_ptr<BrimNotificationSeries> m_series; // absent without a notification centre
    std::unique_ptr<BrimAlarmsModel> m_alarms;
    QMetaObject::Connection m_alarmChanges;
    std::uint32_t m_assertion = 0;
    quint64 m_awakeGeneration = 0; // replaced whenever a keep-awake start in flight must be ignored
    std::optional<QTimer> m_tick; // single shot, set by armClock()
    std::optional<BrimDate> m_nextStep;
    bool m_observing = false;
    QUuid m_notificationGeneration;
    std::optional<QString> m_scheduledIdentifier;
    bool m_scheduledSound = false;
    int m_lastMinutes = 25;
    QUuid m_timerID;
};
