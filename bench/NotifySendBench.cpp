// How long a notification made ready ahead takes to reach the bus's socket
// once its alarm is recorded: the window in which a kill of the process
// leaves an alarm recorded as told but never sent. "Prepared" is what the
// app does (the message marshalled when it is made ready); "converted then"
// is the conversion done at that moment, as before. A private dbus-daemon
// answers each call with an error, drained outside the timed part.
#include "bench/BenchMain.h"
#include "platform/DirectBusConnection.h"

#include <QProcess>
#include <QStringList>
#include <QVariantMap>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

struct Bus {
    QProcess daemon;
    DirectBusConnection *connection = nullptr;
    Bus()
    {
        daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                     QStringLiteral("--print-address")});
        if (daemon.waitForReadyRead(10000))
            connection = DirectBusConnection::open(QString::fromUtf8(daemon.readLine()).trimmed(), nullptr);
    }
    ~Bus()
    {
        delete connection;
        daemon.kill();
        daemon.waitForFinished();
    }
};

QDBusMessage notifyCall()
{
    // The shape of a real one: the bus answers it with an error, unknown method.
    QDBusMessage notify = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                                         QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("app.ostrel.brimkit")},
                            {QStringLiteral("sound-name"), QStringLiteral("alarm-clock-elapsed")}};
    notify << QStringLiteral("Ostrel Brimkit") << uint(0) << QStringLiteral("app.ostrel.brimkit") << QStringLiteral("Alarm")
           << QStringLiteral("Tea is ready") << QStringList() << hints << int(-1);
    return notify;
}

void sendAfterTheRecord(benchmark::State &state, bool prepared)
{
    static Bus bus;
    if (!bus.connection) {
        state.SkipWithError("no dbus-daemon");
        return;
    }
    const std::shared_ptr<DirectBusConnection::Line> line = bus.connection->line();
    const QDBusMessage notify = notifyCall();
    for (auto _ : state) {
        std::unique_ptr<DirectBusConnection::Line::Prepared> ready = prepared ? line->prepare(notify) : nullptr;
        const auto start = Clock::now();
        if (!prepared)
            ready = line->prepare(notify);
        const bool sent = line->send(std::move(ready), std::chrono::seconds(5), std::make_shared<DirectBusConnection::Answer>());
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        if (!sent) {
            state.SkipWithError("not sent");
            break;
        }
        QCoreApplication::processEvents(); // the answers, untimed
    }
}

void Prepared(benchmark::State &state) { sendAfterTheRecord(state, true); }
void ConvertedThen(benchmark::State &state) { sendAfterTheRecord(state, false); }

} // namespace

BENCHMARK(Prepared)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(ConvertedThen)->UseManualTime()->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    return runBenchmarks<QCoreApplication>(argc, argv);
}
