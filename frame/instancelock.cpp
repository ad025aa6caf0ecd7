#include "frame/instancelock.h"

#include "services/folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

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
    const QString lockName = QStringLiteral("/tolvane.lock");
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime + lockName;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (!cache.isEmpty())
        return cache + lockName;
    return SettingFolder() + lockName;
}

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
    QDir().mkpath(QFileInfo(path_).absolutePath());
    // The lock is the system's, on the open file; the file itself stays and
    // holds nothing, so nothing is written, let alone synced, to take it.
    const int fd = ::open(QFile::encodeName(path_).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return Result::Unavailable;
    // Only a lock that a live copy of this user holds is another copy; a
    // lock file that is someone else's says nothing about one.
    struct stat info {};
    if (::fstat(fd, &info) != 0 || info.st_uid != ::getuid()) {
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
