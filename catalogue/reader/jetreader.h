#pragma once
// Turns an Access (Jet 3 or Jet 4) file into an SQLite copy that the
// catalogue layer queries in its place. Runs only in the reader process: the
// library it uses may crash or loop on a damaged file.

namespace tolvane::jetreader {

// Writes every user table of jetFile, in the file's own order, into a new
// SQLite file at output: each column under its Jet type name (TEXT and
// LONGTEXT compare without regard to case), each row in the order the file
// stores it, every number as its exact stored value. Returns one of the
// jetcopy exit codes; on failure output may hold a partial file.
int convert(const char* jetFile, const char* output);

}  // namespace tolvane::jetreader
