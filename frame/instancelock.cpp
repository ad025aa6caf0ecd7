#include "frame/instancelock.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace tolvane {

QString InstanceLock::defaultPath()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime + QStringLiteral("/tolvane.lock");
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = QStringLiteral("user");
    return QDir::tempPath() + QStringLiteral("/tolvane-") + user + QStringLiteral(".lock");
}

InstanceLock::InstanceLock(QString path) : path_(path.isEmpty() ? defaultPath() : std::move(path)) {}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::acquire()
{
    if (lock_ && lock_->isLocked())
        return true;
    lock_ = std::make_unique<QLockFile>(path_);
    // A running first copy keeps its lock however long it runs; only a lock
    // whose process is gone counts as stale.
    lock_->setStaleLockTime(0);
    return lock_->tryLock(0);
}

}  // namespace tolvane
