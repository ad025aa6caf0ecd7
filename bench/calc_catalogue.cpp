// The catalogue lookups on the largest series of the shipped catalogue: a
// series click's DataSearch and the choice of a size (List1_Click with the
// recalculation that follows it). Each must stay well under a millisecond.
#include "bench/bench_support.h"
#include "calc/calcmodel.h"
#include "catalogue/catalogue.h"
#include "services/folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace tolvane;
using namespace tolvane::bench;

namespace {

const char* const kCodes[] = {"SWB", "SWC", "SWF", "SWG", "SWH", "SWL", "SWM", "SWR", "SWS", "SWU", "SWV",
                              "SWX", "SWY", "SWZ", "WB",  "WF",  "WH",  "WL",  "WM",  "WR",  "WT",  "WY"};

QString gProgramFolder;
QString gSeries;

// The series with the most sizes in the shipped catalogue.
QString largestSeries(const QString& db)
{
    QString best;
    qsizetype rows = -1;
    for (const char* code : kCodes) {
        const QString c = QString::fromLatin1(code);
        const auto rs = runCatalogueQuery(db, QString::fromUtf16(kSpringDbConnect),
                                          QStringLiteral("SELECT * FROM [") + c + QStringLiteral("];"));
        if (rs.rows.size() > rows) {
            rows = rs.rows.size();
            best = c;
        }
    }
    std::printf("largest series: %s (%lld sizes)\n", qPrintable(best), static_cast<long long>(rows));
    return best;
}

struct Model {
    QTemporaryDir documents;
    QuietUi ui;
    QuietScreen screen;
    CalcModel model{ui, screen};
    Model()
    {
        setProgramFolder(gProgramFolder);
        setDocumentsFolder(documents.path());
        model.startUp();
        model.SeriesCode = gSeries;
        model.SeriesQuery = QStringLiteral("SELECT * FROM [") + gSeries + QStringLiteral("];");
        model.userClickedOption(field::UseCount100);
    }
};

void BM_DataSearch(benchmark::State& state)
{
    Model m;
    const QString query = m.model.SeriesQuery;
    for (auto _ : state) {
        m.model.SeriesQuery = query;
        m.model.DataSearch();
    }
    if (m.model.form()[field::SizeList].items.isEmpty())
        state.SkipWithError("no sizes listed");
}
BENCHMARK(BM_DataSearch)->Unit(benchmark::kMicrosecond);

// For comparison: the two queries alone, without the lists.
void BM_SeriesQueriesOnly(benchmark::State& state)
{
    const QString query = QStringLiteral("SELECT * FROM [") + gSeries + QStringLiteral("];");
    for (auto _ : state) {
        benchmark::DoNotOptimize(runCatalogueQuery(gProgramFolder + QStringLiteral("/ZEKA.mdb"),
                                                   QString::fromUtf16(kSpringDbConnect), query));
        benchmark::DoNotOptimize(runCatalogueQuery(gProgramFolder + QStringLiteral("/ZEKA_D.mdb"),
                                                   QString::fromUtf16(kDiameterDbConnect), query));
    }
}
BENCHMARK(BM_SeriesQueriesOnly)->Unit(benchmark::kMicrosecond);

void BM_List1_Click(benchmark::State& state)
{
    Model m;
    m.model.DataSearch();
    const int count = static_cast<int>(m.model.form()[field::SizeList].items.size());
    if (count == 0) {
        state.SkipWithError("no sizes listed");
        return;
    }
    int i = count / 2;
    for (auto _ : state) {
        m.model.userClickedList(field::SizeList, i);
        i = i + 1 < count ? i + 1 : count / 2;
    }
    if (m.model.form().text(field::SpringNo).isEmpty())
        state.SkipWithError("no size chosen");
}
BENCHMARK(BM_List1_Click)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The shipped catalogue lies in the program folder of the build.
    gProgramFolder = QDir(builtProgramFolder()).absolutePath();
    const QString db = gProgramFolder + QStringLiteral("/ZEKA.mdb");
    if (!QFileInfo(db).size()) {
        std::fprintf(stderr, "no shipped catalogue at %s\n", qPrintable(db));
        return 1;
    }
    gSeries = largestSeries(db);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
