#pragma once
// Every SQLite database the catalogue layer reads, a catalogue file in the
// reader process and the program's copy of it alike, is opened here:
// read-only and immutable, under SQLite's own guards for a database file of
// unknown origin. Its schema is not trusted (nothing in it may call a
// function with effects), defensive mode is on, triggers are off, and its
// limits are cut to what a catalogue needs. The reader, which reads files
// from outside, also bounds the memory SQLite takes; the program reads only
// what it made or ships, whose size the reader's caps bound.

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

struct sqlite3;

namespace tolvane::catalogue {
struct ShippedBytes;
}

namespace tolvane {

// What SQLite may hold at once in the reader: room for the longest row a
// catalogue may hold (a copy's cap) and each connection's page cache, far
// more than the shipped or a maker's catalogue takes.
inline constexpr qint64 kCatalogueHeapBytes = qint64(128) << 20;

// The most columns a table may have: a Jet table's most.
inline constexpr int kCatalogueColumns = 255;

// What is opened. A catalogue file from outside is read only by the reader
// process, which the program stops at its deadline: no value over the value
// cap is read of it, even one no query keeps. The program opens only its
// own copies, whose rows may hold several values, up to the copy's cap, and
// the sample it ships, known by its content.
enum class CatalogueDatabase { Source, Copy, Sample };

// Opens file (an absolute path) as above, with flags added to
// SQLITE_OPEN_READONLY, through the VFS named (none: handleVfs()). As with
// sqlite3_open_v2, *db is to be closed even when this fails.
int openCatalogueDatabase(const std::string& file, sqlite3** db, CatalogueDatabase kind, int flags = 0,
                          const char* vfs = nullptr);

// Opens a sample the program carries (one of shippedSamples()), whose
// bytes live as long as the program, as a database SQLite reads straight
// from them: read-only, as any catalogue database.
int openSampleDatabase(const catalogue::ShippedBytes& sample, sqlite3** db);

// What stopped SQLite, as the log and the error say it: memory at a limit
// of that many bytes, and a value or row longer than the connection allows.
QString memoryLimitReached(qulonglong bytes);
QString lengthLimitPassed(sqlite3* db);

// Whether a schema's text holds one of keywords (in lower case). SQLite reads
// a keyword only as a whole name, between characters that cannot be in one,
// so it is also a whole run of ASCII letters, whatever their case. A word in
// quotes or in a comment counts as well: at worst SQLite is then asked.
bool holdsKeyword(const unsigned char* text, int bytes, std::initializer_list<std::string_view> keywords);

// A catalogue is tables of values. The first thing in the database that
// computes as it is read (a view, a generated column, a virtual table) or
// runs as it changes (a trigger), by SQLite's own reading of the schema,
// whatever type its row claims: SQLITE_ROW with *found naming it ("ビュー
// SWB"), SQLITE_DONE when there is none, else SQLite's error.
int firstComputedObject(sqlite3* db, QString* found);

}  // namespace tolvane
