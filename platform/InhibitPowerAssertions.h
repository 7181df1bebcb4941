#pragma once
// Keeps the system from suspending while keep-awake is on: the desktop portal's
// Inhibit (session bus) first, logind's sleep inhibitor (system bus) when the
// portal is missing or refuses. The display may still blank.
//
// Both calls are asynchronous: a slow or starting portal never holds up the
// UI thread. An inhibitor that arrives after its caller stopped waiting (a
// timeout, or the adapter destroyed) is given back at once.

#include "models/BrimPowerAssertions.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>

class InhibitPowerAssertions final : public BrimPowerAssertions {
public:
    // Status numbers returned when no inhibitor could be taken; the user sees
    // them as "system error N". When both services fail, the larger number
    // (the more telling failure) is returned.
    // Neither service answered: not on the bus, no bus, or no reply in time.
    static constexpr std::int32_t statusUnavailable = 1;
    // A service answered, but not with a request handle or a descriptor.
    static constexpr std::int32_t statusBadReply = 2;
    // A service answered with an error, e.g. access denied by policy.
    static constexpr std::int32_t statusRefused = 3;

    static constexpr int defaultTimeoutMs = 2000;

    InhibitPowerAssertions(QDBusConnection sessionBus, QDBusConnection systemBus,
                           int timeoutMs = defaultTimeoutMs);
    ~InhibitPowerAssertions() override;
    InhibitPowerAssertions(const InhibitPowerAssertions &) = delete;
    InhibitPowerAssertions &operator=(const InhibitPowerAssertions &) = delete;

    QCoro::Task<BrimPowerAssertion> preventIdleSleep(QString reason) override;
    // Unknown or already released identifiers are ignored.
    void release(std::uint32_t identifier) override;

    std::size_t heldCount() const { return m_state->held.size(); }

private:
    // Exactly one of the two is set: the portal's request object, or logind's
    // descriptor (closing its last copy ends the inhibitor).
    struct Hold {
        QDBusObjectPath portalRequest;
        QDBusUnixFileDescriptor logindFd;
    };
    struct Attempt {
        std::int32_t status = statusUnavailable;
        Hold hold;
    };
    // Shared with the calls in flight, which may outlive the adapter.
    struct State {
        State(QDBusConnection sessionBus, QDBusConnection systemBus, int timeout)
            : session(std::move(sessionBus)), system(std::move(systemBus)), timeoutMs(timeout)
        {
        }
        QDBusConnection session;
        QDBusConnection system;
        int timeoutMs;
        bool closed = false;
        std::uint32_t lastIdentifier = 0;
        std::uint32_t tokenCounter = 0;
        std::map<std::uint32_t, Hold> held;
    };

    static QCoro::Task<Attempt> inhibitThroughPortal(std::shared_ptr<State> state, QString reason);
    static QCoro::Task<Attempt> inhibitThroughLogind(std::shared_ptr<State> state, QString reason);
    static void giveBack(State &state, const Hold &hold);
    static std::uint32_t nextIdentifier(State &state);

    std::shared_ptr<State> m_state;
};
