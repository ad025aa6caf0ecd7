#include "catalogue/reader/copywriter.h"

#include "catalogue/copyfolder.h"
#include "catalogue/sqliteopen.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace tolvane::reader {

using namespace tolvane::catalogue;

namespace {

constexpr long long kPage = 4096;

// Below this much room on its disk, a copy that SQLite finds full has filled
// the disk; with more, it has reached its cap.
constexpr unsigned long long kDiskFullBytes = 64 * 1024;

// The writer runs only its own statements, and these are all it runs: its
// settings, its one transaction, the tables of the copy and their rows, and
// SQLite's own entries for the tables made, which it reads and completes.
// Anything else (an attachment, a function, a temporary table, a read of a
// table) is refused, whatever text asked for it.
int allowWriting(void*, int action, const char* first, const char*, const char*, const char*)
{
    static const char* const settings[] = {"journal_mode", "synchronous", "page_size", "max_page_count"};
    switch (action) {
    case SQLITE_PRAGMA:
        return std::any_of(std::begin(settings), std::end(settings),
                           [&](const char* name) { return first && std::strcmp(first, name) == 0; })
                   ? SQLITE_OK
                   : SQLITE_DENY;
    case SQLITE_TRANSACTION:
    case SQLITE_CREATE_TABLE:
    case SQLITE_INSERT:
        return SQLITE_OK;
    case SQLITE_READ:
    case SQLITE_UPDATE:
        return first && std::strcmp(first, "sqlite_master") == 0 ? SQLITE_OK : SQLITE_DENY;
    default:
        return SQLITE_DENY;
    }
}

}  // namespace

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

void heapBoundReached()
{
    // The system's refusal ends the reader at once (its memory watch): this
    // is SQLite's own bound, a cap like the others.
    overCap(memoryLimitReached(kCatalogueHeapBytes).toStdString());
}

CopyWriter::CopyWriter(const char* path, long long capBytes, const char* key, const char* file)
    : path_(path), capBytes_(capBytes)
{
    struct stat st {};
    if (::lstat(path, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != 0) {
        std::fprintf(stderr, "%s は書くために用意された空のファイルではありません\n", path);
        throw Failure{kCannotWrite};
    }
    // What SQLite holds while it writes is bounded as while it reads.
    sqlite3_hard_heap_limit64(kCatalogueHeapBytes);
    try {
        if (sqlite3_open_v2(path, &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, handleVfs()) != SQLITE_OK)
            cannotWrite();
        sqlite3_limit(db_, SQLITE_LIMIT_ATTACHED, 0);
        // A table the program could not open is no catalogue's table: the
        // file says more columns than Jet allows.
        sqlite3_limit(db_, SQLITE_LIMIT_COLUMN, kCatalogueColumns);
        sqlite3_set_authorizer(db_, allowWriting, nullptr);
        // A file nobody sees before it is complete: no journal, no syncing
        // (the program syncs it once before it names it a copy). Set before
        // defensive mode, which keeps a journal.
        for (const char* setting : {"PRAGMA journal_mode=OFF", "PRAGMA synchronous=OFF", "PRAGMA page_size=4096"})
            run(setting);
        run("PRAGMA max_page_count=" + std::to_string(std::max(1LL, capBytes / kPage)));
        // The reading side's guards, though only the writer's own words run.
        for (const auto& [setting, value] : {std::pair{SQLITE_DBCONFIG_DEFENSIVE, 1}, std::pair{SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0},
                                             std::pair{SQLITE_DBCONFIG_ENABLE_TRIGGER, 0}}) {
            if (sqlite3_db_config(db_, setting, value, static_cast<int*>(nullptr)) != SQLITE_OK)
                fail();
        }
        run("BEGIN");
        run(kCreateRecordTable);
        record_ = prepare(kInsertRecord);
        // The source first. The path as its bytes: a file name need not be
        // text.
        sqlite3_bind_text(record_, 1, key, -1, SQLITE_STATIC);
        sqlite3_bind_blob(record_, 2, file, static_cast<int>(std::strlen(file)), SQLITE_STATIC);
        addRecordRow();
    } catch (...) {
        // The destructor does not run for a constructor that throws.
        sqlite3_finalize(record_);
        sqlite3_close(db_);
        throw;
    }
}

CopyWriter::~CopyWriter()
{
    sqlite3_finalize(insert_);
    sqlite3_finalize(record_);
    sqlite3_close(db_);
}

// One statement of the writer's own, alone: text after it would be a fault.
sqlite3_stmt* CopyWriter::prepare(const std::string& sql) const
{
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()) + 1, &stmt, &tail) != SQLITE_OK)
        fail();
    if (!stmt || (tail && *tail != '\0')) {
        sqlite3_finalize(stmt);
        std::fprintf(stderr, "%s は一つの文ではありません\n", sql.c_str());
        throw Failure{kCannotWrite};
    }
    return stmt;
}

void CopyWriter::run(const std::string& sql) const
{
    sqlite3_stmt* stmt = prepare(sql);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    // Finalized, the statement leaves its error with the connection.
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        fail();
}

void CopyWriter::startTable(const std::string& name, const std::vector<CopyColumn>& columns, bool strict)
{
    sqlite3_finalize(insert_);
    insert_ = nullptr;
    run(createTable(name, columns, strict));
    table_ = name;
    columns_.clear();
    std::string insert = "INSERT INTO " + quotedName(name) + " VALUES (";
    for (const CopyColumn& column : columns) {
        insert += columns_.empty() ? "?" : ", ?";
        columns_.push_back(column.name);
    }
    const std::string packed = packedTable(columns, strict);
    sqlite3_bind_text(record_, 1, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
    sqlite3_bind_blob(record_, 2, packed.data(), static_cast<int>(packed.size()), SQLITE_STATIC);
    addRecordRow();
    insert_ = prepare(insert + ')');
}

void CopyWriter::keepText(int index, const char* text, int bytes)
{
    kept_.push_back({index, std::string(text, static_cast<std::size_t>(bytes))});
    // A run of one letter is never a number.
    const std::string placeholder(static_cast<std::size_t>(bytes), 'x');
    sqlite3_bind_text(insert_, index, placeholder.data(), bytes, SQLITE_TRANSIENT);
}

void CopyWriter::endRow()
{
    if (sqlite3_step(insert_) != SQLITE_DONE)
        fail();
    sqlite3_reset(insert_);
    sqlite3_clear_bindings(insert_);
    if (kept_.empty())
        return;
    const sqlite3_int64 rowid = sqlite3_last_insert_rowid(db_);
    for (const Kept& kept : kept_) {
        sqlite3_blob* blob = nullptr;
        const int rc = sqlite3_blob_open(db_, "main", table_.c_str(), columns_[static_cast<std::size_t>(kept.index - 1)].c_str(),
                                         rowid, 1, &blob);
        if (rc != SQLITE_OK || sqlite3_blob_write(blob, kept.text.data(), static_cast<int>(kept.text.size()), 0) != SQLITE_OK) {
            sqlite3_blob_close(blob);
            fail();
        }
        sqlite3_blob_close(blob);
    }
    kept_.clear();
}

// The record's row bound.
void CopyWriter::addRecordRow() const
{
    const int rc = sqlite3_step(record_);
    sqlite3_reset(record_);
    if (rc != SQLITE_DONE)
        fail();
}

void CopyWriter::finish()
{
    sqlite3_finalize(insert_);
    insert_ = nullptr;
    run("COMMIT");
}

// A full disk is the copy's fault, and so is SQLite's bound on its memory
// reached; anything else (a repeated column name, say) comes from what the
// file said. SQLite tells its cap on the copy's pages as it tells a full
// disk: the room left on the disk tells them apart.
void CopyWriter::fail() const
{
    switch (sqlite3_errcode(db_) & 0xff) {
    case SQLITE_FULL: {
        struct statvfs disk {};
        if (::statvfs(path_.c_str(), &disk) == 0 &&
            static_cast<unsigned long long>(disk.f_bavail) * disk.f_frsize >= kDiskFullBytes)
            overCap("コピーが上限 (" + std::to_string(capBytes_) + " バイト) を超えるため読み込みを止めました");
        cannotWrite();
    }
    case SQLITE_NOMEM:
        heapBoundReached();
    case SQLITE_TOOBIG:
        overCap(lengthLimitPassed(db_).toStdString());
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
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
