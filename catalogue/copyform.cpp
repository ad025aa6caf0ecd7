#include "catalogue/copyform.h"

#include <sqlite3.h>

#include <cstring>
#include <iterator>
#include <memory>
#include <unordered_map>

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

using Statement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

Statement prepared(sqlite3* db, const char* sql)
{
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    return Statement(stmt, sqlite3_finalize);
}

std::string textOf(sqlite3_stmt* row, int c)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(row, c));
    return std::string(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(row, c)));
}

}  // namespace

const char* affinityWord(const char* declared)
{
    // SQLite's rules, the first that applies: a type that names none is a
    // number's, as is a type of no letters at all ("").
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
    std::string out = "\"";
    for (const char c : name) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + '"';
}

std::string createTable(const std::string& table, const std::vector<CopyColumn>& columns, bool strict)
{
    std::string sql = "CREATE TABLE " + quotedName(table) + " (";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0)
            sql += ", ";
        sql += quotedName(columns[i].name) + ' ' + columns[i].type;
        if (columns[i].collation)
            sql += std::string(" COLLATE ") + columns[i].collation;
    }
    sql += ')';
    return strict ? sql + " STRICT" : sql;
}

bool readCopyRecord(sqlite3* db, CopyRecord& record)
{
    // Every object of the schema a table, by the statement that made it: no
    // view, no trigger, no index, and nothing the statement could add.
    std::unordered_map<std::string, std::string> tables;
    const Statement schema = prepared(db, "SELECT type, name, tbl_name, sql FROM sqlite_schema");
    int rc = SQLITE_ERROR;
    while (schema && (rc = sqlite3_step(schema.get())) == SQLITE_ROW) {
        const std::string name = textOf(schema.get(), 1);
        if (textOf(schema.get(), 0) != "table" || textOf(schema.get(), 2) != name ||
            sqlite3_column_type(schema.get(), 3) != SQLITE_TEXT)
            return false;
        tables.emplace(name, textOf(schema.get(), 3));
    }
    if (rc != SQLITE_DONE)
        return false;
    for (const auto& [name, sql] : {std::pair{kSourceTable, kCreateSourceTable}, std::pair{kColumnsTable, kCreateColumnsTable}}) {
        const auto it = tables.find(name);
        if (it == tables.end() || it->second != sql)
            return false;
        tables.erase(it);
    }

    // Only now, the record known to be the tables it should be, is it read:
    // every other table is the one its columns' rows make, in order.
    record.declared.clear();
    const Statement columns = prepared(db, "SELECT \"table\", \"strict\", \"name\", \"declared\", \"type\", \"collation\" "
                                           "FROM \"tolvane.columns\"");
    std::string table;
    bool strict = false;
    std::vector<CopyColumn> made;
    const auto tableDone = [&] {
        const auto it = tables.find(table);
        if (made.empty() || it == tables.end() || it->second != createTable(table, made, strict))
            return false;
        tables.erase(it);
        made.clear();
        return true;
    };
    while (columns && (rc = sqlite3_step(columns.get())) == SQLITE_ROW) {
        sqlite3_stmt* row = columns.get();
        const std::string name = textOf(row, 0);
        if (name != table && !made.empty() && !tableDone())
            return false;
        if (made.empty()) {
            table = name;
            strict = sqlite3_column_int(row, 1) != 0;
        } else if (strict != (sqlite3_column_int(row, 1) != 0)) {
            return false;
        }
        const auto* word = reinterpret_cast<const char*>(sqlite3_column_text(row, 4));
        const char* type = strict ? wordOf(word, kStrictTypeWords) : wordOf(word, kTypeWords);
        const char* collation = nullptr;
        if (sqlite3_column_type(row, 5) != SQLITE_NULL &&
            !(collation = wordOf(reinterpret_cast<const char*>(sqlite3_column_text(row, 5)), kCollationWords)))
            return false;
        if (!type)
            return false;
        CopyColumn column{textOf(row, 2), {}, type, collation};
        QByteArray key = QByteArray::fromStdString(table) + '\0' + QByteArray::fromStdString(column.name);
        if (sqlite3_column_type(row, 3) != SQLITE_NULL)
            column.declared = QByteArray::fromStdString(textOf(row, 3));
        record.declared.insert(key, column.declared);
        made.push_back(std::move(column));
    }
    if (rc != SQLITE_DONE || (!made.empty() && !tableDone()) || !tables.empty())
        return false;

    const Statement source = prepared(db, "SELECT \"key\", \"file\" FROM \"tolvane.source\"");
    if (!source || sqlite3_step(source.get()) != SQLITE_ROW || sqlite3_column_type(source.get(), 0) != SQLITE_TEXT ||
        sqlite3_column_type(source.get(), 1) != SQLITE_BLOB)
        return false;
    record.key = QString::fromStdString(textOf(source.get(), 0));
    record.file.assign(static_cast<const char*>(sqlite3_column_blob(source.get(), 1)),
                       static_cast<std::size_t>(sqlite3_column_bytes(source.get(), 1)));
    return sqlite3_step(source.get()) == SQLITE_DONE;
}

}  // namespace tolvane::catalogue
