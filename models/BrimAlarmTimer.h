#pragma once
// Alarms that ring while the app is closed: the desktop starts the delivery
// command at each upcoming alarm's moment.

#include "core/BrimDate.h"

#include <QCoro/QCoroTask>
#include <QList>

class BrimAlarmTimer {
public:
    virtual ~BrimAlarmTimer() = default;

    // Brings the desktop's timer in step with these moments; none removes it.
    // True when the desktop took them and so delivers with the app closed;
    // false when it cannot (nothing is then left behind). A later call
    // supersedes an earlier one still under way.
    virtual QCoro::Task<bool> schedule(QList<BrimDate> moments) = 0;
};
