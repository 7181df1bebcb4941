#pragma once
// Desktop notifications as the models see them. The models keep the time:
// when something is due they ask for its notification to be shown now.

#include "core/Result.h"
#include "models/BrimTimerNotificationSettings.h"

#include <QCoro/QCoroTask>
#include <QString>
#include <QStringList>

struct BrimNotificationRequest {
    QString identifier;
    QString title;
    QString body;
    // The desktop's alert sound plays with it.
    bool sound = false;
    friend bool operator==(const BrimNotificationRequest &, const BrimNotificationRequest &) = default;
};

class BrimTimerNotificationCenter {
public:
    virtual ~BrimTimerNotificationCenter() = default;

    // Whether notifications can be shown now, and whether the desktop hides them.
    virtual QCoro::Task<BrimTimerNotificationSettings> settings() = 0;
    // Shows the notification now; the error is the platform's. Nothing is kept
    // for later: a refused notification is gone.
    virtual QCoro::Task<Result<void, QString>> show(BrimNotificationRequest request) = 0;
    // Withdraws shown notifications from the desktop's list.
    virtual void removeDelivered(const QStringList &identifiers) = 0;
};
