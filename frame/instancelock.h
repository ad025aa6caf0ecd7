#pragma once
// Keeps a second copy of the program from starting: a lock on a file per
// user, held while the program runs. The system lets go of it when the
// process ends, however it ends, so a copy that crashed leaves no lock
// behind.

#include <QString>
#include <QStringList>

namespace tolvane {

class InstanceLock {
public:
    enum class Result {
        Acquired,        // this copy holds the lock (or already did)
        AlreadyRunning,  // a live copy of this user holds it
        Unavailable,     // the lock could not be made: no answer either way
    };

    // Empty path: the user's runtime folder's lock. Where that lock cannot
    // be made, the one in the user's cache folder is taken instead; never
    // one in a shared folder.
    explicit InstanceLock(QString path = {});
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    Result acquire();
    // The lock held, else the one last tried.
    const QString& path() const { return path_; }
    // The locks that could not be made, in the order tried.
    const QStringList& unavailable() const { return unavailable_; }

    // The runtime folder's lock, else (no runtime folder) the cache folder's.
    static QString defaultPath();
    static QString cachePath();

private:
    Result tryLock(const QString& path);

    QString path_;
    QStringList unavailable_;
    int fd_ = -1;  // open while the lock is held; never passed to a program started from here
};

}  // namespace tolvane
