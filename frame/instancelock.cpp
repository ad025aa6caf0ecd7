#include "frame/instancelock.h"

#include "catalogue/copyfolder.h"
#include "services/folders.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane {

QString InstanceLock::defaultPath()
{
    // Only folders of this user: in a folder every user shares, a stale lock
    // of someone else, or one that cannot be replaced, would keep this user
    // out for good.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime + QStringLiteral("/tolvane.lock");
    return cachePath();
}

QString InstanceLock::cachePath() { return CacheFolder() + QStringLiteral("/tolvane.lock"); }

InstanceLock::InstanceLock(QString path) : path_(path.isEmpty() ? defaultPath() : std::move(path)) {}

InstanceLock::~InstanceLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

InstanceLock::Result InstanceLock::acquire()
{
    if (fd_ >= 0)
        return Result::Acquired;
    unavailable_.clear();
    Result result = tryLock(path_);
    if (result == Result::Unavailable && path_ != cachePath()) {
        unavailable_.append(path_);
        path_ = cachePath();
        result = tryLock(path_);
    }
    if (result == Result::Unavailable)
        unavailable_.append(path_);
    return result;
}

InstanceLock::Result InstanceLock::tryLock(const QString& path)
{
    // Made, if need be, only in a folder reached through folders and links
    // no one but root and the user can change, and through that folder's
    // handle, never through a link: whoever could put one on the way would
    // have the user make a file wherever it points.
    const QFileInfo lock(path);
    const catalogue::CopyFolder folder(lock.absolutePath(), true, catalogue::FolderUse::Lock);
    if (!folder)
        return Result::Unavailable;
    // The lock is the system's, on the open file; the file itself stays and
    // holds nothing, so nothing is written, let alone synced, to take it.
    const int fd = ::openat(folder.fd(), QFile::encodeName(lock.fileName()).constData(),
                            O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0)
        return Result::Unavailable;
    // Only a lock that a live copy of this user holds is another copy; a
    // lock file that is someone else's, or no file, says nothing about one.
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::getuid()) {
        ::close(fd);
        return Result::Unavailable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        fd_ = fd;
        return Result::Acquired;
    }
    const bool held = errno == EWOULDBLOCK;
    ::close(fd);
    return held ? Result::AlreadyRunning : Result::Unavailable;
}

}  // namespace tolvane
