#pragma once
// Holds the system awake against idle sleep while keep-awake is on.

#include <QCoro/QCoroTask>
#include <QString>
#include <cstdint>

struct BrimPowerAssertion {
    // 0 on success; otherwise a non-zero status number that the user is shown.
    std::int32_t status = 0;
    // Identifier of the held assertion; 0 means none is held.
    std::uint32_t identifier = 0;
    // On failure, what the number means, in a sentence the user is shown after it.
    QString reason;
};

class BrimPowerAssertions {
public:
    virtual ~BrimPowerAssertions() = default;
    // Prevents idle system sleep (the display may still sleep). Asks the
    // desktop without blocking; the answer may take seconds.
    virtual QCoro::Task<BrimPowerAssertion> preventIdleSleep(QString reason) = 0;
    virtual void release(std::uint32_t identifier) = 0;
};
