#include "catalogue/readerprocess.h"

#include "catalogue/common.h"


#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>

extern char** environ;

namespace tolvane::catalogue {

namespace {

// Enough of the reader's stderr to tell what went wrong; a reader stuck in a
// loop of warnings may write megabytes before its deadline. Its last line,
// which names a cap it passed, is kept apart.
constexpr std::size_t kKeptErrorBytes = 4096;
constexpr std::size_t kKeptTailBytes = 1024;

#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer reserves terabytes of address space for itself:
// its builds run the reader without the limit, on the caps and the deadline.
constexpr bool kLimitAddressSpace = false;
#else
constexpr bool kLimitAddressSpace = true;
#endif

// The process handle that polls readable when the reader ends (through the
// system call: the C library's declaration is not C++-ready everywhere).
int openProcessHandle(pid_t pid) { return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)); }
void killThrough(int handle) { ::syscall(SYS_pidfd_send_signal, handle, SIGKILL, nullptr, 0); }

ReaderRun& last()
{
    static ReaderRun run;
    return run;
}

// Between fork and exec only calls that are safe in a copy of a process with
// other threads: no allocation, no locks.
[[noreturn]] void becomeReader(const char* program, char* const* argv, int errorPipe, int folder, int source,
                               long long memoryBytes, pid_t parent)
{
    // Killed with the program, even when the program is killed; it may have
    // ended before this was set.
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent)
        ::_exit(127);
    if (memoryBytes > 0) {
        const rlimit limit{static_cast<rlim_t>(memoryBytes), static_cast<rlim_t>(memoryBytes)};
        if (::setrlimit(RLIMIT_AS, &limit) != 0)
            ::_exit(127);
    }
    // The folder and the file out of the way of what is put in place below;
    // the copies take them without close-on-exec.
    constexpr int kAbove = std::max(kReaderFolderFd, kReaderSourceFd) + 1;
    const int keptFolder = folder >= 0 ? ::fcntl(folder, F_DUPFD, kAbove) : -1;
    const int keptSource = source >= 0 ? ::fcntl(source, F_DUPFD, kAbove) : -1;
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open("/dev/null", O_WRONLY);
    if ((folder >= 0 && keptFolder < 0) || (source >= 0 && keptSource < 0) || in < 0 || out < 0 ||
        ::dup2(in, STDIN_FILENO) < 0 || ::dup2(out, STDOUT_FILENO) < 0 || ::dup2(errorPipe, STDERR_FILENO) < 0 ||
        (keptFolder >= 0 && ::dup2(keptFolder, kReaderFolderFd) < 0) ||
        (keptSource >= 0 && ::dup2(keptSource, kReaderSourceFd) < 0))
        ::_exit(127);
    ::close_range(kAbove, UINT_MAX, 0);
    if (keptFolder < 0)
        ::close(kReaderFolderFd);
    if (keptSource < 0)
        ::close(kReaderSourceFd);
    struct sigaction plain {};
    plain.sa_handler = SIG_DFL;
    for (int s = 1; s < NSIG; ++s)
        ::sigaction(s, &plain, nullptr);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execve(program, argv, environ);
    ::_exit(127);
}

// The limit the reader runs under: the one asked for, or the lower one the
// program was given, which holds for the reader too (a soft limit the user
// set is theirs to keep, though the hard one would allow more).
long long addressSpaceLimit(long long memoryBytes)
{
    if (!kLimitAddressSpace || memoryBytes <= 0)
        return 0;
    rlimit inherited{};
    if (::getrlimit(RLIMIT_AS, &inherited) == 0 && inherited.rlim_cur != RLIM_INFINITY &&
        inherited.rlim_cur < static_cast<rlim_t>(memoryBytes))
        return static_cast<long long>(inherited.rlim_cur);
    return memoryBytes;
}

// What the reader wrote, kept as far as there is room: its start, and its end.
void keep(ReaderRun& run, std::string& tail, const char* bytes, std::size_t n)
{
    const std::size_t room = kKeptErrorBytes - std::min(kKeptErrorBytes, run.errors.size());
    run.errors.append(bytes, std::min(room, n));
    tail.append(bytes, n);
    if (tail.size() > 2 * kKeptTailBytes)
        tail.erase(0, tail.size() - kKeptTailBytes);
}

std::string lastLineOf(std::string tail)
{
    while (!tail.empty() && (tail.back() == '\n' || tail.back() == '\r'))
        tail.pop_back();
    const std::size_t start = tail.find_last_of('\n');
    return start == std::string::npos ? tail : tail.substr(start + 1);
}

void collect(pid_t pid, ReaderRun& run)
{
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.peakKiB = usage.ru_maxrss;
    const auto ms = [](const timeval& t) { return static_cast<long long>(t.tv_sec) * 1000 + t.tv_usec / 1000; };
    run.cpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
    if (WIFEXITED(status)) {
        run.code = WEXITSTATUS(status);
    } else {
        run.end = ReaderRun::Crashed;
        run.code = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }
}

}  // namespace

bool runReader(const std::string& program, const std::vector<std::string>& args, int deadlineMs,
               long long memoryBytes, ReaderRun& run, int folder, int source)
{
    run = ReaderRun{};
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    run.memoryLimit = addressSpaceLimit(memoryBytes);
    std::string tail;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return false;
    // Only our end may come back empty-handed: the reader writes as it likes.
    ::fcntl(pipeFds[0], F_SETFL, ::fcntl(pipeFds[0], F_GETFL) | O_NONBLOCK);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0)
        becomeReader(program.c_str(), argv.data(), pipeFds[1], folder, source, run.memoryLimit, parent);
    ::close(pipeFds[1]);
    if (pid < 0) {
        ::close(pipeFds[0]);
        return false;
    }
    const int pidFd = openProcessHandle(pid);
    if (pidFd < 0) {
        ::kill(pid, SIGKILL);
        collect(pid, run);
        ::close(pipeFds[0]);
        return false;
    }

    // One wait for whichever comes first: words on the pipe, the end of the
    // process, or the deadline.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(deadlineMs);
    bool reading = true;
    bool ended = false;
    while (!ended) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            break;
        pollfd fds[2] = {{pidFd, POLLIN, 0}, {reading ? pipeFds[0] : -1, POLLIN, 0}};
        const int ready = ::poll(fds, 2, static_cast<int>(std::min<long long>(left, INT_MAX)));
        ++run.wakeUps;
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
            continue;  // interrupted, or the deadline: looked at above
        if (fds[1].revents != 0) {
            char buffer[4096];
            const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
            if (n > 0) {
                keep(run, tail, buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
                reading = false;  // the reader closed its stderr
            }
        }
        if (fds[0].revents != 0)
            ended = true;
    }
    // What it wrote just before it ended is still in the pipe.
    while (ended && reading) {
        char buffer[4096];
        const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        keep(run, tail, buffer, static_cast<std::size_t>(n));
    }
    run.lastLine = lastLineOf(std::move(tail));
    // Killed before its pipe is closed: a reader that writes as it loops
    // would otherwise die of the closed pipe first, which is no signal from
    // outside. However it ended after the deadline, the deadline stopped it.
    if (!ended)
        killThrough(pidFd);
    ::close(pipeFds[0]);
    collect(pid, run);
    if (!ended)
        run.end = ReaderRun::TimedOut;
    ::close(pidFd);
    last() = run;
    return true;
}

const ReaderRun& lastReaderRun() { return last(); }

}  // namespace tolvane::catalogue
