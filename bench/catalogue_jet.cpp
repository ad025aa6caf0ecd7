// A maker's Jet catalogue, or any SQLite file but the sample, is read
// through an SQLite copy: a series or size lookup on a file whose copy is
// current must cost about what it costs on the sample (within 1.2 times),
// and making the copy (once per change of the file) must stay well under a
// second and within the reader's memory limit. Uses the built reader, the
// sample catalogue written as an Access file by the build, the sample as an
// SQLite file that is not the sample (one byte of its header changed), and
// the largest Jet test file.
#include "bench/bench_support.h"
#include "catalogue/catalogue.h"
#include "catalogue/copies.h"
#include "catalogue/readerprocess.h"
#include "services/folders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace tolvane;
using namespace tolvane::bench;

namespace {

const QString kConnect = QStringLiteral(";DATABASE=ZEKA.mdb;pwd=Rm4tQx82pLw");
const QString kJetCatalogue = QStringLiteral(TOLVANE_JET_CATALOGUE "/ZEKA.mdb");

// A private cache and the built reader for the whole run, and the sample
// made into a file of the same size that is not the sample: its header's
// user version set.
// TOLVANE_BENCH_CACHE names a cache folder kept between runs instead: a run
// under valgrind, which cannot start the reader, then reads the copies a
// run without it made there.
struct JetSetup {
    JetSetup()
    {
        const QString kept = qEnvironmentVariable("TOLVANE_BENCH_CACHE");
        folder = kept.isEmpty() ? cache.path() : kept;
        setCacheFolder(folder);
        setCatalogueReader(builtProgramFolder() + QStringLiteral("/tolvane-catalogue"));
        QFile sample(builtProgramFolder() + QStringLiteral("/ZEKA.mdb"));
        QFile other(otherSqlite());
        if (sample.open(QIODevice::ReadOnly) && other.open(QIODevice::WriteOnly)) {
            QByteArray bytes = sample.readAll();
            bytes[63] = static_cast<char>(bytes[63] ^ 1);
            other.write(bytes);
        }
    }
    QString otherSqlite() const { return cache.path() + QStringLiteral("/ZEKA.mdb"); }
    QTemporaryDir cache;
    QString folder;  // the cache folder used
};

JetSetup& jetSetup()
{
    static JetSetup setup;
    return setup;
}

// A query on SWB again and again: form 1 (every size, as a series click
// asks) or form 3 for the last size (the row a lookup reaches last). On the
// Jet file: the file's one stat, then the query on the copy (made by the
// first query here, outside the timing).
void lookUpSwb(benchmark::State& state, const QString& db, bool lastSizeOnly)
{
    const CatalogueRecordset all = runCatalogueQuery(db, kConnect, QStringLiteral("SELECT * FROM [SWB];"));
    const QString sql = !lastSizeOnly ? QStringLiteral("SELECT * FROM [SWB];")
                                      : QStringLiteral("SELECT * FROM [SWB] WHERE [no] = '") +
                                            all.field(static_cast<int>(all.rows.size()) - 1, u"NO") + QStringLiteral("';");
    for (auto _ : state) {
        const CatalogueRecordset rs = runCatalogueQuery(db, kConnect, sql);
        if (rs.rows.size() != (lastSizeOnly ? 1 : all.rows.size()))
            state.SkipWithError("sizes not found");
        benchmark::DoNotOptimize(rs.rows.data());
    }
    state.SetLabel(std::to_string(all.rows.size()) + " sizes");
}

void BM_JetSwbSeriesLookup(benchmark::State& state)
{
    jetSetup();
    lookUpSwb(state, kJetCatalogue, false);
}
BENCHMARK(BM_JetSwbSeriesLookup)->Unit(benchmark::kMicrosecond);

void BM_SampleSwbSeriesLookup(benchmark::State& state)
{
    lookUpSwb(state, builtProgramFolder() + QStringLiteral("/ZEKA.mdb"), false);
}
BENCHMARK(BM_SampleSwbSeriesLookup)->Unit(benchmark::kMicrosecond);

void BM_JetSwbSizeLookup(benchmark::State& state)
{
    jetSetup();
    lookUpSwb(state, kJetCatalogue, true);
}
BENCHMARK(BM_JetSwbSizeLookup)->Unit(benchmark::kMicrosecond);

void BM_SampleSwbSizeLookup(benchmark::State& state)
{
    lookUpSwb(state, builtProgramFolder() + QStringLiteral("/ZEKA.mdb"), true);
}
BENCHMARK(BM_SampleSwbSizeLookup)->Unit(benchmark::kMicrosecond);

// The first query after the program starts, on a file whose copy is
// current: the copy opened (its schema read and checked) before the series
// is read.
void BM_JetFirstSeriesLookupOnItsCopy(benchmark::State& state)
{
    jetSetup();
    const QString sql = QStringLiteral("SELECT * FROM [SWB];");
    const qsizetype sizes = runCatalogueQuery(kJetCatalogue, kConnect, sql).rows.size();
    for (auto _ : state) {
        closeCatalogues();
        const CatalogueRecordset rs = runCatalogueQuery(kJetCatalogue, kConnect, sql);
        if (rs.rows.size() != sizes)
            state.SkipWithError("sizes not found");
        benchmark::DoNotOptimize(rs.rows.data());
    }
    state.SetLabel(std::to_string(sizes) + " sizes");
}
BENCHMARK(BM_JetFirstSeriesLookupOnItsCopy)->Unit(benchmark::kMicrosecond);

// The reader process turning a whole file into its copy: what the first
// query after a change of the file waits for. The catalogue gives the cost
// per row, as a Jet file and as an SQLite file; the largest Jet test file
// (few rows, 3 MB) the cost of the process itself, and the most memory the
// reader held (peak_MiB).
void BM_ReaderConverts(benchmark::State& state, QString file)
{
    jetSetup();
    if (file.isEmpty())
        file = jetSetup().otherSqlite();
    qsizetype rows = 0;
    const QStringList tables = catalogueTables(file);
    for (const QString& t : tables)
        rows += runCatalogueQuery(file, kConnect, QStringLiteral("SELECT * FROM [%1];").arg(t)).rows.size();
    for (auto _ : state) {
        state.PauseTiming();
        QDir(jetSetup().folder + QStringLiteral("/catalogue")).removeRecursively();
        closeCatalogues();
        state.ResumeTiming();
        benchmark::DoNotOptimize(catalogueTables(file));
    }
    state.counters["peak_MiB"] = static_cast<double>(catalogue::lastReaderRun().peakKiB) / 1024.0;
    state.counters["tables"] = static_cast<double>(tables.size());
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["per_row"] = benchmark::Counter(static_cast<double>(std::max<qsizetype>(rows, 1)),
                                                   benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}
BENCHMARK_CAPTURE(BM_ReaderConverts, catalogue, kJetCatalogue)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_ReaderConverts, sqlite_catalogue, QString())->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_ReaderConverts, fixture, QStringLiteral(TOLVANE_JET_FIXTURES "/V2000_test.mdb"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A reader that hangs is stopped at its deadline (here 100 ms): how long
// past it the query ends, the wait being woken by the deadline itself.
void BM_HungReaderStoppedAtItsDeadline(benchmark::State& state)
{
    jetSetup();
    const QString script = jetSetup().cache.path() + QStringLiteral("/hung-reader");
    QFile f(script);
    if (!f.open(QIODevice::WriteOnly) || f.write("#!/bin/sh\nexec sleep 60\n") < 0)
        state.SkipWithError("no reader written");
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    for (auto _ : state) {
        state.PauseTiming();
        QDir(jetSetup().folder + QStringLiteral("/catalogue")).removeRecursively();
        closeCatalogues();
        setCatalogueReader(script, 100);  // forgets the last failure
        state.ResumeTiming();
        try {
            catalogueTables(kJetCatalogue);
            state.SkipWithError("the hung reader made a copy");
        } catch (const VbError&) {
        }
    }
    setCatalogueReader(builtProgramFolder() + QStringLiteral("/tolvane-catalogue"));
}
BENCHMARK(BM_HungReaderStoppedAtItsDeadline)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
