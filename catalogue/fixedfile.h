#pragma once
// A database SQLite must read from exactly where the program says, never
// from a name it would resolve itself: the sample's bytes the program
// carries, or the file the reader process is handed, read through its
// handle. SQLite's own VFS would open a name (and for a handle's name, the
// path it leads back to, whatever lies there by then).

#include <sqlite3.h>

#include <cstddef>

namespace tolvane::catalogue {

// Where a main database's bytes come from: bytes in memory, else an open
// file read through its handle, which it does not own.
struct FixedSource {
    const char* data = nullptr;
    std::size_t size = 0;
    int fd = -1;
};

// Whether SQLite's name for a main database names a source, and which.
using SourceOf = bool (*)(const char* name, FixedSource* source);

// A read-only VFS whose main database is the source sourceOf gives for its
// name; registered when made. Nothing is written or locked, and no file
// beside the database (a journal, a WAL) is ever opened; only what SQLite
// keeps for itself while it reads (a sort's temporary file) goes to its own
// VFS. A read error is SQLite's I/O error, the system's reason kept for
// sqlite3_system_errno.
class FixedFileVfs {
public:
    FixedFileVfs(const char* name, SourceOf sourceOf);
    FixedFileVfs(const FixedFileVfs&) = delete;
    FixedFileVfs& operator=(const FixedFileVfs&) = delete;
    const char* name() const { return vfs_.zName; }

private:
    sqlite3_vfs vfs_{};
};

}  // namespace tolvane::catalogue
