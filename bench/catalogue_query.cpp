// Every click on a series or a size queries the catalogue again, file opened
// and closed each time: that round trip must stay far below what a user can
// notice. Runs on the catalogue the build lays into build/app (or the folder
// named by TOLVANE_APP_DIR).
#include "bench/bench_support.h"
#include "catalogue/catalogue.h"

#include <QFile>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

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

}  // namespace

BENCHMARK_MAIN();
