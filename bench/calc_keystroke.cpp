// One keystroke in the stroke box with a spring chosen runs the whole nested
// chain: number check, compressed length, the twelve loads, the judgement,
// the deflection table. It must feel instant.
#include "bench/bench_support.h"
#include "calc/calcmodel.h"
#include "services/folders.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace tolvane;
using namespace tolvane::bench;

namespace {

void chooseSpring(Form& f)
{
    f.setText(field::SpringNo, QStringLiteral("SWB20-100"));
    f.setText(field::FreeLength, QStringLiteral("100"));
    f.setText(field::RateN, QStringLiteral("174"));
    f.setText(field::RateKgf, QStringLiteral("17.7"));
    f.setText(field::AllowedDeflection100, QStringLiteral("16"));
    f.setText(field::AllowedDeflection50, QStringLiteral("18"));
    f.setText(field::AllowedDeflection30, QStringLiteral("20"));
}

// Times one keystroke in the stroke box after `prepare` has typed the rest
// of the die's data into a model with a spring chosen.
template <typename Prepare>
void timeStrokeKeystroke(benchmark::State& state, Prepare prepare)
{
    QTemporaryDir dir;
    setProgramFolder(dir.path());
    setDocumentsFolder(dir.path());
    QuietUi ui;
    QuietScreen screen;
    CalcModel model(ui, screen);
    model.startUp();
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
    setProgramFolder({});
    setDocumentsFolder({});
}

void BM_KeystrokeInStroke(benchmark::State& state)
{
    timeStrokeKeystroke(state, [](CalcModel& model) {
        chooseSpring(model.form());
        model.userClickedOption(field::UseCount100);
        model.userTyped(field::PlateThickness, QStringLiteral("2"));
        model.userTyped(field::ProcessingLength, QStringLiteral("100"));
        model.userTyped(field::Bite, QStringLiteral("1"));
        model.userTyped(field::SpringCount, QStringLiteral("4"));
        model.userTyped(field::InitialCompression, QStringLiteral("3"));
    });
}
BENCHMARK(BM_KeystrokeInStroke);

// The same keystroke in mode "part", where the pressure-only loads follow.
void BM_KeystrokeInStrokePressureOnly(benchmark::State& state)
{
    timeStrokeKeystroke(state, [](CalcModel& model) {
        model.userClickedOption(field::ModePart);
        chooseSpring(model.form());
        model.userClickedOption(field::UseCount100);
        model.userTyped(field::SpringCount, QStringLiteral("4"));
        model.userTyped(field::StartBeforeBottom, QStringLiteral("3"));
        model.userTyped(field::InitialCompression, QStringLiteral("3"));
    });
}
BENCHMARK(BM_KeystrokeInStrokePressureOnly);

}  // namespace

BENCHMARK_MAIN();
