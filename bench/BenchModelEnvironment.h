#pragma once
// A main model's surroundings for benchmarks: no power service to wait for and
// alarms kept in memory, so a benchmark measures the step, not the disk.

#include "models/BrimkitModel.h"

#include <memory>

class NoPower final : public BrimPowerAssertions {
public:
    QCoro::Task<BrimPowerAssertion> preventIdleSleep(QString) override { co_return BrimPowerAssertion{0, 1, {}}; }
    void release(std::uint32_t) override {}
};

class MemoryStore final : public BrimAlarmStoring {
public:
    Result<QList<BrimAlarm>, BrimAlarmStoreError> load() override { return alarms; }
    Result<void, BrimAlarmStoreError> save(const QList<BrimAlarm> &a) override
    {
        alarms = a;
        return {};
    }
    QList<BrimAlarm> alarms;
};

inline BrimkitModel::Environment benchEnvironment(std::shared_ptr<FixedBrimClock> clock,
                                                  std::shared_ptr<MemoryStore> store = std::make_shared<MemoryStore>())
{
    return {std::move(clock), std::make_shared<MemoryUserDefaults>(), std::make_shared<NoPower>(), nullptr, nullptr, {}, nullptr,
            std::move(store), nullptr};
}
