#include "catalogue/reader/sqlitereader.h"

#include "catalogue/catalogue.h"
#include "catalogue/sqliteopen.h"

#include <QByteArray>
#include <QString>

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
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
        // The system's refusal ends the reader at once (its memory watch):
        // this is SQLite's own bound.
        refuse(memoryLimitReached(kCatalogueHeapBytes).toStdString());
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

// Its tables, in the order the schema lists them: the order the program
// lists the tables of a copy in.
std::vector<std::string> tablesOf(sqlite3* db)
{
    const Statement list = prepared(db, "SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE "
                                        "'sqlite!_%' ESCAPE '!' ORDER BY rowid");
    std::vector<std::string> tables;
    int rc;
    while ((rc = sqlite3_step(list.get())) == SQLITE_ROW)
        tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 0)));
    if (rc != SQLITE_DONE)
        failed(db, rc);
    return tables;
}

// Each column as the file declares it: its type (the very words, which the
// program shows and which give its values their kind) and its collation.
std::vector<std::string> columnDefinitions(sqlite3* db, const std::string& table, sqlite3_stmt* rows)
{
    std::vector<std::string> definitions;
    for (int c = 0; c < sqlite3_column_count(rows); ++c) {
        const char* name = sqlite3_column_name(rows, c);
        const char* declared = sqlite3_column_decltype(rows, c);
        const char* collation = nullptr;
        if (sqlite3_table_column_metadata(db, "main", table.c_str(), name, nullptr, &collation, nullptr, nullptr,
                                          nullptr) != SQLITE_OK)
            failed(db, sqlite3_errcode(db));
        std::string definition = quotedName(name);
        if (declared)
            definition += ' ' + std::string(declared);
        if (collation)
            definition += " COLLATE " + quotedName(collation);
        definitions.push_back(std::move(definition));
    }
    return definitions;
}

// A text as the program shows it: a byte that is no UTF-8 is U+FFFD there,
// so it is here, and a value listed is found again by the text listed.
long long bindText(sqlite3_stmt* row, int index, sqlite3_stmt* rows, int c)
{
    const char* text = reinterpret_cast<const char*>(sqlite3_column_text(rows, c));
    const int bytes = sqlite3_column_bytes(rows, c);
    const QByteArray shown = QString::fromUtf8(text, bytes).toUtf8();
    if (shown.size() == bytes && std::memcmp(shown.constData(), text, static_cast<std::size_t>(bytes)) == 0)
        sqlite3_bind_text(row, index, text, bytes, SQLITE_TRANSIENT);
    else
        sqlite3_bind_text(row, index, shown.constData(), static_cast<int>(shown.size()), SQLITE_TRANSIENT);
    return bytes;
}

void copyTable(sqlite3* db, const std::string& table, CopyWriter& copy, const Caps& caps)
{
    const Statement rows = prepared(db, "SELECT * FROM " + quotedName(table.c_str()));
    const int columns = sqlite3_column_count(rows.get());
    copy.startTable(table, columnDefinitions(db, table, rows.get()));
    long long count = 0;
    int rc;
    while ((rc = sqlite3_step(rows.get())) == SQLITE_ROW) {
        if (++count > caps.rows)
            rowsOverCap(table, caps);
        long long bytes = 0;
        for (int c = 0; c < columns; ++c) {
            sqlite3_stmt* row = copy.row();
            switch (sqlite3_column_type(rows.get(), c)) {
            case SQLITE_INTEGER:
                sqlite3_bind_int64(row, c + 1, sqlite3_column_int64(rows.get(), c));
                bytes += 8;
                break;
            case SQLITE_FLOAT:
                sqlite3_bind_double(row, c + 1, sqlite3_column_double(rows.get(), c));
                bytes += 8;
                break;
            case SQLITE_TEXT:
                bytes += bindText(row, c + 1, rows.get(), c);
                break;
            case SQLITE_BLOB:
                sqlite3_bind_blob(row, c + 1, sqlite3_column_blob(rows.get(), c), sqlite3_column_bytes(rows.get(), c),
                                  SQLITE_TRANSIENT);
                bytes += sqlite3_column_bytes(rows.get(), c);
                break;
            default:
                break;  // NULL stays bound
            }
        }
        copy.endRow(bytes);
    }
    if (rc != SQLITE_DONE)
        failed(db, rc);
}

}  // namespace

int convertSqlite(const char* source, const char* output, const char* key, const char* recorded, const Caps& caps)
{
    CatalogueCaps limits;
    limits.valueBytes = caps.valueBytes;
    limits.rows = caps.rows;
    limits.copyBytes = caps.copyBytes;
    setCatalogueCaps(limits);
    try {
        sqlite3* opened = nullptr;
        const int rc = openCatalogueDatabase(source, &opened, CatalogueDatabase::Source);
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
        const std::vector<std::string> tables = tablesOf(db.get());
        CopyWriter copy(output, caps.copyBytes);
        for (const std::string& table : tables)
            copyTable(db.get(), table, copy, caps);
        copy.finish(key, recorded);
    } catch (const Failure& f) {
        return f.code;
    }
    return kConverted;
}

}  // namespace tolvane::reader
