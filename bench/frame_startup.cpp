// The start-up as the user waits for it, without the splash's paced second
// and without the network: the window built, the skin and pictures applied,
// the single-copy lock taken, the model's defaults and spin controls set and
// the catalogue found. It must feel instant.
#include "bench/bench_support.h"
#include "frame/mainwindow.h"
#include "services/clock.h"
#include "services/folders.h"
#include "services/inifile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <optional>

using namespace tolvane;
using namespace tolvane::bench;

namespace {

// A program folder with the shipped pictures and catalogue, and a private
// documents folder for the settings and the log.
class ProgramSetup {
public:
    ProgramSetup()
    {
        const QString program = dir_.path() + QStringLiteral("/program");
        QDir().mkpath(program + QStringLiteral("/materials"));
        const QDir materials(builtProgramFolder() + QStringLiteral("/materials"));
        for (const QString& f : materials.entryList(QDir::Files))
            QFile::copy(materials.filePath(f), program + QStringLiteral("/materials/") + f);
        for (const char* db : {"/ZEKA.mdb", "/ZEKA_D.mdb"})
            QFile::copy(builtProgramFolder() + QString::fromLatin1(db), program + QString::fromLatin1(db));
        setProgramFolder(program);
        setDocumentsFolder(dir_.path() + QStringLiteral("/Documents"));
        lockPath_ = dir_.path() + QStringLiteral("/tolvane.lock");
    }
    ~ProgramSetup()
    {
        setProgramFolder({});
        setDocumentsFolder({});
    }
    FramePorts ports(UserInterface& ui) const
    {
        FramePorts p;
        p.ui = &ui;
        p.lockFilePath = lockPath_;
        p.splashWait = false;
        return p;
    }

private:
    QTemporaryDir dir_;
    QString lockPath_;
};

void BM_StartUp(benchmark::State& state)
{
    ProgramSetup setup;
    QuietUi ui;
    for (auto _ : state) {
        MainWindow window(setup.ports(ui));
        if (window.startUp() != StartResult::Run || window.model().DbFilePath.isEmpty())
            state.SkipWithError("start-up stopped");
        benchmark::DoNotOptimize(window.form().text(Ctl::Text5));
    }
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
