// Cost of one clock step of the main model: idle, with a countdown running,
// and with a full book of alarms none of which is due.
#include "bench/BenchMain.h"
#include "bench/BenchModelEnvironment.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

namespace {

void refreshStep(benchmark::State &state, bool running)
{
    auto clock = std::make_shared<FixedBrimClock>(BrimDate::fromSeconds(840'000'000));
    BrimkitModel model(benchEnvironment(clock), {.ticking = false});
    if (running) {
        model.startTimer(240, BrimTimerKind::focus);
        model.startAwake(240);
    }
    BrimDate now = clock->now();
    for (auto _ : state) {
        now = now + 0.001; // stays far from the deadline
        model.refresh(now);
        benchmark::DoNotOptimize(model.countdown());
    }
}

void BM_RefreshIdle(benchmark::State &state) { refreshStep(state, false); }
void BM_RefreshRunning(benchmark::State &state) { refreshStep(state, true); }

// Every tick looks at every alarm; a full book must not make the step costly.
void BM_RefreshTwentyAlarms(benchmark::State &state)
{
    const BrimDate start = BrimDate::fromSeconds(840'000'000);
    auto store = std::make_shared<MemoryStore>();
    for (int i = 0; i < 20; ++i) {
        const BrimDate date = start + 86400.0 * (300 + i); // about a year ahead
        store->alarms.append(
            BrimAlarm{QUuid::createUuid(), QStringLiteral("Alarm %1").arg(i), date, QStringLiteral("UTC"), {}});
    }
    auto clock = std::make_shared<FixedBrimClock>(start);
    BrimkitModel model(benchEnvironment(clock, store), {.ticking = false});
    if (model.alarms().book().upcoming().size() != 20) {
        state.SkipWithError("alarms not loaded");
        return;
    }
    BrimDate now = start;
    for (auto _ : state) {
        now = now + 0.001;
        model.refresh(now);
        benchmark::DoNotOptimize(model.alarms().book());
    }
}

} // namespace

BENCHMARK(BM_RefreshIdle);
BENCHMARK(BM_RefreshRunning);
BENCHMARK(BM_RefreshTwentyAlarms);

int main(int argc, char **argv) { return runBenchmarks<QCoreApplication>(argc, argv); }
