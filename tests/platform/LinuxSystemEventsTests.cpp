#include "platform/LinuxSystemEvents.h"

#include "PrivateBus.h"
#include "tests/support/Patience.h"

#include <QDir>
#include <QGuiApplication>
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
using Events = QList<BrimSystemEvent>;

struct Recorder {
    Events events;
    BrimSystemEvents::Handler handler() { return [this](BrimSystemEvent event) { events.append(event); }; }
    bool waitFor(qsizetype count, int ms = patienceMs) { return QTest::qWaitFor([&] { return events.size() >= count; }, ms); }
};

// A stand-in for /etc: "etc/localtime", a link into "zoneinfo/".
struct ZoneFiles {
    QTemporaryDir dir;
    ZoneFiles()
    {
        QDir(dir.path()).mkpath(QStringLiteral("etc"));
        QDir(dir.path()).mkpath(QStringLiteral("zoneinfo"));
        write("zoneinfo/Lisbon", "TZif Lisbon");
        write("zoneinfo/Berlin", "TZif Berlin");
        linkTo("Lisbon");
    }
    QString localtime() const { return dir.filePath(QStringLiteral("etc/localtime")); }
    void write(const char *relative, const QByteArray &bytes)
    {
        QFile file(dir.filePath(QLatin1String(relative)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    // Staged, then renamed over the old one, as time-zone tools do.
    void replace(const std::function<void(const QString &staged)> &stage)
    {
        const QString staged = dir.filePath(QStringLiteral("etc/.localtime.new"));
        QFile::remove(staged);
        stage(staged);
        std::rename(QFile::encodeName(staged).constData(), QFile::encodeName(localtime()).constData());
    }
    void linkTo(const char *zone)
    {
        replace([&](const QString &staged) { QFile::link(dir.filePath(QStringLiteral("zoneinfo/") + QLatin1String(zone)), staged); });
    }
};

void sendPrepareForSleep(const QDBusConnection &from, bool starting)
{
    QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                                     QStringLiteral("org.freedesktop.login1.Manager"),
                                                     QStringLiteral("PrepareForSleep"));
    from.send(signal << starting);
    // A round trip to the bus: it has routed the signal before we go on.
    const QString bus = QStringLiteral("org.freedesktop.DBus");
    from.call(QDBusMessage::createMethodCall(bus, QStringLiteral("/org/freedesktop/DBus"), bus, QStringLiteral("GetId")));
}

void announce(Qt::ApplicationState state) { Q_EMIT qGuiApp->applicationStateChanged(state); }

TEST(LinuxSystemEvents, TimeZoneChangesCountOnlyWhenTheZoneDiffers)
{
    const struct { const char *what; std::function<void(ZoneFiles &)> act; bool newZone; } steps[] = {
        {"unrelated file in the folder", [](ZoneFiles &z) { z.write("etc/hostname", "box"); }, false},
        {"link swapped to another zone", [](ZoneFiles &z) { z.linkTo("Berlin"); }, true},
        {"link swapped to the same zone", [](ZoneFiles &z) { z.linkTo("Berlin"); }, false},
        {"linked zone file updated in place", [](ZoneFiles &z) { z.write("zoneinfo/Berlin", "TZif Berlin 2"); }, true},
        {"link removed, then the same zone again",
         [](ZoneFiles &z) {
             QFile::remove(z.localtime());
             QTest::qWait(50); // let the watcher see the gap
             z.linkTo("Berlin");
         },
         false},
        {"plain file renamed into place",
         [](ZoneFiles &z) { z.replace([](const QString &staged) { QFile(staged).open(QIODevice::WriteOnly); }); }, true},
        {"plain file rewritten in place", [](ZoneFiles &z) { z.write("etc/localtime", "TZif Lima"); }, true},
    };
    ZoneFiles zones;
    LinuxSystemEvents events(QDBusConnection(QStringLiteral("no-bus")), zones.localtime());
    Recorder recorder;
    events.observe(recorder.handler());
    ASSERT_TRUE(events.isWatchingTimeZone());
    qsizetype expected = 0;
    for (const auto &step : steps) {
        SCOPED_TRACE(step.what);
        step.act(zones);
        if (step.newZone)
            EXPECT_TRUE(recorder.waitFor(++expected));
        else
            QTest::qWait(50); // the watcher looks at this step on its own, not merged with the next
        EXPECT_EQ(recorder.events.size(), expected);
    }
    EXPECT_FALSE(recorder.waitFor(expected + 1, 200));
    EXPECT_EQ(recorder.events, Events(expected, BrimSystemEvent::timeZoneChanged));
}

TEST(LinuxSystemEvents, WakeComesFromLogindOnlyAndNothingArrivesAfterStopObserving)
{
    PrivateBus system;
    QDBusConnection logind = system.connect();
    ASSERT_TRUE(logind.registerService(QStringLiteral("org.freedesktop.login1")));
    ZoneFiles zones;
    LinuxSystemEvents events(system.connect(), zones.localtime());
    LinuxSystemEvents stopped(system.connect(), zones.localtime());
    Recorder recorder, stoppedEvents;
    events.observe(recorder.handler());
    stopped.observe(stoppedEvents.handler());
    ASSERT_TRUE(events.isWatchingSleep() && events.isWatchingClock());
    stopped.stopObserving();
    EXPECT_FALSE(stopped.isWatchingClock() || stopped.isWatchingTimeZone() || stopped.isWatchingSleep());

    sendPrepareForSleep(logind, true);
    sendPrepareForSleep(system.connect(), false); // not logind
    sendPrepareForSleep(logind, false);
    zones.linkTo("Berlin");
    announce(Qt::ApplicationActive);
    // Once the observing one has seen all three, the stopped one would have too.
    EXPECT_TRUE(recorder.waitFor(3));
    EXPECT_FALSE(recorder.waitFor(4, 200));
    for (BrimSystemEvent event :
         {BrimSystemEvent::woke, BrimSystemEvent::timeZoneChanged, BrimSystemEvent::applicationActivated})
        EXPECT_EQ(recorder.events.count(event), 1);
    EXPECT_TRUE(stoppedEvents.events.isEmpty());

    stopped.observe(stoppedEvents.handler());
    sendPrepareForSleep(logind, false);
    EXPECT_TRUE(stoppedEvents.waitFor(1));
    EXPECT_EQ(stoppedEvents.events, Events{BrimSystemEvent::woke});
}

TEST(LinuxSystemEvents, ActivationReachesTheLatestHandlerWhichMayStopObserving)
{
    ZoneFiles zones;
    LinuxSystemEvents events(QDBusConnection(QStringLiteral("no-bus")), zones.localtime());
    Recorder replaced, latest;
    events.observe(replaced.handler());
    events.observe(latest.handler());
    for (Qt::ApplicationState state : {Qt::ApplicationInactive, Qt::ApplicationHidden, Qt::ApplicationActive})
        announce(state);
    EXPECT_TRUE(replaced.events.isEmpty());
    EXPECT_EQ(latest.events, Events{BrimSystemEvent::applicationActivated});

    int calls = 0;
    events.observe([&](BrimSystemEvent) {
        ++calls;
        events.stopObserving();
    });
    announce(Qt::ApplicationActive);
    announce(Qt::ApplicationActive);
    EXPECT_EQ(calls, 1);
}
} // namespace
