#pragma once
// Local notifications over org.freedesktop.Notifications. The desktop has no
// scheduling of its own, so triggers are kept here and fired by a wall-clock
// timer; the server only ever sees notifications that are due.

#include "models/BrimSystemBeep.h"
#include "models/BrimTimerNotificationCenter.h"

#include <QDBusConnection>
#include <QHash>
#include <QList>
#include <QObject>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QDBusMessage;
class QDBusServiceWatcher;
class QSocketNotifier;
class QTimer;

class SystemBrimTimerNotifications : public QObject, public BrimTimerNotificationCenter {
    Q_OBJECT

public:
    // `sound` plays the notification's sound where the server cannot.
    SystemBrimTimerNotifications(QDBusConnection bus, std::shared_ptr<BrimSystemBeep> sound, QObject *parent = nullptr);
    ~SystemBrimTimerNotifications() override;

    // Authorized while a notification server owns its name on the bus or can be
    // started by it; there is no permission prompt on this platform.
    QCoro::Task<BrimTimerNotificationSettings> settings() override;
    QCoro::Task<Result<bool, QString>> requestAuthorization() override;
    QCoro::Task<Result<void, QString>> add(BrimNotificationRequest request) override;
    QCoro::Task<QList<BrimNotificationRequest>> pendingRequests() override;
    void removePending(const QStringList &identifiers) override;
    void removeDelivered(const QStringList &identifiers) override;
    void setDeliveryFailureHandler(std::function<void(const QString &)> handler) override;

    // How long any call to the bus may take before it counts as unanswered.
    void setReplyTimeout(std::chrono::milliseconds timeout);

Q_SIGNALS:
    // A due request was handed to the server; ok is false when it refused or
    // did not answer.
    void delivered(const QString &identifier, bool ok);

private Q_SLOTS:
    void onNotificationClosed(uint id, uint reason);

private:
    struct Pending {
        BrimNotificationRequest request;
        qint64 dueMs = 0; // wall clock, ms since the Unix epoch
    };
    struct InFlight {
        bool withdrawn = false;
    };

    void arm();
    void fireDue();
    QCoro::Task<> deliver(BrimNotificationRequest request);
    QCoro::Task<QStringList> capabilities();
    QDBusMessage serverCall(const QString &interface, const QString &method) const;
    void closeOnServer(uint id);
    void playSound();
    void forgetServer();

    QDBusConnection m_bus;
    int m_timeoutMs = 5000;
    std::shared_ptr<BrimSystemBeep> m_sound;
    std::function<void(const QString &)> m_deliveryFailed;
    QList<Pending> m_pending; // in the order added
    QHash<QString, QList<uint>> m_deliveredIds;
    QMultiHash<QString, std::shared_ptr<InFlight>> m_inFlight;
    std::optional<QStringList> m_capabilities;
    int m_timerFd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QTimer *m_fallbackTimer = nullptr;
    QDBusServiceWatcher *m_serverWatcher = nullptr;
};
