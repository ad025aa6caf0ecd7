#pragma once
// The maker's catalogue comes as Access (Jet) files. The library that reads
// them is not safe on damaged files (it can crash, loop for ever or eat
// memory without end), so it never runs in the program: a reader process
// turns the Jet file into an SQLite copy in the user's cache folder, under a
// deadline, an address-space limit and caps on what it writes, and the
// queries run on that copy. The copy is named after the Jet file's path,
// size, modification and change times, device and inode, records that key
// inside itself, and is made anew whenever any of them changes.

#include "services/vberror.h"

#include <QString>

#include <sys/stat.h>

#include <functional>
#include <string>

namespace tolvane {

// The program that turns a Jet file into its SQLite copy (empty:
// "tolvane-catalogue" in the program folder) and how long it may take
// before it is stopped and the query fails. Forgets the failed conversions.
inline constexpr int kDefaultJetReaderDeadlineMs = 5000;
void setJetReader(const QString& program, int deadlineMs = kDefaultJetReaderDeadlineMs);

// Told true when a query has to wait for a Jet file's copy to be made, and
// false when that is over: the window shows its wait cursor meanwhile.
void setConversionObserver(std::function<void(bool converting)> observer);

}  // namespace tolvane

namespace tolvane::jetcopy {

// What tells one state of a file from another. The change time is set by
// the system on every write or rename and no tool can set it back, so a file
// replaced in place with its old size and modification time still differs.
struct FileKey {
    qint64 device = 0;
    qint64 inode = 0;
    qint64 size = 0;
    qint64 mtimeSec = 0;
    qint64 mtimeNsec = 0;
    qint64 ctimeSec = 0;
    qint64 ctimeNsec = 0;
    friend bool operator==(const FileKey&, const FileKey&) = default;
};
FileKey keyOf(const struct stat& st);

// The reader's command line:
//   READER --convert JETFILE OUTPUT KEY VALUE_BYTES ROWS COPY_BYTES
// It writes the whole copy to OUTPUT, with KEY recorded in it, or fails with
// one of these exit codes; a cap it passes it names in one line on stderr.
inline constexpr char kConvertOption[] = "--convert";
inline constexpr int kConvertArguments = 7;
enum ExitCode : int {
    kConverted = 0,
    kNotJet = 3,       // no Jet 3 or Jet 4 file the library can open
    kDamaged = 4,      // opened, but its catalogue, a table or a row is unreadable
    kCannotWrite = 5,  // the copy could not be written
    kOverCap = 6,      // a value, a table or the copy passed its cap, or memory ran out
};
// Where a copy records the key it was made from: a view, which no query of
// the window lists, under a name no Jet table can have (Jet names hold no ".").
inline constexpr char kSourceView[] = "tolvane.source";

// The text of the key of the file at path (absolute), as recorded in its copy.
QString keyText(const std::string& file, const FileKey& key);

// The path of a current copy of the Jet file, made first when there is none.
// file is the absolute path, shown the name the error messages give, key
// the file's present state. Throws VbError as a failed query: 3343 not a
// readable Jet file, 3049 damaged (or the reader crashed, ran out of time or
// passed a cap), 3051 no copy could be written (naming the cache folder),
// 3170 the reader is missing. A failed conversion leaves no copy behind and
// is remembered: the same file in the same state fails at once.
std::string currentCopy(const std::string& file, const QString& shown, const FileKey& key);

// The copy turned out unreadable or not the file's: drop it, so the next
// look makes it anew.
void dropCopy(const std::string& copy);
// The file at path is no Jet file (any more): its copies are of no use.
void dropCopiesOf(const std::string& file);

// A path as the engine's messages quote it: 'path', with the system's separators.
QString quoted(const QString& path);

// The engine's errors about a catalogue file, as the query layer words them.
VbError unrecognisedFormat(const QString& shown);  // 3343
VbError damagedDatabase(const QString& shown);     // 3049
VbError cannotOpen(const QString& shown);          // 3051
VbError noIsam();                                  // 3170

}  // namespace tolvane::jetcopy
