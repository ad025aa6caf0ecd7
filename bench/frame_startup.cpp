// The start-up as the user waits for it: from the start of a process to its
// main window painted (offscreen), beside a process that shows a plain Qt
// window of the same size, in the same run. Each is a program of its own
// beside this one, started the same way and linking what it needs: the
// program's (bench_frame_startup_program) links what the program links and
// runs its real path; the plain window's (bench_frame_startup_plain) links
// Qt Widgets alone. Compared with the plain window is the start-up without
// the splash's second; a window of the same size with one line of text
// shows what of the difference is the font set-up alone. The full start-up
// is timed as well, with the processor time the process spent until painted
// and while the splash showed.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

struct ChildRun {
    double wallMs = 0;   // from the spawn to the painted line
    double cpuMs = 0;    // the child's processor time until painted
    double splashCpuMs = -1;
    std::string size;
};

std::filesystem::path folder;  // where the children lie: beside this program

ChildRun runOnce(const char* program, const char* mode)
{
    int out[2];
    if (pipe(out) != 0)
        std::abort();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const std::string path = (folder / program).string();
    std::string arg = mode;
    char* const args[] = {const_cast<char*>(path.c_str()), arg.data(), nullptr};
    pid_t pid = 0;
    const auto start = std::chrono::steady_clock::now();
    if (posix_spawn(&pid, path.c_str(), &actions, nullptr, args, environ) != 0)
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

ChildRun runProgram(const char* mode) { return runOnce("bench_frame_startup_program", mode); }

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
        const ChildRun p = besidePlainWindow ? runOnce("bench_frame_startup_plain", "plain") : ChildRun{};
        const ChildRun t = besidePlainWindow ? runOnce("bench_frame_startup_plain", "text") : ChildRun{};
        const ChildRun r = runProgram(mode);
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
    timeStartUp(state, "nowait", true);
}
BENCHMARK(BM_StartUpWithoutSplashWaitBesidePlainWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The whole start-up, the splash's second included.
void BM_StartUp(benchmark::State& state) { timeStartUp(state, "program", false); }
BENCHMARK(BM_StartUp)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv)
{
    folder = std::filesystem::read_symlink("/proc/self/exe").parent_path();

    // One documents folder and one lock folder for every child, so each
    // finds its settings as a second start would.
    char root[] = "/tmp/tolvane-bench-XXXXXX";
    if (!mkdtemp(root))
        return 1;
    const std::filesystem::path documents = std::filesystem::path(root) / "Documents";
    std::filesystem::create_directories(documents);
    setenv("TOLVANE_BENCH_DOCUMENTS", documents.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", root, 1);
    if (!std::getenv("QT_QPA_PLATFORM") || !*std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

    // The plain window takes the size the main window shows at.
    const ChildRun probe = runProgram("nowait");
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
