// A real notification server (dunst, on an Xvfb display of the test's own)
// killed under a running countdown: the completion reaches the server that
// came back, started by hand or by the bus, with its sound; with none, the
// refusal is noted once, the model beeps in its place, and the next server
// that starts gets the next notification.
#include "models/BrimkitModel.h"
#include "models/BrimNotificationSeries.h"
#include "platform/SystemBrimTimerNotifications.h"

#include "PrivateBus.h"
#include "tests/support/ModelFakes.h"
#include "tests/support/Patience.h"

#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>

namespace {
const QString serverName = QStringLiteral("org.freedesktop.Notifications");

bool waitFor(const std::function<bool()> &done) { return QTest::qWaitFor(done, patienceMs); }

struct Session {
    Session(const QString &command, bool activatable)
        : dunst(command), bus(activatable ? command : QString())
    {
        BrimkitModel::Environment environment = fakes.environment();
        environment.notifications = std::make_shared<SystemBrimTimerNotifications>(bus.connect(), fakes.beep);
        model = std::make_unique<BrimkitModel>(environment, BrimkitModel::Options{false});
        model->setSoundEnabled(true);
    }
    ~Session() { stopServer(); }
    bool serverUp() { return control.interface()->isServiceRegistered(serverName).value(); }
    void startServer()
    {
        QStringList command = QProcess::splitCommand(dunst); // /usr/bin/env VARIABLE=… dunst
        command.insert(1, QStringLiteral("DBUS_SESSION_BUS_ADDRESS=") + bus.address());
        QProcess::startDetached(command.takeFirst(), command);
        EXPECT_TRUE(waitFor([&] { return serverUp(); })) << "dunst did not take the name";
    }
    // SIGKILL: the server hands nothing over.
    void stopServer()
    {
        if (const QDBusReply<uint> pid = control.interface()->servicePid(serverName); pid.isValid())
            ::kill(pid_t(pid.value()), SIGKILL);
        EXPECT_TRUE(waitFor([&] { return !serverUp(); }));
    }
    // What the running server holds: on screen, queued or in its history.
    int shownByServer()
    {
        int total = 0;
        for (const char *list : {"displayedLength", "waitingLength", "historyLength"}) {
            QDBusMessage get = QDBusMessage::createMethodCall(serverName, QStringLiteral("/org/freedesktop/Notifications"),
                                                              QStringLiteral("org.freedesktop.DBus.Properties"),
                                                              QStringLiteral("Get"));
            get << QStringLiteral("org.dunstproject.cmd0") << QString::fromLatin1(list);
            get.setAutoStartService(false);
            total += QDBusReply<QDBusVariant>(control.call(get)).value().variant().toInt();
        }
        return total;
    }
    // A one-minute countdown: started once its notification is ready (or
    // refused), then finished by the clock.
    void startCountdown()
    {
        model->startTimer(1, BrimTimerKind::timer);
        EXPECT_TRUE(waitFor([&] { return model->scheduledIdentifier() || model->notificationNote(); }));
    }
    void finishCountdown() { fakes.advance(*model, 61); }

    QString dunst;
    PrivateBus bus;
    QDBusConnection control = bus.connect();
    FakeModelEnvironment fakes;
    std::unique_ptr<BrimkitModel> model;
};

TEST(NotificationServerRestart, TheCompletionReachesTheServerThatCameBackOrIsRefusedOnce)
{
    QProcess display; // its number comes on stdout once it accepts connections
    display.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                                           QStringLiteral("tcp")});
    ASSERT_TRUE(display.waitForReadyRead(patienceMs)) << "Xvfb did not start";
    QTemporaryDir home; // no user's dunstrc
    const QString dunst = QStringLiteral("/usr/bin/env DISPLAY=:%1 XDG_CONFIG_HOME=%2 /usr/bin/dunst")
                              .arg(QString::fromLatin1(display.readLine()).trimmed(), home.path());
    const QString refused = BrimNotificationSeries::text(BrimNotificationSeries::timerNotes.schedulingFailed);
    const QString off = BrimNotificationSeries::text(BrimNotificationSeries::timerNotes.notificationsOff);

    const struct { const char *name; bool restarted, activatable; } rows[] = {
        {"restarted by hand", true, false}, {"started by the bus", false, true}, {"not restarted", false, false}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Session s(dunst, row.activatable);
        s.startServer();
        s.startCountdown();
        ASSERT_TRUE(s.model->scheduledIdentifier());
        s.stopServer();
        if (row.restarted)
            s.startServer();
        s.finishCountdown();
        if (row.restarted || row.activatable) {
            // dunst plays no sounds: the adapter does, once; the model does not beep.
            ASSERT_TRUE(waitFor([&] { return s.shownByServer() == 1 && s.fakes.beep->notificationSounds == 1; }));
            EXPECT_EQ(s.fakes.beep->count, 0);
            EXPECT_FALSE(s.model->notificationNote());
            continue;
        }
        // The model beeps in place of the notification's sound.
        ASSERT_TRUE(waitFor([&] { return s.model->notificationNote() == refused && s.fakes.beep->count == 1; }));
        // A countdown started with no server says so at once; the refusal is not reported again.
        s.startCountdown();
        EXPECT_EQ(s.model->notificationNote(), off);
        s.finishCountdown();
        EXPECT_EQ(s.fakes.count("brim.notificationfailed"), 1);
        s.startServer();
        s.startCountdown();
        s.finishCountdown();
        ASSERT_TRUE(waitFor([&] { return s.shownByServer() == 1 && s.fakes.beep->notificationSounds == 1; }));
        EXPECT_FALSE(s.model->notificationNote());
    }
    display.terminate();
    display.waitForFinished(patienceMs);
}
} // namespace
