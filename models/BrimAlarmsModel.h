#pragma once
// The live side of the alarms tool: the book in memory, its file, firing on
// the clock, the desktop's pending alarm notifications kept in step, and the
// desktop's timer that delivers alarms while the app is closed.

#include "core/BrimAlarmBook.h"
#include "core/BrimAlarmStoring.h"
#include "core/BrimClock.h"
#include "models/BrimAlarmTimer.h"
#include "models/BrimCompletion.h"
#include "models/BrimNotificationSeries.h"
#include "models/BrimSystemBeep.h"
#include "models/BrimTimeNotificationAuthorization.h"
#include "models/BrimTimerNotificationCenter.h"
#include "telemetry/OstrelEvent.h"

#include <QObject>
#include <QSet>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

class BrimAlarmsModel : public QObject {
    Q_OBJECT

public:
    struct Environment {
        std::shared_ptr<BrimClock> clock;
        std::shared_ptr<BrimSystemBeep> beep;
        std::function<void(OstrelEvent)> track;
        // Delivers alarms while the app is closed; absent, alarms ring only while it runs.
        std::shared_ptr<BrimAlarmTimer> closedTimer;
    };

    static QString completionNotSavedIssue();
    static QString removalNotSavedMessage();
    static inline const QString identifierPrefix = QStringLiteral("brimkit.alarm.");

    // Loads the file at once; alarms that fell due meanwhile show as missed.
    BrimAlarmsModel(std::shared_ptr<BrimAlarmStoring> store, std::shared_ptr<BrimTimerNotificationCenter> notifications,
                    std::shared_ptr<BrimTimeNotificationAuthorization> authorization, bool enabled, bool sound,
                    Environment environment, QObject *parent = nullptr);
    ~BrimAlarmsModel() override;

    // Published state; changed() follows every change.
    const BrimAlarmBook &book() const { return m_book; }
    const std::optional<QString> &storageIssue() const { return m_storageIssue; }
    const std::optional<QString> &notificationNote() const;
    const std::optional<QString> &message() const { return m_message; }
    // The desktop took the upcoming alarms to deliver with the app closed.
    bool deliversWhileClosed() const { return m_deliversWhileClosed; }
    // What the alarms view's help says; it follows deliversWhileClosed().
    QString helpText() const;

    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool sound() const { return m_sound; }
    void setSound(bool sound) { m_sound = sound; }

    void refresh(BrimDate now, bool restoring);
    void add(const QString &title, BrimDate date, BrimDate now);
    // By value: callers pass ids held in views the change itself rebuilds.
    void remove(QUuid id);
    void retryStorage();
    void synchronize(bool requestPermission);
    void shutdown();
    // The desktop refused the due notification with this identifier.
    void deliveryFailed(const QString &identifier);

Q_SIGNALS:
    void changed();

private:
    struct Worker {
        QUuid generation;
        std::shared_ptr<BrimCompletion> done = std::make_shared<BrimCompletion>();
    };

    void publish(BrimAlarmBook book);
    void setText(std::optional<QString> &field, std::optional<QString> value);
    void track(OstrelEvent event) const;
    bool contains(const QUuid &id) const;
    void updateClosedTimer();
    QCoro::Task<> applyClosedTimer(QList<BrimDate> moments, quint64 generation);
    bool isCurrent(const QUuid &generation) const { return !m_closed && m_generation == generation; }
    QCoro::Task<> runWorker(std::shared_ptr<Worker> worker, std::shared_ptr<BrimCompletion> previous,
                            bool requestPermission);

    std::shared_ptr<BrimAlarmStoring> m_store;
    std::shared_ptr<BrimNotificationSeries> m_series; // absent without a notification centre
    Environment m_env;

    BrimAlarmBook m_book;
    std::optional<QString> m_storageIssue;
    std::optional<QString> m_message;

    bool m_enabled;
    bool m_sound;
    QUuid m_generation;
    std::shared_ptr<Worker> m_worker;
    QSet<QString> m_scheduledSound;
    bool m_closed = false;
    bool m_archiveLoaded = false;
    // Missed while the app was closed, still to be shown once.
    QList<BrimAlarm> m_missed;

    std::optional<QList<BrimDate>> m_timerMoments; // last handed to the closed-app timer
    quint64 m_timerGeneration = 0;
    bool m_deliversWhileClosed = false;
};
