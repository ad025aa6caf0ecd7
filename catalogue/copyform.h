#pragma once
// The form of a copy of a catalogue file, in one place for its writer (the
// reader process) and its readers (the program's queries, the clean-up at
// start). A copy is built only from the program's own words: each table of
// the file is made by a CREATE TABLE this file writes, its names quoted, each
// column under one of SQLite's own type words and at most one of SQLite's own
// collations; what the file said of a column beyond that (its declared type,
// which decides how a value is shown) is kept as data in a record table. A
// copy is trusted only when its schema holds exactly the record table and
// the tables whose text is what the record builds, and the record is of its
// own form: nothing else, nothing that computes.

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3;

namespace tolvane::catalogue {

// The record, a table under a name no Jet table can have (Jet names hold no
// "."): an SQLite file that holds a table of that name is damaged. Its first
// row is the source: the key of the file's state the copy was made from
// (name, a text) and the file's path (value, its bytes). A row for each table
// follows, in the order the tables were made: its name, and its form packed
// into one value (packedTable).
inline constexpr char kRecordTable[] = "tolvane.record";
extern const char kCreateRecordTable[];
extern const char kInsertRecord[];  // name, value

// One column of a copy's table.
struct CopyColumn {
    std::string name;
    std::optional<std::string> declared;  // as the file declares its type, if it does
    const char* type;                     // kTypeWords, or kStrictTypeWords in a STRICT table
    const char* collation = nullptr;      // kCollationWords; none: BINARY
};

// SQLite's own words for a column's affinity, and for the types of a STRICT
// table's columns.
inline constexpr const char* kTypeWords[] = {"INTEGER", "TEXT", "BLOB", "REAL", "NUMERIC"};
inline constexpr const char* kStrictTypeWords[] = {"INTEGER", "REAL", "TEXT", "BLOB", "ANY"};
// SQLite's own collations but BINARY, which a column has unless told.
inline constexpr const char* kCollationWords[] = {"NOCASE", "RTRIM"};

// The word for the affinity SQLite gives a column of that declared type (none
// for no type), by SQLite's own rules.
const char* affinityWord(const char* declared);
// The word of a STRICT table's column of that declared type; none for a type
// SQLite does not allow there.
const char* strictTypeWord(const char* declared);
// The word of a column's collation, named in any case, as the copy writes
// it: none for BINARY, a column's unless told. *known says whether it is one
// of SQLite's own; any other is none too.
const char* collationWord(const char* collation, bool* known);

// A name as SQL quotes it.
std::string quotedName(const std::string& name);

// The statement that makes a table of the copy.
std::string createTable(const std::string& table, const std::vector<CopyColumn>& columns, bool strict);

// A table's form as its record row keeps it, in one value of the program's
// own making (names and declared types hold no NUL): a digit, 1 for a STRICT
// table, else 0; then for each column in order, three digits (its type word's
// place in the table's list of words, its collation's place in
// kCollationWords after 0 for none, and 1 when the file declares its type,
// else 0), then its name and, when the file declares one, its declared type,
// each ended by a NUL.
std::string packedTable(const std::vector<CopyColumn>& columns, bool strict);

// What a copy records, once its form is checked: the key and the file, and
// each table's columns.
struct CopyRecord {
    // A column as the record holds it: its texts end in a NUL.
    struct Column {
        std::string_view name;
        const char* declared;  // as the file declares its type; none if it declares none
        const char* type;      // kTypeWords, or kStrictTypeWords in a STRICT table
        const char* collation;  // kCollationWords; none: BINARY
    };
    // A table's name and packed columns, kept as the record's row held them:
    // its columns point into them.
    struct Table {
        std::unique_ptr<char[]> bytes;
        std::size_t first = 0;  // in columns
        std::size_t count = 0;
    };
    // Tables looked up by a name as SQLite hands it, without a copy of it.
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
    };
    QString key;
    std::string file;
    std::unordered_map<std::string_view, Table, NameHash, std::equal_to<>> tables;  // each name within its own bytes
    std::vector<Column> columns;

    CopyRecord() = default;
    CopyRecord(const CopyRecord&) = delete;
    CopyRecord& operator=(const CopyRecord&) = delete;

    // The column of the table, when the record holds it; looked for at its
    // position in the table first, where a query of the whole table has it.
    const Column* column(const char* table, const char* name, int position) const;
};

// Whether the copy open as db is of the form above, its record then read
// into record: one pass over the schema, alongside the record's rows, each
// table's statement matched against what its row makes.
bool readCopyRecord(sqlite3* db, CopyRecord& record);

}  // namespace tolvane::catalogue
