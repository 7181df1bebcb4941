// Speed of making a QR code: the largest payload (2,000 bytes), from text to PNG.
#include "platform/BrimQR.h"

#include <benchmark/benchmark.h>

static void GenerateLargestCode(benchmark::State &state)
{
    // Mixed one-, two- and three-byte characters, 2,000 bytes in all.
    QString text;
    while (text.toUtf8().size() + 6 <= 2000)
        text += QStringLiteral("aé€b");
    text += QString(2000 - text.toUtf8().size(), u'z');
    for (auto _ : state)
        benchmark::DoNotOptimize(BrimQR::png(text).value());
}
BENCHMARK(GenerateLargestCode)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
