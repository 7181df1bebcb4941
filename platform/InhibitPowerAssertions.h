#pragma once
// Keeps the system from suspending while keep-awake is on: the desktop portal's
// Inhibit (session bus) first, logind's sleep inhibitor (system bus) when the
// portal is missing or refuses. The display may still blank.
//
// preventIdleSleep blocks the calling thread for at most one timeout per
// service. It is a plain blocking call without a nested event loop, so no
// other main-thread work (timer ticks, releases) can run in the middle of it.

#include "models/BrimPowerAssertions.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>

#include <cstddef>
#include <cstdint>
#include <map>

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

    BrimPowerAssertion preventIdleSleep(const QString &reason) override;
    // Unknown or already released identifiers are ignored.
    void release(std::uint32_t identifier) override;

    std::size_t heldCount() const { return m_held.size(); }

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

    Attempt inhibitThroughPortal(const QString &reason);
    Attempt inhibitThroughLogind(const QString &reason);
    void closePortalRequest(const QDBusObjectPath &request);
    std::uint32_t nextIdentifier();

    QDBusConnection m_session;
    QDBusConnection m_system;
    int m_timeoutMs;
    std::uint32_t m_lastIdentifier = 0;
    std::uint32_t m_tokenCounter = 0;
    std::map<std::uint32_t, Hold> m_held;
};
