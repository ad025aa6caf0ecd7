// One keystroke in the stroke box with a spring chosen runs the whole nested
// chain: number check, compressed length, the twelve loads, the judgement,
// the deflection table. It must feel instant.
#include "bench/bench_support.h"

#include <benchmark/benchmark.h>

using namespace tolvane;
using namespace tolvane::bench;

namespace {

// Times one keystroke in the stroke box after `prepare` has typed the rest
// of the die's data into a model with a spring chosen.
void timeStrokeKeystroke(benchmark::State& state, void (*prepare)(CalcModel&))
{
    StartedModel started;
    CalcModel& model = started.model;
    prepare(model);
    const QString strokes[] = {QStringLiteral("10"), QStringLiteral("10.5")};
    int i = 0;
    for (auto _ : state) {
        model.userTyped(field::Stroke, strokes[i]);
        i ^= 1;
    }
    const QString& deflection = model.form().text(field::TotalDeflectionDisplay);
    if (deflection != QStringLiteral("13.5") && deflection != QStringLiteral("13"))
        state.SkipWithError("the chain did not compute");
}

void BM_KeystrokeInStroke(benchmark::State& state) { timeStrokeKeystroke(state, typeDieData); }
BENCHMARK(BM_KeystrokeInStroke);

// The same keystroke in mode "part", where the pressure-only loads follow.
void BM_KeystrokeInStrokePressureOnly(benchmark::State& state) { timeStrokeKeystroke(state, typePressureOnlyData); }
BENCHMARK(BM_KeystrokeInStrokePressureOnly);

}  // namespace

BENCHMARK_MAIN();
