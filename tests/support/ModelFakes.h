#pragma once
// Small fakes of the platform services the models are given, and a main
// model's whole environment built from them.

#include "core/BrimAlarmStoring.h"
#include "models/BrimkitModel.h"
#include "tests/support/FakeNotificationCenter.h"

#include <set>

class FakePowerAssertions final : public BrimPowerAssertions {
public:
    QCoro::Task<BrimPowerAssertion> preventIdleSleep(QString reason) override
    {
        lastReason = reason;
        if (auto g = gate) // the desktop takes its time
            co_await g->wait();
        if (failWith != 0)
            co_return BrimPowerAssertion{failWith, 0, failReason};
        const std::uint32_t id = nextId++;
        held.insert(id);
        co_return BrimPowerAssertion{0, id, {}};
    }
    void release(std::uint32_t identifier) override { held.erase(identifier); }

    std::shared_ptr<BrimCompletion> gate;
    std::int32_t failWith = 0;
    QString failReason;
    std::uint32_t nextId = 1;
    std::set<std::uint32_t> held;
    QString lastReason;
};

class CountingBeep final : public BrimSystemBeep {
public:
    void play(Sound sound) override { ++(sound == Sound::alert ? count : notificationSounds); }
    int count = 0;
    int notificationSounds = 0;
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

// Alarm storage in memory; either direction can be made to fail.
class MemoryAlarmStore final : public BrimAlarmStoring {
public:
    Result<QList<BrimAlarm>, BrimAlarmStoreError> load() override
    {
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
    int saves = 0;
};

// Everything a main model talks to, on fakes; no notification centre until a
// test sets `center`.
struct FakeModelEnvironment {
    std::shared_ptr<FixedBrimClock> clock = std::make_shared<FixedBrimClock>(BrimDate::fromSeconds(850'000'000));
    std::shared_ptr<MemoryUserDefaults> defaults = std::make_shared<MemoryUserDefaults>();
    std::shared_ptr<FakePowerAssertions> power = std::make_shared<FakePowerAssertions>();
    std::shared_ptr<CountingBeep> beep = std::make_shared<CountingBeep>();
    std::shared_ptr<ManualSystemEvents> events = std::make_shared<ManualSystemEvents>();
    std::shared_ptr<FakeNotificationCenter> center;
    std::shared_ptr<MemoryAlarmStore> store = std::make_shared<MemoryAlarmStore>();
    QStringList tracked;

    BrimkitModel::Environment environment()
    {
        return {clock, defaults, power, beep, events, [this](OstrelEvent e) { tracked << e.rawValue(); }, center, store,
                nullptr, false};
    }
    std::unique_ptr<BrimkitModel> makeModel(bool ticking = false)
    {
        return std::make_unique<BrimkitModel>(environment(), BrimkitModel::Options{ticking});
    }
    void advance(BrimkitModel &model, double seconds)
    {
        clock->advance(seconds);
        model.refresh(clock->now());
    }
    qsizetype count(const char *event) const { return tracked.count(QLatin1String(event)); }
};
