// The number reading and formatting that every file reader and display runs per value.
#include "core/number_format.h"
#include "core/utilities.h"

#include <benchmark/benchmark.h>

static void BM_StrToDbl(benchmark::State& state)
{
    const QString texts[] = {"12,5", "-0.00125", "1.5E3", "150.000", "3,5-"};
    double sum = 0;
    for (auto _ : state)
        for (const QString& t : texts)
            sum += sarvo::StrToDbl(t);
    benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_StrToDbl);

static void BM_FormatNumber(benchmark::State& state)
{
    const QLocale c = QLocale::c();
    for (auto _ : state)
        benchmark::DoNotOptimize(sarvo::FormatNumber(0.0123456, "####0.####0", c));
}
BENCHMARK(BM_FormatNumber);
