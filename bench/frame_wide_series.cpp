// The most memory the program and its reader hold when the window lists a
// series of a maker's file that is within every cap but wide: 250,000 sizes
// of a number and 120 Yes/No fields each (written by
// tools/make_jet_catalogue.py --wide). Each run is a fresh process of this
// program ("--list-series"): the real window started on a program folder
// holding that file, the SWB button clicked, the Jet copy made by the
// reader on the way. It reports its own peak (program_MiB), the reader's
// (reader_MiB) and their sum (tree_MiB), which bounds the two processes'
// peak together from above, and the most SQLite held in the program
// (sqlite_MiB), which its heap limit bounds; the list must end up with
// every size.
#include "bench/bench_support.h"
#include "frame/mainwindow.h"
#include "services/folders.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QMouseEvent>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sqlite3.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstring>

using namespace tolvane;
using namespace tolvane::bench;

namespace {

constexpr int kSizes = 250000;
constexpr int kYesNoFields = 120;

// The child: start the window on the given folders, click SWB, report.
int listSeries(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setProgramFolder(QFile::decodeName(argv[2]));
    setDocumentsFolder(QFile::decodeName(argv[3]));
    setCacheFolder(QFile::decodeName(argv[4]));
    QuietUi ui;
    FramePorts ports;
    ports.ui = &ui;
    ports.lockFilePath = QFile::decodeName(argv[3]) + QStringLiteral("/tolvane.lock");
    ports.splashWait = false;
    MainWindow window(ports);
    if (window.startUp() != StartResult::Run)
        return 1;
    window.show();
    QApplication::processEvents();
    QWidget* button = window.control(QStringLiteral("imgSWB"));
    const QPointF at(5, 5);
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, at, button->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(button, &e);
    }
    QApplication::processEvents();
    const auto* sizes = qobject_cast<QListWidget*>(window.control(QStringLiteral("List1")));
    rusage self{};
    rusage children{};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    std::printf("%d %ld %ld %lld\n", sizes ? sizes->count() : -1, self.ru_maxrss, children.ru_maxrss,
                static_cast<long long>(sqlite3_memory_highwater(0)));
    return 0;
}

// A program folder like the built one, with the wide file as ZEKA.mdb.
struct WideProgramFolder {
    QTemporaryDir dir;
    QString program = dir.path() + QStringLiteral("/program");
    bool ok = false;
    WideProgramFolder()
    {
        QDir(dir.path()).mkpath(QStringLiteral("program"));
        const QDir built(builtProgramFolder());
        for (const QString& name : built.entryList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
            if (name != QStringLiteral("ZEKA.mdb"))
                QFile::link(built.absoluteFilePath(name), program + QLatin1Char('/') + name);
        }
        ok = QProcess::execute(QStringLiteral("/usr/bin/python3"),
                               {QStringLiteral(TOLVANE_MAKE_JET), QStringLiteral("--wide"),
                                program + QStringLiteral("/ZEKA.mdb"), QStringLiteral("SWB"),
                                QString::number(kSizes), QString::number(kYesNoFields)}) == 0;
    }
};

void BM_WideSeriesListedPeakMemory(benchmark::State& state)
{
    static WideProgramFolder folder;
    if (!folder.ok) {
        state.SkipWithError("the wide file could not be written");
        return;
    }
    long program = 0;
    long reader = 0;
    long long heap = 0;
    for (auto _ : state) {
        // A fresh cache each time, so the reader makes the copy in every run.
        const QTemporaryDir run;
        QDir(run.path()).mkpath(QStringLiteral("Documents"));
        QProcess child;
        child.start(QStringLiteral("/proc/self/exe"), {QStringLiteral("--list-series"), folder.program,
                                                       run.path() + QStringLiteral("/Documents"),
                                                       run.path() + QStringLiteral("/cache")});
        int listed = -1;
        long self = 0;
        long children = 0;
        long long sqlite = 0;
        if (!child.waitForFinished(300000) ||
            std::sscanf(child.readAllStandardOutput().constData(), "%d %ld %ld %lld", &listed, &self, &children, &sqlite) != 4 ||
            listed != kSizes) {
            state.SkipWithError("the series was not listed");
            return;
        }
        program = std::max(program, self);
        reader = std::max(reader, children);
        heap = std::max(heap, sqlite);
    }
    state.counters["program_MiB"] = static_cast<double>(program) / 1024.0;
    state.counters["reader_MiB"] = static_cast<double>(reader) / 1024.0;
    state.counters["tree_MiB"] = static_cast<double>(program + reader) / 1024.0;
    state.counters["sqlite_MiB"] = static_cast<double>(heap) / (1 << 20);
    state.counters["file_MB"] = static_cast<double>(QFileInfo(folder.program + QStringLiteral("/ZEKA.mdb")).size()) / 1e6;
}
BENCHMARK(BM_WideSeriesListedPeakMemory)->Iterations(3)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--list-series") == 0)
        return listSeries(argc, argv);
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
