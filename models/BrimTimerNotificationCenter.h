#pragma once
// Local notifications as the models see them: scheduled requests with a
// one-shot trigger, delivered by the desktop at their moment.

#include "core/BrimDate.h"
#include "core/Result.h"

#include <QCoro/QCoroTask>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

struct BrimTimerNotificationSettings {
    enum class AuthorizationStatus { notDetermined = 0, denied = 1, authorized = 2, provisional = 3, ephemeral = 4 };
    enum class AlertSetting { notSupported = 0, disabled = 1, enabled = 2 };

    AuthorizationStatus authorizationStatus = AuthorizationStatus::notDetermined;
    AlertSetting alertSetting = AlertSetting::notSupported;

    bool allowsDelivery() const
    {
        return authorizationStatus == AuthorizationStatus::authorized
            || authorizationStatus == AuthorizationStatus::provisional;
    }
    friend bool operator==(const BrimTimerNotificationSettings &, const BrimTimerNotificationSettings &) = default;
};

// When a request fires: after an interval from the moment it was added, or at
// an absolute moment (whole seconds, UTC). Both fire once.
struct BrimNotificationTrigger {
    enum class Kind { timeInterval, calendar };

    static BrimNotificationTrigger afterInterval(double seconds) { return {Kind::timeInterval, seconds, {}}; }
    static BrimNotificationTrigger atDate(BrimDate date) { return {Kind::calendar, 0, date}; }

    Kind kind = Kind::timeInterval;
    double interval = 0; // timeInterval
    BrimDate date;       // calendar
    friend bool operator==(const BrimNotificationTrigger &, const BrimNotificationTrigger &) = default;
};

struct BrimNotificationRequest {
    QString identifier;
    QString title;
    QString body;
    // The desktop's default notification sound plays on delivery.
    bool sound = false;
    BrimNotificationTrigger trigger;
    friend bool operator==(const BrimNotificationRequest &, const BrimNotificationRequest &) = default;
};

class BrimTimerNotificationCenter {
public:
    virtual ~BrimTimerNotificationCenter() = default;

    virtual QCoro::Task<BrimTimerNotificationSettings> settings() = 0;
    // True when granted; the error is the platform's description.
    virtual QCoro::Task<Result<bool, QString>> requestAuthorization() = 0;
    // Adding a request whose identifier is already pending replaces it.
    virtual QCoro::Task<Result<void, QString>> add(BrimNotificationRequest request) = 0;
    // Scheduled and not yet delivered.
    virtual QCoro::Task<QList<BrimNotificationRequest>> pendingRequests() = 0;
    virtual void removePending(const QStringList &identifiers) = 0;
    // Withdraws delivered notifications from the desktop's list.
    virtual void removeDelivered(const QStringList &identifiers) = 0;
    // Told the identifier of each due request the desktop refused or never
    // took; replaces any earlier handler. Called on the main thread.
    virtual void setDeliveryFailureHandler(std::function<void(const QString &identifier)> handler) = 0;
};
