#include "frame/instancelock.h"

#include "services/folders.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

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

InstanceLock::~InstanceLock() = default;

InstanceLock::Result InstanceLock::acquire()
{
    if (lock_ && lock_->isLocked())
        return Result::Acquired;
    QDir().mkpath(QFileInfo(path_).absolutePath());
    lock_ = std::make_unique<QLockFile>(path_);
    // A running first copy keeps its lock however long it runs; only a lock
    // whose process is gone counts as stale.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0))
        return Result::Acquired;
    // Only a lock that a live copy of this user holds is another copy; a
    // folder that cannot be written, or a lock file that cannot be read or
    // is someone else's, says nothing about one.
    qint64 pid = 0;
    QString host;
    QString app;
    if (lock_->error() == QLockFile::LockFailedError && lock_->getLockInfo(&pid, &host, &app)
        && QFileInfo(path_).ownerId() == uint(::getuid()))
        return Result::AlreadyRunning;
    return Result::Unavailable;
}

}  // namespace tolvane
