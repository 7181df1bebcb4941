// A real notification server (dunst, on an Xvfb display of the test's own)
// that dies under a running countdown: the finished countdown reaches the
// server that came back, by hand or by bus activation, with its sound; with
// none, the refusal is noted once and the model beeps in its place.
#include "models/BrimkitModel.h"
#include "models/BrimNotificationSeries.h"
#include "platform/SystemBrimTimerNotifications.h"

#include "PrivateBus.h"
#include "tests/support/ModelFakes.h"
#include "tests/support/Patience.h"

#include <QDBusReply>
#include <QStandardPaths>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>

namespace {
const QString serverName = QStringLiteral("org.freedesktop.Notifications");

// An X display for dunst alone; the test itself stays offscreen.
class Display {
public:
    Display()
    {
        m_server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                                                QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                                                QStringLiteral("640x480x24")});
        if (m_server.waitForStarted(patienceMs) && m_server.waitForReadyRead(patienceMs))
            m_name = QLatin1Char(':') + QString::fromLatin1(m_server.readLine()).trimmed();
    }
    ~Display()
    {
        m_server.terminate();
        m_server.waitForFinished(patienceMs);
    }
    const QString &name() const { return m_name; }

private:
    QProcess m_server;
    QString m_name;
};

class NotificationServerRestart : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(display.name().isEmpty()) << "Xvfb did not start";
        ASSERT_TRUE(bus().ok()) << "dbus-daemon did not start";
        control = bus().connect();
        center = std::make_shared<SystemBrimTimerNotifications>(bus().connect(), fakes.beep);
        center->setReplyTimeout(std::chrono::milliseconds(patienceMs));
        BrimkitModel::Environment environment = fakes.environment();
        environment.notifications = center;
        model = std::make_unique<BrimkitModel>(environment, BrimkitModel::Options{false});
        model->setSoundEnabled(true);
    }
    void TearDown() override
    {
        if (model)
            model->shutdown();
        stopServer();
    }
    // Whether the bus starts dunst by itself for a call that finds no server.
    virtual bool activatable() const { return false; }
    PrivateBus &bus()
    {
        if (!m_bus)
            m_bus = std::make_unique<PrivateBus>(activatable() ? dunstCommand() : QString());
        return *m_bus;
    }

    QString dunstCommand() const
    {
        return QStringLiteral("/usr/bin/env DISPLAY=%1 XDG_CONFIG_HOME=%2 %3")
            .arg(display.name(), home.path(), QStandardPaths::findExecutable(QStringLiteral("dunst")));
    }
    bool serverUp()
    {
        const QDBusReply<bool> owned = control.interface()->isServiceRegistered(serverName);
        return owned.isValid() && owned.value();
    }
    void startServer()
    {
        QStringList command = QProcess::splitCommand(dunstCommand());
        QProcess::startDetached(command.takeFirst(), command, {}, &dunstPid);
        ASSERT_TRUE(QTest::qWaitFor([&] { return serverUp(); }, patienceMs)) << "dunst did not take the name";
    }
    // SIGKILL: the server gets no chance to hand anything over.
    void stopServer()
    {
        const QDBusReply<uint> pid = control.interface()->servicePid(serverName);
        if (pid.isValid())
            ::kill(pid_t(pid.value()), SIGKILL);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !serverUp(); }, patienceMs));
    }
    // Notifications the running server holds (on screen, queued or in its history).
    int shownByServer()
    {
        int total = 0;
        for (const char *list : {"displayedLength", "waitingLength", "historyLength"}) {
            QDBusMessage get = QDBusMessage::createMethodCall(serverName, QStringLiteral("/org/freedesktop/Notifications"),
                                                              QStringLiteral("org.freedesktop.DBus.Properties"),
                                                              QStringLiteral("Get"));
            get << QStringLiteral("org.dunstproject.cmd0") << QString::fromLatin1(list);
            get.setAutoStartService(false);
            const QDBusReply<QDBusVariant> reply = control.call(get);
            total += reply.isValid() ? reply.value().variant().toInt() : 0;
        }
        return total;
    }
    // A one-minute countdown, its notification made ready for the end.
    void startCountdown()
    {
        model->startTimer(1, BrimTimerKind::timer);
        ASSERT_TRUE(QTest::qWaitFor([&] { return model->scheduledIdentifier() || model->notificationNote(); }, patienceMs));
    }
    void finishCountdown()
    {
        fakes.advance(*model, 61);
        ASSERT_TRUE(model->completion());
    }

    Display display;
    QTemporaryDir home;
    std::unique_ptr<PrivateBus> m_bus;
    QDBusConnection control{QString()};
    FakeModelEnvironment fakes;
    std::shared_ptr<SystemBrimTimerNotifications> center;
    std::unique_ptr<BrimkitModel> model;
    qint64 dunstPid = 0;
};

TEST_F(NotificationServerRestart, TheServerThatCameBackShowsTheCompletionWithItsSound)
{
    const int rounds = qEnvironmentVariableIntValue("BRIMKIT_STRESS_ROUNDS");
    for (int round = 0; round < std::max(rounds, 1); ++round) {
        SCOPED_TRACE(round);
        startServer();
        startCountdown();
        ASSERT_TRUE(model->scheduledIdentifier());
        stopServer();
        startServer();
        finishCountdown();
        ASSERT_TRUE(QTest::qWaitFor([&] { return shownByServer() == 1; }, patienceMs));
        // dunst plays no sounds: the adapter plays it once, the model not at all.
        ASSERT_TRUE(QTest::qWaitFor([&] { return fakes.beep->notificationSounds == round + 1; }, patienceMs));
        EXPECT_EQ(fakes.beep->count, 0);
        EXPECT_FALSE(model->notificationNote());
        model->dismissCompletion();
        stopServer();
    }
}

TEST_F(NotificationServerRestart, WithNoServerTheRefusalIsNotedOnceAndTheNextServerGetsTheNext)
{
    startServer();
    startCountdown();
    stopServer();
    finishCountdown();
    const QString refused = BrimNotificationSeries::text(BrimNotificationSeries::timerNotes.schedulingFailed);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->notificationNote() == refused; }, patienceMs));
    EXPECT_EQ(fakes.beep->count, 1); // in place of the notification's sound
    EXPECT_EQ(fakes.beep->notificationSounds, 0);
    EXPECT_EQ(fakes.count("brimNotificationFailed"), 1);

    // Started with no server, a countdown says so at once and shows nothing.
    startCountdown();
    EXPECT_EQ(model->notificationNote(),
              BrimNotificationSeries::text(BrimNotificationSeries::timerNotes.notificationsOff));
    EXPECT_FALSE(model->scheduledIdentifier());
    finishCountdown();
    QTest::qWait(100);
    EXPECT_EQ(fakes.beep->count, 2); // the model's own completion beep
    EXPECT_EQ(fakes.count("brimNotificationFailed"), 1);

    startServer();
    startCountdown();
    EXPECT_FALSE(model->notificationNote());
    finishCountdown();
    ASSERT_TRUE(QTest::qWaitFor([&] { return shownByServer() == 1; }, patienceMs));
    EXPECT_EQ(fakes.beep->notificationSounds, 1);
}

// The bus starts dunst by itself for the notification that finds no server.
class ActivatedNotificationServer : public NotificationServerRestart {
protected:
    bool activatable() const override { return true; }
};

TEST_F(ActivatedNotificationServer, StartsAServerForTheCompletion)
{
    startServer();
    startCountdown();
    stopServer();
    finishCountdown();
    ASSERT_TRUE(QTest::qWaitFor([&] { return serverUp() && shownByServer() == 1; }, patienceMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return fakes.beep->notificationSounds == 1; }, patienceMs));
    EXPECT_EQ(fakes.beep->count, 0);
    EXPECT_FALSE(model->notificationNote());
}
} // namespace
