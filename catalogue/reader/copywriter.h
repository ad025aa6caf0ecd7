#pragma once
// What the reader process writes: the SQLite copy of a catalogue file, made
// in the empty file the program made for it, and what stops it.

#include "catalogue/common.h"

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

// A name as SQL quotes it.
std::string quotedName(const char* name);

class CopyWriter {
public:
    // Into the empty file at path made for it, named through the folder
    // handed on to the reader; never through a link, and never into a file
    // of its own making. SQLite itself refuses to grow it past capBytes.
    CopyWriter(const char* path, long long capBytes);
    ~CopyWriter();
    CopyWriter(const CopyWriter&) = delete;
    CopyWriter& operator=(const CopyWriter&) = delete;

    // A table of the copy, its columns defined as given ("NAME TYPE ...").
    void startTable(const std::string& name, const std::vector<std::string>& columns);
    // The statement of the table's next row, to bind its values to.
    sqlite3_stmt* row() const { return insert_; }
    // The row bound, with about how many bytes its values take.
    void endRow(long long bytes);
    // The copy complete, with the key of the file's state it was made from
    // and the file's path, as bytes, in the view catalogue::kSourceView.
    void finish(const char* key, const char* file);

private:
    void exec(const std::string& sql);
    [[noreturn]] void fail() const;
    [[noreturn]] void cannotWrite() const;

    static constexpr long long kPage = 4096;
    long long capBytes_;
    long long pages_ = 0;
    long long rowBytes_ = 0;
    sqlite3* db_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    sqlite3_stmt* pageCount_ = nullptr;
};

}  // namespace tolvane::reader
