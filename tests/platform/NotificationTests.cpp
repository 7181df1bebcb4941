#include "platform/SystemBrimTimerNotifications.h"

#include "FakeNotificationServer.h"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>
#include <cmath>
#include <limits>

using namespace std::chrono_literals;
using Settings = BrimTimerNotificationSettings;

namespace {
BrimNotificationRequest request(const QString &id, BrimNotificationTrigger trigger, const QString &body = QStringLiteral("Focus finished"),
                                bool sound = false)
{
    return {id, QStringLiteral("Ostrel Brimkit"), body, sound, trigger};
}

// QCoro::waitFor needs a default-constructible result; Result has none.
template <class T>
T awaited(QCoro::Task<T> task)
{
    std::optional<T> out;
    QCoro::waitFor([&]() -> QCoro::Task<> { out.emplace(co_await std::move(task)); }());
    return std::move(*out);
}

class NotificationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.ok()) << "dbus-daemon did not start";
        server = std::make_unique<FakeNotificationServer>(bus.connect());
        center = std::make_unique<SystemBrimTimerNotifications>(bus.connect());
        center->setReplyTimeout(300ms);
        center->setSoundPlayer([this] { ++localSounds; });
        QObject::connect(center.get(), &SystemBrimTimerNotifications::delivered, [this] { ++deliveries; });
    }
    void addOk(const BrimNotificationRequest &r) { ASSERT_TRUE(QCoro::waitFor(center->add(r)).ok()); }
    qsizetype pendingCount() { return QCoro::waitFor(center->pendingRequests()).size(); }
    bool waitForNotifies(qsizetype n) { return QTest::qWaitFor([&] { return server->notified.size() >= n; }, 3000); }

    PrivateBus bus;
    std::unique_ptr<FakeNotificationServer> server;
    std::unique_ptr<SystemBrimTimerNotifications> center;
    int localSounds = 0;
    int deliveries = 0; // server replies received
};

TEST_F(NotificationTest, IntervalRequestIsShownAfterItsIntervalWithItsContent)
{
    ASSERT_TRUE(server->start());
    QElapsedTimer clock;
    clock.start();
    addOk(request(QStringLiteral("brimkit.timer.A"), BrimNotificationTrigger::afterInterval(0.2)));
    ASSERT_TRUE(waitForNotifies(1));
    EXPECT_GE(clock.elapsed(), 190);
    QTest::qWait(50);
    ASSERT_EQ(server->notified.size(), 1);
    const auto &n = server->notified.first();
    EXPECT_EQ(n.appName, QStringLiteral("Ostrel Brimkit"));
    EXPECT_EQ(n.replacesId, 0u);
    EXPECT_EQ(n.icon, QStringLiteral("app.ostrel.brimkit"));
    EXPECT_EQ(n.summary, QStringLiteral("Ostrel Brimkit"));
    EXPECT_EQ(n.body, QStringLiteral("Focus finished"));
    EXPECT_TRUE(n.actions.isEmpty());
    EXPECT_EQ(n.timeout, -1);
    EXPECT_EQ(pendingCount(), 0);
}

TEST_F(NotificationTest, SameIdentifierReplacesAndRemovedOnesNeverShow)
{
    ASSERT_TRUE(server->start());
    addOk(request(QStringLiteral("a"), BrimNotificationTrigger::afterInterval(60), QStringLiteral("old")));
    addOk(request(QStringLiteral("a"), BrimNotificationTrigger::afterInterval(0.2), QStringLiteral("new")));
    addOk(request(QStringLiteral("b"), BrimNotificationTrigger::afterInterval(0.1), QStringLiteral("withdrawn")));
    addOk(request(QStringLiteral("c"), BrimNotificationTrigger::afterInterval(60), QStringLiteral("later")));
    const auto pending = QCoro::waitFor(center->pendingRequests());
    ASSERT_EQ(pending.size(), 3);
    EXPECT_EQ(pending[0].body, QStringLiteral("new"));

    center->removePending({QStringLiteral("b")});
    ASSERT_TRUE(waitForNotifies(1));
    QTest::qWait(200);
    ASSERT_EQ(server->notified.size(), 1);
    EXPECT_EQ(server->notified.first().body, QStringLiteral("new"));
    const auto left = QCoro::waitFor(center->pendingRequests());
    ASSERT_EQ(left.size(), 1);
    EXPECT_EQ(left.first().identifier, QStringLiteral("c"));
}

TEST_F(NotificationTest, PastCalendarMomentFiresAtOnceInOrder)
{
    ASSERT_TRUE(server->start());
    const BrimDate now = BrimDate::fromDateTime(QDateTime::currentDateTimeUtc());
    addOk(request(QStringLiteral("later"), BrimNotificationTrigger::atDate(now - 10), QStringLiteral("second")));
    addOk(request(QStringLiteral("earlier"), BrimNotificationTrigger::atDate(now - 3600), QStringLiteral("first")));
    addOk(request(QStringLiteral("far"), BrimNotificationTrigger::atDate(now + 7000.0 * 365 * 86400)));
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(waitForNotifies(2));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(server->notified[0].body, QStringLiteral("first"));
    EXPECT_EQ(server->notified[1].body, QStringLiteral("second"));
    QTest::qWait(100);
    EXPECT_EQ(server->notified.size(), 2);
    EXPECT_EQ(pendingCount(), 1);
}

TEST_F(NotificationTest, InvalidRequestsAreRefusedAndNothingIsScheduled)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const BrimNotificationRequest cases[] = {
        request(QString(), BrimNotificationTrigger::afterInterval(1)),
        request(QStringLiteral("x"), BrimNotificationTrigger::afterInterval(0)),
        request(QStringLiteral("x"), BrimNotificationTrigger::afterInterval(-5)),
        request(QStringLiteral("x"), BrimNotificationTrigger::afterInterval(nan)),
        request(QStringLiteral("x"), BrimNotificationTrigger::afterInterval(inf)),
        request(QStringLiteral("x"), BrimNotificationTrigger::afterInterval(1e300)),
        request(QStringLiteral("x"), BrimNotificationTrigger::atDate(BrimDate::fromSeconds(nan))),
        request(QStringLiteral("x"), BrimNotificationTrigger::atDate(BrimDate::fromSeconds(1e12))),
    };
    for (const auto &r : cases) {
        const auto result = QCoro::waitFor(center->add(r));
        ASSERT_FALSE(result.ok()) << r.trigger.interval;
        EXPECT_FALSE(result.error().isEmpty());
    }
    EXPECT_EQ(pendingCount(), 0);
}

TEST_F(NotificationTest, RemoveDeliveredClosesTheServersIdUntilTheServerClosedIt)
{
    ASSERT_TRUE(server->start());
    const BrimNotificationTrigger now = BrimNotificationTrigger::afterInterval(0.01);
    addOk(request(QStringLiteral("a"), now));
    ASSERT_TRUE(QTest::qWaitFor([&] { return deliveries == 1; }, 3000));
    center->removeDelivered({QStringLiteral("a")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !server->closed.isEmpty(); }, 3000));
    EXPECT_EQ(server->closed, QList<uint>{41});

    // Closed by the user on the desktop: nothing left to withdraw.
    addOk(request(QStringLiteral("b"), now));
    ASSERT_TRUE(QTest::qWaitFor([&] { return deliveries == 2; }, 3000));
    server->emitClosed(42);
    QTest::qWait(100);
    center->removeDelivered({QStringLiteral("b")});
    QTest::qWait(100);
    EXPECT_EQ(server->closed, QList<uint>{41});
}

TEST_F(NotificationTest, WithdrawnWhileTheServerIsStillAnsweringIsClosedOnceItsIdArrives)
{
    server->holdNotify = true;
    ASSERT_TRUE(server->start());
    center->setReplyTimeout(3000ms);
    addOk(request(QStringLiteral("a"), BrimNotificationTrigger::afterInterval(0.01)));
    ASSERT_TRUE(waitForNotifies(1));
    center->removeDelivered({QStringLiteral("a")});
    server->releaseHeld();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !server->closed.isEmpty(); }, 3000));
    EXPECT_EQ(server->closed, QList<uint>{41});
}

TEST_F(NotificationTest, DestroyedWhileCallsAreOutstandingIsSafe)
{
    server->holdNotify = true;
    ASSERT_TRUE(server->start());
    addOk(request(QStringLiteral("a"), BrimNotificationTrigger::afterInterval(0.01)));
    ASSERT_TRUE(waitForNotifies(1));
    server->silent = true;
    auto settings = center->settings();
    center.reset();
    server->releaseHeld();
    EXPECT_EQ(QCoro::waitFor(settings).authorizationStatus, Settings::AuthorizationStatus::authorized);
}

TEST(NotificationSound, HintWhereTheServerPlaysSoundOtherwiseLocalPlayback)
{
    struct Case {
        bool serverSound;
        bool requestSound;
        bool hint;
        bool suppress;
        int localSounds;
    };
    const Case cases[] = {
        {true, true, true, false, 0},
        {false, true, false, false, 1},
        {true, false, false, true, 0},
        {false, false, false, false, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QStringLiteral("server sound %1, request sound %2").arg(c.serverSound).arg(c.requestSound).toStdString());
        PrivateBus bus;
        ASSERT_TRUE(bus.ok());
        FakeNotificationServer server(bus.connect());
        if (c.serverSound)
            server.capabilities.append(QStringLiteral("sound"));
        ASSERT_TRUE(server.start());
        SystemBrimTimerNotifications center(bus.connect());
        int played = 0;
        center.setSoundPlayer([&] { ++played; });
        for (const QString &id : {QStringLiteral("a"), QStringLiteral("b")}) { // the second uses cached capabilities
            const auto r = request(id, BrimNotificationTrigger::afterInterval(0.01), id, c.requestSound);
            ASSERT_TRUE(QCoro::waitFor(center.add(r)).ok());
            ASSERT_TRUE(QTest::qWaitFor([&] { return !server.notified.isEmpty() && server.notified.last().body == id; }, 3000));
        }
        for (const auto &n : std::as_const(server.notified)) {
            EXPECT_EQ(n.hints.contains(QStringLiteral("sound-name")), c.hint);
            if (c.hint) {
                EXPECT_EQ(n.hints.value(QStringLiteral("sound-name")).toString(), QStringLiteral("alarm-clock-elapsed"));
            }
            EXPECT_EQ(n.hints.value(QStringLiteral("suppress-sound")).toBool(), c.suppress);
        }
        EXPECT_EQ(played, 2 * c.localSounds);
        EXPECT_EQ(server.capabilityQueries, 1);
    }
}

TEST(NotificationSettings, FollowTheServerAndItsDoNotDisturbState)
{
    struct Case {
        const char *name;
        bool running;
        std::optional<bool> inhibited;
        std::optional<bool> paused;
        bool silent;
        Settings expected;
    };
    using A = Settings::AuthorizationStatus;
    using S = Settings::AlertSetting;
    const Case cases[] = {
        {"no server", false, {}, {}, false, {A::denied, S::notSupported}},
        {"plain server", true, {}, {}, false, {A::authorized, S::enabled}},
        {"kde inhibited", true, true, {}, false, {A::authorized, S::disabled}},
        {"kde not inhibited", true, false, {}, false, {A::authorized, S::enabled}},
        {"dunst paused", true, {}, true, false, {A::authorized, S::disabled}},
        {"dunst running", true, {}, false, false, {A::authorized, S::enabled}},
        {"server never answers", true, {}, {}, true, {A::authorized, S::notSupported}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PrivateBus bus;
        ASSERT_TRUE(bus.ok());
        FakeNotificationServer server(bus.connect());
        server.inhibited = c.inhibited;
        server.paused = c.paused;
        server.silent = c.silent;
        if (c.running) {
            ASSERT_TRUE(server.start());
        }
        SystemBrimTimerNotifications center(bus.connect());
        center.setReplyTimeout(300ms);
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(QCoro::waitFor(center.settings()), c.expected);
        EXPECT_LT(clock.elapsed(), 2000);
        const auto granted = awaited(center.requestAuthorization());
        ASSERT_TRUE(granted.ok());
        EXPECT_EQ(granted.value(), c.expected.authorizationStatus == A::authorized);
    }
}

TEST_F(NotificationTest, AuthorizedOnlyWhileTheServerOwnsItsName)
{
    EXPECT_EQ(QCoro::waitFor(center->settings()).authorizationStatus, Settings::AuthorizationStatus::denied);
    ASSERT_TRUE(server->start());
    EXPECT_EQ(QCoro::waitFor(center->settings()).authorizationStatus, Settings::AuthorizationStatus::authorized);
    server->stop();
    EXPECT_EQ(QCoro::waitFor(center->settings()).authorizationStatus, Settings::AuthorizationStatus::denied);
}

TEST(NotificationSettings, StartableServerCountsAsAvailableAndIsNotStartedByTheQuery)
{
    QTemporaryDir dir;
    const QString marker = dir.filePath(QStringLiteral("started"));
    PrivateBus bus(QStringLiteral("/usr/bin/touch %1").arg(marker));
    ASSERT_TRUE(bus.ok());
    SystemBrimTimerNotifications center(bus.connect());
    center.setReplyTimeout(300ms);
    const Settings s = QCoro::waitFor(center.settings());
    EXPECT_EQ(s.authorizationStatus, Settings::AuthorizationStatus::authorized);
    EXPECT_EQ(s.alertSetting, Settings::AlertSetting::enabled);
    QTest::qWait(100);
    EXPECT_FALSE(QFile::exists(marker));
}

TEST(NotificationDelivery, ServerThatNeverAnswersReportsFailureAndStillSounds)
{
    PrivateBus bus;
    ASSERT_TRUE(bus.ok());
    FakeNotificationServer server(bus.connect());
    server.silent = true;
    ASSERT_TRUE(server.start());
    SystemBrimTimerNotifications center(bus.connect());
    center.setReplyTimeout(200ms);
    int played = 0;
    center.setSoundPlayer([&] { ++played; });
    QList<bool> outcomes;
    QObject::connect(&center, &SystemBrimTimerNotifications::delivered, [&](const QString &, bool ok) { outcomes.append(ok); });
    ASSERT_TRUE(QCoro::waitFor(center.add(request(QStringLiteral("a"), BrimNotificationTrigger::afterInterval(0.01), QString(), true))).ok());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !outcomes.isEmpty(); }, 3000));
    EXPECT_EQ(outcomes, QList<bool>{false});
    EXPECT_EQ(played, 1);
}
} // namespace
