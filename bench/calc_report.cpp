// The report command and the check before a drawing run on every click: the
// check must cost little beside building the drawing, and the report must
// feel instant.
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

void typeAllValues(CalcModel& model)
{
    chooseSpring(model.form());
    model.userClickedOption(field::UseCount100);
    model.userTyped(field::PlateThickness, QStringLiteral("2"));
    model.userTyped(field::ProcessingLength, QStringLiteral("100"));
    model.userTyped(field::Bite, QStringLiteral("1"));
    model.userTyped(field::SpringCount, QStringLiteral("4"));
    model.userTyped(field::InitialCompression, QStringLiteral("3"));
    model.userTyped(field::Stroke, QStringLiteral("10"));
}

void typePressureOnlyValues(CalcModel& model)
{
    model.userClickedOption(field::ModePart);
    chooseSpring(model.form());
    model.userClickedOption(field::UseCount100);
    model.userTyped(field::SpringCount, QStringLiteral("4"));
    model.userTyped(field::StartBeforeBottom, QStringLiteral("3"));
    model.userTyped(field::InitialCompression, QStringLiteral("3"));
    model.userTyped(field::Stroke, QStringLiteral("10"));
}

// Runs `step` on a model with a spring chosen and the values `prepare` typed.
template <typename Prepare, typename Step>
void timeOnModel(benchmark::State& state, Prepare prepare, Step step)
{
    QTemporaryDir dir;
    setProgramFolder(dir.path());
    setDocumentsFolder(dir.path());
    QuietUi ui;
    QuietScreen screen;
    CalcModel model(ui, screen);
    model.startUp();
    prepare(model);
    for (auto _ : state)
        step(model);
    setProgramFolder({});
    setDocumentsFolder({});
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
