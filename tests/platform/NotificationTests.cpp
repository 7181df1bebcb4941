#include "platform/SystemBrimTimerNotifications.h"

#include "FakeNotificationServer.h"
#include "tests/support/ModelFakes.h"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>
#include <limits>

using namespace std::chrono_literals;
using Settings = BrimTimerNotificationSettings;
using A = Settings::AuthorizationStatus;
using S = Settings::AlertSetting;
using Trigger = BrimNotificationTrigger;

namespace {
BrimNotificationRequest request(const QString &id, Trigger trigger, const QString &body = {}, bool sound = false)
{
    return {id, QStringLiteral("Ostrel Brimkit"), body.isEmpty() ? id : body, sound, trigger};
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
        center->setReplyTimeout(300ms);
        center->setDeliveryFailureHandler([this](const QString &id) { failed << id; });
        QObject::connect(center.get(), &SystemBrimTimerNotifications::delivered, [this] { ++deliveries; });
    }
    void addOk(const BrimNotificationRequest &r) { ASSERT_TRUE(QCoro::waitFor(center->add(r)).ok()); }
    QStringList pending()
    {
        QStringList ids;
        for (const BrimNotificationRequest &r : QCoro::waitFor(center->pendingRequests()))
            ids << r.identifier;
        return ids;
    }
    QStringList shown() const
    {
        QStringList bodies;
        for (const auto &n : server->notified)
            bodies << n.body;
        return bodies;
    }
    bool waitFor(const std::function<bool()> &done) { return QTest::qWaitFor(done, 3000); }

    PrivateBus bus;
    std::unique_ptr<FakeNotificationServer> server = std::make_unique<FakeNotificationServer>(bus.connect());
    std::shared_ptr<CountingBeep> sound = std::make_shared<CountingBeep>();
    std::unique_ptr<SystemBrimTimerNotifications> center =
        std::make_unique<SystemBrimTimerNotifications>(bus.connect(), sound);
    int deliveries = 0; // server replies received
    QStringList failed; // refused at delivery
};

TEST_F(NotificationTest, RequestsFireAtTheirMomentInOrderUnlessReplacedOrWithdrawn)
{
    ASSERT_TRUE(server->start());
    const BrimDate now = BrimDate::fromDateTime(QDateTime::currentDateTimeUtc());
    QElapsedTimer clock;
    clock.start();
    addOk(request(QStringLiteral("a"), Trigger::afterInterval(60), QStringLiteral("old")));
    addOk(request(QStringLiteral("a"), Trigger::afterInterval(0.3), QStringLiteral("new"))); // replaces
    addOk(request(QStringLiteral("b"), Trigger::afterInterval(0.1)));
    addOk(request(QStringLiteral("c"), Trigger::afterInterval(60)));
    addOk(request(QStringLiteral("second"), Trigger::atDate(now - 10)));
    addOk(request(QStringLiteral("first"), Trigger::atDate(now - 3600)));
    addOk(request(QStringLiteral("far"), Trigger::atDate(now + 7000.0 * 365 * 86400)));
    center->removePending({QStringLiteral("b")});
    ASSERT_TRUE(waitFor([&] { return server->notified.size() >= 3; }));
    EXPECT_GE(clock.elapsed(), 290);
    QTest::qWait(100);
    EXPECT_EQ(shown(), (QStringList{QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("new")}));
    EXPECT_EQ(pending(), (QStringList{QStringLiteral("c"), QStringLiteral("far")}));
    const FakeNotificationServer::NotifyCall expected{
        QStringLiteral("Ostrel Brimkit"), 0, QStringLiteral("app.ostrel.brimkit"), QStringLiteral("Ostrel Brimkit"),
        QStringLiteral("new"), {}, {{QStringLiteral("desktop-entry"), QStringLiteral("app.ostrel.brimkit")}}, -1};
    EXPECT_EQ(server->notified.last(), expected);
}

TEST_F(NotificationTest, InvalidRequestsAreRefusedAndNothingIsScheduled)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Trigger triggers[] = {Trigger::afterInterval(0), Trigger::afterInterval(-5), Trigger::afterInterval(nan),
        Trigger::afterInterval(inf), Trigger::afterInterval(1e300), Trigger::atDate(BrimDate::fromSeconds(nan)), Trigger::atDate(BrimDate::fromSeconds(1e12))};
    EXPECT_FALSE(awaited(center->add(request(QString(), Trigger::afterInterval(1)))).ok());
    for (const Trigger &trigger : triggers) {
        const auto result = awaited(center->add(request(QStringLiteral("x"), trigger)));
        EXPECT_TRUE(!result.ok() && !result.error().isEmpty()) << trigger.interval;
    }
    EXPECT_TRUE(pending().isEmpty());
}

TEST_F(NotificationTest, RemoveDeliveredClosesTheServersIdOnceItIsKnownUnlessTheUserClosedIt)
{
    server->holdNotify = true;
    ASSERT_TRUE(server->start());
    center->setReplyTimeout(3000ms);
    addOk(request(QStringLiteral("a"), Trigger::afterInterval(0.01)));
    ASSERT_TRUE(waitFor([&] { return server->notified.size() == 1; }));
    center->removeDelivered({QStringLiteral("a")}); // the server is still answering: closed once its id arrives
    server->holdNotify = false;
    server->releaseHeld();
    addOk(request(QStringLiteral("b"), Trigger::afterInterval(0.01)));
    ASSERT_TRUE(waitFor([&] { return deliveries == 2; }));
    center->removeDelivered({QStringLiteral("b")});
    addOk(request(QStringLiteral("c"), Trigger::afterInterval(0.01)));
    ASSERT_TRUE(waitFor([&] { return deliveries == 3; }));
    server->emitClosed(43); // closed by the user on the desktop: nothing left to withdraw
    QTest::qWait(100);
    center->removeDelivered({QStringLiteral("c")});
    QTest::qWait(100);
    EXPECT_EQ(server->closed, (QList<uint>{41, 42}));
}

TEST_F(NotificationTest, DestroyedWhileCallsAreOutstandingIsSafe)
{
    server->holdNotify = true;
    ASSERT_TRUE(server->start());
    addOk(request(QStringLiteral("a"), Trigger::afterInterval(0.01)));
    ASSERT_TRUE(waitFor([&] { return server->notified.size() == 1; }));
    server->silent = true;
    auto settings = center->settings();
    center.reset();
    server->releaseHeld();
    EXPECT_EQ(QCoro::waitFor(settings).authorizationStatus, A::authorized);
}

TEST_F(NotificationTest, ServerThatNeverAnswersIsADeliveryFailureAndWeSoundOurselves)
{
    server->silent = true;
    ASSERT_TRUE(server->start());
    addOk(request(QStringLiteral("a"), Trigger::afterInterval(0.01), {}, true));
    ASSERT_TRUE(waitFor([&] { return !failed.isEmpty(); }));
    EXPECT_EQ(failed, QStringList{QStringLiteral("a")});
    EXPECT_EQ(sound->notificationSounds, 1);
}

TEST_F(NotificationTest, SoundHintWhereTheServerPlaysSoundOtherwiseLocalPlayback)
{
    const struct { bool serverSound, requestSound; QVariantMap hints; int localSounds; } rows[] = {
        {true, true, {{QStringLiteral("sound-name"), QStringLiteral("alarm-clock-elapsed")}}, 0}, {false, true, {}, 1},
        {true, false, {{QStringLiteral("suppress-sound"), true}}, 0}, {false, false, {}, 0}};
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << "server sound " << row.serverSound << ", request sound " << row.requestSound);
        PrivateBus bus;
        FakeNotificationServer server(bus.connect());
        if (row.serverSound)
            server.capabilities.append(QStringLiteral("sound"));
        ASSERT_TRUE(server.start());
        const auto sound = std::make_shared<CountingBeep>();
        SystemBrimTimerNotifications center(bus.connect(), sound);
        for (const QString &id : {QStringLiteral("a"), QStringLiteral("b")}) { // the second uses cached capabilities
            ASSERT_TRUE(awaited(center.add(request(id, Trigger::afterInterval(0.01), id, row.requestSound))).ok());
            ASSERT_TRUE(waitFor([&] { return !server.notified.isEmpty() && server.notified.last().body == id; }));
        }
        for (auto n : std::as_const(server.notified)) {
            n.hints.remove(QStringLiteral("desktop-entry"));
            EXPECT_EQ(n.hints, row.hints);
        }
        EXPECT_EQ(sound->notificationSounds, 2 * row.localSounds);
        EXPECT_EQ(server.capabilityQueries, 1);
    }
}

TEST(NotificationSettings, FollowTheServerAndItsDoNotDisturbState)
{
    const struct { const char *name; bool running; std::optional<bool> inhibited, paused; bool silent; Settings expected; } rows[] = {
        {"no server", false, {}, {}, false, {A::denied, S::notSupported}},
        {"plain server", true, {}, {}, false, {A::authorized, S::enabled}},
        {"kde inhibited", true, true, {}, false, {A::authorized, S::disabled}},
        {"kde not inhibited", true, false, {}, false, {A::authorized, S::enabled}},
        {"dunst paused", true, {}, true, false, {A::authorized, S::disabled}},
        {"dunst running", true, {}, false, false, {A::authorized, S::enabled}},
        {"server never answers", true, {}, {}, true, {A::authorized, S::notSupported}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        PrivateBus bus;
        FakeNotificationServer server(bus.connect());
        server.inhibited = row.inhibited;
        server.paused = row.paused;
        server.silent = row.silent;
        ASSERT_TRUE(!row.running || server.start());
        SystemBrimTimerNotifications center(bus.connect(), nullptr);
        center.setReplyTimeout(300ms);
        EXPECT_EQ(QCoro::waitFor(center.settings()), row.expected);
        const auto granted = awaited(center.requestAuthorization());
        EXPECT_TRUE(granted.ok() && granted.value() == (row.expected.authorizationStatus == A::authorized));
        if (row.running) { // the name goes: no longer authorized
            server.stop();
            EXPECT_EQ(QCoro::waitFor(center.settings()).authorizationStatus, A::denied);
        }
    }
}

TEST(NotificationSettings, StartableServerCountsAsAvailableAndIsNotStartedByTheQuery)
{
    QTemporaryDir dir;
    const QString marker = dir.filePath(QStringLiteral("started"));
    PrivateBus bus(QStringLiteral("/usr/bin/touch %1").arg(marker));
    SystemBrimTimerNotifications center(bus.connect(), nullptr);
    center.setReplyTimeout(300ms);
    EXPECT_EQ(QCoro::waitFor(center.settings()), (Settings{A::authorized, S::enabled}));
    QTest::qWait(100);
    EXPECT_FALSE(QFile::exists(marker));
}
} // namespace
