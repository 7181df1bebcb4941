// Saving and loading the alarm file with a full book of 20 alarms. Save
// includes its check of the existing file and both fsyncs.
#include "core/BrimAlarmArchive.h"
#include "core/FileBrimAlarmStore.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QList<BrimAlarm> twentyAlarms()
{
    QList<BrimAlarm> alarms;
    for (int i = 0; i < 20; ++i) {
        BrimAlarm a;
        a.id = QUuid::createUuid();
        a.title = QStringLiteral("Alarm number %1 with a title of ordinary length").arg(i);
        a.date = BrimDate{786000000.0 + i * 3600.123456789};
        a.timeZoneID = QStringLiteral("Europe/Berlin");
        if (i % 3 == 0)
            a.firedAt = BrimDate{786000000.0 + i * 3600.5};
        alarms.append(a);
    }
    return alarms;
}

void BM_AlarmStoreSave(benchmark::State &state)
{
    QTemporaryDir dir;
    FileBrimAlarmStore store(dir.filePath(QStringLiteral("app/alarms.json")));
    const QList<BrimAlarm> alarms = twentyAlarms();
    if (!store.save(alarms).ok())
        state.SkipWithError("save failed");
    for (auto _ : state) {
        auto saved = store.save(alarms);
        benchmark::DoNotOptimize(saved);
    }
}
BENCHMARK(BM_AlarmStoreSave)->Unit(benchmark::kMicrosecond);

void BM_AlarmStoreLoad(benchmark::State &state)
{
    QTemporaryDir dir;
    FileBrimAlarmStore store(dir.filePath(QStringLiteral("app/alarms.json")));
    if (!store.save(twentyAlarms()).ok())
        state.SkipWithError("save failed");
    for (auto _ : state) {
        auto loaded = store.load();
        if (!loaded.ok() || loaded.value().size() != 20)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(loaded);
    }
}
BENCHMARK(BM_AlarmStoreLoad)->Unit(benchmark::kMicrosecond);

// The in-memory halves, to tell file-system cost from JSON cost.
void BM_AlarmArchiveEncode(benchmark::State &state)
{
    const BrimAlarmBook book = BrimAlarmBook::make(twentyAlarms()).value();
    for (auto _ : state)
        benchmark::DoNotOptimize(BrimAlarmArchive::encode(book));
}
BENCHMARK(BM_AlarmArchiveEncode)->Unit(benchmark::kMicrosecond);

void BM_AlarmArchiveDecode(benchmark::State &state)
{
    const QByteArray bytes = BrimAlarmArchive::encode(BrimAlarmBook::make(twentyAlarms()).value());
    for (auto _ : state)
        benchmark::DoNotOptimize(BrimAlarmArchive::decode(bytes));
}
BENCHMARK(BM_AlarmArchiveDecode)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
