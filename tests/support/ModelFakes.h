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
