#pragma once
// The maker's catalogue comes as Access (Jet) files, and any SQLite file may
// be put in its place. Neither library that reads them is safe on every
// crafted file (the Jet library can crash, loop for ever or eat memory
// without end; one step of SQLite can take minutes on a file made for it),
// so neither reads a catalogue file from outside in the program: a reader
// process turns the file into an SQLite copy in the user's cache folder,
// under a deadline, an address-space limit and caps on what it writes, and
// the queries run on that copy. The copy is named after the file's resolved
// path, size, modification and change times, device and inode, records that
// key inside itself, and is made anew whenever any of them changes.
//
// Anyone can work that name out, so a copy is read from, and written to,
// only a folder that the user owns and no one else can write, reached only
// through folders and links no one but root and the user can change, and
// used through the handle it was reached with (copyfolder.h); any other
// folder is passed over with a line in the log.

#include "catalogue/common.h"
#include "catalogue/shipped.h"

#include <QString>

#include <sys/stat.h>

#include <functional>
#include <memory>
#include <string>

namespace tolvane {

// The program that turns a catalogue file into its SQLite copy (empty:
// "tolvane-catalogue" in the program folder) and how long it may take
// before it is stopped and the query fails. Forgets the failed conversions.
void setCatalogueReader(const QString& program, int deadlineMs = kDefaultReaderDeadlineMs);

// Told true when a query has to wait for a file's copy to be made, and
// false when that is over: the window shows its wait cursor meanwhile.
void setConversionObserver(std::function<void(bool converting)> observer);

// Once at start: removes the copies (and the marks of the sample, below)
// whose file is gone or has changed, or that no query has read for 30 days,
// and the half-made copies that no writer holds; by the names the program
// gives them, never another file in a copy folder.
void cleanUpCatalogueCopies();

}  // namespace tolvane

namespace tolvane::catalogue {

class CopyFolder;

// A file whose change time lies this close to now can still change without
// its times telling, on a file system that keeps whole (or even) seconds: a
// copy made of it then is not yet trusted by its key alone, but records a
// digest of the file's content, which is checked again on every use until
// the file is older (as git treats an index entry that is racily clean).
bool changedTooRecently(const FileKey& key);
// The content of the file open as fd in a few bytes (hex), read through
// that handle while it holds the state key (empty when it no longer does),
// and by the deadline of the action under way: a file is never read longer.
// Throws 3051 when it cannot be read, or not by then (said as the
// deadline), as the log says too; shown names it there.
QString contentDigest(int fd, const FileKey& key, const QString& shown);
// Between a copy's key and the digest of its file, when it records one.
inline constexpr QChar kDigestMark = u'#';

// The text of the key of the file at path (absolute), as recorded in its copy.
QString keyText(const std::string& file, const FileKey& key);

// A copy of a catalogue file in a checked folder, which stays open while
// the copy is read, so the copy is always opened through that very folder.
struct Copy {
    std::shared_ptr<const CopyFolder> folder;
    std::string name;
    // The copy's name as SQLite opens it, with handleVfs().
    std::string path() const;
    // The copy turned out unreadable or not the file's: it goes, so the next
    // look makes it anew.
    void drop() const;
};

// A catalogue file to be read through its copy, as the query found it.
struct Source {
    std::string path;      // absolute, as the query named it
    std::string resolved;  // without links or dots: one file, one copy
    QString shown;         // as the error messages name it
    FileKey key;           // its state
    int fd = -1;           // the file itself, open: the reader reads this one
    bool sqlite = false;   // an SQLite file, which other programs may be writing
};

// The sample the program ships that the file is, byte for byte; none for
// any other file. Comparing both sample files' bytes on the first query of
// every run costs more than a look in the copy folder, so a state of a file
// found to be the sample is remembered there as copies are, in a mark named
// KEY.sample that holds the file's path and which sample it is; never while
// the file's times cannot yet tell a change (the bytes are compared then).
// Its bytes are the sample only while no writer's file lies beside it:
// with one (its -wal, a hot -journal) it is in use (throws 3045), as any
// SQLite file is.
const ShippedBytes* sampleOf(const Source& source);

// A current copy of the file, made first when there is none. Throws VbError
// as a failed query: 3343 not a readable Jet or SQLite file; 3049 damaged
// (the reader crashed on it, or found in it what no catalogue holds); 3051
// not read this time (the reader's deadline, a limit of the user's, a
// signal from outside; or no copy could be written, with every copy
// folder's reason), or too large to read (a cap passed, named: a file over
// the file cap before any of it is read); 3045 in use:
// an SQLite file whose writer's changes are not all in it (its -wal, a hot
// -journal), and any file that changed while its copy was made. Each names
// what stopped it, in the log and in the error; 3170 the reader is missing.
// The reader gets what is left of the action's deadline (none left: 3051,
// the deadline). A file found damaged or too large, or one that kept the
// reader working until its deadline (at least half the deadline's worth of
// the processor), is remembered (the last 64): the same file in the same
// state then fails at once, for as long as the program runs. A failed
// conversion leaves no copy behind.
Copy currentCopy(const Source& source);

// Why a read that did not end within its deadline was stopped, as the log
// and the error say it.
QString deadlinePassed(int deadlineMs);

// Throws the stop remembered for the file in this state, if there is one.
void throwRememberedStop(const Source& source);

// The file at path is no catalogue file read through a copy (any more): its
// copies are of no use.
void dropCopiesOf(const std::string& file);

}  // namespace tolvane::catalogue
