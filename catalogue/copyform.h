#pragma once
// The form of a copy of a catalogue file, in one place for its writer (the
// reader process) and its readers (the program's queries, the clean-up at
// start). A copy is built only from the program's own words: each table of
// the file is made by a CREATE TABLE this file writes, its names quoted, each
// column under one of SQLite's own type words and at most one of SQLite's own
// collations; what the file said of a column beyond that (its declared type,
// which decides how a value is shown) is kept as data in a record table. A
// copy is trusted only when its schema holds exactly the record's tables and
// the tables whose text is what the record builds: nothing else, nothing
// that computes.

#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3;

namespace tolvane::catalogue {

// The record's tables, under names no Jet table can have (Jet names hold no
// "."): an SQLite file that holds a table of either name is damaged. The
// source holds one row: the key of the file's state the copy was made from
// (key, text) and the file's path (file, its bytes). The columns hold a row
// for each column of each table, in the order of the tables and of their
// columns.
inline constexpr char kSourceTable[] = "tolvane.source";
inline constexpr char kColumnsTable[] = "tolvane.columns";
extern const char kCreateSourceTable[];
extern const char kCreateColumnsTable[];
extern const char kInsertSource[];  // key, file
extern const char kInsertColumn[];  // table, strict, name, declared, type, collation

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

// What a copy records, once its form is checked: the key and the file, and
// each table's columns.
struct CopyRecord {
    // Tables looked up by a name as SQLite hands it, without a copy of it.
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
    };
    QString key;
    std::string file;
    std::unordered_map<std::string, std::vector<CopyColumn>, NameHash, std::equal_to<>> tables;

    // The column of the table, when the record holds it; looked for at its
    // position in the table first, where a query of the whole table has it.
    const CopyColumn* column(const char* table, const char* name, int position) const;
};

// Whether the copy open as db is of the form above, its record then read
// into record: one pass over the schema, alongside the record's rows.
bool readCopyRecord(sqlite3* db, CopyRecord& record);

}  // namespace tolvane::catalogue
