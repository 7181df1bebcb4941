#pragma once
// The live side of the alarms tool: the book in memory, its file, firing on
// the main model's clock with a notification shown as each alarm fires, and
// the desktop's timer that delivers alarms while the app is closed.
//
// The file is read and written on a worker thread, one operation at a time
// in the order asked for: a change asked for while a save is in flight waits
// for it, then works on the book that save left.

#include "core/BrimAlarmBook.h"
#include "core/BrimAlarmStoring.h"
#include "core/BrimClock.h"
#include "models/BrimAlarmTimer.h"
#include "models/BrimCompletion.h"
#include "models/BrimNotificationSeries.h"
#include "models/BrimSystemBeep.h"
#include "models/BrimTimerNotificationCenter.h"
#include "telemetry/OstrelEvent.h"

#include <QObject>
#include <QPointer>
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
        // Off, the store is called on the main thread (for stores in memory).
        bool storeOnWorker = true;
    };

    static QString completionNotSavedIssue();
    static QString removalNotSavedMessage();
    static inline const QString identifierPrefix = QStringLiteral("brimkit.alarm.");

    // Starts loading the file; alarms that fell due meanwhile show as missed.
    BrimAlarmsModel(std::shared_ptr<BrimAlarmStoring> store, std::shared_ptr<BrimTimerNotificationCenter> notifications,
                    bool enabled, bool sound, Environment environment, QObject *parent = nullptr);
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
    // The earliest moment an upcoming alarm falls due.
    std::optional<BrimDate> nextDue() const;
    // A file operation is asked for or running.
    bool isStoring() const { return m_storing > 0; }

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
    // No more notifications; waits for the file operations still to run.
    void shutdown();

    // The notification of an alarm that fires now, or of one that fell due
    // while nothing of Brimkit ran.
    static BrimNotificationRequest notificationRequest(const BrimAlarm &alarm, bool missed, bool sound);

Q_SIGNALS:
    void changed();
    // An add was saved and shows in the book.
    void added(QUuid id);

private:
    struct Worker {
        QUuid generation;
        std::shared_ptr<BrimCompletion> done = std::make_shared<BrimCompletion>();
    };
    // One file operation's place in the queue; when it ends, however its
    // coroutine ends, the next one goes.
    class Turn {
    public:
        Turn(BrimAlarmsModel *model, std::shared_ptr<BrimCompletion> previous);
        Turn(Turn &&other) noexcept = default;
        Turn &operator=(Turn &&) = delete;
        ~Turn();
        // Waits for the operations asked for earlier.
        QCoro::Task<> waitForEarlier();

    private:
        QPointer<BrimAlarmsModel> m_model;
        std::shared_ptr<BrimCompletion> m_previous;
        std::shared_ptr<BrimCompletion> m_done;
        friend class BrimAlarmsModel;
    };
    using LoadResult = Result<QList<BrimAlarm>, BrimAlarmStoreError>;

    Turn takeTurn();
    QCoro::Task<LoadResult> load();
    // The store's read-change-write, on the worker unless told otherwise.
    // `saved` runs the moment the write has put the change in place (before
    // the folder is synced, which may still fail), on the same thread.
    QCoro::Task<LoadResult> update(BrimAlarmStoring::Change change, std::function<void()> saved = {});
    QCoro::Task<> loadAtStart(Turn turn);
    QCoro::Task<> addInTurn(Turn turn, QString title, BrimDate date, BrimDate now);
    QCoro::Task<> removeInTurn(Turn turn, QUuid id);
    QCoro::Task<> retryInTurn(Turn turn);
    // Records the firing in the file, then announces what this process was
    // the first to record: the delivery command, sharing the file, announces
    // the rest, so each alarm is told once.
    QCoro::Task<> fireInTurn(Turn turn, QList<BrimAlarm> fired, BrimDate now, bool restoring);

    void publish(BrimAlarmBook book);
    // The stored list as the book, keeping what fired here meanwhile.
    void adopt(const QList<BrimAlarm> &stored);
    // A store operation's book, with what fired while it was saving.
    BrimAlarmBook keepingFired(const BrimAlarmBook &book) const;
    void setText(std::optional<QString> &field, std::optional<QString> value);
    void track(OstrelEvent event) const;
    bool contains(const QUuid &id) const;
    void announce(const QList<BrimAlarm> &fired, bool restoring, bool tell, bool sound);
    QCoro::Task<> notifyFired(QList<BrimAlarm> fired, bool missed, bool sound);
    void updateClosedTimer();
    QCoro::Task<> applyClosedTimer(QList<BrimDate> moments, quint64 generation);
    bool isCurrent(const QUuid &generation) const { return !m_closed && m_generation == generation; }
    QCoro::Task<> runWorker(std::shared_ptr<Worker> worker, std::shared_ptr<BrimCompletion> previous,
                            bool requestPermission);

    std::shared_ptr<BrimAlarmStoring> m_store;
    std::shared_ptr<BrimNotificationSeries> m_series; // absent without the desktop's notifications
    Environment m_env;

    BrimAlarmBook m_book;
    std::optional<QString> m_storageIssue;
    std::optional<QString> m_message;

    bool m_enabled;
    bool m_sound;
    QUuid m_generation;
    std::shared_ptr<Worker> m_worker;
    // No synchronization found notifications off: an alarm that fires is
    // shown at once, also before the first has answered.
    bool m_notifying = true;
    bool m_closed = false;
    bool m_archiveLoaded = false;
    // Missed while the app was closed, still to be shown once.
    QList<BrimAlarm> m_missed;

    std::shared_ptr<BrimCompletion> m_lastTurn; // of the latest file operation
    int m_storing = 0;

    std::optional<QList<BrimDate>> m_timerMoments; // last handed to the closed-app timer
    quint64 m_timerGeneration = 0;
    bool m_deliversWhileClosed = false;
};
