// Every click on a series or a size queries the catalogue again, file opened
// and closed each time: that round trip must stay far below what a user can
// notice; so must the first series click of a run, which opens both files.
// Runs on the catalogue the build lays into build/app (or the folder named
// by TOLVANE_APP_DIR).
#include "bench/bench_support.h"
#include "bench/fresh_process.h"
#include "catalogue/catalogue.h"
#include "services/folders.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

using namespace tolvane;
using namespace tolvane::bench;

namespace {

const QString kConnect = QStringLiteral(";DATABASE=ZEKA.mdb;pwd=Rm4tQx82pLw");

// The series with the most sizes.
QString largestSeries(const QString& db)
{
    QString best;
    qsizetype most = -1;
    for (const char* code : {"SWB", "SWC", "SWF", "SWG", "SWH", "SWL", "SWM", "SWR", "SWS", "SWU", "SWV",
                             "SWX", "SWY", "SWZ", "WB",  "WF",  "WH",  "WL",  "WM",  "WR",  "WT",  "WY"}) {
        const qsizetype n = runCatalogueQuery(db, kConnect, QStringLiteral("SELECT * FROM [%1];").arg(QLatin1String(code)))
                                .rows.size();
        if (n > most) {
            most = n;
            best = QLatin1String(code);
        }
    }
    return best;
}

void BM_SeriesQuery(benchmark::State& state)
{
    const QString db = builtProgramFolder() + QStringLiteral("/ZEKA.mdb");
    const QString code = largestSeries(db);
    const QString sql = QStringLiteral("SELECT * FROM [") + code + QStringLiteral("];");
    qsizetype rows = 0;
    for (auto _ : state) {
        const CatalogueRecordset rs = runCatalogueQuery(db, kConnect, sql);
        rows = rs.rows.size();
        benchmark::DoNotOptimize(rs.rows.data());
    }
    state.SetLabel(code.toStdString() + ", " + std::to_string(rows) + " sizes");
}
BENCHMARK(BM_SeriesQuery)->Unit(benchmark::kMicrosecond);

void BM_DiameterListQuery(benchmark::State& state)
{
    const QString db = builtProgramFolder() + QStringLiteral("/ZEKA_D.mdb");
    const QString code = largestSeries(builtProgramFolder() + QStringLiteral("/ZEKA.mdb"));
    const QString sql = QStringLiteral("SELECT * FROM [") + code + QStringLiteral("];");
    for (auto _ : state) {
        const CatalogueRecordset rs = runCatalogueQuery(db, QStringLiteral("Access 2000;"), sql);
        benchmark::DoNotOptimize(rs.rows.data());
    }
    state.SetLabel(code.toStdString());
}
BENCHMARK(BM_DiameterListQuery)->Unit(benchmark::kMicrosecond);

void BM_SizeQuery(benchmark::State& state)
{
    const QString db = builtProgramFolder() + QStringLiteral("/ZEKA.mdb");
    const QString code = largestSeries(db);
    // The last size of the table: the scan has to walk all of it.
    const CatalogueRecordset all = runCatalogueQuery(db, kConnect, QStringLiteral("SELECT * FROM [") + code +
                                                                        QStringLiteral("];"));
    const QString no = all.field(static_cast<int>(all.rows.size()) - 1, u"NO");
    const QString sql = QStringLiteral("SELECT * FROM [") + code + QStringLiteral("] WHERE [no] = '") + no +
                        QStringLiteral("';");
    for (auto _ : state) {
        const CatalogueRecordset rs = runCatalogueQuery(db, kConnect, sql);
        if (rs.rows.size() != 1)
            state.SkipWithError("size not found");
        benchmark::DoNotOptimize(rs.rows.data());
    }
    state.SetLabel(no.toStdString());
}
BENCHMARK(BM_SizeQuery)->Unit(benchmark::kMicrosecond);

void BM_DatabaseVersion(benchmark::State& state)
{
    const QString db = builtProgramFolder() + QStringLiteral("/ZEKA.mdb");
    for (auto _ : state)
        benchmark::DoNotOptimize(readDatabaseVersion(db));
}
BENCHMARK(BM_DatabaseVersion)->Unit(benchmark::kMicrosecond);

constexpr const char* kFirstClickFlag = "--first-click";

// Run in a fresh copy of this program with the cache folder and a series
// code: the first series click of a run, the series' sizes and its
// diameter list, each file opened for the first time; the nanoseconds it
// took, and of the processor's time, on standard output. Under callgrind,
// --toggle-collect='tolvane::runCatalogueQuery*' counts the click alone.
int timeFirstClick(const char* cache, const char* code)
{
    setCacheFolder(QFile::decodeName(cache));
    setDocumentsFolder(QFile::decodeName(cache));
    const QString folder = builtProgramFolder();
    const QString sql = QStringLiteral("SELECT * FROM [") + QLatin1String(code) + QStringLiteral("];");
    timespec cpuStart{};
    timespec cpuEnd{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuStart);
    const auto start = std::chrono::steady_clock::now();
    const CatalogueRecordset sizes = runCatalogueQuery(folder + QStringLiteral("/ZEKA.mdb"), kConnect, sql);
    const CatalogueRecordset diameters =
        runCatalogueQuery(folder + QStringLiteral("/ZEKA_D.mdb"), QStringLiteral("Access 2000;"), sql);
    const auto end = std::chrono::steady_clock::now();
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuEnd);
    if (sizes.rows.isEmpty() || diameters.rows.isEmpty())
        return 1;
    const long long cpu = (cpuEnd.tv_sec - cpuStart.tv_sec) * 1000000000LL + (cpuEnd.tv_nsec - cpuStart.tv_nsec);
    std::printf("%lld %lld\n", static_cast<long long>(std::chrono::nanoseconds(end - start).count()), cpu);
    return 0;
}

struct ClickTimes {
    long long wall = -1;
    long long cpu = -1;
};

// The first click of a fresh copy of this program, or -1.
ClickTimes firstClickOfAFreshCopy(const std::string& cache, const std::string& code)
{
    ClickTimes times;
    if (std::sscanf(outputOfFreshCopy({kFirstClickFlag, cache, code}).c_str(), "%lld %lld", &times.wall, &times.cpu) != 2)
        return {};
    return times;
}

// Each repetition starts this program afresh, so nothing an earlier click
// of the same process learnt can hide the first one; the runs share one
// cache folder, as a user's runs do (one run before the timed ones). The
// time is the click's on the clock; cpu_us its processor time.
void BM_FirstSeriesClickOfARun(benchmark::State& state)
{
    static const QTemporaryDir cache;
    const std::string folder = QFile::encodeName(cache.path()).toStdString();
    const std::string code = largestSeries(builtProgramFolder() + QStringLiteral("/ZEKA.mdb")).toStdString();
    if (firstClickOfAFreshCopy(folder, code).wall < 0) {
        state.SkipWithError("the fresh process did not report its first click");
        return;
    }
    double cpu = 0;
    for (auto _ : state) {
        const ClickTimes times = firstClickOfAFreshCopy(folder, code);
        if (times.wall < 0) {
            state.SkipWithError("the fresh process did not report its first click");
            return;
        }
        state.SetIterationTime(static_cast<double>(times.wall) * 1e-9);
        cpu += static_cast<double>(times.cpu) * 1e-3;
    }
    state.counters["cpu_us"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
    state.SetLabel(code);
}
BENCHMARK(BM_FirstSeriesClickOfARun)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(41)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], kFirstClickFlag) == 0)
        return timeFirstClick(argv[2], argv[3]);
    return runBenchmarks(argc, argv);
}
