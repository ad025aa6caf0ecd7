#include "catalogue/copyfolder.h"

#include "services/log.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>

namespace tolvane::catalogue {

namespace {

std::string& openFilesSetting()
{
    static std::string folder;
    return folder;
}

std::string openFilesFolder()
{
    const std::string& folder = openFilesSetting();
    return folder.empty() ? std::string("/proc/self/fd") : folder;
}

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// A name through a folder's handle, as CopyFolder::path() forms it: the
// folder that names open files, a handle's number, one plain name.
bool throughAHandle(const char* name)
{
    const std::string prefix = openFilesFolder() + '/';
    if (std::strncmp(name, prefix.c_str(), prefix.size()) != 0)
        return false;
    const char* p = name + prefix.size();
    const char* digits = p;
    while (*p >= '0' && *p <= '9')
        ++p;
    if (p == digits || *p != '/')
        return false;
    const char* leaf = p + 1;
    return *leaf != '\0' && std::strchr(leaf, '/') == nullptr && std::strcmp(leaf, ".") != 0 &&
           std::strcmp(leaf, "..") != 0;
}

// As many links as the system itself follows in one path.
constexpr int kMostLinks = 40;

// The names of path put before those still to walk; "." and empty ones
// name nothing.
void putFirst(std::deque<std::string>& todo, const std::string& path)
{
    std::vector<std::string> names;
    for (std::size_t start = 0, end = 0; start <= path.size(); start = end + 1) {
        end = std::min(path.find('/', start), path.size());
        if (end > start && path.compare(start, end - start, ".") != 0)
            names.push_back(path.substr(start, end - start));
    }
    todo.insert(todo.begin(), names.begin(), names.end());
}

// A folder or link on the way, as the log names it.
QString shownPath(const std::vector<std::string>& where, const std::string& name)
{
    std::string path;
    for (const std::string& folder : where)
        path += '/' + folder;
    if (!name.empty() || path.empty())
        path += '/' + name;
    return QDir::toNativeSeparators(QFile::decodeName(path.c_str()));
}

// Room enough for any account's entry; one that needs more is read as none.
constexpr std::size_t kMostEntryBytes = std::size_t(1) << 20;

// The group's entry, and the users it concerns, from one pass over the user
// database. A pass cut short could leave out someone else in the group: it
// gives no entry.
Accounts systemAccounts(gid_t group, uid_t user)
{
    Accounts out;
    std::vector<char> buffer(16384);
    struct group entry {};
    struct group* found = nullptr;
    int error = 0;
    while ((error = ::getgrgid_r(group, &entry, buffer.data(), buffer.size(), &found)) == ERANGE &&
           buffer.size() < kMostEntryBytes)
        buffer.resize(buffer.size() * 2);
    if (error != 0 || !found)
        return out;
    std::vector<std::string> members;
    for (char** name = entry.gr_mem; *name; ++name)
        members.emplace_back(*name);
    for (;;) {
        out.users.clear();
        struct passwd account {};
        struct passwd* next = nullptr;
        ::setpwent();
        while ((error = ::getpwent_r(&account, buffer.data(), buffer.size(), &next)) == 0) {
            if (account.pw_uid == user || account.pw_gid == group)
                out.users.push_back({account.pw_name, account.pw_uid, account.pw_gid});
        }
        ::endpwent();
        if (error != ERANGE || buffer.size() >= kMostEntryBytes)
            break;
        buffer.resize(buffer.size() * 2);
    }
    if (error == ENOENT)
        out.members = std::move(members);
    return out;
}

AccountsCall& accountsCall()
{
    static AccountsCall call = systemAccounts;
    return call;
}

// What a group was found to be for a user, for the rest of the run.
std::map<std::pair<gid_t, uid_t>, bool>& groupsSeen()
{
    static std::map<std::pair<gid_t, uid_t>, bool> seen;
    return seen;
}

// The group is the user's alone: the user is in it, by an account's primary
// group or by the group's list, and no one else is, either way. Its right to
// write is then the user's, as on the desktops that give each user a group
// of their own and leave ~/.cache 0775 with umask 002.
bool usersOwnGroup(gid_t group)
{
    const uid_t user = ::geteuid();
    const auto [seen, fresh] = groupsSeen().try_emplace({group, user}, false);
    if (!fresh)
        return seen->second;
    const Accounts accounts = accountsCall()(group, user);
    if (!accounts.members)
        return false;
    std::vector<std::string> names;  // the user's
    bool in = false;
    for (const Account& account : accounts.users) {
        if (account.uid != user && account.gid == group)
            return false;
        if (account.uid == user) {
            names.push_back(account.name);
            in = in || account.gid == group;
        }
    }
    for (const std::string& member : *accounts.members) {
        if (std::find(names.begin(), names.end(), member) == names.end())
            return false;
        in = true;
    }
    seen->second = in;
    return in;
}

sqlite3_vfs* gBaseVfs = nullptr;

int fullPathname(sqlite3_vfs*, const char* name, int size, char* out)
{
    if (!throughAHandle(name))
        return gBaseVfs->xFullPathname(gBaseVfs, name, size, out);
    const std::size_t length = std::strlen(name);
    if (length + 1 > static_cast<std::size_t>(size))
        return SQLITE_CANTOPEN;
    std::memcpy(out, name, length + 1);
    return SQLITE_OK;
}

}  // namespace

void setOpenFilesFolder(const std::string& folder) { openFilesSetting() = folder; }

void setAccountsCall(AccountsCall call)
{
    accountsCall() = call ? call : systemAccounts;
    groupsSeen().clear();
}

const char* handleVfs()
{
    static sqlite3_vfs vfs{};
    static std::once_flag registered;
    std::call_once(registered, [] {
        gBaseVfs = sqlite3_vfs_find(nullptr);
        vfs = *gBaseVfs;
        vfs.zName = "tolvane-handle";
        vfs.pNext = nullptr;
        vfs.xFullPathname = fullPathname;
        sqlite3_vfs_register(&vfs, 0);
    });
    return vfs.zName;
}

CopyFolder::CopyFolder(const QString& path, bool make, FolderUse use) : shown_(path), use_(use)
{
    if (!open(make))
        fd_ = Fd();
}

std::vector<std::string> CopyFolder::names(const std::string& prefix) const
{
    std::vector<std::string> out;
    DIR* dir = ::fdopendir(::fcntl(fd_.get(), F_DUPFD_CLOEXEC, 0));
    if (!dir)
        return out;
    ::rewinddir(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != ".." && name.compare(0, prefix.size(), prefix) == 0)
            out.push_back(name);
    }
    ::closedir(dir);
    return out;
}

std::string CopyFolder::pathVia(int fd, const std::string& name) const
{
    return (throughHandle_ ? openFilesFolder() + '/' + std::to_string(fd) : real_) + '/' + name;
}

// Once a run for each folder and reason: the folder is looked at often.
bool CopyFolder::passOver(const QString& reason)
{
    static QSet<QString> logged;
    why_ = QDir::toNativeSeparators(shown_) + QStringLiteral(" をコピーのフォルダに使いません (") + reason + QLatin1Char(')');
    if (use_ == FolderUse::Copies && !logged.contains(why_)) {
        logged.insert(why_);
        logLine(why_);
    }
    return false;
}

// Every folder and link on the way, from the root down, is checked as it is
// passed, on the handle it was opened with, and the next name is looked up
// through that handle: so the folder at the end is the one reached through
// what was checked, however anyone renames things meanwhile.
bool CopyFolder::open(bool make)
{
    std::string path = QFile::encodeName(shown_).toStdString();
    if (path.empty() || path.front() != '/') {
        char* cwd = ::getcwd(nullptr, 0);
        if (!cwd)
            return passOver(qt_error_string(errno));
        path = std::string(cwd) + '/' + path;
        std::free(cwd);
    }
    std::deque<std::string> todo;
    putFirst(todo, path);
    std::vector<std::string> where;  // the folders from the root to the one at hand
    Fd at(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat st {};
    if (!at || ::fstat(at.get(), &st) != 0)
        return passOver(qt_error_string(errno));
    if (!checkFolder(st, where, todo.empty()))
        return false;
    int links = 0;
    while (!todo.empty()) {
        const std::string name = std::move(todo.front());
        todo.pop_front();
        const bool last = todo.empty();
        Fd next(::openat(at.get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        if (!next && errno == ENOENT && make) {
            // Only a folder made here and now is given its mode; the rest
            // are the user's to set.
            if (::mkdirat(at.get(), name.c_str(), 0700) == 0)
                ::fchmodat(at.get(), name.c_str(), 0700, 0);
            else if (errno != EEXIST)
                return passOver(qt_error_string(errno));
            next = Fd(::openat(at.get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        }
        if (!next && errno == ENOENT && !make)
            return false;
        if (!next || ::fstat(next.get(), &st) != 0)
            return passOver(qt_error_string(errno));
        if (S_ISLNK(st.st_mode)) {
            // The copy folder itself is never a link; the lock's folder is
            // where a link of root's or the user's leads, checked as any.
            if (last && use_ == FolderUse::Copies)
                return passOver(QStringLiteral("リンクです"));
            if (st.st_uid != 0 && st.st_uid != ::geteuid())
                return passOver(QStringLiteral("上のリンク ") + shownPath(where, name) +
                                QStringLiteral(" がほかのユーザーのものです"));
            std::string target(PATH_MAX, '\0');
            const ssize_t length = ::readlinkat(next.get(), "", target.data(), target.size());
            if (++links > kMostLinks || length <= 0 || static_cast<std::size_t>(length) == target.size())
                return passOver(qt_error_string(length < 0 ? errno : ELOOP));
            target.resize(static_cast<std::size_t>(length));
            putFirst(todo, target);
            if (target.front() == '/') {
                at = Fd(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
                where.clear();
            }
            continue;
        }
        if (!S_ISDIR(st.st_mode))
            return passOver(last ? QStringLiteral("フォルダではありません") : qt_error_string(ENOTDIR));
        if (name != "..")
            where.push_back(name);
        else if (!where.empty())
            where.pop_back();
        if (!checkFolder(st, where, last))
            return false;
        at = std::move(next);
    }

    fd_ = Fd(::openat(at.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd_)
        return passOver(qt_error_string(errno));
    struct stat named {};
    const std::string handle = openFilesFolder() + '/' + std::to_string(fd_.get());
    throughHandle_ = ::stat(handle.c_str(), &named) == 0 && sameFile(named, st);
    if (throughHandle_)
        return true;
    // Without names through handles, the folder is used by the path just
    // walked, without links, which only root and the user can change.
    for (const std::string& name : where)
        real_ += '/' + name;
    if (real_.empty())
        real_ = "/";
    if (::stat(real_.c_str(), &named) != 0 || !sameFile(named, st))
        return passOver(QStringLiteral("開いている間に動かされました"));
    return true;
}

// The copy folder itself is the user's, as the program makes it: 0700, and
// one of any other mode is left as it is; the lock's folder is the user's,
// and no one else may write it. Above either, someone who may rename an
// entry of a folder could put another folder, or a link, in its place: only
// root and the user may, by a group that is the user's alone too, and
// others where the sticky bit keeps them to their own entries (so an entry
// there must be root's or the user's too).
bool CopyFolder::checkFolder(const struct stat& st, const std::vector<std::string>& where, bool last)
{
    const auto othersWrite = [&] {
        return (st.st_mode & S_IWOTH) != 0 || ((st.st_mode & S_IWGRP) != 0 && !usersOwnGroup(st.st_gid));
    };
    if (last) {
        if (st.st_uid != ::geteuid())
            return passOver(QStringLiteral("ほかのユーザーのフォルダです"));
        if (use_ == FolderUse::Lock ? othersWrite() : (st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
            return passOver(QStringLiteral("ほかのユーザーも書き込めます"));
        if (use_ == FolderUse::Copies && (st.st_mode & 07777) != 0700)
            return passOver(QStringLiteral("モードが %1 で、0700 ではありません").arg(st.st_mode & 07777, 4, 8, QLatin1Char('0')));
        return true;
    }
    if (st.st_uid != 0 && st.st_uid != ::geteuid())
        return passOver(QStringLiteral("上のフォルダ ") + shownPath(where, {}) + QStringLiteral(" がほかのユーザーのものです"));
    if ((st.st_mode & S_ISVTX) == 0 && othersWrite())
        return passOver(QStringLiteral("上のフォルダ ") + shownPath(where, {}) + QStringLiteral(" にほかのユーザーも書き込めます"));
    return true;
}

}  // namespace tolvane::catalogue
