#pragma once
// Where the alarm list is kept. The alarms model takes any implementation;
// the application uses FileBrimAlarmStore, tests an in-memory double.

#include "core/BrimAlarm.h"
#include "core/BrimAlarmStoreError.h"
#include "core/Result.h"

#include <QList>

#include <functional>
#include <optional>

class BrimAlarmStoring {
public:
    virtual ~BrimAlarmStoring() = default;

    // The stored alarms in stored order; an empty list when nothing is stored yet.
    virtual Result<QList<BrimAlarm>, BrimAlarmStoreError> load() = 0;
    // Replaces what is stored, or fails and leaves it as it was.
    virtual Result<void, BrimAlarmStoreError> save(const QList<BrimAlarm> &alarms) = 0;

    // What a change makes of the stored list: the list to store, nothing to
    // leave it as it is, or a failure (nothing is written).
    using Change = std::function<Result<std::optional<QList<BrimAlarm>>, BrimAlarmStoreError>(const QList<BrimAlarm> &)>;
    // Loads, changes and saves with no other writer in between (another
    // process included, where the store is shared); the list stored after.
    // `inPlace` is called once a changed list is in place for any reader,
    // before the call returns (a process killed from then on has stored it).
    virtual Result<QList<BrimAlarm>, BrimAlarmStoreError> update(const Change &change,
                                                                 const std::function<void()> &inPlace = {})
    {
        auto stored = load();
        if (!stored.ok())
            return Failure{stored.error()};
        auto changed = change(stored.value());
        if (!changed.ok())
            return Failure{changed.error()};
        if (!changed.value())
            return std::move(stored).value();
        if (auto saved = save(*changed.value(), inPlace); !saved.ok())
            return Failure{saved.error()};
        return std::move(*changed.value());
    }

protected:
    // save() with `inPlace` called once the list is in place.
    virtual Result<void, BrimAlarmStoreError> save(const QList<BrimAlarm> &alarms, const std::function<void()> &inPlace)
    {
        auto saved = save(alarms);
        if (saved.ok() && inPlace)
            inPlace();
        return saved;
    }
};
