// Building and encoding the largest drawing (all values, three report lines)
// must feel instant, the first one in a process included: nothing may be
// parsed or loaded on first use.
#include "bench/fresh_process.h"
#include "diagram/springdiagram.h"

#include "services/cp932.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

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
    in.ModeAll = true;
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

QString drawingName() { return QStringLiteral("スプリング線図 プレス 1"); }

void BM_BuildThreeLineDrawing(benchmark::State& state)
{
    const tolvane::DiagramInputs in = threeLineInputs();
    const QString name = drawingName();
    for (auto _ : state)
        benchmark::DoNotOptimize(tolvane::buildSpringDiagram(in, name));
}
BENCHMARK(BM_BuildThreeLineDrawing)->Unit(benchmark::kMicrosecond);

void BM_EncodeThreeLineDrawing(benchmark::State& state)
{
    const QString text = tolvane::buildSpringDiagram(threeLineInputs(), drawingName());
    for (auto _ : state) {
        const QByteArray bytes = tolvane::encodeCp932(text);
        benchmark::DoNotOptimize(bytes.constData());
    }
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_EncodeThreeLineDrawing)->Unit(benchmark::kMicrosecond);

void BM_BuildAndEncodeThreeLineDrawing(benchmark::State& state)
{
    const tolvane::DiagramInputs in = threeLineInputs();
    const QString name = drawingName();
    for (auto _ : state) {
        const QByteArray bytes = tolvane::encodeSpringDiagram(in, name);
        benchmark::DoNotOptimize(bytes.constData());
    }
}
BENCHMARK(BM_BuildAndEncodeThreeLineDrawing)->Unit(benchmark::kMicrosecond);

constexpr const char* kFirstDrawingFlag = "--first-drawing";
constexpr const char* kDrawingFlag = "--drawing";

// Run in a fresh copy of this program: the first drawing of the process,
// build and encoding, in nanoseconds on standard output.
int timeFirstDrawing()
{
    const tolvane::DiagramInputs in = threeLineInputs();
    const QString name = drawingName();
    const auto start = std::chrono::steady_clock::now();
    const QByteArray bytes = tolvane::encodeSpringDiagram(in, name);
    const auto end = std::chrono::steady_clock::now();
    if (bytes.isEmpty())
        return 1;
    std::printf("%lld\n", static_cast<long long>(std::chrono::nanoseconds(end - start).count()));
    return 0;
}

// Each repetition starts this program afresh and reads the time its first
// drawing took, so no cache of an earlier drawing can hide the cold path.
void BM_FirstDrawingInAFreshProcess(benchmark::State& state)
{
    for (auto _ : state) {
        long long nanoseconds = -1;
        if (std::sscanf(tolvane::bench::outputOfFreshCopy({kFirstDrawingFlag}).c_str(), "%lld", &nanoseconds) != 1) {
            state.SkipWithError("the fresh process did not report its first drawing");
            return;
        }
        state.SetIterationTime(static_cast<double>(nanoseconds) * 1e-9);
    }
}
BENCHMARK(BM_FirstDrawingInAFreshProcess)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(41)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], kFirstDrawingFlag) == 0)
        return timeFirstDrawing();
    // The drawing the benchmarks build, for a comparison with other writers.
    if (argc == 2 && std::strcmp(argv[1], kDrawingFlag) == 0) {
        const QByteArray bytes = tolvane::encodeSpringDiagram(threeLineInputs(), drawingName());
        return std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout)
                       == static_cast<std::size_t>(bytes.size())
                   ? 0
                   : 1;
    }
    return tolvane::bench::runBenchmarks(argc, argv);
}
