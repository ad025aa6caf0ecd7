#pragma once
// Turns an SQLite catalogue file from outside into the program's copy of it.
// SQLite is not safe on every crafted file either (one step of it may take
// seconds, or minutes, on a file made for that), so it reads such a file only
// in the reader process, which the program stops at its deadline.

#include "catalogue/reader/copywriter.h"

namespace tolvane::reader {

// Writes every table of the SQLite file the reader is handed (read through
// its handle, heldfile.h), in the order its schema lists them, into the empty
// file at output as the program's copy (copyform.h): each column under the
// word of the affinity SQLite gives it there and its collation (one of
// SQLite's own), a STRICT table as STRICT, each row in the order the file
// stores it, every value as stored (a text that is not UTF-8 as the program
// shows it), and key and recorded (the file's path) in the record. A value
// the copy's column could not keep as stored is refused, naming its column.
// The file is read as the program once read it in place: read-only and
// immutable, its schema untrusted, within SQLite's limits cut to a
// catalogue's; one that holds what computes as it is read or runs as it
// changes (a view, a trigger, a generated column, a virtual table) is
// refused. Returns one of the reader's exit codes, with a line on stderr that
// names a cap passed or what was refused.
int convertSqlite(const char* recorded, const char* output, const char* key, const Caps& caps);

}  // namespace tolvane::reader
