// The number texts run on every keystroke, many times over: they must cost
// next to nothing.
#include "services/numtext.h"

#include <benchmark/benchmark.h>

using namespace tolvane;

static void BM_Rud(benchmark::State& state)
{
    float x = 28.525f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(rud(x, -2));
        x += 0.001f;
    }
}
BENCHMARK(BM_Rud);

static void BM_RoundedLoadText(benchmark::State& state)
{
    // What one rounded load costs: strict read, single, Rud, single text.
    const QString text = QStringLiteral("1040.12345");
    for (auto _ : state)
        benchmark::DoNotOptimize(sngText(rud(csng(text), -2)));
}
BENCHMARK(BM_RoundedLoadText);

static void BM_DoubleText(benchmark::State& state)
{
    double v = 0.1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(dblText(v * 3.0));
        v += 1e-9;
    }
}
BENCHMARK(BM_DoubleText);

static void BM_LenientReading(benchmark::State& state)
{
    const QString text = QStringLiteral("123.456kgf");
    for (auto _ : state)
        benchmark::DoNotOptimize(valText(text));
}
BENCHMARK(BM_LenientReading);

static void BM_StrictReading(benchmark::State& state)
{
    const QString text = QStringLiteral("123.456");
    for (auto _ : state)
        benchmark::DoNotOptimize(cdbl(text));
}
BENCHMARK(BM_StrictReading);

BENCHMARK_MAIN();
