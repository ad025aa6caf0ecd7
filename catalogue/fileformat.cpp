#include "catalogue/fileformat.h"

#include "catalogue/common.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace tolvane::catalogue {

namespace {

// What is there instead of a regular file, as the error says it.
void refuseNonFile(const struct stat& st, const QString& shown)
{
    if (S_ISDIR(st.st_mode))
        throw catalogue::cannotOpen(shown, QStringLiteral("フォルダです"));
    if (!S_ISREG(st.st_mode))
        throw catalogue::cannotOpen(shown, QStringLiteral("通常のファイルではありません"));
}

}  // namespace

FileFormat headerFormat(int fd, int* error)
{
    unsigned char header[32] = {};
    std::size_t got = 0;
    *error = 0;
    while (got < sizeof header) {
        const ssize_t n = ::pread(fd, header + got, sizeof header - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *error = errno;
            return FileFormat::Unknown;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    static const char sqlite[] = "SQLite format 3";  // with its terminating zero
    static const char jet[] = "Standard Jet DB";
    if (got >= sizeof sqlite && std::memcmp(header, sqlite, sizeof sqlite) == 0)
        return FileFormat::Sqlite;
    // The Jet version byte: 0 for Jet 3 (Access 97), 1 for Jet 4 (Access 2000-2003).
    if (got > 0x14 && std::memcmp(header + 4, jet, sizeof jet) == 0) {
        if (header[0x14] == 0)
            return FileFormat::Jet3;
        if (header[0x14] == 1)
            return FileFormat::Jet4;
    }
    return FileFormat::Unknown;
}

FileFormat headerFormat(int fd, const QString& shown)
{
    int error = 0;
    const FileFormat format = headerFormat(fd, &error);
    if (error != 0)
        throw catalogue::cannotOpen(shown, qt_error_string(error));
    return format;
}

catalogue::Fd openCatalogueFile(const std::string& file, const QString& shown, struct stat& st)
{
    catalogue::Fd fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd || ::fstat(fd.get(), &st) != 0)
        throw catalogue::cannotOpen(shown, qt_error_string(errno));
    refuseNonFile(st, shown);
    return fd;
}

std::string existingFile(const QString& path, struct stat& st)
{
    // Through the file system, not QFileInfo: a name starting with ":"
    // would be one of Qt's resources there.
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path file =
        path.isEmpty() ? fs::path() : fs::absolute(fs::path(QFile::encodeName(path).toStdString()), error);
    if (path.isEmpty() || catalogue::statFile(file.c_str(), &st) != 0) {
        // Missing, or a folder on the way missing; anything else (a loop of
        // links, a folder that may not be searched) the system says.
        const int cause = path.isEmpty() ? ENOENT : errno;
        if (cause != ENOENT && cause != ENOTDIR)
            throw catalogue::cannotOpen(path, qt_error_string(cause));
        if (!path.isEmpty() && !fs::is_directory(file.parent_path(), error))
            throw VbError(kJetBadPath, quoted(QFile::decodeName(file.parent_path().c_str())) +
                                      QStringLiteral(" は正しいパスではありません。"));
        throw VbError(kJetFileNotFound, QStringLiteral("ファイル ") + quoted(path) + QStringLiteral(" が見つかりません。"));
    }
    refuseNonFile(st, path);
    return file.string();
}

std::string resolvedPath(const std::string& file, const QString& shown)
{
    char* real = ::realpath(file.c_str(), nullptr);
    if (!real)
        throw catalogue::cannotOpen(shown);
    std::string resolved(real);
    std::free(real);
    return resolved;
}

}  // namespace tolvane::catalogue
