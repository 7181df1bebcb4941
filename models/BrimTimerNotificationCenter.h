#pragma once
// Desktop notifications as the models see them. The models keep the time:
// when something is due they ask for its notification to be shown now.

#include "core/Result.h"
#include "models/BrimTimerNotificationSettings.h"

#include <QCoro/QCoroTask>
#include <QString>
#include <QStringList>

#include <functional>

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
    // Made ready on this thread to leave from any other: the function puts
    // the notification on its way at once, and show() of the same request
    // then waits for its answer instead of sending it again (show() sends it
    // if the function was never called). Empty where nothing can be sent ahead.
    virtual std::function<void()> sender(const BrimNotificationRequest &) { return {}; }
    // Withdraws shown notifications from the desktop's list.
    virtual void removeDelivered(const QStringList &identifiers) = 0;
};
