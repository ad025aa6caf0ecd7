// A maker's Jet catalogue is read through an SQLite copy: a size lookup on a
// Jet file whose copy is current must cost about what it costs on the
// sample, and making the copy (once per change of the file) must stay well
// under a second. Uses the built reader and the Jet test files.
#include "bench/bench_support.h"
#include "calc/catalogue.h"
#include "services/folders.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

using namespace tolvane;
using namespace tolvane::bench;

namespace {

const QString kConnect = QStringLiteral(";DATABASE=ZEKA.mdb;pwd=Rm4tQx82pLw");

QString jetFixture(const char* name)
{
    return QStringLiteral(TOLVANE_JET_FIXTURES "/") + QString::fromLatin1(name) + QStringLiteral(".mdb");
}

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

void lookup(benchmark::State& state, const QString& db, const QString& sql)
{
    for (auto _ : state) {
        const CatalogueRecordset rs = runCatalogueQuery(db, kConnect, sql);
        if (rs.rows.size() != 1)
            state.SkipWithError("size not found");
        benchmark::DoNotOptimize(rs.rows.data());
    }
}

// Form 3 on a Jet file: the copy's freshness check, then the query on it.
void BM_JetSizeLookup(benchmark::State& state)
{
    jetSetup();
    lookup(state, jetFixture("V2000_no-password"), QStringLiteral("SELECT * FROM [Table1] WHERE [Data] = 'Three';"));
    state.SetLabel("Jet 4 file, 3 rows");
}
BENCHMARK(BM_JetSizeLookup)->Unit(benchmark::kMicrosecond);

// The same rows in an SQLite file as the sample is made.
void BM_SameRowsInSqliteLookup(benchmark::State& state)
{
    const QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("same.mdb"));
    sqlite3* handle = nullptr;
    sqlite3_open(QFile::encodeName(db).constData(), &handle);
    sqlite3_exec(handle, "CREATE TABLE Table1 (ID REAL, Data TEXT COLLATE NOCASE);"
                         "INSERT INTO Table1 VALUES (1, 'One'), (2, 'Two'), (3, 'Three');", nullptr, nullptr, nullptr);
    sqlite3_close(handle);
    lookup(state, db, QStringLiteral("SELECT * FROM [Table1] WHERE [Data] = 'Three';"));
    state.SetLabel("SQLite file, 3 rows");
}
BENCHMARK(BM_SameRowsInSqliteLookup)->Unit(benchmark::kMicrosecond);

// Form 3 on the sample's SWB table, its last size.
void BM_SampleSwbSizeLookup(benchmark::State& state)
{
    const QString db = builtProgramFolder() + QStringLiteral("/ZEKA.mdb");
    const CatalogueRecordset all = runCatalogueQuery(db, kConnect, QStringLiteral("SELECT * FROM [SWB];"));
    const QString no = all.field(static_cast<int>(all.rows.size()) - 1, u"NO");
    lookup(state, db, QStringLiteral("SELECT * FROM [SWB] WHERE [no] = '") + no + QStringLiteral("';"));
    state.SetLabel("sample SWB, " + std::to_string(all.rows.size()) + " sizes");
}
BENCHMARK(BM_SampleSwbSizeLookup)->Unit(benchmark::kMicrosecond);

// The reader process turning a whole fixture into its copy: what the first
// query after a change of the file waits for.
void BM_ReaderConvertsFixture(benchmark::State& state, const char* name)
{
    jetSetup();
    const QString file = jetFixture(name);
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
BENCHMARK_CAPTURE(BM_ReaderConvertsFixture, largest, "V2000_test")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_ReaderConvertsFixture, jet3, "V1997_test")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
