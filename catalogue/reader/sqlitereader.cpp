#include "catalogue/reader/sqlitereader.h"

#include "catalogue/catalogue.h"
#include "catalogue/reader/heldfile.h"
#include "catalogue/sqliteopen.h"

#include <QByteArray>
#include <QString>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tolvane::reader {

namespace {

using namespace tolvane::catalogue;

struct CloseDatabase {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;
using Statement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

// What SQLite could not read of the file, said as the program says it.
[[noreturn]] void failed(sqlite3* db, int rc)
{
    const std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    switch (rc & 0xff) {
    case SQLITE_NOTADB:
        throw Failure{kUnrecognised};
    case SQLITE_TOOBIG:
        overCap(lengthLimitPassed(db).toStdString());
    case SQLITE_NOMEM:
        heapBoundReached();
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_IOERR: {
        const int error = db ? sqlite3_system_errno(db) : 0;
        std::fprintf(stderr, "%s\n", error ? std::strerror(error) : message.c_str());
        throw Failure{kUnreadable};
    }
    default:
        refuse("構造が正しくありません (" + message + ")");
    }
}

Statement prepared(sqlite3* db, const std::string& sql)
{
    sqlite3_stmt* stmt = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
    Statement owned(stmt, sqlite3_finalize);
    if (rc != SQLITE_OK)
        failed(db, rc);
    return owned;
}

struct Table {
    std::string name;
    bool strict;
};

// Whether the table is STRICT. Its schema text says STRICT where it is; only
// then is SQLite asked, one table at a time (its list of every table holds a
// few operations a table).
bool isStrict(sqlite3* db, const std::string& name, const unsigned char* sql, int bytes)
{
    if (!holdsKeyword(sql, bytes, {"strict"}))
        return false;
    const Statement ask = prepared(db, "SELECT \"strict\" FROM pragma_table_list(?1) WHERE schema = 'main'");
    sqlite3_bind_text(ask.get(), 1, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
    const int rc = sqlite3_step(ask.get());
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        failed(db, rc);
    return rc == SQLITE_ROW && sqlite3_column_int(ask.get(), 0) != 0;
}

// Its tables, in the order the schema lists them: the order the program
// lists the tables of a copy in.
std::vector<Table> tablesOf(sqlite3* db)
{
    const Statement list = prepared(db, "SELECT name, sql FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE "
                                        "'sqlite!_%' ESCAPE '!' ORDER BY rowid");
    std::vector<Table> tables;
    int rc;
    while ((rc = sqlite3_step(list.get())) == SQLITE_ROW) {
        std::string name(reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 0)));
        const bool strict = isStrict(db, name, sqlite3_column_text(list.get(), 1), sqlite3_column_bytes(list.get(), 1));
        tables.push_back({std::move(name), strict});
    }
    if (rc != SQLITE_DONE)
        failed(db, rc);
    return tables;
}

// What a column of the copy does to a value, for what it may receive: any
// value as it is (a column of no affinity, a STRICT table's ANY), or what
// its affinity or its STRICT type would change.
enum class Kind { Any, Text, Number, Real, StrictInteger, StrictReal, StrictText, StrictBlob };

Kind kindOf(const char* type, bool strict)
{
    const std::string word = type;
    if (strict)
        return word == "INTEGER" ? Kind::StrictInteger
             : word == "REAL"    ? Kind::StrictReal
             : word == "TEXT"    ? Kind::StrictText
             : word == "BLOB"    ? Kind::StrictBlob
                                 : Kind::Any;
    return word == "TEXT" ? Kind::Text : word == "REAL" ? Kind::Real : word == "BLOB" ? Kind::Any : Kind::Number;
}

// Each column under the word of the affinity SQLite gives it in the file (a
// STRICT table's under its type), and the collation it has there, which must
// be one of SQLite's own; its declared type is kept as data.
std::vector<CopyColumn> columnsOf(sqlite3* db, const Table& table, sqlite3_stmt* rows, std::vector<Kind>& kinds)
{
    std::vector<CopyColumn> columns;
    for (int c = 0; c < sqlite3_column_count(rows); ++c) {
        const char* name = sqlite3_column_name(rows, c);
        const char* declared = sqlite3_column_decltype(rows, c);
        const char* collation = nullptr;
        if (sqlite3_table_column_metadata(db, "main", table.name.c_str(), name, nullptr, &collation, nullptr, nullptr,
                                          nullptr) != SQLITE_OK)
            failed(db, sqlite3_errcode(db));
        bool known = false;
        const char* collationWord = catalogue::collationWord(collation, &known);
        if (!known)
            refuse("テーブル " + table.name + " の列 " + name + " の照合順序 " + collation + " は使えないため読み込みません");
        const char* type = table.strict ? strictTypeWord(declared) : affinityWord(declared);
        if (!type)
            refuse("テーブル " + table.name + " の列 " + name + " の型 " + (declared ? declared : "") +
                   " は使えないため読み込みません");
        kinds.push_back(kindOf(type, table.strict));
        columns.push_back({name, declared ? std::optional<std::string>(declared) : std::nullopt, type, collationWord});
    }
    return columns;
}

[[noreturn]] void notKept(const std::string& table, const char* column)
{
    refuse("テーブル " + table + " の列 " + column + " に列の型と合わない値があるため読み込みません");
}

// A number a column of numeric affinity would store as a whole number: a
// whole number within a 64-bit integer's range, its ends left out.
bool madeWhole(double value)
{
    return value == std::trunc(value) && value > -9223372036854775808.0 && value < 9223372036854775808.0;
}

// Whether a column of numeric affinity would make a number of the text: only
// a text of digits, signs, points, exponents and spaces can be one, and SQLite
// says which of those is.
bool madeNumber(sqlite3_stmt* rows, int c, const char* text, int bytes)
{
    bool digit = false;
    for (int i = 0; i < bytes; ++i) {
        if (!std::strchr("0123456789+-.eE \t\n\v\f\r", text[i]) || text[i] == '\0')
            return false;
        digit = digit || (text[i] >= '0' && text[i] <= '9');
    }
    if (!digit)
        return false;
    sqlite3_value* value = sqlite3_value_dup(sqlite3_column_value(rows, c));
    if (!value)
        heapBoundReached();
    const bool number = sqlite3_value_numeric_type(value) != SQLITE_TEXT;
    sqlite3_value_free(value);
    return number;
}

// A text as stored, but one that is not UTF-8 as the program shows it: a byte
// that is no UTF-8 is U+FFFD there, so it is here, and a value listed is
// found again by the text listed. Only a text of bytes beyond ASCII can be
// one.
void copyText(CopyWriter& copy, int index, sqlite3_stmt* rows, int c, Kind kind)
{
    const char* text = reinterpret_cast<const char*>(sqlite3_column_text(rows, c));
    int bytes = sqlite3_column_bytes(rows, c);
    if (!text) {
        // None only where SQLite ran out of its memory for it.
        if (sqlite3_errcode(sqlite3_db_handle(rows)) == SQLITE_NOMEM)
            heapBoundReached();
        text = "";
    }
    QByteArray shown;
    if (std::any_of(text, text + bytes, [](char b) { return static_cast<unsigned char>(b) >= 0x80; })) {
        shown = QString::fromUtf8(text, bytes).toUtf8();
        if (shown.size() != bytes || std::memcmp(shown.constData(), text, static_cast<std::size_t>(bytes)) != 0) {
            text = shown.constData();
            bytes = static_cast<int>(shown.size());
        }
    }
    if ((kind == Kind::Number || kind == Kind::Real) && madeNumber(rows, c, text, bytes))
        copy.keepText(index, text, bytes);
    else
        sqlite3_bind_text(copy.row(), index, text, bytes, SQLITE_TRANSIENT);
}

// Every value as stored: its type and its bytes, which SQLite hands on as
// they are where the copy's column keeps them so; a value the column would
// change is kept from it, or, where it cannot be, the file is refused.
void copyValue(CopyWriter& copy, sqlite3_stmt* rows, int c, Kind kind, const Table& table)
{
    switch (sqlite3_column_type(rows, c)) {
    case SQLITE_NULL:
        return;  // NULL stays bound
    case SQLITE_INTEGER:
        if (kind == Kind::Text || kind == Kind::Real || kind == Kind::StrictReal || kind == Kind::StrictText ||
            kind == Kind::StrictBlob)
            notKept(table.name, sqlite3_column_name(rows, c));
        break;
    case SQLITE_FLOAT:
        if (kind == Kind::Text || kind == Kind::StrictInteger || kind == Kind::StrictText || kind == Kind::StrictBlob ||
            (kind == Kind::Number && madeWhole(sqlite3_column_double(rows, c))))
            notKept(table.name, sqlite3_column_name(rows, c));
        break;
    case SQLITE_BLOB:
        if (kind == Kind::StrictInteger || kind == Kind::StrictReal || kind == Kind::StrictText)
            notKept(table.name, sqlite3_column_name(rows, c));
        break;
    default:
        if (kind == Kind::StrictInteger || kind == Kind::StrictReal || kind == Kind::StrictBlob)
            notKept(table.name, sqlite3_column_name(rows, c));
        copyText(copy, c + 1, rows, c, kind);
        return;
    }
    sqlite3_bind_value(copy.row(), c + 1, sqlite3_column_value(rows, c));
}

void copyTable(sqlite3* db, const Table& table, CopyWriter& copy, const Caps& caps)
{
    const Statement rows = prepared(db, "SELECT * FROM " + quotedName(table.name));
    const int columns = sqlite3_column_count(rows.get());
    std::vector<Kind> kinds;
    copy.startTable(table.name, columnsOf(db, table, rows.get(), kinds), table.strict);
    long long count = 0;
    int rc;
    while ((rc = sqlite3_step(rows.get())) == SQLITE_ROW) {
        if (++count > caps.rows)
            rowsOverCap(table.name, caps);
        for (int c = 0; c < columns; ++c)
            copyValue(copy, rows.get(), c, kinds[static_cast<std::size_t>(c)], table);
        copy.endRow();
    }
    if (rc != SQLITE_DONE)
        failed(db, rc);
}

}  // namespace

int convertSqlite(const char* recorded, const char* output, const char* key, const Caps& caps)
{
    CatalogueCaps limits;
    limits.valueBytes = caps.valueBytes;
    limits.rows = caps.rows;
    limits.copyBytes = caps.copyBytes;
    setCatalogueCaps(limits);
    try {
        sqlite3* opened = nullptr;
        const int rc = openCatalogueDatabase(recorded, &opened, CatalogueDatabase::Source, 0, heldFileVfs());
        const Database db(opened);
        if (rc != SQLITE_OK)
            failed(db.get(), rc);
        // A catalogue is tables of values: the first thing that computes as
        // it is read or runs as it changes, by SQLite's own reading of the
        // schema, is refused by name.
        QString found;
        switch (const int computed = firstComputedObject(db.get(), &found)) {
        case SQLITE_DONE:
            break;
        case SQLITE_ROW:
            refuse((found + QStringLiteral(" を含むため読み込みません")).toStdString());
        default:
            failed(db.get(), computed);
        }
        const std::vector<Table> tables = tablesOf(db.get());
        CopyWriter copy(output, caps.copyBytes, key, recorded);
        for (const Table& table : tables)
            copyTable(db.get(), table, copy, caps);
        copy.finish();
    } catch (const Failure& f) {
        return f.code;
    }
    return kConverted;
}

}  // namespace tolvane::reader
