// The start-up as the user waits for it: from the start of a process to its
// main window painted (offscreen), beside a process that shows a plain Qt
// window of the same size, in the same run. The program runs its real path
// (app/program.h) with the built program folder, private documents and lock
// folders, and a message server that refuses at once, so the network plays
// no part. Compared with the plain window is the start-up without the
// splash's second; a window of the same size with one line of text shows
// what of the difference is the font set-up alone. The full start-up is
// timed as well, with the processor time the process spent until painted
// and while the splash showed.
//
// Each measurement is a child process of this program: the same file runs as
// the child when given --child.
#include "app/program.h"
#include "bench/bench_support.h"
#include "frame/look.h"
#include "services/folders.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace tolvane;

namespace {

// --- the child ------------------------------------------------------------------

double processCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Watches the whole application: the splash's showing and hiding, and the
// first paint of the window named; once that paint is through, it reports
// one line on standard output and ends the event loop.
class PaintProbe final : public QObject {
public:
    explicit PaintProbe(QString window) : window_(std::move(window)) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QString& name = watched->objectName();
        if (name == QStringLiteral("frmSplash")) {
            if (event->type() == QEvent::Show)
                splashFrom_ = processCpuMs();
            else if (event->type() == QEvent::Hide && splashFrom_ >= 0 && splashMs_ < 0)
                splashMs_ = processCpuMs() - splashFrom_;
        } else if (event->type() == QEvent::Paint && !painted_ && name == window_ && watched->isWidgetType()) {
            painted_ = true;
            auto* w = static_cast<QWidget*>(watched);
            // Queued: the whole window is painted and flushed by then.
            QTimer::singleShot(0, [this, w] {
                std::printf("painted %.3f %.3f %dx%d\n", processCpuMs(), splashMs_, w->width(), w->height());
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return false;
    }

private:
    QString window_;
    bool painted_ = false;
    double splashFrom_ = -1;
    double splashMs_ = -1;
};

int runChild(const std::string& mode, int& argc, char** argv)
{
    if (mode == "plain" || mode == "plain-text") {
        QApplication app(argc, argv);
        PaintProbe probe(QStringLiteral("plain"));
        app.installEventFilter(&probe);
        QWidget window;
        window.setObjectName(QStringLiteral("plain"));
        // One line in the program's font: the font set-up any window with
        // text pays, which the plain window does not.
        if (mode == "plain-text")
            (new QLabel(QStringLiteral("ダイスプリング 圧力計算ソフト"), &window))->setFont(look::programFont());
        const char* size = std::getenv("TOLVANE_BENCH_SIZE");
        int width = 0, height = 0;
        if (!size || std::sscanf(size, "%dx%d", &width, &height) != 2)
            return 2;
        window.resize(width, height);
        window.show();
        return QApplication::exec();
    }
    const char* documents = std::getenv("TOLVANE_BENCH_DOCUMENTS");
    if (!documents)
        return 2;
    PaintProbe probe(QStringLiteral("frmMain"));
    ProgramOptions options;
    options.splashWait = mode == "program";
    options.messageServer = QStringLiteral("http://127.0.0.1:9");
    options.prepare = [&] {
        setProgramFolder(bench::builtProgramFolder());
        setDocumentsFolder(QFile::decodeName(documents));
        qApp->installEventFilter(&probe);
    };
    return runProgram(argc, argv, options);
}

// --- the parent -----------------------------------------------------------------

struct ChildRun {
    double wallMs = 0;   // from the spawn to the painted line
    double cpuMs = 0;    // the child's processor time until painted
    double splashCpuMs = -1;
    std::string size;
};

std::string self;

ChildRun runOnce(const char* mode)
{
    int out[2];
    if (pipe(out) != 0)
        std::abort();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const std::string arg = std::string("--child=") + mode;
    char* const args[] = {self.data(), const_cast<char*>(arg.c_str()), nullptr};
    pid_t pid = 0;
    const auto start = std::chrono::steady_clock::now();
    if (posix_spawn(&pid, self.c_str(), &actions, nullptr, args, environ) != 0)
        std::abort();
    close(out[1]);
    std::string line;
    char c = 0;
    while (read(out[0], &c, 1) == 1 && c != '\n')
        line += c;
    const auto painted = std::chrono::steady_clock::now();
    close(out[0]);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    waitpid(pid, &status, 0);

    ChildRun run;
    run.wallMs = std::chrono::duration<double, std::milli>(painted - start).count();
    char size[32] = {};
    if (std::sscanf(line.c_str(), "painted %lf %lf %31s", &run.cpuMs, &run.splashCpuMs, size) != 3)
        run.wallMs = -1;
    run.size = size;
    return run;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Runs the program's child once an iteration (after a plain window's and a
// window with one line of text, when asked for) and reports the medians:
// median_ms, cpu_ms (the processor time until painted), splash_cpu_ms (the
// part of it while the splash showed), and beside the plain windows
// plain_ms, text_window_ms and overhead_ms, the program's median less the
// plain window's.
void timeStartUp(benchmark::State& state, const char* mode, bool besidePlainWindow)
{
    std::vector<double> plain, text, program, cpu, splashCpu;
    for (auto _ : state) {
        const ChildRun p = besidePlainWindow ? runOnce("plain") : ChildRun{};
        const ChildRun t = besidePlainWindow ? runOnce("plain-text") : ChildRun{};
        const ChildRun r = runOnce(mode);
        if (p.wallMs < 0 || t.wallMs < 0 || r.wallMs < 0) {
            state.SkipWithError("a child did not paint");
            return;
        }
        state.SetIterationTime(r.wallMs / 1e3);
        plain.push_back(p.wallMs);
        text.push_back(t.wallMs);
        program.push_back(r.wallMs);
        cpu.push_back(r.cpuMs);
        splashCpu.push_back(r.splashCpuMs);
    }
    state.counters["median_ms"] = median(program);
    state.counters["cpu_ms"] = median(cpu);
    state.counters["splash_cpu_ms"] = median(splashCpu);
    if (besidePlainWindow) {
        state.counters["plain_ms"] = median(plain);
        state.counters["text_window_ms"] = median(text);
        state.counters["overhead_ms"] = median(program) - median(plain);
    }
}

// Compared with the plain window: the start-up without the splash's second.
void BM_StartUpWithoutSplashWaitBesidePlainWindow(benchmark::State& state)
{
    timeStartUp(state, "program-nowait", true);
}
BENCHMARK(BM_StartUpWithoutSplashWaitBesidePlainWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The whole start-up, the splash's second included.
void BM_StartUp(benchmark::State& state) { timeStartUp(state, "program", false); }
BENCHMARK(BM_StartUp)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--child=", 8) == 0)
            return runChild(argv[i] + 8, argc, argv);
    }

    // One documents folder and one lock folder for every child, so each
    // finds its settings as a second start would.
    char folder[] = "/tmp/tolvane-bench-XXXXXX";
    if (!mkdtemp(folder))
        return 1;
    const std::filesystem::path root(folder);
    std::filesystem::create_directories(root / "Documents");
    setenv("TOLVANE_BENCH_DOCUMENTS", (root / "Documents").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", root.c_str(), 1);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    self = std::filesystem::read_symlink("/proc/self/exe");

    // The plain window takes the size the main window shows at.
    const ChildRun probe = runOnce("program-nowait");
    if (probe.wallMs < 0) {
        std::fprintf(stderr, "the program did not start\n");
        return 1;
    }
    setenv("TOLVANE_BENCH_SIZE", probe.size.c_str(), 1);
    std::printf("main window %s\n", probe.size.c_str());

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(root);
    return 0;
}
