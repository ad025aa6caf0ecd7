#pragma once
// What every part of the catalogue folder shares: the caps on what a
// catalogue file may hold, the state that tells one version of a file from
// another, an open file's handle, the engine's words for what went wrong
// with a file, and how the program and its reader process talk. It includes
// nothing else of the folder.

#include "services/vberror.h"

#include <QString>
#include <QtGlobal>

#include <chrono>
#include <utility>

struct stat;

namespace tolvane {

// What a catalogue file may hold before it counts as damaged, so a crafted
// file can make neither process use memory without bound.
struct CatalogueCaps {
    qint64 valueBytes = qint64(1) << 20;          // one text or memo value, in UTF-8
    qint64 rows = 1000000;                        // one table, or one query's result
    qint64 copyBytes = qint64(64) << 20;          // the SQLite copy of a Jet file
    // A catalogue file itself: one this large holds more than a copy can,
    // so it is too large before a byte of it is read.
    qint64 fileBytes = qint64(256) << 20;
    qint64 readerMemoryBytes = qint64(512) << 20; // the reader's address space
    // One query's result as the program holds it, counted as 64 bytes a
    // row, 24 a field and 2 a character.
    qint64 resultBytes = qint64(32) << 20;
};
const CatalogueCaps& catalogueCaps();
// Sets them; the connections kept open must be closed too (setCatalogueCaps).
void storeCatalogueCaps(const CatalogueCaps& caps);

// How long one action of the user may spend on the catalogue, unless
// setCatalogueReader says otherwise.
inline constexpr int kDefaultReaderDeadlineMs = 5000;

// What one action of the user asks of the catalogue ends within one
// deadline: every query, and every copy made for them, while one of these
// lives, the outermost one where several do. A query made outside any has
// one of its own.
class CatalogueDeadline {
public:
    CatalogueDeadline();
    ~CatalogueDeadline();
    CatalogueDeadline(const CatalogueDeadline&) = delete;
    CatalogueDeadline& operator=(const CatalogueDeadline&) = delete;
};

}  // namespace tolvane

namespace tolvane::catalogue {

// How long an action's catalogue work may take (the reader's deadline, set
// with setCatalogueReader), and when the action under way must end: the
// outermost CatalogueDeadline's, else a whole deadline from now.
using DeadlineClock = std::chrono::steady_clock;
void setActionDeadlineMs(int ms);
int actionDeadlineMs();
DeadlineClock::time_point actionDeadline();

// The Access engine's numbers for what went wrong with a catalogue file or
// a query on it: the error lines keep them, so a line about a catalogue reads
// the same whichever kind of file, and whichever reader, it came from.
enum JetError : int {
    kJetReserved = 3000,
    kJetNoCurrentRecord = 3021,
    kJetFileNotFound = 3024,
    kJetBadPath = 3044,
    kJetFileInUse = 3045,
    kJetDamaged = 3049,
    kJetCannotOpen = 3051,
    kJetTooFewParameters = 3061,
    kJetSyntax = 3075,
    kJetTableNotFound = 3078,
    kJetTextAfterStatement = 3142,
    kJetNoIsam = 3170,
    kJetInvalidOperation = 3219,
    kJetUnrecognisedFormat = 3343,
};

// An open file, closed with its owner.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&& other) noexcept
    {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

private:
    void reset();
    int fd_;
};

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

// The stat the layer takes of a catalogue file before each query: ::stat,
// unless a test puts another in its place (nullptr: ::stat again), say one
// that gives the whole-second times of a coarser file system.
using StatCall = int (*)(const char* path, struct stat* st);
void setStatCall(StatCall call);
int statFile(const char* path, struct stat* st);
// The same of the file open as fd: ::fstat, or the test's stat of the
// handle as the system names it, so a state read through the handle and one
// read by the path compare alike.
int statHeld(int fd, struct stat* st);

// A path as the engine's messages quote it: 'path', with the system's separators.
QString quoted(const QString& path);

// The engine's errors about a catalogue file, as the query layer words them;
// a reason, when given, follows in brackets.
VbError unrecognisedFormat(const QString& shown);                           // 3343
VbError damagedDatabase(const QString& shown, const QString& reason = {});  // 3049
VbError cannotOpen(const QString& shown, const QString& reason = {});       // 3051
VbError fileInUse(const QString& shown);                                    // 3045
VbError noIsam();                                                           // 3170

// An event line of the catalogue's copies in the log.
void logLine(const QString& line);

// Where the reader finds the folder it writes into: the handle it inherits.
inline constexpr int kReaderFolderFd = 3;

// The reader's command line:
//   READER --convert FILE OUTPUT KEY VALUE_BYTES ROWS COPY_BYTES
// FILE is the catalogue file's resolved path, which the copy records; the
// file itself the reader inherits, open, as kReaderSourceFd, and reads that
// very file. OUTPUT is an empty file the program has made for it, named
// through the folder the reader inherits as kReaderFolderFd; the reader
// writes the whole copy into that very file, with KEY and FILE recorded in
// it (copyform.h), or fails with one of these exit codes; what it names in
// one line on stderr (a cap passed, what the file holds that no catalogue
// may, why it could not write) the program logs and tells.
inline constexpr char kConvertOption[] = "--convert";
inline constexpr int kConvertArguments = 7;
inline constexpr int kReaderSourceFd = 4;
enum ExitCode : int {
    kConverted = 0,
    kUnrecognised = 3,  // no Jet 3, Jet 4 or SQLite file the libraries can open
    kDamaged = 4,       // opened, but its catalogue, a table or a row is unreadable
    kCannotWrite = 5,   // the copy could not be written
    kOverCap = 6,       // a value, a table or the copy passed its cap: too large, named
    kOutOfMemory = 7,   // the address-space limit was reached
    kRefused = 8,       // it holds what a catalogue may not, or SQLite found it malformed: named
    kUnreadable = 9,    // it could not be read, the system's reason named
};

}  // namespace tolvane::catalogue
