// Telemetry costs: how long an event takes from track() to its request
// arriving at a loopback HTTPS server, and what a full queue holds in memory.
//   ./build/bench/TelemetryBench
#include "bench/BenchMain.h"
#include "services/OstrelSignals.h"
#include "telemetry/TellixClient.h"

#include "LoopbackHttpsServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>
#include <malloc.h>

namespace {
AppSignalContext benchContext()
{
    return AppSignalContext(QStringLiteral("app.ostrel.brimkit"), QStringLiteral("1.4.0+27"), QStringLiteral("6.1.0"),
                            QStringLiteral("x86_64"), QStringLiteral("up_to_16GB"));
}

// Spins the event loop until `done` holds; false after 10 s.
template <class Predicate>
bool spinUntil(Predicate done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 10000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// track() on the facade until the server holds the complete request: the
// operation chain, the client queue, TCP connect, TLS handshake and the write.
void BM_TrackToRequestArrival(benchmark::State &state)
{
    LoopbackHttpsServer server;
    if (!server.listen()) {
        state.SkipWithError(server.errorString().toStdString().c_str());
        return;
    }
    AppBundle bundle;
    bundle.identifier = QStringLiteral("app.ostrel.brimkit");
    bundle.tellixEndpoint = server.url(QStringLiteral("/ingest")).toString();
    bundle.tellixKey = QStringLiteral("key");
    TellixSessionOptions options;
    options.tls = server.clientConfiguration();
    auto client = std::make_shared<TellixClient>(
        TellixConfiguration::make(*bundle.tellixEndpoint, *bundle.tellixKey), benchContext(), options);
    OstrelSignals facade(bundle, std::make_shared<MemoryUserDefaults>(), client);
    facade.start();
    if (!spinUntil([&] { return server.requests().size() == 1; })) {
        state.SkipWithError("the opening event never arrived");
        return;
    }
    for (auto _ : state) {
        const auto before = server.requests().size();
        facade.track(OstrelEvent::brimTimerStarted);
        if (!spinUntil([&] { return server.requests().size() > before; })) {
            state.SkipWithError("request lost");
            return;
        }
    }
}
BENCHMARK(BM_TrackToRequestArrival)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same from the client's own event(): without the facade's operation chain.
void BM_ClientEventToRequestArrival(benchmark::State &state)
{
    LoopbackHttpsServer server;
    if (!server.listen()) {
        state.SkipWithError(server.errorString().toStdString().c_str());
        return;
    }
    TellixSessionOptions options;
    options.tls = server.clientConfiguration();
    TellixClient client(TellixConfiguration::make(server.url().toString(), QStringLiteral("key")), benchContext(), options);
    client.setConsent(true, QStringLiteral("5B8A1C2E-0D4F-4B7A-9E61-3C2D1A0B9F87"), true);
    for (auto _ : state) {
        const auto before = server.requests().size();
        client.event(OstrelEvent::brimTimerStarted);
        if (!spinUntil([&] { return server.requests().size() > before; })) {
            state.SkipWithError("request lost");
            return;
        }
    }
}
BENCHMARK(BM_ClientEventToRequestArrival)->Unit(benchmark::kMillisecond)->UseRealTime();

// Heap held by a client and its full queue of 64 documents (the worker never
// runs: the event loop is not turned).
void BM_FullQueueMemory(benchmark::State &state)
{
    for (auto _ : state) {
        const size_t before = mallinfo2().uordblks;
        auto client = std::make_unique<TellixClient>(
            TellixConfiguration::make(QStringLiteral("https://127.0.0.1:9/ingest"), QStringLiteral("key")), benchContext());
        client->setConsent(true, QStringLiteral("5B8A1C2E-0D4F-4B7A-9E61-3C2D1A0B9F87"), true);
        for (int i = 0; i < TellixClient::queueLimit + 10; ++i)
            client->event(OstrelEvent::brimPomodoroCompleted);
        const size_t after = mallinfo2().uordblks;
        state.counters["heap_bytes"] = double(after - before);
        state.counters["queue_payload_bytes"] = double(client->queuedBytes());
        state.counters["documents"] = client->pendingCount();
        client.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
BENCHMARK(BM_FullQueueMemory)->Iterations(20);
} // namespace

int main(int argc, char **argv) { return runBenchmarks<QCoreApplication>(argc, argv); }
