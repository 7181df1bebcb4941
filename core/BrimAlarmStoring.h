#pragma once
// Where the alarm list is kept. The alarms model takes any implementation;
// the application uses FileBrimAlarmStore, tests an in-memory double.

#include "core/BrimAlarm.h"
#include "core/BrimAlarmStoreError.h"
#include "core/Result.h"

#include <QList>

class BrimAlarmStoring {
public:
    virtual ~BrimAlarmStoring() = default;

    // The stored alarms in stored order; an empty list when nothing is stored yet.
    virtual Result<QList<BrimAlarm>, BrimAlarmStoreError> load() = 0;
    // Replaces what is stored, or fails and leaves it as it was.
    virtual Result<void, BrimAlarmStoreError> save(const QList<BrimAlarm> &alarms) = 0;
};
