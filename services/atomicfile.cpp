#include "services/atomicfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane {
namespace {

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

}  // namespace

std::optional<VbError> saveFileAtomic(const QString& path, const QByteArray& data)
{
    // The system calls themselves, not a file class: a full disk must be
    // reported as a full disk, with its own error number.
    const QFileInfo info(path);
    // A link stays a link: the file it points at is the one replaced.
    const QByteArray target = QFile::encodeName(info.isSymLink() ? info.symLinkTarget() : path);

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
    ok = ok && writeAll(fd, data) && ::fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temporary.constData(), target.constData()) != 0) {
        ok = false;
        error = errno;
    }
    if (ok)
        return std::nullopt;
    ::unlink(temporary.constData());
    return systemError(error);
}

}  // namespace tolvane
