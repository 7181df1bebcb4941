// The delivery command the systemd timer starts, run as the real program
// against a fake notification server and a real alarm file.
#include "core/FileBrimAlarmStore.h"
#include "models/BrimAlarmsModel.h"
#include "models/BrimkitModel.h"
#include "platform/JsonFileUserDefaults.h"
#include "tests/core/AlarmTestSupport.h"

#include "FakeNotificationServer.h"

#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct DueAlarmDelivery : ::testing::Test {
    PrivateBus bus;
    FakeNotificationServer server{bus.connect()};
    QTemporaryDir home;
    const QString file = home.filePath(QStringLiteral("data/app.ostrel.brimkit/alarms.json"));
    const BrimDate now = BrimDate::fromUnixSeconds(double(QDateTime::currentSecsSinceEpoch()));

    void SetUp() override
    {
        ASSERT_TRUE(bus.ok() && server.start());
        server.capabilities << QStringLiteral("sound");
    }
    BrimAlarm alarm(const char *title, double offset, std::optional<BrimDate> firedAt = std::nullopt) const
    {
        return BrimAlarm{QUuid::createUuid(), QLatin1String(title), now + offset, QStringLiteral("UTC"), firedAt};
    }
    QList<BrimAlarm> stored() const { return FileBrimAlarmStore(file).load().value(); }
    QByteArray bytes() const { return alarmtest::readFile(file); }
    // The command's exit code; the test's event loop answers the server's calls meanwhile.
    int deliver()
    {
        QProcess command;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        command.setProcessEnvironment(environment);
        command.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        command.start(QStringLiteral(BRIMKIT_APP), {QStringLiteral("--deliver-due-alarms")});
        EXPECT_TRUE(QTest::qWaitFor([&] { return command.state() == QProcess::NotRunning; }, 20000));
        return command.exitStatus() == QProcess::NormalExit ? command.exitCode() : -1;
    }
};

} // namespace

TEST_F(DueAlarmDelivery, DueAlarmsAreNotifiedOnceAndRecordedFired)
{
    const QList<BrimAlarm> alarms{alarm("Due", -30), alarm("Later", 3600), alarm("Done", -600, now - 590),
                                  alarm("Late", -7200)};
    ASSERT_TRUE(FileBrimAlarmStore(file).save(alarms).ok());
    EXPECT_EQ(deliver(), 0);
    ASSERT_EQ(server.notified.size(), 2);
    // The app's name is the sender; the alarm's title leads; a late one says it was missed.
    const auto shown = [&](int i) { return server.notified[i].appName + u'/' + server.notified[i].summary + u'/' + server.notified[i].body; };
    EXPECT_EQ(shown(0), BrimAlarmsModel::notificationRequest(alarms[0], false, true).body.prepend(QStringLiteral("Ostrel Brimkit/Due/")));
    EXPECT_EQ(shown(1), BrimAlarmsModel::notificationRequest(alarms[3], true, true).body.prepend(QStringLiteral("Ostrel Brimkit/Late/")));
    EXPECT_TRUE(server.notified[1].body.startsWith(QStringLiteral("Missed while Brimkit was closed. It was due ")));
    EXPECT_EQ(server.notified[0].hints.value(QStringLiteral("sound-name")), QStringLiteral("alarm-clock-elapsed"));
    QList<BrimAlarm> after = stored();
    ASSERT_GE(after[0].firedAt.value_or(BrimDate{}), now);
    after[0].firedAt.reset();
    after[3].firedAt.reset();
    EXPECT_EQ(after, alarms) << "only the due alarms changed";

    const QByteArray recorded = bytes();
    EXPECT_EQ(deliver(), 0);
    EXPECT_EQ(server.notified.size(), 2) << "a second run notifies nothing";
    EXPECT_EQ(bytes(), recorded);

    // Sound off in the settings: the server is asked for silence.
    JsonFileUserDefaults(home.filePath(QStringLiteral("config/app.ostrel.brimkit/defaults.json")))
        .set(BrimkitModel::soundKey, false);
    ASSERT_TRUE(FileBrimAlarmStore(file).save(stored() << alarm("Quiet", -1)).ok());
    EXPECT_EQ(deliver(), 0);
    ASSERT_EQ(server.notified.size(), 3);
    EXPECT_EQ(server.notified[2].hints.value(QStringLiteral("suppress-sound")), true);
}

TEST_F(DueAlarmDelivery, LeavesTheFileAloneWhenItCannotReadItOrTheAppRuns)
{
    const QByteArray damaged = R"({"version":1,"alarms":[{"id":)";
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()) && alarmtest::writeFile(file, damaged));
    EXPECT_EQ(deliver(), 1);
    EXPECT_EQ(bytes(), damaged);

    ASSERT_TRUE(QFile::remove(file) && FileBrimAlarmStore(file).save({alarm("Due", -30)}).ok());
    const QByteArray due = bytes();
    QDBusConnection app = bus.connect();
    ASSERT_TRUE(app.registerService(QStringLiteral("app.ostrel.brimkit")));
    EXPECT_EQ(deliver(), 0);
    EXPECT_EQ(bytes(), due);
    EXPECT_TRUE(server.notified.isEmpty());
}
