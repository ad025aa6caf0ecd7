#pragma once
// The maker's catalogue comes as Access (Jet) files. The library that reads
// them is not safe on damaged files (it can crash or loop for ever), so it
// never runs in the program: a reader process turns the Jet file into an
// SQLite copy in the user's cache folder, under a deadline, and the queries
// run on that copy. The copy is named after the Jet file's path, size,
// modification time and inode, so any change of the file makes a new one.

#include "services/vberror.h"

#include <QString>

#include <string>

namespace tolvane::jetcopy {

// The reader's command line: READER --convert JETFILE OUTPUT. It writes the
// whole copy to OUTPUT or fails with one of these exit codes.
inline constexpr char kConvertOption[] = "--convert";
enum ExitCode : int {
    kConverted = 0,
    kNotJet = 3,       // no Jet 3 or Jet 4 file the library can open
    kDamaged = 4,      // opened, but its catalogue, a table or a row is unreadable
    kCannotWrite = 5,  // the copy could not be written
};

// The path of a current copy of the Jet file, made first when there is none.
// file is the absolute path, shown the name the error messages give. Throws
// VbError as a failed query: 3343 not a readable Jet file, 3049 damaged (or
// the reader crashed or ran out of time), 3051 no copy could be written,
// 3170 the reader is missing. A failed conversion leaves no copy behind.
std::string currentCopy(const std::string& file, const QString& shown);

// The copy turned out unreadable: drop it, so the next query makes it anew.
void dropCopy(const std::string& copy);

// The engine's errors about a catalogue file, as the query layer words them.
VbError unrecognisedFormat(const QString& shown);  // 3343
VbError damagedDatabase(const QString& shown);     // 3049
VbError cannotOpen(const QString& shown);          // 3051
VbError noIsam();                                  // 3170

}  // namespace tolvane::jetcopy
