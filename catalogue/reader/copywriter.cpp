#include "catalogue/reader/copywriter.h"

#include "catalogue/copyfolder.h"
#include "catalogue/sqliteopen.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tolvane::reader {

using namespace tolvane::catalogue;

void overCap(const std::string& what)
{
    std::fprintf(stderr, "%s\n", what.c_str());
    throw Failure{kOverCap};
}

void refuse(const std::string& why)
{
    std::fprintf(stderr, "%s\n", why.c_str());
    throw Failure{kRefused};
}

void rowsOverCap(const std::string& table, const Caps& caps)
{
    overCap("テーブル " + table + " の行数が上限 (" + std::to_string(caps.rows) + " 行) を超えるため読み込みを止めました");
}

std::string quotedName(const char* name)
{
    std::string out = "\"";
    for (const char* p = name; *p; ++p) {
        out += *p;
        if (*p == '"')
            out += '"';
    }
    return out + '"';
}

CopyWriter::CopyWriter(const char* path, long long capBytes) : capBytes_(capBytes)
{
    struct stat st {};
    if (::lstat(path, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != 0) {
        std::fprintf(stderr, "%s は書くために用意された空のファイルではありません\n", path);
        throw Failure{kCannotWrite};
    }
    try {
        if (sqlite3_open_v2(path, &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, handleVfs()) != SQLITE_OK)
            cannotWrite();
        // A table the program could not open is no catalogue's table: the
        // file says more columns than Jet allows.
        sqlite3_limit(db_, SQLITE_LIMIT_COLUMN, kCatalogueColumns);
        // A file nobody sees before it is complete: no journal, no syncing
        // (the program syncs it once before it names it a copy).
        exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA page_size=4096");
        exec("PRAGMA max_page_count=" + std::to_string(std::max(1LL, capBytes / kPage)) + "; BEGIN");
        if (sqlite3_prepare_v2(db_, "PRAGMA page_count", -1, &pageCount_, nullptr) != SQLITE_OK)
            fail();
    } catch (...) {
        // The destructor does not run for a constructor that throws.
        sqlite3_close(db_);
        throw;
    }
}

CopyWriter::~CopyWriter()
{
    sqlite3_finalize(insert_);
    sqlite3_finalize(pageCount_);
    sqlite3_close(db_);
}

void CopyWriter::exec(const std::string& sql)
{
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        fail();
}

void CopyWriter::startTable(const std::string& name, const std::vector<std::string>& columns)
{
    sqlite3_finalize(insert_);
    insert_ = nullptr;
    std::string create = "CREATE TABLE " + quotedName(name.c_str()) + " (";
    std::string insert = "INSERT INTO " + quotedName(name.c_str()) + " VALUES (";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        create += (i ? ", " : "") + columns[i];
        insert += i ? ", ?" : "?";
    }
    exec(create + ')');
    if (sqlite3_prepare_v2(db_, (insert + ')').c_str(), -1, &insert_, nullptr) != SQLITE_OK)
        fail();
}

void CopyWriter::endRow(long long bytes)
{
    rowBytes_ = bytes;
    if (sqlite3_step(insert_) != SQLITE_DONE)
        fail();
    sqlite3_reset(insert_);
    sqlite3_clear_bindings(insert_);
    // How far the copy has grown: SQLite undoes everything when it refuses
    // a row, so this is what tells its cap from a full disk.
    if (sqlite3_step(pageCount_) == SQLITE_ROW)
        pages_ = sqlite3_column_int64(pageCount_, 0);
    sqlite3_reset(pageCount_);
}

void CopyWriter::finish(const char* key, const char* file)
{
    sqlite3_finalize(insert_);
    insert_ = nullptr;
    std::string quotedKey = "'";
    for (const char* p = key; *p; ++p)
        quotedKey += *p == '\'' ? std::string("''") : std::string(1, *p);
    // The path as its bytes: a file name need not be text.
    static const char hex[] = "0123456789ABCDEF";
    std::string path = "X'";
    for (const char* p = file; *p; ++p) {
        path += hex[static_cast<unsigned char>(*p) >> 4];
        path += hex[static_cast<unsigned char>(*p) & 15];
    }
    exec(std::string("CREATE VIEW \"") + kSourceView + "\" AS SELECT " + quotedKey + "' AS key, " + path + "' AS file");
    exec("COMMIT");
}

// A full disk is the copy's fault; anything else (a repeated column name,
// say) comes from what the file said.
void CopyWriter::fail() const
{
    switch (sqlite3_errcode(db_) & 0xff) {
    case SQLITE_FULL:
        if ((pages_ + 2) * kPage + rowBytes_ >= capBytes_)
            overCap("コピーが上限 (" + std::to_string(capBytes_) + " バイト) を超えるため読み込みを止めました");
        cannotWrite();
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
    case SQLITE_NOMEM:
        cannotWrite();
    default:
        throw Failure{kDamaged};
    }
}

// Why, in SQLite's words and the system's, for the log.
void CopyWriter::cannotWrite() const
{
    const int error = db_ ? sqlite3_system_errno(db_) : 0;
    std::fprintf(stderr, "%s%s%s%s\n", db_ ? sqlite3_errmsg(db_) : "out of memory", error ? " (" : "",
                 error ? std::strerror(error) : "", error ? ")" : "");
    throw Failure{kCannotWrite};
}

}  // namespace tolvane::reader
