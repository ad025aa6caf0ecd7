#pragma once
// A folder the copies of catalogue files are read from and written to.
// Anyone can work out a copy's name, so such a folder must be the user's own,
// not a link to one, of the mode the program gives it (0700), and reached
// only through folders and links that no one but root and the user (or a
// group that is the user's alone) can change: whoever can change one of them
// decides which folder the path names, and could point it at a folder of the
// user's that holds something else. What is checked must be what is used:
// the path is walked name by name through the handles of the folders
// checked, the folder is kept open on the handle it was reached with, and
// every copy in it, half-made or whole, is opened through that handle, by the
// program and by the reader alike. A name that the system would resolve
// again later, through folders someone else could change in between, is
// never handed on.

#include "catalogue/common.h"

#include <QString>

#include <sys/stat.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tolvane::catalogue {

// What a folder is checked for: the copies, or the lock against a second
// copy of the program (frame/instancelock.h), which is a file of the user's
// too, but need not lie in a folder of the program's own mode: the lock's
// folder is the user's, and no one else may write it (a group the user's
// alone may), whatever its mode else, and may be named by a link. The way
// to either is checked alike.
enum class FolderUse { Copies, Lock };

class CopyFolder {
public:
    // The folder at path, made (mode 0700, as is any folder above it that
    // is missing) when missing and make is set. None when it is missing, or
    // fails the check: why() then says why, in the words of the log, which
    // says it once a run for the copies' folders. A folder the program did
    // not make here keeps its mode.
    CopyFolder(const QString& path, bool make, FolderUse use = FolderUse::Copies);
    explicit operator bool() const { return static_cast<bool>(fd_); }
    int fd() const { return fd_.get(); }
    const QString& why() const { return why_; }

    // A name in the folder as SQLite opens it here (with handleVfs()), or as
    // the reader does, given the folder as its kReaderFolderFd: through the
    // handle, "/proc/self/fd/N/NAME", wherever the system names open files;
    // else the folder's own path, as it was walked: without links, through
    // folders no one but the user and root can change.
    std::string path(const std::string& name) const { return pathVia(fd_.get(), name); }
    std::string readerPath(const std::string& name) const { return pathVia(kReaderFolderFd, name); }

    // The names in the folder that start with prefix.
    std::vector<std::string> names(const std::string& prefix) const;

private:
    bool open(bool make);
    bool checkFolder(const struct stat& st, const std::vector<std::string>& where, bool last);
    bool passOver(const QString& reason);
    std::string pathVia(int fd, const std::string& name) const;

    Fd fd_;
    QString shown_;
    QString why_;
    std::string real_;     // the folder's path, when it is used by its path
    bool throughHandle_ = false;
    FolderUse use_;
};

// Where the system names a process's open files; a test may give another
// (a missing one: as on a system without /proc). Empty: "/proc/self/fd".
void setOpenFilesFolder(const std::string& folder);

// The accounts as the system's user and group databases give them, for the
// folders above the copy folder that a group may write.
struct Account {
    std::string name;
    uid_t uid;
    gid_t gid;  // the primary group
};
struct Accounts {
    std::optional<std::vector<std::string>> members;  // as the group's entry names them; none without an entry
    std::vector<Account> users;                       // every user of the uid, and every one whose primary group it is
};
using AccountsCall = Accounts (*)(gid_t group, uid_t user);
// A test may give its own; nullptr: the system's. What was looked up is
// forgotten either way.
void setAccountsCall(AccountsCall call);

// The SQLite VFS that opens a name through a folder's handle as the system
// resolves it: SQLite's own would first turn the handle's link back into the
// folder's path and open that, which is what the handle is there to avoid.
// Every other name it opens as SQLite's own does.
const char* handleVfs();

}  // namespace tolvane::catalogue
