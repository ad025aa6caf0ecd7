#include "catalogue/jetcopy.h"

#include "catalogue/catalogue.h"
#include "services/folders.h"
#include "services/log.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace tolvane {

namespace {

struct ReaderSettings {
    QString program;
    int deadlineMs = kDefaultJetReaderDeadlineMs;
};

ReaderSettings& readerSettings()
{
    static ReaderSettings settings;
    return settings;
}

QString readerProgram()
{
    const QString& program = readerSettings().program;
    return program.isEmpty() ? ProgramFolder() + QStringLiteral("/tolvane-catalogue") : program;
}

// What became of one run of the reader.
struct ReaderRun {
    enum { Finished, Crashed, TimedOut } end = Finished;
    int code = 0;  // exit code, or signal number
    std::string errors;  // the start of what it wrote on stderr
};

// Enough of the reader's stderr to tell what went wrong; a reader stuck in a
// loop of warnings may write megabytes before its deadline.
constexpr std::size_t kKeptErrorBytes = 4096;
constexpr int kLoggedErrorLines = 20;

bool startReader(const std::string& program, const std::vector<std::string>& args, int errorPipe, pid_t& pid)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&files, errorPipe, STDERR_FILENO);
    posix_spawn_file_actions_addclosefrom_np(&files, STDERR_FILENO + 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    const int rc = posix_spawn(&pid, program.c_str(), &files, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&files);
    return rc == 0;
}

// Runs the reader to its end or its deadline, whichever comes first; a
// reader still running at the deadline is killed.
ReaderRun runReader(const std::string& program, const std::vector<std::string>& args, int deadlineMs)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        throw jetcopy::noIsam();
    pid_t pid = 0;
    const bool started = startReader(program, args, pipeFds[1], pid);
    ::close(pipeFds[1]);
    if (!started) {
        ::close(pipeFds[0]);
        throw jetcopy::noIsam();
    }

    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(deadlineMs);
    auto msLeft = [&] {
        return static_cast<int>(
            std::max<Clock::rep>(0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count()));
    };
    ReaderRun run;
    int status = 0;
    bool ended = false;
    bool reading = true;
    while (!ended) {
        if (reading) {
            pollfd p{pipeFds[0], POLLIN, 0};
            const int left = msLeft();
            if (left == 0)
                break;
            if (::poll(&p, 1, left) <= 0)
                continue;  // interrupted, or the deadline: looked at above
            char buffer[4096];
            const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
            if (n > 0) {
                const std::size_t room = kKeptErrorBytes - std::min(kKeptErrorBytes, run.errors.size());
                run.errors.append(buffer, std::min(room, static_cast<std::size_t>(n)));
            } else if (n == 0 || errno != EINTR) {
                reading = false;  // the reader closed its stderr: it is ending
            }
            continue;
        }
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            ended = true;
        } else if (done < 0 && errno != EINTR) {
            break;
        } else if (msLeft() == 0) {
            break;
        } else {
            ::usleep(1000);
        }
    }
    ::close(pipeFds[0]);
    if (!ended && ::waitpid(pid, &status, WNOHANG) != pid) {
        ::kill(pid, SIGKILL);
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        run.end = ReaderRun::TimedOut;
        return run;
    }
    if (WIFEXITED(status)) {
        run.code = WEXITSTATUS(status);
    } else {
        run.end = ReaderRun::Crashed;
        run.code = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }
    return run;
}

// The reader's own words go to the log, never to the terminal.
void logReaderRun(const ReaderRun& run, const QString& shown, int deadlineMs)
{
    const QString prefix = QStringLiteral("tolvane-catalogue: ");
    const QStringList lines = QString::fromUtf8(run.errors.data(), static_cast<qsizetype>(run.errors.size()))
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < lines.size() && i < kLoggedErrorLines; ++i)
        WriteEventLog(prefix + lines[i].trimmed());
    if (run.end == ReaderRun::TimedOut)
        WriteEventLog(prefix + QDir::toNativeSeparators(shown) + QStringLiteral(" の読み込みが ") +
                      QString::number(deadlineMs / 1000.0) + QStringLiteral(" 秒で終わらず、打ち切りました"));
    else if (run.end == ReaderRun::Crashed)
        WriteEventLog(prefix + QDir::toNativeSeparators(shown) + QStringLiteral(" の読み込み中に異常終了しました (シグナル ") +
                      QString::number(run.code) + QStringLiteral(")"));
}

std::string encoded(const QString& path) { return QFile::encodeName(path).toStdString(); }

// A copy made for an earlier state of the same file is of no further use,
// whether its current state reads or not; neither is a half-written one that
// no reader is still writing.
void dropOlderCopies(const QString& folder, const QString& fileKey, const QString& current)
{
    const QDir dir(folder);
    const QDateTime stale = QDateTime::currentDateTimeUtc().addSecs(-600);
    for (const QFileInfo& info : dir.entryInfoList({fileKey + QStringLiteral("-*")}, QDir::Files | QDir::Hidden)) {
        if (info.fileName() == current)
            continue;
        if (info.suffix() == QLatin1String("part") && info.lastModified().toUTC() > stale)
            continue;
        QFile::remove(info.absoluteFilePath());
    }
}

}  // namespace

void setJetReader(const QString& program, int deadlineMs)
{
    readerSettings() = {program, deadlineMs};
}

namespace jetcopy {

std::string currentCopy(const std::string& file, const QString& shown)
{
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        throw cannotOpen(shown);
    const QString fileKey = QString::fromLatin1(
        QCryptographicHash::hash(QByteArray::fromStdString(file), QCryptographicHash::Sha1).toHex().left(20));
    const QString name = fileKey + QStringLiteral("-%1-%2.%3-%4")
                                       .arg(static_cast<qint64>(st.st_size))
                                       .arg(static_cast<qint64>(st.st_mtim.tv_sec))
                                       .arg(static_cast<qint64>(st.st_mtim.tv_nsec), 9, 10, QLatin1Char('0'))
                                       .arg(static_cast<quint64>(st.st_ino));
    const QString folder = CacheFolder() + QStringLiteral("/catalogue");
    const QString copyName = name + QStringLiteral(".sqlite");
    const std::string copy = encoded(folder + QLatin1Char('/') + copyName);
    struct stat cs {};
    if (::stat(copy.c_str(), &cs) == 0 && S_ISREG(cs.st_mode))
        return copy;

    const QString program = readerProgram();
    if (!QFileInfo(program).isExecutable())
        throw noIsam();
    if (!QDir().mkpath(folder))
        throw cannotOpen(shown);
    static std::atomic<unsigned> serial{0};
    const std::string part = encoded(folder + QLatin1Char('/') + name +
                                     QStringLiteral(".%1.%2.part").arg(::getpid()).arg(serial++));
    const int deadlineMs = readerSettings().deadlineMs;
    const ReaderRun run = runReader(encoded(program), {kConvertOption, file, part}, deadlineMs);
    logReaderRun(run, shown, deadlineMs);
    if (run.end != ReaderRun::Finished || run.code != kConverted) {
        ::unlink(part.c_str());
        dropOlderCopies(folder, fileKey, QString());
        if (run.end == ReaderRun::Finished && run.code == kNotJet)
            throw unrecognisedFormat(shown);
        if (run.end == ReaderRun::Finished && run.code == kCannotWrite)
            throw cannotOpen(shown);
        throw damagedDatabase(shown);
    }
    if (::rename(part.c_str(), copy.c_str()) != 0) {
        ::unlink(part.c_str());
        throw cannotOpen(shown);
    }
    dropOlderCopies(folder, fileKey, copyName);
    return copy;
}

void dropCopy(const std::string& copy) { ::unlink(copy.c_str()); }

}  // namespace jetcopy

}  // namespace tolvane
