#include "catalogue/copyfolder.h"

#include "services/log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <dirent.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace tolvane::jetcopy {

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

void Fd::reset()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void logLine(const QString& line) { WriteEventLog(QStringLiteral("tolvane-catalogue: ") + line); }

void setOpenFilesFolder(const std::string& folder) { openFilesSetting() = folder; }

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

CopyFolder::CopyFolder(const QString& path, bool make) : shown_(path)
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
    if (!logged.contains(why_)) {
        logged.insert(why_);
        logLine(why_);
    }
    return false;
}

bool CopyFolder::open(bool make)
{
    const std::string name = QFile::encodeName(shown_).toStdString();
    if (make) {
        // The folders above are the user's to arrange, links and all;
        // this one is made private.
        QDir().mkpath(QFileInfo(shown_).path());
        ::mkdir(name.c_str(), 0700);
    }
    fd_ = Fd(::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd_) {
        const int error = errno;
        struct stat entry {};
        const bool there = ::lstat(name.c_str(), &entry) == 0;
        if (error == ENOENT && !make)
            return false;
        return passOver(there && S_ISLNK(entry.st_mode)    ? QStringLiteral("リンクです")
                        : there && !S_ISDIR(entry.st_mode) ? QStringLiteral("フォルダではありません")
                                                           : qt_error_string(error));
    }
    struct stat st {};
    if (::fstat(fd_.get(), &st) != 0 || st.st_uid != ::geteuid())
        return passOver(QStringLiteral("ほかのユーザーのフォルダです"));
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return passOver(QStringLiteral("ほかのユーザーも書き込めます"));
    // Through the handle, never through a link.
    if ((st.st_mode & 07777) != 0700)
        ::fchmod(fd_.get(), 0700);

    struct stat named {};
    const std::string handle = openFilesFolder() + '/' + std::to_string(fd_.get());
    throughHandle_ = ::stat(handle.c_str(), &named) == 0 && sameFile(named, st);
    if (throughHandle_)
        return true;
    // Without names through handles, the folder is used by its path: a path
    // without links, that still names this very folder, and that no one else
    // can change.
    char* real = ::realpath(name.c_str(), nullptr);
    const bool same = real && ::stat(real, &named) == 0 && sameFile(named, st);
    if (real)
        real_ = real;
    std::free(real);
    if (!same)
        return passOver(QStringLiteral("開いている間に動かされました"));
    return checkFoldersAbove();
}

// Someone who may rename an entry of a folder above could put another folder
// in this one's place between a look and a use. Only root and the user may,
// and others where the sticky bit keeps them to their own entries.
bool CopyFolder::checkFoldersAbove()
{
    std::string above = real_;
    while (above != "/") {
        const std::size_t slash = above.rfind('/');
        above.resize(slash == 0 ? 1 : slash);
        struct stat st {};
        if (::lstat(above.c_str(), &st) != 0)
            return passOver(qt_error_string(errno));
        const QString shown = QStringLiteral("上のフォルダ ") + QDir::toNativeSeparators(QFile::decodeName(above.c_str()));
        if (st.st_uid != 0 && st.st_uid != ::geteuid())
            return passOver(shown + QStringLiteral(" がほかのユーザーのものです"));
        if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (st.st_mode & S_ISVTX) == 0)
            return passOver(shown + QStringLiteral(" にほかのユーザーも書き込めます"));
    }
    return true;
}

}  // namespace tolvane::jetcopy
