#pragma once
// Small fakes of the platform services the models are given.

#include "models/BrimPowerAssertions.h"
#include "models/BrimSystemBeep.h"
#include "models/BrimSystemEvents.h"

#include <set>

class FakePowerAssertions final : public BrimPowerAssertions {
public:
    BrimPowerAssertion preventIdleSleep(const QString &reason) override
    {
        lastReason = reason;
        if (failWith != 0)
            return {failWith, 0};
        const std::uint32_t id = nextId++;
        held.insert(id);
        return {0, id};
    }
    void release(std::uint32_t identifier) override { held.erase(identifier); }

    std::int32_t failWith = 0;
    std::uint32_t nextId = 1;
    std::set<std::uint32_t> held;
    QString lastReason;
};

class CountingBeep final : public BrimSystemBeep {
public:
    void beep() override { ++count; }
    int count = 0;
};

class ManualSystemEvents final : public BrimSystemEvents {
public:
    void observe(Handler h) override { handler = std::move(h); }
    void stopObserving() override { handler = nullptr; }
    void send(BrimSystemEvent event)
    {
        if (handler)
            handler(event);
    }
    Handler handler;
};

#include "core/BrimAlarmStoring.h"

// Alarm storage in memory; either direction can be made to fail.
class MemoryAlarmStore final : public BrimAlarmStoring {
public:
    Result<QList<BrimAlarm>, BrimAlarmStoreError> load() override
    {
        ++loads;
        if (loadError)
            return Failure{*loadError};
        return saved;
    }
    Result<void, BrimAlarmStoreError> save(const QList<BrimAlarm> &alarms) override
    {
        ++saves;
        if (saveError)
            return Failure{*saveError};
        saved = alarms;
        return {};
    }

    QList<BrimAlarm> saved;
    std::optional<BrimAlarmStoreError> loadError;
    std::optional<BrimAlarmStoreError> saveError;
    int loads = 0;
    int saves = 0;
};
