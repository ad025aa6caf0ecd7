#include "catalogue/connection.h"

#include "catalogue/copyfolder.h"
#include "catalogue/fieldtext.h"
#include "catalogue/fileformat.h"
#include "catalogue/jetcopy.h"
#include "catalogue/sqliteopen.h"
#include "services/log.h"
#include "services/numtext.h"
#include "services/vberror.h"

#include <QDir>
#include <QHash>

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tolvane::catalogue {

namespace {

// A catalogue fault is logged under the number the Access engine gives it, one to look up whichever reader met it.
enum : int {
    kJetFileInUse = 3045,
    kJetTooFewParameters = 3061,
    kJetSyntax = 3075,
    kJetTableNotFound = 3078,
    kJetTextAfterStatement = 3142,
    kJetInvalidOperation = 3219,
    kJetReserved = 3000,
};

using jetcopy::quoted;

VbError fileInUse(const QString& shown)
{
    return VbError(kJetFileInUse, QStringLiteral("ファイル ") + quoted(shown) + QStringLiteral(" は既に使用中です。"));
}

// Where a writer of the SQLite file keeps what the file as it stands does
// not yet show: in WAL mode the changes it has committed but not yet written
// back (its -wal file), else the pages that a change in progress, or one
// its writer never finished, replaced in the file (its -journal). Beside
// the file, or, when the writer opened it through a link, beside the file
// the link leads to (resolved).
struct WriterFiles {
    std::string wal;
    std::string journal;
};
std::vector<WriterFiles> writerFilesOf(const std::string& file, const std::string& resolved)
{
    std::vector<WriterFiles> names = {{file + "-wal", file + "-journal"}};
    if (file != resolved)
        names.push_back({resolved + "-wal", resolved + "-journal"});
    return names;
}

// A rollback journal is hot, in SQLite's word, while the change it belongs
// to is not complete: it is there, not empty, and its header not zeroed (as
// SQLite tells it, by the first byte); a writer removes, empties or zeroes
// it once the change is in. One that cannot be read cannot be told done.
bool hotJournal(const std::string& journal)
{
    struct stat st {};
    if (::stat(journal.c_str(), &st) != 0 || st.st_size == 0)
        return false;
    const int fd = ::open(journal.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return true;
    unsigned char first = 0;
    const ssize_t got = ::pread(fd, &first, 1, 0);
    ::close(fd);
    return got != 1 || first != 0;
}

// Memory that ran out at a limit, named as the reader names it.
QString memoryLimitReached(qulonglong bytes)
{
    return QStringLiteral("メモリが上限 (") + QString::number(bytes) + QStringLiteral(" バイト) に達したため読み込みを止めました");
}

// Memory the system refused: the user's own limit, where one is set.
QString systemMemoryWanting()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        return memoryLimitReached(limit.rlim_cur);
    return QStringLiteral("メモリが足りないため読み込みを止めました");
}

// Whether a result column of this name is one the caller keeps: one it
// names (every one when it names none), and only the first of that name,
// the one a field is looked up by.
bool keptColumn(const QString& name, const QStringList& kept, std::initializer_list<QStringView> keep)
{
    if (keep.size() == 0)
        return true;
    const auto same = [&](QStringView other) { return other.compare(name, Qt::CaseInsensitive) == 0; };
    return std::any_of(keep.begin(), keep.end(), same) && std::none_of(kept.begin(), kept.end(), same);
}

// One open read-only database, kept across queries: the sample's SQLite file
// itself, or a Jet file's current SQLite copy.
class Connection {
public:
    Connection(const std::string& file, const QString& shown, const jetcopy::FileKey& key)
        : path_(shown), source_(resolvedPath(file, shown)), key_(key)
    {
        switch (headerFormat(file, shown)) {
        case FileFormat::Sqlite:
            jetcopy::throwRememberedStop(source_, key);
            // The path may have held a Jet file before.
            jetcopy::dropCopiesOf(source_);
            // Nothing of the file is read while a writer's changes are not in it.
            writerFiles_ = writerFilesOf(file, source_);
            refuseUnwrittenChanges();
            // One step of SQLite may walk a row's whole chain of pages before
            // the deadline is looked at again: the file is held to what a
            // Jet file's copy may take, so no step can outlast the deadline
            // by much.
            if (key.size > catalogueCaps().copyBytes)
                refuse(QStringLiteral("ファイルが上限 (") + QString::number(catalogueCaps().copyBytes) +
                       QStringLiteral(" バイト) を超えるため読み込みません"));
            open(file);
            refuseComputedObjects();
            return;
        case FileFormat::Jet3:
        case FileFormat::Jet4:
            break;
        case FileFormat::Unknown:
            jetcopy::dropCopiesOf(source_);
            throw jetcopy::unrecognisedFormat(shown);
        }
        // A copy that is empty, unreadable or made from another state of the
        // file is never trusted: it is made again, once.
        const QString made = jetcopy::keyText(source_, key);
        for (int attempt = 0; attempt < 2; ++attempt) {
            copy_ = jetcopy::currentCopy(source_, shown, key);
            if (openCopy(made))
                return;
            copy_.drop();
        }
        throw jetcopy::damagedDatabase(shown);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // A copy that turned out damaged while read: the connection is of no
    // further use, and the copy is made again by the next query.
    bool broken() const { return broken_; }
    // An SQLite file is read in place as its main file stands, never
    // replayed, rolled back or locked (each would write beside it), so a
    // read never sees changes still in its -wal file, nor knows which pages
    // of the file a change not complete has written: while either holds the
    // file is in use, rather than shown with the rows from before those
    // changes or with half of one.
    void refuseUnwrittenChanges() const
    {
        for (const WriterFiles& files : writerFiles_) {
            struct stat st {};
            if ((::stat(files.wal.c_str(), &st) == 0 && st.st_size > 0) || hotJournal(files.journal))
                throw fileInUse(path_);
        }
    }

    // Whether a copy recorded with its file's digest still is the file's: it
    // is checked on every use until the file is old enough for its times to
    // tell any change. One that no longer is goes.
    bool stillCurrent()
    {
        if (digest_.isEmpty())
            return true;
        if (jetcopy::contentDigest(source_) != digest_) {
            copy_.drop();
            return false;
        }
        if (!jetcopy::changedTooRecently(key_))
            digest_.clear();
        return true;
    }

    CatalogueRecordset run(const QString& sql, std::initializer_list<QStringView> keep)
    {
        deadline_.start();
        const QByteArray text = sql.toUtf8();
        const char* tail = nullptr;
        sqlite3_stmt* prepared = nullptr;
        int rc = sqlite3_prepare_v2(db_.get(), text.constData(), static_cast<int>(text.size()), &prepared, &tail);
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> finalize(prepared, sqlite3_finalize);
        stmt_ = prepared;
        if (rc != SQLITE_OK)
            fail(rc, sql);
        if (!stmt_)
            throw VbError(kJetInvalidOperation, QStringLiteral("操作が無効です。"));
        for (const char* p = tail; p && *p; ++p) {
            if (*p != ';' && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n')
                throw VbError(kJetTextAfterStatement, QStringLiteral("SQL ステートメントの後に文字が見つかりました。"));
        }
        const int columnCount = sqlite3_column_count(stmt_);
        if (columnCount == 0)
            throw VbError(kJetInvalidOperation, QStringLiteral("操作が無効です。"));

        CatalogueRecordset result;
        QList<int> held;  // the columns whose fields are kept
        shown_.clear();
        for (int c = 0; c < columnCount; ++c) {
            const char* declared = sqlite3_column_decltype(stmt_, c);
            shown_.append(shownAs(declared));
            const QString name = QString::fromUtf8(sqlite3_column_name(stmt_, c));
            if (!keptColumn(name, result.columns, keep))
                continue;
            held.append(c);
            result.columns.append(name);
            result.types.append(QString::fromUtf8(declared ? declared : ""));
        }
        // No catalogue holds more; a file that makes a query return more is
        // damaged. A row costs its list's handle and block, a field its
        // string and characters; counted field by field, a result stops at
        // most one value past its cap.
        constexpr qint64 kRowBytes = 64;
        constexpr qint64 kFieldBytes = sizeof(QString);
        const CatalogueCaps& caps = catalogueCaps();
        qint64 bytes = 0;
        while ((rc = sqlite3_step(stmt_)) == SQLITE_ROW) {
            if (result.rows.size() >= caps.rows)
                overCap(QStringLiteral("結果の行数"), caps.rows, QStringLiteral(" 行"));
            QStringList row;
            row.reserve(held.size());
            bytes += kRowBytes;
            for (const int c : held) {
                row.append(fieldText(c));
                bytes += kFieldBytes + 2 * row.constLast().size();
                if (bytes > caps.resultBytes)
                    overCap(QStringLiteral("結果"), caps.resultBytes, QStringLiteral(" バイト"));
            }
            result.rows.append(std::move(row));
        }
        if (rc != SQLITE_DONE)
            fail(rc, sql);
        return result;
    }

private:
    void open(const std::string& file)
    {
        const int rc = openImmutable(file, CatalogueDatabase::InPlace);
        if (rc != SQLITE_OK)
            fail(rc);
    }

    // Any database left open before is closed first. A copy's name goes
    // through its folder's handle, which only handleVfs() opens as it is.
    int openImmutable(const std::string& file, CatalogueDatabase kind)
    {
        db_.reset();
        sqlite3* db = nullptr;
        const int rc = openCatalogueDatabase(file, &db, &deadline_, kind);
        db_.reset(db);
        return rc;
    }

    // A catalogue is tables of values. A file read in place may come from
    // anywhere: one that holds what computes as it is read (a view, a
    // generated column, a virtual table) or runs as it changes (a trigger)
    // is refused, naming the first such thing. What each thing is, SQLite's
    // own reading of the schema says, whatever type its row claims.
    void refuseComputedObjects()
    {
        deadline_.start();
        QString found;
        const int rc = firstComputedObject(db_.get(), &found);
        if (rc == SQLITE_DONE)
            return;
        if ((rc & 0xff) == SQLITE_ERROR)  // a schema SQLite reads but cannot use
            refuse(malformed(QString::fromUtf8(sqlite3_errmsg(db_.get()))));
        if (rc != SQLITE_ROW)
            fail(rc);
        refuse(found + QStringLiteral(" を含むため読み込みません"));
    }

    // Opens the copy when it records the state of the file it was made from
    // (and, when it records one, the digest of the file's content).
    bool openCopy(const QString& made)
    {
        if (openImmutable(copy_.path(), CatalogueDatabase::Copy) != SQLITE_OK)
            return false;
        deadline_.start();
        sqlite3_stmt* stmt = nullptr;
        const std::string sql = std::string("SELECT key FROM \"") + jetcopy::kSourceView + '"';
        QString recorded;
        if (sqlite3_prepare_v2(db_.get(), sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
            recorded = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
        if (recorded != made && !recorded.startsWith(made + jetcopy::kDigestMark))
            return false;
        digest_ = recorded.mid(made.size() + 1);
        if (recorded != made && (digest_.isEmpty() || !stillCurrent()))
            return false;
        return true;
    }

    QString fieldText(int c) const
    {
        switch (sqlite3_column_type(stmt_, c)) {
        case SQLITE_INTEGER:
        case SQLITE_FLOAT: {
            const double value = sqlite3_column_double(stmt_, c);
            switch (shown_[c]) {
            case Shown::Single:
                return numberText(value, true);
            case Shown::Date:
                return dateText(value);
            case Shown::YesNo:
                return value != 0 ? QStringLiteral("True") : QStringLiteral("False");
            case Shown::Exact:  // stored as a number when its 15-digit text is exact
            case Shown::AsStored:
                break;
            }
            return numberText(value, false);
        }
        case SQLITE_TEXT: {
            const int bytes = sqlite3_column_bytes(stmt_, c);
            if (bytes == 0)
                return QStringLiteral("");  // empty, not NULL
            if (bytes > catalogueCaps().valueBytes)
                overCap(QStringLiteral("値"), catalogueCaps().valueBytes, QStringLiteral(" バイト"));
            return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, c)), bytes);
        }
        case SQLITE_NULL:
            return {};
        default: {
            // A Currency or Decimal value that a double would round is kept
            // as its exact text. Other binary data has no text; reading it as
            // text was a type mismatch.
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt_, c));
            const int size = sqlite3_column_bytes(stmt_, c);
            if (shown_[c] == Shown::Exact && exactNumberText(bytes, size))
                return QString::fromLatin1(bytes, size);
            throw VbError(kErrTypeMismatch);
        }
        }
    }

    // A series repeats its diameters, lengths and deflections row after row:
    // one text per value, shared by every field that holds it. A Single is
    // stored as its exact value widened to a double.
    QString numberText(double value, bool single) const
    {
        quint64 bits;
        std::memcpy(&bits, &value, sizeof bits);
        QHash<quint64, QString>& texts = single ? singleTexts_ : numberTexts_;
        auto it = texts.constFind(bits);
        if (it == texts.cend())
            it = texts.insert(bits, single ? sngText(static_cast<float>(value)) : catalogueNumberText(value));
        return *it;
    }

    [[noreturn]] void overCap(const QString& what, qint64 cap, const QString& unit) const
    {
        refuse(QStringLiteral("クエリの") + what + QStringLiteral("が上限 (") + QString::number(cap) + unit +
               QStringLiteral(") を超えるため読み込みを止めました"));
    }

    // The file is to blame: damage, with the reason in the log and the error.
    [[noreturn]] void refuse(const QString& reason) const { throw jetcopy::damagedDatabase(path_, logged(reason)); }

    QString logged(const QString& reason) const
    {
        WriteEventLog(QDir::toNativeSeparators(path_) + QStringLiteral(" の") + reason);
        return reason;
    }

    // SQLite's own words on what it could not read.
    static QString malformed(const QString& message)
    {
        return QStringLiteral("構造が正しくありません (") + message + QLatin1Char(')');
    }

    [[noreturn]] void fail(int rc, const QString& sql = {})
    {
        const QString message = QString::fromUtf8(db_ ? sqlite3_errmsg(db_.get()) : sqlite3_errstr(rc));
        // A copy of a Jet file that no longer reads is ours to make again.
        if (copy_.folder && ((rc & 0xff) == SQLITE_CORRUPT || (rc & 0xff) == SQLITE_NOTADB)) {
            copy_.drop();
            broken_ = true;
            throw jetcopy::damagedDatabase(path_);
        }
        switch (rc & 0xff) {
        case SQLITE_INTERRUPT: {
            // Only the deadline stops a query. The same query on the same
            // file would only meet it again, holding the window as long.
            const VbError stop = jetcopy::cannotOpen(path_, logged(jetcopy::deadlinePassed(deadline_.ms)));
            jetcopy::rememberStop(source_, key_, stop);
            broken_ = true;
            throw stop;
        }
        case SQLITE_NOMEM:
            // A limit of the user's is no fault of the file; the next query tries again.
            if (systemRefusedMemory())
                throw jetcopy::cannotOpen(path_, logged(systemMemoryWanting()));
            refuse(memoryLimitReached(kCatalogueHeapBytes));
        case SQLITE_TOOBIG:
            refuse(QStringLiteral("値または行が上限 (") +
                   QString::number(sqlite3_limit(db_.get(), SQLITE_LIMIT_LENGTH, -1)) +
                   QStringLiteral(" バイト) を超えるため読み込みを止めました"));
        case SQLITE_CORRUPT:
            refuse(malformed(message));
        case SQLITE_CANTOPEN:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            throw jetcopy::cannotOpen(path_);
        case SQLITE_NOTADB:
            throw jetcopy::unrecognisedFormat(path_);
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            throw fileInUse(path_);
        case SQLITE_ERROR: {
            static const QLatin1String noTable("no such table: ");
            static const QLatin1String noColumn("no such column: ");
            if (message.startsWith(noTable))
                throw VbError(kJetTableNotFound, QStringLiteral("入力テーブルまたはクエリ ") +
                                                quoted(message.mid(noTable.size())) +
                                                QStringLiteral(" が見つかりません。"));
            // The engine took an unknown name for a parameter nobody had set.
            if (message.startsWith(noColumn))
                throw VbError(kJetTooFewParameters, QStringLiteral("パラメータが少なすぎます。1 を指定してください。"));
            if (!sql.isEmpty())
                throw VbError(kJetSyntax, QStringLiteral("クエリ式 ") + quoted(sql) + QStringLiteral(" の構文エラーです。"));
            break;
        }
        default:
            break;
        }
        throw VbError(kJetReserved, QStringLiteral("予約済みエラーです (") + message + QStringLiteral(")。"));
    }

    QString path_;
    std::string source_;  // the file's resolved path
    jetcopy::FileKey key_;
    jetcopy::Copy copy_;  // the SQLite copy opened in place of a Jet file, in its folder
    QString digest_;    // the content the copy was made of, while the file's times cannot tell
    std::vector<WriterFiles> writerFiles_;  // of an SQLite file read in place
    QueryDeadline deadline_;  // of the query that runs; looked at while db_ lives
    struct CloseDatabase {
        void operator()(sqlite3* db) const { sqlite3_close(db); }
    };
    std::unique_ptr<sqlite3, CloseDatabase> db_;
    sqlite3_stmt* stmt_ = nullptr;  // the statement of the query that runs
    bool broken_ = false;
    QList<Shown> shown_;
    mutable QHash<quint64, QString> numberTexts_;
    mutable QHash<quint64, QString> singleTexts_;
};


// The connections kept open, the latest used first. The window uses two
// files; a few more are kept for the tool and for tests.
struct KeptConnection {
    std::string file;
    jetcopy::FileKey key;
    std::unique_ptr<Connection> db;
};
constexpr std::size_t kKeptConnections = 4;

std::mutex& catalogueLock()
{
    static std::mutex lock;
    return lock;
}

std::list<KeptConnection>& keptConnections()
{
    static std::list<KeptConnection> kept;
    return kept;
}

CatalogueCaps& caps()
{
    static CatalogueCaps current;
    return current;
}

// Runs what on the file's connection, kept while the file stays as it was:
// the one stat of the query tells. Called with the lock held.
template <typename What>
auto onCatalogue(const QString& path, What&& what)
{
    forgetMemoryRefusals();
    struct stat st {};
    const std::string file = existingFile(path, st);
    const jetcopy::FileKey key = jetcopy::keyOf(st);
    std::list<KeptConnection>& kept = keptConnections();
    auto it = kept.begin();
    while (it != kept.end() && it->file != file)
        ++it;
    if (it != kept.end() && it->key == key && it->db->stillCurrent()) {
        kept.splice(kept.begin(), kept, it);
        it->db->refuseUnwrittenChanges();  // a new connection has looked already
    } else {
        if (it != kept.end())
            kept.erase(it);
        auto db = std::make_unique<Connection>(file, path, key);
        kept.push_front({file, key, std::move(db)});
        if (kept.size() > kKeptConnections)
            kept.pop_back();
    }
    Connection& db = *kept.front().db;
    try {
        return what(db);
    } catch (...) {
        if (kept.front().db->broken())
            kept.pop_front();
        throw;
    }
}

}  // namespace

CatalogueRecordset runOnKeptConnection(const QString& path, const QString& sql, std::initializer_list<QStringView> keep)
{
    const std::lock_guard lock(catalogue::catalogueLock());
    return onCatalogue(path, [&](Connection& db) { return db.run(sql, keep); });
}

}  // namespace tolvane::catalogue

namespace tolvane {

void closeCatalogues()
{
    const std::lock_guard lock(catalogue::catalogueLock());
    catalogue::keptConnections().clear();
}

void setCatalogueCaps(const CatalogueCaps& limits)
{
    const std::lock_guard lock(catalogue::catalogueLock());
    catalogue::caps() = limits;
    catalogue::keptConnections().clear();
}

const CatalogueCaps& catalogueCaps() { return catalogue::caps(); }

}  // namespace tolvane
