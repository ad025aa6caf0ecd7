#pragma once
// What the reader process writes: the SQLite copy of a catalogue file, made
// in the empty file the program made for it, in the form of copyform.h, and
// what stops it.

#include "catalogue/common.h"
#include "catalogue/copyform.h"

#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tolvane::reader {

// What the copy may hold: beyond any of these the file is too large to read.
struct Caps {
    long long valueBytes;  // one value: a Jet text in UTF-8, else as the file stores it
    long long rows;        // one table
    long long copyBytes;   // the whole copy
};

// How the reader ends: one of the reader's exit codes.
struct Failure {
    int code;
};

// Past a cap: one line that names it, then the reader stops (kOverCap).
[[noreturn]] void overCap(const std::string& what);
// The file holds what no catalogue may: one line that says what (kRefused).
[[noreturn]] void refuse(const std::string& why);
// A table of more rows than the cap allows.
[[noreturn]] void rowsOverCap(const std::string& table, const Caps& caps);
// SQLite's own bound on what it holds in the reader, reached.
[[noreturn]] void heapBoundReached();

class CopyWriter {
public:
    // Into the empty file at path made for it, named through the folder
    // handed on to the reader; never through a link, and never into a file
    // of its own making. SQLite itself refuses to grow it past capBytes. Its
    // record names the key of the file's state it is made from and the file's
    // path, as bytes.
    CopyWriter(const char* path, long long capBytes, const char* key, const char* file);
    ~CopyWriter();
    CopyWriter(const CopyWriter&) = delete;
    CopyWriter& operator=(const CopyWriter&) = delete;

    // A table of the copy, of these columns, STRICT when strict; its columns
    // go into the record.
    void startTable(const std::string& name, const std::vector<catalogue::CopyColumn>& columns, bool strict);
    // The statement of the table's next row, to bind its values to.
    sqlite3_stmt* row() const { return insert_; }
    // A text of the row (parameter index) that the column's affinity would
    // make a number of: bound as a text of its length that stays a text, and
    // written over with its own bytes once the row is in.
    void keepText(int index, const char* text, int bytes);
    // The row bound.
    void endRow();
    // The copy complete.
    void finish();

private:
    sqlite3_stmt* prepare(const std::string& sql) const;
    void run(const std::string& sql) const;
    void addRecordRow() const;
    [[noreturn]] void fail() const;
    [[noreturn]] void cannotWrite() const;

    std::string path_;
    long long capBytes_;
    sqlite3* db_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    sqlite3_stmt* record_ = nullptr;
    std::string table_;
    std::vector<std::string> columns_;
    struct Kept {
        int index;
        std::string text;
    };
    std::vector<Kept> kept_;
};

}  // namespace tolvane::reader
