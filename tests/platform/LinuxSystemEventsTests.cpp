#include "platform/LinuxSystemEvents.h"

#include "PrivateBus.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>

// Readable failure output; found by gtest through argument-dependent lookup.
void PrintTo(BrimSystemEvent event, std::ostream *out)
{
    static const char *const names[] = {"clockChanged", "timeZoneChanged", "applicationActivated", "woke"};
    *out << names[static_cast<int>(event)];
}

namespace {
const QString logindName = QStringLiteral("org.freedesktop.login1");

struct Recorder {
    QList<BrimSystemEvent> events;
    BrimSystemEvents::Handler handler()
    {
        return [this](BrimSystemEvent event) { events.append(event); };
    }
    bool waitFor(qsizetype count, int ms = 2000)
    {
        return QTest::qWaitFor([&] { return events.size() >= count; }, ms);
    }
};

// A stand-in for /etc: "etc/localtime" linking into "zoneinfo/".
class ZoneFiles {
public:
    ZoneFiles()
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("etc"));
        QDir(m_dir.path()).mkpath(QStringLiteral("zoneinfo"));
        for (const char *zone : {"Lisbon", "Berlin"})
            write(QStringLiteral("zoneinfo/") + QLatin1String(zone), QByteArray("TZif ") + zone);
        linkTo(QStringLiteral("Lisbon"));
    }
    QString localtime() const { return path(QStringLiteral("etc/localtime")); }
    QString path(const QString &relative) const { return m_dir.filePath(relative); }

    // Swaps the link atomically, as time-zone tools do.
    void linkTo(const QString &zone)
    {
        const QString staged = path(QStringLiteral("etc/.localtime.new"));
        QFile::remove(staged);
        QFile::link(path(QStringLiteral("zoneinfo/") + zone), staged);
        std::rename(QFile::encodeName(staged).constData(), QFile::encodeName(localtime()).constData());
    }
    void write(const QString &relative, const QByteArray &bytes)
    {
        QFile file(path(relative));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
    }
    void renameIntoPlace(const QByteArray &bytes)
    {
        write(QStringLiteral("etc/.localtime.new"), bytes);
        std::rename(QFile::encodeName(path(QStringLiteral("etc/.localtime.new"))).constData(),
                    QFile::encodeName(localtime()).constData());
    }

private:
    QTemporaryDir m_dir;
};

void sendPrepareForSleep(const QDBusConnection &from, bool starting)
{
    QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                                     QStringLiteral("org.freedesktop.login1.Manager"),
                                                     QStringLiteral("PrepareForSleep"));
    signal << starting;
    from.send(signal);
    // A round trip to the bus makes sure it has routed the signal before we go on.
    from.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                             QStringLiteral("/org/freedesktop/DBus"),
                                             QStringLiteral("org.freedesktop.DBus"),
                                             QStringLiteral("GetId")));
}

void announceState(Qt::ApplicationState state)
{
    Q_EMIT qGuiApp->applicationStateChanged(state);
}

TEST(LinuxSystemEvents, TimeZoneChangesCountOnlyWhenTheZoneDiffers)
{
    struct Step {
        const char *what;
        std::function<void(ZoneFiles &)> act;
        bool newZone;
    };
    const Step steps[] = {
        {"unrelated file in the folder", [](ZoneFiles &z) { z.write(QStringLiteral("etc/hostname"), "box"); }, false},
        {"link swapped to another zone", [](ZoneFiles &z) { z.linkTo(QStringLiteral("Berlin")); }, true},
        {"link swapped to the same zone", [](ZoneFiles &z) { z.linkTo(QStringLiteral("Berlin")); }, false},
        {"linked zone file updated in place",
         [](ZoneFiles &z) { z.write(QStringLiteral("zoneinfo/Berlin"), "TZif Berlin 2"); }, true},
        {"link removed, then back to the same zone",
         [](ZoneFiles &z) {
             QFile::remove(z.localtime());
             z.linkTo(QStringLiteral("Berlin"));
         },
         false},
        {"plain file renamed into place", [](ZoneFiles &z) { z.renameIntoPlace("TZif Tokyo"); }, true},
        {"plain file rewritten in place", [](ZoneFiles &z) { z.write(QStringLiteral("etc/localtime"), "TZif Lima"); },
         true},
    };
    ZoneFiles zones;
    LinuxSystemEvents events(QDBusConnection(QStringLiteral("no-bus")), zones.localtime());
    Recorder recorder;
    events.observe(recorder.handler());
    ASSERT_TRUE(events.isWatchingTimeZone());

    qsizetype expected = 0;
    for (const Step &step : steps) {
        SCOPED_TRACE(step.what);
        step.act(zones);
        if (step.newZone) {
            ++expected;
            // A spurious event from an earlier step would arrive before this one.
            EXPECT_TRUE(recorder.waitFor(expected));
            EXPECT_EQ(recorder.events.size(), expected);
        }
    }
    EXPECT_FALSE(recorder.waitFor(expected + 1, 200));
    EXPECT_EQ(recorder.events, QList<BrimSystemEvent>(expected, BrimSystemEvent::timeZoneChanged));
}

TEST(LinuxSystemEvents, WakeIsPrepareForSleepFalseFromLogindOnly)
{
    PrivateBus system;
    ASSERT_TRUE(system.isUp());
    QDBusConnection logind = system.connect();
    ASSERT_TRUE(logind.registerService(logindName));
    QDBusConnection impostor = system.connect();
    ZoneFiles zones;
    LinuxSystemEvents events(system.connect(), zones.localtime());
    Recorder recorder;
    events.observe(recorder.handler());
    ASSERT_TRUE(events.isWatchingSleep());

    sendPrepareForSleep(logind, true);
    sendPrepareForSleep(impostor, false);
    sendPrepareForSleep(logind, false);

    EXPECT_TRUE(recorder.waitFor(1));
    EXPECT_FALSE(recorder.waitFor(2, 200));
    EXPECT_EQ(recorder.events, QList<BrimSystemEvent>{BrimSystemEvent::woke});
}

TEST(LinuxSystemEvents, OnlyBecomingActiveCountsAsActivation)
{
    ZoneFiles zones;
    LinuxSystemEvents events(QDBusConnection(QStringLiteral("no-bus")), zones.localtime());
    Recorder recorder;
    events.observe(recorder.handler());
    for (const Qt::ApplicationState state :
         {Qt::ApplicationInactive, Qt::ApplicationHidden, Qt::ApplicationSuspended, Qt::ApplicationActive})
        announceState(state);
    EXPECT_EQ(recorder.events, QList<BrimSystemEvent>{BrimSystemEvent::applicationActivated});
    EXPECT_TRUE(events.isWatchingClock());
}

TEST(LinuxSystemEvents, NothingArrivesAfterStopObservingUntilObservedAgain)
{
    PrivateBus system;
    ASSERT_TRUE(system.isUp());
    QDBusConnection logind = system.connect();
    ASSERT_TRUE(logind.registerService(logindName));
    ZoneFiles zones;
    LinuxSystemEvents stopped(system.connect(), zones.localtime());
    LinuxSystemEvents witness(system.connect(), zones.localtime());
    Recorder stoppedEvents;
    Recorder witnessEvents;
    stopped.observe(stoppedEvents.handler());
    witness.observe(witnessEvents.handler());

    stopped.stopObserving();
    EXPECT_FALSE(stopped.isWatchingClock() || stopped.isWatchingTimeZone() || stopped.isWatchingSleep());
    zones.linkTo(QStringLiteral("Berlin"));
    sendPrepareForSleep(logind, false);
    announceState(Qt::ApplicationActive);
    // Once the witness has seen all three, the stopped one would have too.
    EXPECT_TRUE(witnessEvents.waitFor(3));
    EXPECT_TRUE(stoppedEvents.events.isEmpty());

    stopped.observe(stoppedEvents.handler());
    sendPrepareForSleep(logind, false);
    EXPECT_TRUE(stoppedEvents.waitFor(1));
    EXPECT_EQ(stoppedEvents.events, QList<BrimSystemEvent>{BrimSystemEvent::woke});
}

TEST(LinuxSystemEvents, HandlerMayStopObservingOrBeReplaced)
{
    ZoneFiles zones;
    LinuxSystemEvents events(QDBusConnection(QStringLiteral("no-bus")), zones.localtime());
    Recorder first;
    Recorder second;
    events.observe(first.handler());
    events.observe(second.handler());
    announceState(Qt::ApplicationActive);
    EXPECT_TRUE(first.events.isEmpty());
    EXPECT_EQ(second.events.size(), 1);

    int calls = 0;
    events.observe([&](BrimSystemEvent) {
        ++calls;
        events.stopObserving();
    });
    announceState(Qt::ApplicationActive);
    announceState(Qt::ApplicationActive);
    EXPECT_EQ(calls, 1);
}
} // namespace
