// A maker's Jet catalogue is read through an SQLite copy: a size lookup on a
// Jet file whose copy is current must cost about what it costs on the
// sample, and making the copy (once per change of the file) must stay well
// under a second. Uses the built reader, the sample catalogue written as an
// Access file by the build, and one Jet test file.
#include "bench/bench_support.h"
#include "catalogue/catalogue.h"
#include "services/folders.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace tolvane;
using namespace tolvane::bench;

namespace {

const QString kConnect = QStringLiteral(";DATABASE=ZEKA.mdb;pwd=Rm4tQx82pLw");
const QString kJetCatalogue = QStringLiteral(TOLVANE_JET_CATALOGUE "/ZEKA.mdb");

// A private cache and the built reader for the whole run.
struct JetSetup {
    JetSetup()
    {
        setCacheFolder(cache.path());
        setJetReader(builtProgramFolder() + QStringLiteral("/tolvane-catalogue"));
    }
    QTemporaryDir cache;
};

JetSetup& jetSetup()
{
    static JetSetup setup;
    return setup;
}

// Form 3 for the last size of SWB: the row a lookup reaches last.
void lookUpLastSwbSize(benchmark::State& state, const QString& db)
{
    const CatalogueRecordset all = runCatalogueQuery(db, kConnect, QStringLiteral("SELECT * FROM [SWB];"));
    const QString sql = QStringLiteral("SELECT * FROM [SWB] WHERE [no] = '") +
                        all.field(static_cast<int>(all.rows.size()) - 1, u"NO") + QStringLiteral("';");
    for (auto _ : state) {
        const CatalogueRecordset rs = runCatalogueQuery(db, kConnect, sql);
        if (rs.rows.size() != 1)
            state.SkipWithError("size not found");
        benchmark::DoNotOptimize(rs.rows.data());
    }
    state.SetLabel(std::to_string(all.rows.size()) + " sizes");
}

// On the Jet file: the copy's freshness check, then the query on the copy
// (made by the first query above, outside the timing).
void BM_JetSwbSizeLookup(benchmark::State& state)
{
    jetSetup();
    lookUpLastSwbSize(state, kJetCatalogue);
}
BENCHMARK(BM_JetSwbSizeLookup)->Unit(benchmark::kMicrosecond);

void BM_SampleSwbSizeLookup(benchmark::State& state)
{
    lookUpLastSwbSize(state, builtProgramFolder() + QStringLiteral("/ZEKA.mdb"));
}
BENCHMARK(BM_SampleSwbSizeLookup)->Unit(benchmark::kMicrosecond);

// The reader process turning a whole file into its copy: what the first
// query after a change of the file waits for. The catalogue gives the cost
// per row; a Jet test file of a few rows the cost of the process itself.
void BM_ReaderConverts(benchmark::State& state, const QString& file)
{
    jetSetup();
    qsizetype rows = 0;
    const QStringList tables = catalogueTables(file);
    for (const QString& t : tables)
        rows += runCatalogueQuery(file, kConnect, QStringLiteral("SELECT * FROM [%1];").arg(t)).rows.size();
    for (auto _ : state) {
        state.PauseTiming();
        QDir(jetSetup().cache.path() + QStringLiteral("/catalogue")).removeRecursively();
        state.ResumeTiming();
        benchmark::DoNotOptimize(catalogueTables(file));
    }
    state.counters["tables"] = static_cast<double>(tables.size());
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["per_row"] = benchmark::Counter(static_cast<double>(std::max<qsizetype>(rows, 1)),
                                                   benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}
BENCHMARK_CAPTURE(BM_ReaderConverts, catalogue, kJetCatalogue)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_ReaderConverts, fixture, QStringLiteral(TOLVANE_JET_FIXTURES "/V2000_test.mdb"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
