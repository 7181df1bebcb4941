// Tray icon work while a countdown runs: a 25-minute focus session stepped
// once a second, the tray item redrawing as the app's would. On an XEmbed
// tray (no bus) we paint one 22-pixel slot; for a StatusNotifierItem host
// (whose answer never comes here, so the item keeps its pixmaps current as
// for a host) the item renders every listed size, which the host paints in
// its own process. Reports the time per session minute and how many redraws
// a minute it cost.
#include "bench/BenchMain.h"
#include "bench/BenchModelEnvironment.h"
#include "services/OstrelSignals.h"
#include "shell/BrimkitStatusItem.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

void BM_TrayFocusSession(benchmark::State &state)
{
    const bool everySize = state.range(0) == 1;
    auto clock = std::make_shared<FixedBrimClock>(BrimDate::fromSeconds(840'000'000));
    BrimkitModel model(benchEnvironment(clock), {.ticking = false});
    BrimkitStatusItem item(model, OstrelSignals::shared(),
                           everySize ? QDBusConnection::sessionBus() : QDBusConnection(QStringLiteral("none")));
    constexpr int minutes = 25;
    const int before = item.redrawCount();
    qint64 painted = 0;
    const auto paint = [&] {
        const QIcon icon = item.icon();
        if (everySize || icon.cacheKey() == painted)
            return;
        painted = icon.cacheKey();
        benchmark::DoNotOptimize(icon.pixmap(QSize(22, 22)).cacheKey());
    };
    for (auto _ : state) {
        model.startTimer(minutes, BrimTimerKind::focus);
        paint();
        const BrimDate start = clock->now();
        for (int second = 1; second <= minutes * 60; ++second) {
            model.refresh(start + second);
            paint();
        }
        clock->set(start + minutes * 60);
        model.dismissCompletion();
    }
    const double sessionMinutes = double(state.iterations()) * minutes;
    state.counters["redraws/min"] = (item.redrawCount() - before) / sessionMinutes;
    state.counters["time/min"] = benchmark::Counter(sessionMinutes, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(BM_TrayFocusSession)->ArgName("everySize")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) { return runBenchmarks<QApplication>(argc, argv); }
