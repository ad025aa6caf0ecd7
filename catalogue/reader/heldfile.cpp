#include "catalogue/reader/heldfile.h"

#include "catalogue/common.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace tolvane::reader {

namespace {

sqlite3_vfs* gBase = nullptr;
int gLastError = 0;  // the system's reason for the last read that failed

// The handed file: read through its handle, which it does not own.
struct HeldFile {
    sqlite3_file base;
    int fd;
};

int failedWith(int code)
{
    gLastError = errno;
    return code;
}

int closeFile(sqlite3_file*) { return SQLITE_OK; }

// As SQLite asks of a VFS: what lies past the end reads as zeros, and says
// it was short.
int readFile(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset)
{
    const int fd = reinterpret_cast<HeldFile*>(file)->fd;
    auto* out = static_cast<char*>(buffer);
    int got = 0;
    while (got < amount) {
        const ssize_t n = ::pread(fd, out + got, static_cast<std::size_t>(amount - got), static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failedWith(SQLITE_IOERR_READ);
        if (n == 0)
            break;
        got += static_cast<int>(n);
    }
    if (got == amount)
        return SQLITE_OK;
    std::memset(out + got, 0, static_cast<std::size_t>(amount - got));
    return SQLITE_IOERR_SHORT_READ;
}

int writeFile(sqlite3_file*, const void*, int, sqlite3_int64) { return SQLITE_READONLY; }
int truncateFile(sqlite3_file*, sqlite3_int64) { return SQLITE_READONLY; }
int syncFile(sqlite3_file*, int) { return SQLITE_READONLY; }

int fileSize(sqlite3_file* file, sqlite3_int64* size)
{
    struct stat st {};
    if (::fstat(reinterpret_cast<HeldFile*>(file)->fd, &st) != 0)
        return failedWith(SQLITE_IOERR_FSTAT);
    *size = st.st_size;
    return SQLITE_OK;
}

int lockFile(sqlite3_file*, int) { return SQLITE_OK; }
int checkReservedLock(sqlite3_file*, int* reserved)
{
    *reserved = 0;
    return SQLITE_OK;
}
int fileControl(sqlite3_file*, int, void*) { return SQLITE_NOTFOUND; }
int sectorSize(sqlite3_file*) { return 0; }
int deviceCharacteristics(sqlite3_file*) { return SQLITE_IOCAP_IMMUTABLE; }

// Of the first version: no shared memory, so no WAL, and no mapping.
const sqlite3_io_methods kHeldFileMethods = {
    1, closeFile, readFile, writeFile, truncateFile, syncFile, fileSize, lockFile, lockFile, checkReservedLock,
    fileControl, sectorSize, deviceCharacteristics, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
};

// The main database is the handed file; what SQLite keeps for itself while
// it reads (a sort's temporary file) is its own VFS's. No other file, a
// journal or a WAL beside the file above all, is ever opened.
int openFile(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags)
{
    file->pMethods = nullptr;
    if (flags & SQLITE_OPEN_MAIN_DB) {
        if (flags & (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE))
            return SQLITE_CANTOPEN;
        auto* held = reinterpret_cast<HeldFile*>(file);
        held->fd = catalogue::kReaderSourceFd;
        held->base.pMethods = &kHeldFileMethods;
        if (outFlags)
            *outFlags = SQLITE_OPEN_READONLY;
        return SQLITE_OK;
    }
    if (flags & (SQLITE_OPEN_TEMP_DB | SQLITE_OPEN_TRANSIENT_DB | SQLITE_OPEN_TEMP_JOURNAL | SQLITE_OPEN_SUBJOURNAL))
        return gBase->xOpen(gBase, name, file, flags, outFlags);
    return SQLITE_CANTOPEN;
}

int deleteFile(sqlite3_vfs*, const char*, int) { return SQLITE_IOERR_DELETE; }

// Nothing lies beside the file, as far as SQLite is told.
int accessFile(sqlite3_vfs*, const char*, int, int* found)
{
    *found = 0;
    return SQLITE_OK;
}

int fullPathname(sqlite3_vfs*, const char* name, int size, char* out)
{
    const std::size_t length = std::strlen(name);
    if (length + 1 > static_cast<std::size_t>(size))
        return SQLITE_CANTOPEN;
    std::memcpy(out, name, length + 1);
    return SQLITE_OK;
}

int lastError(sqlite3_vfs*, int, char*) { return gLastError; }

}  // namespace

const char* heldFileVfs()
{
    static sqlite3_vfs vfs{};
    static std::once_flag registered;
    std::call_once(registered, [] {
        gBase = sqlite3_vfs_find(nullptr);
        vfs = *gBase;
        vfs.iVersion = std::min(gBase->iVersion, 2);
        vfs.szOsFile = std::max(gBase->szOsFile, static_cast<int>(sizeof(HeldFile)));
        vfs.zName = "tolvane-held";
        vfs.pNext = nullptr;
        vfs.xOpen = openFile;
        vfs.xDelete = deleteFile;
        vfs.xAccess = accessFile;
        vfs.xFullPathname = fullPathname;
        vfs.xGetLastError = lastError;
        sqlite3_vfs_register(&vfs, 0);
    });
    return vfs.zName;
}

}  // namespace tolvane::reader
