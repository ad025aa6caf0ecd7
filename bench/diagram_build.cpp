// Building and encoding the largest drawing (all values, three report lines)
// must feel instant: the budget is well under a millisecond.
#include "diagram/springdiagram.h"

#include "services/cp932.h"

#include <benchmark/benchmark.h>

namespace {

tolvane::DiagramInputs threeLineInputs()
{
    tolvane::DiagramInputs in;
    in.PlateThickness = QStringLiteral("1.6");
    in.Stroke = QStringLiteral("24");
    in.ProcessingLength = QStringLiteral("120");
    in.StrippingPercent = QStringLiteral("5");
    in.InitialCompression = QStringLiteral("5");
    in.SpringCount = QStringLiteral("2");
    in.Bite = QStringLiteral("2");
    in.Option1 = true;
    in.SpringNo = QStringLiteral("SWL 30-50");
    in.FreeLength = QStringLiteral("50.8");
    in.RateN = QStringLiteral("24.5");
    in.RateKgf = QStringLiteral("2.5");
    in.PressureDisplay = QStringLiteral("6720 kgf");
    in.StrippingForceDisplay = QStringLiteral("336 kgf");
    in.SpringCountDisplay = QStringLiteral("2");
    in.InitialLoadKgf = QStringLiteral("25");
    in.FinalLoadKgf = QStringLiteral("145");
    in.StartLoadKgf = QStringLiteral("127");
    in.InitialLoadN = QStringLiteral("245");
    in.StartLoadN = QStringLiteral("1245.46");
    in.FinalLoadN = QStringLiteral("1421.98");
    in.InitialSpringLoadKgf = QStringLiteral("12.5");
    in.StartSpringLoadKgf = QStringLiteral("63.5");
    in.FinalSpringLoadKgf = QStringLiteral("72.5");
    in.CompressedLength = QStringLiteral("21.8");
    in.InitialSpringLoadN = QStringLiteral("122.5");
    in.StartSpringLoadN = QStringLiteral("622.73");
    in.FinalSpringLoadN = QStringLiteral("710.99");
    in.CompStartText = QStringLiteral("25.4");
    in.CompFinalText = QStringLiteral("29");
    in.PartStartSpringLoadN = QStringLiteral("622.7333");
    in.UseCountText = QStringLiteral("100万回");
    return in;
}

void BM_BuildThreeLineDrawing(benchmark::State& state)
{
    const tolvane::DiagramInputs in = threeLineInputs();
    const QString name = QStringLiteral("スプリング線図 プレス 1");
    for (auto _ : state)
        benchmark::DoNotOptimize(tolvane::buildSpringDiagram(in, name));
}
BENCHMARK(BM_BuildThreeLineDrawing)->Unit(benchmark::kMicrosecond);

void BM_BuildAndEncodeThreeLineDrawing(benchmark::State& state)
{
    const tolvane::DiagramInputs in = threeLineInputs();
    const QString name = QStringLiteral("スプリング線図 プレス 1");
    for (auto _ : state) {
        const QByteArray bytes = tolvane::encodeSpringDiagram(in, name);
        benchmark::DoNotOptimize(bytes.constData());
    }
}
BENCHMARK(BM_BuildAndEncodeThreeLineDrawing)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
