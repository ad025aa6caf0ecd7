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
    f.setText(Ctl::Label21, QStringLiteral("SWB20-100"));
    f.setText(Ctl::Label24, QStringLiteral("100"));
    f.setText(Ctl::Label26, QStringLiteral("174"));
    f.setText(Ctl::Label27, QStringLiteral("17.7"));
    f.setText(Ctl::Label28, QStringLiteral("16"));
    f.setText(Ctl::Label29, QStringLiteral("18"));
    f.setText(Ctl::Label30, QStringLiteral("20"));
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
        model.userTyped(Ctl::Text3, strokes[i]);
        i ^= 1;
    }
    if (model.form().text(Ctl::Label51) != QStringLiteral("13.5") && model.form().text(Ctl::Label51) != QStringLiteral("13"))
        state.SkipWithError("the chain did not compute");
    setProgramFolder({});
    setDocumentsFolder({});
}

void BM_KeystrokeInStroke(benchmark::State& state)
{
    timeStrokeKeystroke(state, [](CalcModel& model) {
        chooseSpring(model.form());
        model.userClickedOption(Ctl::Option13);
        model.userTyped(Ctl::Text2, QStringLiteral("2"));
        model.userTyped(Ctl::Text4, QStringLiteral("100"));
        model.userTyped(Ctl::Text11, QStringLiteral("1"));
        model.userTyped(Ctl::Text10, QStringLiteral("4"));
        model.userTyped(Ctl::Text9, QStringLiteral("3"));
    });
}
BENCHMARK(BM_KeystrokeInStroke);

// The same keystroke in mode "part", where the pressure-only loads follow.
void BM_KeystrokeInStrokePressureOnly(benchmark::State& state)
{
    timeStrokeKeystroke(state, [](CalcModel& model) {
        model.userClickedOption(Ctl::Option2);
        chooseSpring(model.form());
        model.userClickedOption(Ctl::Option13);
        model.userTyped(Ctl::Text10, QStringLiteral("4"));
        model.userTyped(Ctl::Text12, QStringLiteral("3"));
        model.userTyped(Ctl::Text9, QStringLiteral("3"));
    });
}
BENCHMARK(BM_KeystrokeInStrokePressureOnly);

}  // namespace

BENCHMARK_MAIN();
