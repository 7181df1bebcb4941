#include "platform/InhibitPowerAssertions.h"

#include "PrivateBus.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QMutex>
#include <QTest>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {
const QString portalName = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString logindName = QStringLiteral("org.freedesktop.login1");
const QString logindPath = QStringLiteral("/org/freedesktop/login1");
const QString reason = QStringLiteral("Ostrel Brimkit keep awake");

enum class Answer { absent, grant, refuse, badReply, silent };

// Read ends of the pipes whose write ends the fake logind handed out.
struct PipeLog {
    QMutex mutex;
    QList<int> readEnds;
    ~PipeLog()
    {
        for (int fd : std::as_const(readEnds))
            ::close(fd);
    }
    int readEnd(int index)
    {
        QMutexLocker lock(&mutex);
        return index < readEnds.size() ? readEnds.at(index) : -1;
    }
};

bool writerClosed(int readFd)
{
    pollfd p{readFd, POLLIN, 0};
    if (::poll(&p, 1, 0) != 1)
        return false;
    char byte = 0;
    return (p.revents & POLLHUP) != 0 || ::read(readFd, &byte, 1) == 0;
}

QVariantMap optionsOf(const QDBusMessage &call)
{
    return qdbus_cast<QVariantMap>(call.arguments().value(2));
}

class InhibitPowerAssertionsTest : public ::testing::Test {
protected:
    void startPortal(Answer answer)
    {
        if (answer == Answer::absent)
            return;
        portal = std::make_unique<FakeDBusService>(
            session, portalName, portalPath, [answer](const QDBusMessage &call) -> std::optional<QDBusMessage> {
                if (call.member() == QLatin1String("Close"))
                    return call.createReply();
                switch (answer) {
                case Answer::grant: {
                    const QString token = optionsOf(call).value(QStringLiteral("handle_token")).toString();
                    return call.createReply(QVariant::fromValue(
                        QDBusObjectPath(portalPath + QStringLiteral("/request/fake/") + token)));
                }
                case Answer::refuse:
                    return call.createErrorReply(QDBusError::AccessDenied, QStringLiteral("no"));
                case Answer::badReply:
                    return call.createReply(QStringLiteral("not a path"));
                default:
                    return std::nullopt;
                }
            });
    }

    void startLogind(Answer answer)
    {
        if (answer == Answer::absent)
            return;
        logind = std::make_unique<FakeDBusService>(
            system, logindName, logindPath,
            [answer, pipes = pipes](const QDBusMessage &call) -> std::optional<QDBusMessage> {
                switch (answer) {
                case Answer::grant: {
                    int ends[2];
                    if (::pipe2(ends, O_CLOEXEC) != 0)
                        return call.createErrorReply(QDBusError::Failed, QStringLiteral("pipe"));
                    const QDBusUnixFileDescriptor fd(ends[1]); // keeps its own copy
                    ::close(ends[1]);
                    QMutexLocker lock(&pipes->mutex);
                    pipes->readEnds.append(ends[0]);
                    return call.createReply(QVariant::fromValue(fd));
                }
                case Answer::refuse:
                    return call.createErrorReply(QDBusError::AccessDenied, QStringLiteral("no"));
                case Answer::badReply:
                    return call.createReply(QStringLiteral("not a descriptor"));
                default:
                    return std::nullopt;
                }
            });
    }

    std::unique_ptr<InhibitPowerAssertions> makeAssertions(int timeoutMs = 2000)
    {
        return std::make_unique<InhibitPowerAssertions>(session.connect(), system.connect(), timeoutMs);
    }

    int portalCloses(const QString &path) const
    {
        int count = 0;
        for (const QDBusMessage &call : portal->calls(QStringLiteral("Close")))
            count += call.path() == path && call.interface() == QLatin1String("org.freedesktop.portal.Request");
        return count;
    }

    QString requestPath(int index) const
    {
        const QDBusMessage call = portal->calls(QStringLiteral("Inhibit")).value(index);
        return portalPath + QStringLiteral("/request/fake/")
            + optionsOf(call).value(QStringLiteral("handle_token")).toString();
    }

    PrivateBus session;
    PrivateBus system;
    std::shared_ptr<PipeLog> pipes = std::make_shared<PipeLog>();
    std::unique_ptr<FakeDBusService> portal;
    std::unique_ptr<FakeDBusService> logind;
};

struct FallbackCase {
    const char *name;
    Answer portal;
    Answer logind;
    std::int32_t status;
    bool viaLogind;
};

TEST_F(InhibitPowerAssertionsTest, PortalFirstThenLogindThenTheMostTellingFailure)
{
    const FallbackCase cases[] = {
        {"portal grants", Answer::grant, Answer::grant, 0, false},
        {"no portal", Answer::absent, Answer::grant, 0, true},
        {"portal refuses", Answer::refuse, Answer::grant, 0, true},
        {"portal answers nonsense", Answer::badReply, Answer::grant, 0, true},
        {"nobody there", Answer::absent, Answer::absent, InhibitPowerAssertions::statusUnavailable, false},
        {"portal refuses, no logind", Answer::refuse, Answer::absent, InhibitPowerAssertions::statusRefused, false},
        {"logind refuses", Answer::absent, Answer::refuse, InhibitPowerAssertions::statusRefused, true},
        {"logind answers nonsense", Answer::absent, Answer::badReply, InhibitPowerAssertions::statusBadReply, true},
        {"nonsense then refusal", Answer::badReply, Answer::refuse, InhibitPowerAssertions::statusRefused, true},
    };
    ASSERT_TRUE(session.isUp() && system.isUp());
    for (const FallbackCase &c : cases) {
        SCOPED_TRACE(c.name);
        portal.reset();
        logind.reset();
        startPortal(c.portal);
        startLogind(c.logind);
        auto assertions = makeAssertions();

        const BrimPowerAssertion result = assertions->preventIdleSleep(reason);

        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.identifier != 0, c.status == 0);
        EXPECT_EQ(assertions->heldCount(), c.status == 0 ? 1u : 0u);
        if (portal) {
            const auto calls = portal->calls(QStringLiteral("Inhibit"));
            ASSERT_EQ(calls.size(), 1);
            EXPECT_EQ(calls[0].interface(), QStringLiteral("org.freedesktop.portal.Inhibit"));
            EXPECT_EQ(calls[0].arguments().value(0).toString(), QString());
            EXPECT_EQ(calls[0].arguments().value(1).toUInt(), 4u);
            EXPECT_EQ(optionsOf(calls[0]).value(QStringLiteral("reason")).toString(), reason);
        }
        if (logind) {
            const auto calls = logind->calls(QStringLiteral("Inhibit"));
            ASSERT_EQ(calls.size(), c.viaLogind ? 1 : 0);
            if (c.viaLogind) {
                EXPECT_EQ(calls[0].interface(), QStringLiteral("org.freedesktop.login1.Manager"));
                const QStringList expected{QStringLiteral("sleep"), QStringLiteral("Ostrel Brimkit"), reason,
                                           QStringLiteral("block")};
                QStringList got;
                for (const QVariant &argument : calls[0].arguments())
                    got.append(argument.toString());
                EXPECT_EQ(got, expected);
            }
        }
    }
}

TEST_F(InhibitPowerAssertionsTest, NoBusAtAllIsUnavailable)
{
    InhibitPowerAssertions assertions(QDBusConnection(QStringLiteral("never-connected")),
                                      QDBusConnection(QStringLiteral("never-connected")));
    const BrimPowerAssertion result = assertions.preventIdleSleep(reason);
    EXPECT_EQ(result.status, InhibitPowerAssertions::statusUnavailable);
    EXPECT_EQ(result.identifier, 0u);
}

TEST_F(InhibitPowerAssertionsTest, PortalRequestsAreClosedOnReleaseAndAtDestruction)
{
    startPortal(Answer::grant);
    auto assertions = makeAssertions();
    const BrimPowerAssertion first = assertions->preventIdleSleep(reason);
    const BrimPowerAssertion second = assertions->preventIdleSleep(reason);
    ASSERT_EQ(first.status, 0);
    ASSERT_EQ(second.status, 0);
    EXPECT_NE(first.identifier, second.identifier);
    const QString firstPath = requestPath(0);
    const QString secondPath = requestPath(1);
    EXPECT_NE(firstPath, secondPath);

    assertions->release(first.identifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return portalCloses(firstPath) == 1; }, 2000));
    // Unknown and already released identifiers change nothing.
    assertions->release(first.identifier);
    assertions->release(0);
    assertions->release(second.identifier + 100);
    EXPECT_EQ(assertions->heldCount(), 1u);

    assertions.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return portalCloses(secondPath) == 1; }, 2000));
    EXPECT_EQ(portalCloses(firstPath), 1);
}

TEST_F(InhibitPowerAssertionsTest, LatePortalAnswerIsWithdrawn)
{
    startPortal(Answer::silent);
    auto assertions = makeAssertions(300);
    const BrimPowerAssertion result = assertions->preventIdleSleep(reason);
    EXPECT_EQ(result.status, InhibitPowerAssertions::statusUnavailable);

    // The handle the portal would have created for our token is closed anyway.
    const QString token = optionsOf(portal->calls(QStringLiteral("Inhibit")).value(0))
                              .value(QStringLiteral("handle_token"))
                              .toString();
    ASSERT_FALSE(token.isEmpty());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const auto closes = portal->calls(QStringLiteral("Close"));
            return closes.size() == 1 && closes[0].path().startsWith(portalPath + QStringLiteral("/request/"))
                && closes[0].path().endsWith(QLatin1Char('/') + token);
        },
        2000));
}

TEST_F(InhibitPowerAssertionsTest, LogindDescriptorIsHeldUntilReleaseOrDestruction)
{
    startLogind(Answer::grant);
    auto assertions = makeAssertions();
    const BrimPowerAssertion first = assertions->preventIdleSleep(reason);
    const BrimPowerAssertion second = assertions->preventIdleSleep(reason);
    ASSERT_EQ(first.status, 0);
    ASSERT_EQ(second.status, 0);
    const int firstPipe = pipes->readEnd(0);
    const int secondPipe = pipes->readEnd(1);
    ASSERT_GE(firstPipe, 0);
    ASSERT_GE(secondPipe, 0);

    // Held: the inhibitor's descriptor stays open on our side.
    EXPECT_FALSE(QTest::qWaitFor([&] { return writerClosed(firstPipe); }, 200));

    assertions->release(first.identifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return writerClosed(firstPipe); }, 2000));
    EXPECT_FALSE(writerClosed(secondPipe));

    assertions.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return writerClosed(secondPipe); }, 2000));
}
} // namespace
