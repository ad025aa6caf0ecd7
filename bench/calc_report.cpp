// The report command and the check before a drawing run on every click: the
// check must cost little beside building the drawing, and the report must
// feel instant.
#include "bench/bench_support.h"

#include <benchmark/benchmark.h>

using namespace tolvane;
using namespace tolvane::bench;

namespace {

// The values of the stroke keystroke's model, the stroke typed too.
void typeAllValues(CalcModel& model)
{
    typeDieData(model);
    model.userTyped(field::Stroke, QStringLiteral("10"));
}

void typePressureOnlyValues(CalcModel& model)
{
    typePressureOnlyData(model);
    model.userTyped(field::Stroke, QStringLiteral("10"));
}

// The values `prepare` types with a spring count above 1E+12, so the check
// works every value out in full rather than bounding them.
template <void (*prepare)(CalcModel&)>
void withLargeCount(CalcModel& model)
{
    prepare(model);
    model.userTyped(field::SpringCount, QStringLiteral("2000000000000"));
}

// Runs `step` on a model with a spring chosen and the values `prepare` typed.
template <typename Step>
void timeOnModel(benchmark::State& state, void (*prepare)(CalcModel&), Step step)
{
    StartedModel started;
    prepare(started.model);
    for (auto _ : state)
        step(started.model);
}

void readyToDraw(benchmark::State& state, CalcModel& model)
{
    if (!model.readyToDraw())
        state.SkipWithError("the drawing was refused");
}

void report(benchmark::State& state, CalcModel& model)
{
    model.imgDisplayTxt_Click();
    if (!model.form().text(field::ReportText).endsWith(QStringLiteral(" )")))
        state.SkipWithError("the report was not made");
}

void BM_ReadyToDraw(benchmark::State& state)
{
    timeOnModel(state, typeAllValues, [&](CalcModel& m) { readyToDraw(state, m); });
}
BENCHMARK(BM_ReadyToDraw);

void BM_ReadyToDrawPressureOnly(benchmark::State& state)
{
    timeOnModel(state, typePressureOnlyValues, [&](CalcModel& m) { readyToDraw(state, m); });
}
BENCHMARK(BM_ReadyToDrawPressureOnly);

void BM_ReadyToDrawLargeCount(benchmark::State& state, void (*prepare)(CalcModel&))
{
    timeOnModel(state, prepare, [&](CalcModel& m) { readyToDraw(state, m); });
}
BENCHMARK_CAPTURE(BM_ReadyToDrawLargeCount, AllValues, withLargeCount<typeAllValues>);
BENCHMARK_CAPTURE(BM_ReadyToDrawLargeCount, PressureOnly, withLargeCount<typePressureOnlyValues>);

void BM_ReportCommand(benchmark::State& state)
{
    timeOnModel(state, typeAllValues, [&](CalcModel& m) { report(state, m); });
}
BENCHMARK(BM_ReportCommand)->Unit(benchmark::kMicrosecond);

void BM_ReportCommandPressureOnly(benchmark::State& state)
{
    timeOnModel(state, typePressureOnlyValues, [&](CalcModel& m) { report(state, m); });
}
BENCHMARK(BM_ReportCommandPressureOnly)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
