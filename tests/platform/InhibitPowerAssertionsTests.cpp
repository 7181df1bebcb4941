#include "platform/InhibitPowerAssertions.h"

#include "PrivateBus.h"

#include "tests/support/ModelFakes.h"
#include "tests/support/Patience.h"

#include <QDBusArgument>
#include <QSemaphore>
#include <QSet>
#include <QTest>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString reason = QStringLiteral("Ostrel Brimkit keep awake");
using Status = InhibitPowerAssertions;

enum class Answer { absent, grant, refuse, nonsense };

// The fake logind hands out pipe write ends; we keep the read ends to see them close.
struct Pipes {
    QMutex mutex;
    QList<int> readEnds;
    ~Pipes() { std::for_each(readEnds.begin(), readEnds.end(), ::close); }
    QVariant grant()
    {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return {};
        const QDBusUnixFileDescriptor writeEnd(ends[1]); // holds its own copy
        ::close(ends[1]);
        QMutexLocker lock(&mutex);
        readEnds.append(ends[0]);
        return QVariant::fromValue(writeEnd);
    }
    bool writerClosed(int index)
    {
        QMutexLocker lock(&mutex);
        pollfd p{readEnds.value(index, -1), POLLIN, 0};
        return ::poll(&p, 1, 0) == 1 && (p.revents & POLLHUP);
    }
};

QString tokenOf(const QDBusMessage &call)
{
    return qdbus_cast<QVariantMap>(call.arguments().value(2)).value(QStringLiteral("handle_token")).toString();
}

std::optional<QDBusMessage> reply(const QDBusMessage &call, Answer answer, const std::function<QVariant()> &granted)
{
    switch (answer) {
    case Answer::grant:
        return call.createReply(granted());
    case Answer::refuse:
        return call.createErrorReply(QDBusError::AccessDenied, QStringLiteral("no"));
    case Answer::nonsense:
        return call.createReply(QStringLiteral("nonsense"));
    default:
        return std::nullopt;
    }
}

class InhibitPowerAssertionsTest : public ::testing::Test {
protected:
    std::unique_ptr<InhibitPowerAssertions> start(Answer portalAnswer, Answer logindAnswer, int timeoutMs = 2000)
    {
        portal.reset();
        logind.reset();
        if (portalAnswer != Answer::absent)
            portalAnswers([=](const QDBusMessage &call) {
                return reply(call, portalAnswer, [&] { return QVariant::fromValue(QDBusObjectPath(requestPath(call))); });
            });
        if (logindAnswer != Answer::absent)
            logind = std::make_unique<FakeDBusService>(
                system, QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                [=, p = pipes](const QDBusMessage &call) { return reply(call, logindAnswer, [&] { return p->grant(); }); });
        return std::make_unique<InhibitPowerAssertions>(session.connect(), system.connect(), timeoutMs);
    }
    // A portal on the bus from now on; Close is always answered.
    void portalAnswers(const FakeDBusService::Responder &inhibit)
    {
        portal = std::make_unique<FakeDBusService>(
            session, QStringLiteral("org.freedesktop.portal.Desktop"), portalPath, [=](const QDBusMessage &call) {
                return call.member() == QLatin1String("Close") ? std::optional(call.createReply()) : inhibit(call);
            });
    }
    static BrimPowerAssertion hold(InhibitPowerAssertions &assertions)
    {
        return QCoro::waitFor(assertions.preventIdleSleep(reason));
    }
    static QString requestPath(const QDBusMessage &inhibit)
    {
        return portalPath + QStringLiteral("/request/fake/") + tokenOf(inhibit);
    }
    QStringList closedPaths() const
    {
        QStringList paths;
        for (const QDBusMessage &call : portal->calls(QStringLiteral("Close")))
            paths.append(call.interface() + QLatin1Char(' ') + call.path());
        return paths;
    }

    PrivateBus session;
    PrivateBus system;
    std::shared_ptr<Pipes> pipes = std::make_shared<Pipes>();
    std::unique_ptr<FakeDBusService> portal;
    std::unique_ptr<FakeDBusService> logind;
};

TEST_F(InhibitPowerAssertionsTest, PortalFirstThenLogindThenTheMostTellingFailure)
{
    const char *unavailable = "No desktop portal or logind answered.";
    const char *refused = "The desktop portal or logind refused to keep the system awake.";
    const char *badReply = "The desktop portal or logind gave an answer that could not be used.";
    const struct { const char *name; Answer portal, logind; std::int32_t status; bool logindAsked; const char *reason; }
        cases[] = {
        {"portal grants", Answer::grant, Answer::grant, 0, false, ""},
        {"no portal", Answer::absent, Answer::grant, 0, true, ""},
        {"portal refuses", Answer::refuse, Answer::grant, 0, true, ""},
        {"portal answers nonsense", Answer::nonsense, Answer::grant, 0, true, ""},
        {"nobody there", Answer::absent, Answer::absent, Status::statusUnavailable, false, unavailable},
        {"portal refuses, no logind", Answer::refuse, Answer::absent, Status::statusRefused, false, refused},
        {"logind refuses", Answer::absent, Answer::refuse, Status::statusRefused, true, refused},
        {"logind answers nonsense", Answer::absent, Answer::nonsense, Status::statusBadReply, true, badReply},
        {"nonsense, then refusal", Answer::nonsense, Answer::refuse, Status::statusRefused, true, refused},
    };
    ASSERT_TRUE(session.ok() && system.ok());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        auto assertions = start(c.portal, c.logind);
        const BrimPowerAssertion result = hold(*assertions);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.reason, QString::fromUtf8(c.reason));
        EXPECT_EQ(result.identifier != 0, c.status == 0);
        EXPECT_EQ(assertions->heldCount(), c.status == 0 ? 1u : 0u);
        if (portal) {
            const QDBusMessage call = portal->calls(QStringLiteral("Inhibit")).value(0);
            EXPECT_EQ(call.interface(), QStringLiteral("org.freedesktop.portal.Inhibit"));
            EXPECT_EQ(call.arguments().mid(0, 2), (QVariantList{QString(), 4u}));
            EXPECT_EQ(qdbus_cast<QVariantMap>(call.arguments().value(2)).value(QStringLiteral("reason")), reason);
        }
        if (logind) {
            const auto calls = logind->calls(QStringLiteral("Inhibit"));
            ASSERT_EQ(calls.size(), c.logindAsked ? 1 : 0);
            if (c.logindAsked) {
                EXPECT_EQ(calls[0].arguments(), (QVariantList{QStringLiteral("sleep"), QStringLiteral("Ostrel Brimkit"),
                                                               reason, QStringLiteral("block")}));
            }
        }
    }
}

TEST_F(InhibitPowerAssertionsTest, EachInhibitorIsHeldUntilItsReleaseOrTheAdaptersEnd)
{
    for (const bool viaPortal : {true, false}) {
        SCOPED_TRACE(viaPortal ? "portal" : "logind");
        auto assertions = viaPortal ? start(Answer::grant, Answer::absent) : start(Answer::absent, Answer::grant);
        // Portal requests are withdrawn with Close; a logind inhibitor ends with its descriptor.
        const auto released = [&](int index) {
            if (!viaPortal)
                return pipes->writerClosed(index);
            const QString path = requestPath(portal->calls(QStringLiteral("Inhibit")).value(index));
            return closedPaths().contains(QStringLiteral("org.freedesktop.portal.Request ") + path);
        };
        const BrimPowerAssertion first = hold(*assertions);
        const BrimPowerAssertion second = hold(*assertions);
        ASSERT_EQ(first.status + second.status, 0);
        EXPECT_NE(first.identifier, second.identifier);
        EXPECT_FALSE(QTest::qWaitFor([&] { return released(0) || released(1); }, 200));
        assertions->release(first.identifier);
        // Unknown and already released identifiers change nothing.
        for (std::uint32_t unknown : {first.identifier, 0u, second.identifier + 100})
            assertions->release(unknown);
        EXPECT_TRUE(QTest::qWaitFor([&] { return released(0); }, patienceMs));
        EXPECT_FALSE(released(1));
        EXPECT_EQ(assertions->heldCount(), 1u);
        assertions.reset();
        EXPECT_TRUE(QTest::qWaitFor([&] { return released(1); }, patienceMs));
    }
}

// No portal: the failure text. Then a portal that is still starting appears,
// and answers once the test's event loop has turned ten times: the next try
// waits for it without holding the loop, and keep-awake comes on.
TEST_F(InhibitPowerAssertionsTest, KeepAwakeFailsWithoutAPortalThenWaitsForASlowOneWithoutStallingTheLoop)
{
    BrimkitModel::Environment environment = FakeModelEnvironment().environment();
    environment.power = start(Answer::absent, Answer::absent, patienceMs);
    BrimkitModel model(std::move(environment), BrimkitModel::Options{false});
    model.startAwake(30);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.message().has_value(); }, patienceMs));
    EXPECT_EQ(model.message(), QStringLiteral("Keep awake could not start (system error 1). No desktop portal or logind answered."));
    EXPECT_FALSE(model.awakeUntil());

    auto gate = std::make_shared<QSemaphore>();
    portalAnswers([=](const QDBusMessage &call) {
        gate->acquire();
        return std::optional(call.createReply(QVariant::fromValue(QDBusObjectPath(requestPath(call)))));
    });
    int turns = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (++turns == 10)
            gate->release();
    });
    probe.start(10);
    model.startAwake(30);
    EXPECT_FALSE(model.awakeUntil());
    EXPECT_TRUE(QTest::qWaitFor([&] { return model.awakeUntil().has_value(); }, patienceMs));
}

QString grantedPath(const QDBusMessage &inhibit, bool ownHandle)
{
    if (ownHandle)
        return portalPath + QStringLiteral("/request/own/1");
    const QString sender = inhibit.service().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    return portalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + tokenOf(inhibit);
}

// The portal answers after our time-out, or after the adapter is gone, with
// the handle a portal derives from our name and token or (as older portals
// do) one of its own: the inhibitor it granted is closed again every time,
// counted on the portal's side.
TEST_F(InhibitPowerAssertionsTest, NoInhibitorGrantedTooLateIsLeftHeld)
{
    const struct { const char *name; bool ownHandle, adapterGone; } cases[] = {
        {"after the time-out, the handle from our token", false, false},
        {"after the time-out, the portal's own handle", true, false},
        {"after the adapter is gone", true, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        auto gate = std::make_shared<QSemaphore>();
        auto held = std::make_shared<QSet<QString>>(); // only the portal's thread touches it
        auto assertions = start(Answer::absent, Answer::absent, c.adapterGone ? patienceMs : 100);
        portal = std::make_unique<FakeDBusService>(
            session, QStringLiteral("org.freedesktop.portal.Desktop"), portalPath, [=](const QDBusMessage &call) {
                if (call.member() == QLatin1String("Close")) {
                    held->remove(call.path());
                    return std::optional(call.createReply());
                }
                gate->acquire();
                held->insert(grantedPath(call, c.ownHandle));
                return std::optional(call.createReply(QVariant::fromValue(QDBusObjectPath(grantedPath(call, c.ownHandle)))));
            });
        auto pending = assertions->preventIdleSleep(reason);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !portal->calls(QStringLiteral("Inhibit")).isEmpty(); }, patienceMs));
        if (c.adapterGone) {
            assertions.reset();
        } else {
            EXPECT_EQ(QCoro::waitFor(pending).status, Status::statusUnavailable);
        }
        const QString granted = grantedPath(portal->calls(QStringLiteral("Inhibit")).value(0), c.ownHandle);
        gate->release();
        if (c.adapterGone) {
            EXPECT_EQ(QCoro::waitFor(pending).status, Status::statusUnavailable);
        }
        // The portal has taken a Close for what it granted (then its thread is joined).
        EXPECT_TRUE(QTest::qWaitFor([&] {
            const auto closes = portal->calls(QStringLiteral("Close"));
            return std::any_of(closes.begin(), closes.end(), [&](const QDBusMessage &m) { return m.path() == granted; });
        }, patienceMs));
        portal.reset();
        EXPECT_TRUE(held->isEmpty()) << held->values().join(QLatin1Char(' ')).toStdString();
    }
}
} // namespace
