#include "platform/SystemBrimTimerNotifications.h"

#include "FakeNotificationServer.h"
#include "tests/support/ModelFakes.h"
#include "tests/support/Patience.h"

#include <QProcess>
#include <QTest>
#include <csignal>
#include <unistd.h>
#include <thread>
#include <gtest/gtest.h>

using namespace std::chrono_literals;
using Settings = BrimTimerNotificationSettings;
using A = Settings::AuthorizationStatus;
using S = Settings::AlertSetting;

namespace {
BrimNotificationRequest request(const QString &id, bool sound = false)
{
    return {id, QStringLiteral("Title ") + id, QStringLiteral("Body ") + id, sound};
}

FakeNotificationServer::NotifyCall expectedCall(const QString &id)
{
    return {QStringLiteral("Ostrel Brimkit"), 0, QStringLiteral("app.ostrel.brimkit"), QStringLiteral("Title ") + id,
            QStringLiteral("Body ") + id, {},
            // Sent before the server said whether it plays sounds: the quiet hint goes along.
            {{QStringLiteral("desktop-entry"), QStringLiteral("app.ostrel.brimkit")}, {QStringLiteral("suppress-sound"), true}},
            -1};
}

class NotificationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.ok()) << "dbus-daemon did not start";
        center->setReplyTimeout(std::chrono::milliseconds(patienceMs));
        center->setBusAddress(bus.address());
    }
    Result<void, QString> show(const BrimNotificationRequest &r) { return QCoro::waitFor(center->show(r)); }
    bool waitFor(const std::function<bool()> &done) { return QTest::qWaitFor(done, patienceMs); }

    PrivateBus bus;
    std::unique_ptr<FakeNotificationServer> server = std::make_unique<FakeNotificationServer>(bus.connect());
    std::shared_ptr<CountingBeep> sound = std::make_shared<CountingBeep>();
    std::unique_ptr<SystemBrimTimerNotifications> center =
        std::make_unique<SystemBrimTimerNotifications>(bus.connect(), sound);
};

TEST_F(NotificationTest, ShownAtOnceUnderTheApplicationsName)
{
    ASSERT_TRUE(server->start());
    ASSERT_TRUE(show(request(QStringLiteral("a"))).ok());
    EXPECT_EQ(server->notified, QList{expectedCall(QStringLiteral("a"))});
}

TEST_F(NotificationTest, RemoveDeliveredClosesTheServersIdOnceItIsKnownUnlessTheUserClosedIt)
{
    server->holdNotify = true;
    ASSERT_TRUE(server->start());
    center->setReplyTimeout(3000ms);
    auto first = center->show(request(QStringLiteral("a")));
    ASSERT_TRUE(waitFor([&] { return server->notified.size() == 1; }));
    center->removeDelivered({QStringLiteral("a")}); // the server is still answering: closed once its id arrives
    server->holdNotify = false;
    server->releaseHeld();
    ASSERT_TRUE(QCoro::waitFor(first).ok());
    ASSERT_TRUE(show(request(QStringLiteral("b"))).ok());
    center->removeDelivered({QStringLiteral("b")});
    ASSERT_TRUE(show(request(QStringLiteral("c"))).ok());
    server->emitClosed(43); // closed by the user on the desktop: nothing left to withdraw
    // Answered after the signal and the closes sent before it, so each has arrived by then.
    ASSERT_TRUE(show(request(QStringLiteral("d"))).ok());
    center->removeDelivered({QStringLiteral("c")});
    ASSERT_TRUE(show(request(QStringLiteral("e"))).ok());
    EXPECT_EQ(server->closed, (QList<uint>{41, 42}));
}

TEST_F(NotificationTest, DestroyedWhileCallsAreOutstandingIsSafe)
{
    server->holdNotify = true;
    ASSERT_TRUE(server->start());
    auto shown = center->show(request(QStringLiteral("a")));
    ASSERT_TRUE(waitFor([&] { return server->notified.size() == 1; }));
    server->silent = true;
    center->setReplyTimeout(300ms); // what the server never answers ends then
    auto settings = center->settings();
    center.reset();
    server->releaseHeld();
    EXPECT_FALSE(QCoro::waitFor(shown).ok());
    EXPECT_EQ(QCoro::waitFor(settings).authorizationStatus, A::authorized);
}

TEST_F(NotificationTest, SentAheadFromAnotherThreadLeavesOnceAndShowWaitsForIt)
{
    ASSERT_TRUE(server->start());
    const std::function<void()> send = center->sender(request(QStringLiteral("a")));
    ASSERT_TRUE(send);
    std::thread worker(send);
    worker.join();
    ASSERT_TRUE(waitFor([&] { return server->notified.size() == 1; })); // before show() was asked
    EXPECT_EQ(server->notified.first(), expectedCall(QStringLiteral("a"))); // as QtDBus would have put it
    ASSERT_TRUE(show(request(QStringLiteral("a"))).ok());
    // Made ready but never sent ahead: show() sends it.
    const std::function<void()> unused = center->sender(request(QStringLiteral("b")));
    ASSERT_TRUE(show(request(QStringLiteral("b"))).ok());
    EXPECT_EQ(server->notified.size(), 2);
    EXPECT_EQ(server->notified.last().summary, QStringLiteral("Title b"));
    // Withdrawn by the id the server gave the one sent ahead.
    center->removeDelivered({QStringLiteral("a")});
    ASSERT_TRUE(waitFor([&] { return server->closed == QList<uint>{41}; }));
}

TEST_F(NotificationTest, SentAheadToNoServerOrOneThatNeverAnswersIsARefusal)
{
    for (const bool running : {false, true}) {
        SCOPED_TRACE(running ? "never answers" : "no server");
        server->silent = running;
        if (running) {
            ASSERT_TRUE(server->start());
        }
        center->setReplyTimeout(300ms);
        const BrimNotificationRequest r = request(running ? QStringLiteral("b") : QStringLiteral("a"));
        const std::function<void()> send = center->sender(r); // kept until show(), as callers do
        std::thread(send).join();
        const auto shown = show(r);
        EXPECT_TRUE(!shown.ok() && !shown.error().isEmpty());
    }
}

TEST_F(NotificationTest, DestroyedWhileASentAheadCallWaitsIsARefusal)
{
    server->holdNotify = true;
    ASSERT_TRUE(server->start());
    const BrimNotificationRequest r = request(QStringLiteral("a"));
    const std::function<void()> send = center->sender(r);
    std::thread(send).join();
    auto shown = center->show(r);
    ASSERT_TRUE(waitFor([&] { return server->notified.size() == 1; }));
    center.reset();
    EXPECT_FALSE(QCoro::waitFor(shown).ok());
}

// Run as a child: sends one notification ahead from a worker thread, which
// kills the process the moment the send returns.
TEST(NotificationSenderChild, SendsAheadAndIsKilled)
{
    const QString address = qEnvironmentVariable("BRIMKIT_SENDER_CHILD_BUS");
    if (address.isEmpty())
        GTEST_SKIP() << "only runs as the child of NotificationTest";
    SystemBrimTimerNotifications center(QDBusConnection::connectToBus(address, QStringLiteral("child")), nullptr);
    center.setBusAddress(address);
    const std::function<void()> send = center.sender(request(QStringLiteral("killed")));
    std::thread([send] {
        send();
        ::kill(::getpid(), SIGKILL);
    }).join();
}

TEST_F(NotificationTest, SentAheadIsOnTheBusOnceTheWorkerIsDoneEvenIfTheProcessDiesThen)
{
    ASSERT_TRUE(server->start());
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("BRIMKIT_SENDER_CHILD_BUS"), bus.address());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=NotificationSenderChild.*")});
    ASSERT_TRUE(child.waitForFinished(patienceMs));
    ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << child.readAll().toStdString();
    ASSERT_TRUE(waitFor([&] { return server->notified.size() == 1; }));
    EXPECT_EQ(server->notified.first().summary, QStringLiteral("Title killed"));
}

TEST_F(NotificationTest, AServerThatNeverAnswersIsARefusalAndNothingSounds)
{
    server->silent = true;
    ASSERT_TRUE(server->start());
    center->setReplyTimeout(300ms);
    const auto shown = show(request(QStringLiteral("a"), true));
    EXPECT_TRUE(!shown.ok() && !shown.error().isEmpty());
    EXPECT_EQ(sound->notificationSounds, 0); // the caller beeps instead
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
        // The later ones use the capabilities kept from the first (which must stay kept).
        for (const QString &id : {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")})
            ASSERT_TRUE(QCoro::waitFor(center.show(request(id, row.requestSound))).ok());
        // The first may leave before the server has said whether it plays sounds.
        for (auto n : server.notified.mid(1)) {
            n.hints.remove(QStringLiteral("desktop-entry"));
            EXPECT_EQ(n.hints, row.hints);
        }
        EXPECT_EQ(sound->notificationSounds, 3 * row.localSounds);
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
        // Only a silent server's calls may end by the time-out.
        center.setReplyTimeout(row.silent ? 300ms : std::chrono::milliseconds(patienceMs));
        EXPECT_EQ(QCoro::waitFor(center.settings()), row.expected);
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
    center.setReplyTimeout(std::chrono::milliseconds(patienceMs));
    EXPECT_EQ(QCoro::waitFor(center.settings()), (Settings{A::authorized, S::enabled}));
    QTest::qWait(100);
    EXPECT_FALSE(QFile::exists(marker));
}
} // namespace
