#include "catalogue/fixedfile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tolvane::catalogue {

namespace {

thread_local int gLastError = 0;  // the system's reason for the last read that failed

struct FixedFile {
    sqlite3_file base;
    FixedSource source;
};

const FixedSource& sourceOf(sqlite3_file* file) { return reinterpret_cast<FixedFile*>(file)->source; }

int failedWith(int code)
{
    gLastError = errno;
    return code;
}

// As SQLite asks of a VFS: what lies past the end reads as zeros, and says
// it was short.
int readFile(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset)
{
    const FixedSource& source = sourceOf(file);
    auto* out = static_cast<char*>(buffer);
    int got = 0;
    if (source.data) {
        const auto size = static_cast<sqlite3_int64>(source.size);
        got = offset >= size ? 0 : static_cast<int>(std::min<sqlite3_int64>(amount, size - offset));
        if (got > 0)
            std::memcpy(out, source.data + offset, static_cast<std::size_t>(got));
    }
    while (!source.data && got < amount) {
        const ssize_t n =
            ::pread(source.fd, out + got, static_cast<std::size_t>(amount - got), static_cast<off_t>(offset + got));
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

int fileSize(sqlite3_file* file, sqlite3_int64* size)
{
    const FixedSource& source = sourceOf(file);
    struct stat st {};
    if (source.data)
        st.st_size = static_cast<off_t>(source.size);
    else if (::fstat(source.fd, &st) != 0)
        return failedWith(SQLITE_IOERR_FSTAT);
    *size = st.st_size;
    return SQLITE_OK;
}

// Of the first version: no shared memory, so no WAL, and no mapping.
const sqlite3_io_methods kFixedFileMethods = {
    1,
    [](sqlite3_file*) { return SQLITE_OK; },  // close: the handle is not the file's own
    readFile,
    [](sqlite3_file*, const void*, int, sqlite3_int64) { return SQLITE_READONLY; },
    [](sqlite3_file*, sqlite3_int64) { return SQLITE_READONLY; },  // truncate
    [](sqlite3_file*, int) { return SQLITE_READONLY; },            // sync
    fileSize,
    [](sqlite3_file*, int) { return SQLITE_OK; },  // lock
    [](sqlite3_file*, int) { return SQLITE_OK; },  // unlock
    [](sqlite3_file*, int* reserved) {
        *reserved = 0;
        return SQLITE_OK;
    },
    [](sqlite3_file*, int, void*) { return SQLITE_NOTFOUND; },  // file control
    [](sqlite3_file*) { return 4096; },                         // sector size
    [](sqlite3_file*) { return SQLITE_IOCAP_IMMUTABLE; },       // device characteristics
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

sqlite3_vfs* baseVfs() { return sqlite3_vfs_find(nullptr); }

int openFile(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* outFlags)
{
    file->pMethods = nullptr;
    if (flags & SQLITE_OPEN_MAIN_DB) {
        auto* fixed = reinterpret_cast<FixedFile*>(file);
        fixed->source = {};
        if ((flags & (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) || !name ||
            !reinterpret_cast<SourceOf>(vfs->pAppData)(name, &fixed->source))
            return SQLITE_CANTOPEN;
        fixed->base.pMethods = &kFixedFileMethods;
        if (outFlags)
            *outFlags = SQLITE_OPEN_READONLY;
        return SQLITE_OK;
    }
    if (flags & (SQLITE_OPEN_TEMP_DB | SQLITE_OPEN_TRANSIENT_DB | SQLITE_OPEN_TEMP_JOURNAL | SQLITE_OPEN_SUBJOURNAL))
        return baseVfs()->xOpen(baseVfs(), name, file, flags, outFlags);
    return SQLITE_CANTOPEN;
}

}  // namespace

FixedFileVfs::FixedFileVfs(const char* name, SourceOf sourceOf)
{
    const sqlite3_vfs* base = baseVfs();
    vfs_ = *base;
    vfs_.iVersion = std::min(base->iVersion, 2);
    vfs_.szOsFile = std::max(base->szOsFile, static_cast<int>(sizeof(FixedFile)));
    vfs_.zName = name;
    vfs_.pNext = nullptr;
    vfs_.pAppData = reinterpret_cast<void*>(sourceOf);
    vfs_.xOpen = openFile;
    vfs_.xDelete = [](sqlite3_vfs*, const char*, int) { return SQLITE_READONLY; };
    // Nothing lies beside the database, as far as SQLite is told.
    vfs_.xAccess = [](sqlite3_vfs*, const char*, int, int* found) {
        *found = 0;
        return SQLITE_OK;
    };
    vfs_.xFullPathname = [](sqlite3_vfs*, const char* path, int size, char* out) {
        const std::size_t length = std::strlen(path);
        if (length + 1 > static_cast<std::size_t>(size))
            return SQLITE_CANTOPEN;
        std::memcpy(out, path, length + 1);
        return SQLITE_OK;
    };
    vfs_.xGetLastError = [](sqlite3_vfs*, int, char*) { return gLastError; };
    sqlite3_vfs_register(&vfs_, 0);
}

}  // namespace tolvane::catalogue
