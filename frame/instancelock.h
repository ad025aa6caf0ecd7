#pragma once
// Keeps a second copy of the program from starting: a lock file per user,
// held while the program runs. A lock left behind by a copy that crashed is
// recognised (its process is gone) and taken over.

#include <QString>

#include <memory>

class QLockFile;

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
    std::unique_ptr<QLockFile> lock_;
};

}  // namespace tolvane
