#pragma once
// Turns an Access (Jet 3 or Jet 4) file into an SQLite copy that the
// catalogue layer queries in its place. Runs only in the reader process: the
// library it uses may crash or loop on a damaged file.

#include "catalogue/reader/copywriter.h"

namespace tolvane::reader {

// Writes every user table of the Jet file the reader is handed (its handle,
// opened by the name the system gives it, never by its path), in the file's
// own order, into the empty file at output (made for it; a link there is
// refused) as the program's copy (copyform.h): each column under the
// affinity of its Jet type name, that name kept as its declared type (TEXT
// and LONGTEXT compare without regard to case), each row in the order the
// file stores it, every number as its exact stored value (a Currency or
// Decimal that no double holds exactly as its decimal text), and key and
// recorded (the file's path) in the record. A file that cannot be read is
// told so, with the system's reason. Returns one of the reader's exit codes,
// with a line on stderr naming a cap it passed; on failure output may hold a
// partial file.
int convertJet(const char* output, const char* key, const char* recorded, const Caps& caps);

}  // namespace tolvane::reader
