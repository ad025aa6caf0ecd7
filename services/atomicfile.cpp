#include "services/atomicfile.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane {
namespace {

SyncCall syncCall = ::fsync;

// The system's own bound on links in one path.
constexpr int kMaxLinkHops = 40;

// The file a chain of links finally points at (path itself when it is no
// link); nothing, with the reason in error, for a loop or a chain too long.
std::optional<QByteArray> finalTarget(QByteArray path, int& error)
{
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat entry {};
        if (::lstat(path.constData(), &entry) != 0 || !S_ISLNK(entry.st_mode))
            return path;
        char buffer[PATH_MAX];
        const ssize_t n = ::readlink(path.constData(), buffer, sizeof buffer);
        if (n < 0 || n == static_cast<ssize_t>(sizeof buffer)) {
            error = n < 0 ? errno : ENAMETOOLONG;
            return std::nullopt;
        }
        const QByteArray next(buffer, n);
        // A relative link is read from the folder that holds it.
        const qsizetype slash = path.lastIndexOf('/');
        path = next.startsWith('/') || slash < 0 ? next : path.left(slash + 1) + next;
    }
    error = ELOOP;
    return std::nullopt;
}

// The rename itself is only lasting once the folder that holds the name is
// on the disk too. The file is in place whatever this answers, and some
// file systems cannot sync a folder, so a refusal is no failed save.
void syncFolderOf(const QByteArray& file)
{
    const qsizetype slash = file.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : file.left(slash);
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    syncCall(fd);
    ::close(fd);
}

// A new file beside target that no one else has opened. The mode is that of
// a new file (less the umask).
int openTemporary(const QByteArray& target, QByteArray& name)
{
    for (int attempt = 0; attempt < 64; ++attempt) {
        name = target + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 16) + ".tmp";
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool writeAll(int fd, const QByteArray& data)
{
    const char* at = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, at, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        at += n;
        left -= n;
    }
    return true;
}

// A pipe whose reader has gone answers a write with SIGPIPE, which would end
// the program. Held back on this thread while it writes, the write fails
// with EPIPE instead, and the signal it left waiting is taken away.
bool writeAllHoldingPipeSignal(int fd, const QByteArray& data)
{
    sigset_t pipeSignal;
    sigset_t previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    const bool ok = writeAll(fd, data);
    const int error = errno;
    if (!ok && error == EPIPE && !sigismember(&previous, SIGPIPE)) {
        const timespec now{};
        while (sigtimedwait(&pipeSignal, nullptr, &now) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = error;
    return ok;
}

}  // namespace

std::optional<VbError> saveFileAtomic(const QString& path, const QByteArray& data)
{
    // The system calls themselves, not a file class: a full disk must be
    // reported as a full disk, with its own error number.
    int linkError = 0;
    const std::optional<QByteArray> resolved = finalTarget(QFile::encodeName(path), linkError);
    if (!resolved)
        return systemError(linkError);
    const QByteArray& target = *resolved;

    // A file its owner made read-only is not replaced behind its back.
    if (::access(target.constData(), F_OK) == 0 && ::access(target.constData(), W_OK) != 0)
        return systemError(errno);

    QByteArray temporary;
    const int fd = openTemporary(target, temporary);
    if (fd < 0)
        return systemError(errno);

    // A replaced file keeps its rights.
    struct stat old {};
    bool ok = ::stat(target.constData(), &old) != 0 || !S_ISREG(old.st_mode) || ::fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && writeAll(fd, data) && syncCall(fd) == 0;
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temporary.constData(), target.constData()) != 0) {
        ok = false;
        error = errno;
    }
    if (ok) {
        syncFolderOf(target);
        return std::nullopt;
    }
    ::unlink(temporary.constData());
    return systemError(error);
}

std::optional<VbError> saveFileAtomicOrInto(const QString& path, const QByteArray& data)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat entry {};
    if (::stat(name.constData(), &entry) != 0 || S_ISREG(entry.st_mode))
        return saveFileAtomic(path, data);
    // Opened without waiting for a reader; written waiting as a file is.
    const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return systemError(errno);
    const int flags = ::fcntl(fd, F_GETFL);
    bool ok = flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0 && writeAllHoldingPipeSignal(fd, data);
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    return ok ? std::nullopt : std::optional<VbError>(systemError(error));
}

bool moveIntoPlace(int folder, int file, const char* written, const char* target)
{
    if (syncCall(file) != 0 || ::renameat(folder, written, folder, target) != 0)
        return false;
    // As for a save: the folder that cannot be synced is no failure.
    syncCall(folder);
    return true;
}

void setSyncCall(SyncCall call) { syncCall = call ? call : ::fsync; }

void ignoreFileSizeSignal() { std::signal(SIGXFSZ, SIG_IGN); }

}  // namespace tolvane
