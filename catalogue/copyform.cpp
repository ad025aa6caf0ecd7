#include "catalogue/copyform.h"

#include <sqlite3.h>

#include <cstring>
#include <memory>
#include <string_view>

namespace tolvane::catalogue {

const char kCreateSourceTable[] = "CREATE TABLE \"tolvane.source\" (\"key\" TEXT, \"file\" BLOB)";
const char kCreateColumnsTable[] = "CREATE TABLE \"tolvane.columns\" (\"table\" TEXT, \"strict\" INTEGER, \"name\" TEXT, "
                                   "\"declared\" TEXT, \"type\" TEXT, \"collation\" TEXT)";
const char kInsertSource[] = "INSERT INTO \"tolvane.source\" VALUES (?, ?)";
const char kInsertColumn[] = "INSERT INTO \"tolvane.columns\" VALUES (?, ?, ?, ?, ?, ?)";

namespace {

// Whether text holds word (in lower case), its ASCII letters read in either
// case, as SQLite reads a type's name.
bool holds(const char* text, const char* word)
{
    const std::size_t length = std::strlen(word);
    for (const char* p = text; *p; ++p) {
        std::size_t i = 0;
        while (i < length && p[i] != '\0' && (p[i] | 0x20) == word[i])
            ++i;
        if (i == length)
            return true;
    }
    return false;
}

// The word of the list that text is, in any case; none for any other text.
template <std::size_t N>
const char* wordOf(const char* text, const char* const (&words)[N])
{
    for (const char* word : words) {
        if (text && sqlite3_stricmp(text, word) == 0)
            return word;
    }
    return nullptr;
}

// The word of the list that a record's text is, as the writer wrote it.
template <std::size_t N>
const char* ourWord(std::string_view text, const char* const (&words)[N])
{
    for (const char* word : words) {
        if (text == word)
            return word;
    }
    return nullptr;
}

using Statement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

Statement prepared(sqlite3* db, const char* sql)
{
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    return Statement(stmt, sqlite3_finalize);
}

// A name as SQL quotes it, its quotes doubled.
void appendQuoted(std::string& sql, const std::string& name)
{
    sql += '"';
    for (const char c : name) {
        sql += c;
        if (c == '"')
            sql += '"';
    }
    sql += '"';
}

// A text of the row, for as long as the row is the statement's.
std::string_view textOf(sqlite3_stmt* row, int c)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(row, c));
    return text ? std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(row, c))) : std::string_view();
}

}  // namespace

const char* affinityWord(const char* declared)
{
    // SQLite's rules, the first that applies: a column declared without a
    // type has no affinity, one whose type meets no rule (even "") that of a
    // number.
    if (!declared)
        return "BLOB";
    if (holds(declared, "int"))
        return "INTEGER";
    if (holds(declared, "char") || holds(declared, "clob") || holds(declared, "text"))
        return "TEXT";
    if (holds(declared, "blob"))
        return "BLOB";
    if (holds(declared, "real") || holds(declared, "floa") || holds(declared, "doub"))
        return "REAL";
    return "NUMERIC";
}

const char* strictTypeWord(const char* declared)
{
    if (declared && sqlite3_stricmp(declared, "INT") == 0)
        return "INTEGER";
    return wordOf(declared, kStrictTypeWords);
}

const char* collationWord(const char* collation, bool* known)
{
    *known = !collation || collation[0] == '\0' || sqlite3_stricmp(collation, "BINARY") == 0;
    if (*known)
        return nullptr;
    const char* word = wordOf(collation, kCollationWords);
    *known = word != nullptr;
    return word;
}

std::string quotedName(const std::string& name)
{
    std::string out;
    appendQuoted(out, name);
    return out;
}

std::string createTable(const std::string& table, const std::vector<CopyColumn>& columns, bool strict)
{
    std::string sql = "CREATE TABLE ";
    sql.reserve(64 + 32 * columns.size());
    appendQuoted(sql, table);
    sql += " (";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0)
            sql += ", ";
        appendQuoted(sql, columns[i].name);
        sql += ' ';
        sql += columns[i].type;
        if (columns[i].collation) {
            sql += " COLLATE ";
            sql += columns[i].collation;
        }
    }
    sql += ')';
    if (strict)
        sql += " STRICT";
    return sql;
}

const CopyColumn* CopyRecord::column(const char* table, const char* name, int position) const
{
    const auto it = tables.find(std::string_view(table));
    if (it == tables.end())
        return nullptr;
    const std::vector<CopyColumn>& columns = it->second;
    const auto at = static_cast<std::size_t>(position);
    if (position >= 0 && at < columns.size() && columns[at].name == name)
        return &columns[at];
    for (const CopyColumn& column : columns) {
        if (column.name == name)
            return &column;
    }
    return nullptr;
}

bool readCopyRecord(sqlite3* db, CopyRecord& record)
{
    // The schema in the order it was made: the record's tables, then every
    // table of the copy in the record's order, each by the statement that
    // makes it and by nothing else. No view, no trigger, no index, no other
    // table, nothing the statement could add.
    const Statement schema = prepared(db, "SELECT type, name, tbl_name, sql FROM sqlite_schema ORDER BY rowid");
    const auto made = [&](const std::string& name, const std::string& sql) {
        sqlite3_stmt* row = schema.get();
        return row && sqlite3_step(row) == SQLITE_ROW && textOf(row, 0) == "table" && textOf(row, 1) == name &&
               textOf(row, 2) == name && sqlite3_column_type(row, 3) == SQLITE_TEXT && textOf(row, 3) == sql;
    };
    if (!made(kSourceTable, kCreateSourceTable) || !made(kColumnsTable, kCreateColumnsTable))
        return false;

    // Only now, the record known to be the tables it should be, is it read.
    record.tables.clear();
    const Statement columns = prepared(db, "SELECT \"table\", \"strict\", \"name\", \"declared\", \"type\", \"collation\" "
                                           "FROM \"tolvane.columns\"");
    std::string table;
    bool strict = false;
    std::vector<CopyColumn> columnsMade;
    const auto tableMade = [&] {
        if (!made(table, createTable(table, columnsMade, strict)) || !record.tables.emplace(table, std::move(columnsMade)).second)
            return false;
        columnsMade.clear();
        return true;
    };
    int rc = SQLITE_ERROR;
    while (columns && (rc = sqlite3_step(columns.get())) == SQLITE_ROW) {
        sqlite3_stmt* row = columns.get();
        if (!columnsMade.empty() && textOf(row, 0) != table && !tableMade())
            return false;
        if (columnsMade.empty()) {
            table = std::string(textOf(row, 0));
            strict = sqlite3_column_int(row, 1) != 0;
        } else if (strict != (sqlite3_column_int(row, 1) != 0)) {
            return false;
        }
        const char* type = strict ? ourWord(textOf(row, 4), kStrictTypeWords) : ourWord(textOf(row, 4), kTypeWords);
        const char* collation = nullptr;
        if (!type || (sqlite3_column_type(row, 5) != SQLITE_NULL && !(collation = ourWord(textOf(row, 5), kCollationWords))))
            return false;
        CopyColumn column{std::string(textOf(row, 2)), std::nullopt, type, collation};
        if (sqlite3_column_type(row, 3) != SQLITE_NULL)
            column.declared = std::string(textOf(row, 3));
        columnsMade.push_back(std::move(column));
    }
    if (rc != SQLITE_DONE || (!columnsMade.empty() && !tableMade()) || sqlite3_step(schema.get()) != SQLITE_DONE)
        return false;

    const Statement source = prepared(db, "SELECT \"key\", \"file\" FROM \"tolvane.source\"");
    if (!source || sqlite3_step(source.get()) != SQLITE_ROW || sqlite3_column_type(source.get(), 0) != SQLITE_TEXT ||
        sqlite3_column_type(source.get(), 1) != SQLITE_BLOB)
        return false;
    const std::string_view key = textOf(source.get(), 0);
    record.key = QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
    record.file.assign(static_cast<const char*>(sqlite3_column_blob(source.get(), 1)),
                       static_cast<std::size_t>(sqlite3_column_bytes(source.get(), 1)));
    return sqlite3_step(source.get()) == SQLITE_DONE;
}

}  // namespace tolvane::catalogue
