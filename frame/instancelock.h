#pragma once
// Keeps a second copy of the program from starting: a lock on a file per
// user, held while the program runs. The system lets go of it when the
// process ends, however it ends, so a copy that crashed leaves no lock
// behind.

#include <QString>

namespace tolvane {

class InstanceLock {
public:
    enum class Result {
        Acquired,        // this copy holds the lock (or already did)
        AlreadyRunning,  // a live copy of this user holds it
        Unavailable,     // the lock could not be made: no answer either way
    };

    // Empty path: the user's runtime folder, else the user's cache folder,
    // else the settings folder; never a shared folder.
    explicit InstanceLock(QString path = {});
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    Result acquire();
    const QString& path() const { return path_; }

    static QString defaultPath();

private:
    QString path_;
    int fd_ = -1;  // open while the lock is held
};

}  // namespace tolvane
