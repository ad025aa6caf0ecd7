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
    // Empty path: the user's runtime folder (else the temporary folder, with
    // the user's name in the file name).
    explicit InstanceLock(QString path = {});
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this copy now holds the lock (or already did).
    bool acquire();
    const QString& path() const { return path_; }

    static QString defaultPath();

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

}  // namespace tolvane
