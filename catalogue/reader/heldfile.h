#pragma once
// The SQLite file the reader is handed is read through the very handle it
// inherits (kReaderSourceFd), never by a name: SQLite's own VFS would turn
// the handle's name back into the file's path and open that, whatever has
// been put there since (a FIFO that holds it, another file) or nothing at
// all, for a file removed once the program had opened it.

namespace tolvane::reader {

// The name of a VFS, read-only, whose main database is the handed file
// whatever name it is opened by; it opens no journal and no WAL, and takes
// no lock (the file is opened immutable). A read error is SQLite's I/O
// error, with the system's reason kept for sqlite3_system_errno.
const char* heldFileVfs();

}  // namespace tolvane::reader
