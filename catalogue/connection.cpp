#include "catalogue/connection.h"

#include "catalogue/copyfolder.h"
#include "catalogue/copyform.h"
#include "catalogue/fieldtext.h"
#include "catalogue/fileformat.h"
#include "catalogue/copies.h"
#include "catalogue/shipped.h"
#include "catalogue/sqliteopen.h"
#include "services/log.h"
#include "services/numtext.h"
#include "services/vberror.h"

#include <QDir>
#include <QHash>

#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace tolvane::catalogue {

namespace {

// A query that names more than it is given: what the engine says of a
// parameter nobody set.
VbError tooFewParameters(int missing)
{
    return VbError(kJetTooFewParameters, QStringLiteral("パラメータが少なすぎます。") + QString::number(missing) +
                                             QStringLiteral(" を指定してください。"));
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

// A query on a copy ends at the action's deadline, whatever it would take:
// SQLite looks at the clock every this many steps of its virtual machine,
// which comes to a stop well within a millisecond of the deadline, at a cost
// no benchmark tells.
constexpr int kStepsBetweenLooks = 1000;

// Stops a query on db once the action's deadline has passed (SQLite gives
// SQLITE_INTERRUPT), for as long as it lives.
class DeadlineWatch {
public:
    explicit DeadlineWatch(sqlite3* db) : db_(db), end_(actionDeadline())
    {
        if (db_)
            sqlite3_progress_handler(db_, kStepsBetweenLooks, &passed, &end_);
    }
    ~DeadlineWatch()
    {
        if (db_)
            sqlite3_progress_handler(db_, 0, nullptr, nullptr);
    }
    DeadlineWatch(const DeadlineWatch&) = delete;
    DeadlineWatch& operator=(const DeadlineWatch&) = delete;

private:
    static int passed(void* end) { return DeadlineClock::now() >= *static_cast<DeadlineClock::time_point*>(end); }
    sqlite3* db_;
    DeadlineClock::time_point end_;
};

// One open read-only database, kept across queries: the sample the program
// ships, or the current SQLite copy of any other catalogue file.
class Connection {
public:
    // file as the query names it, open as fd, in the state key.
    Connection(const std::string& file, const QString& shown, const catalogue::FileKey& key, int fd)
        : path_(shown), source_(resolvedPath(file, shown)), key_(key)
    {
        const FileFormat format = headerFormat(fd, shown);
        if (format == FileFormat::Unknown) {
            catalogue::dropCopiesOf(source_);
            throw catalogue::unrecognisedFormat(shown);
        }
        const catalogue::Source source{file, source_, shown, key, fd, format == FileFormat::Sqlite};
        if (format == FileFormat::Sqlite) {
            // Any copy of what the path held before goes at the next start.
            if (const ShippedBytes* sample = catalogue::sampleOf(source)) {
                sqlite3* db = nullptr;
                const int rc = openSampleDatabase(*sample, &db);
                db_.reset(db);
                if (rc != SQLITE_OK)
                    fail(rc);
                return;
            }
        }
        // A copy that is empty, unreadable or made from another state of the
        // file is never trusted: it is made again, once.
        const QString made = catalogue::keyText(source_, key);
        for (int attempt = 0; attempt < 2; ++attempt) {
            copy_ = catalogue::currentCopy(source);
            if (openCopy(made))
                return;
            copy_.drop();
        }
        throw catalogue::damagedDatabase(shown);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // A copy that turned out damaged while read: the connection is of no
    // further use, and the copy is made again by the next query.
    bool broken() const { return broken_; }
    // Whether a copy recorded with its file's digest still is the file's: it
    // is checked on every use until the file is old enough for its times to
    // tell any change, through a handle opened and checked as for any query,
    // in the state the copy was made of. One that no longer is goes.
    bool stillCurrent()
    {
        if (digest_.isEmpty())
            return true;
        struct stat st {};
        const catalogue::Fd fd = openCatalogueFile(source_, path_, st);
        if (catalogue::contentDigest(fd.get(), key_, path_) != digest_) {
            copy_.drop();
            return false;
        }
        if (!catalogue::changedTooRecently(key_))
            digest_.clear();
        return true;
    }

    CatalogueRecordset run(const QString& sql, std::initializer_list<QStringView> keep,
                           std::initializer_list<double> values)
    {
        // The sample is ours, and read as fast as it ever was.
        const DeadlineWatch watch(copy_.folder ? db_.get() : nullptr);
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
        bind(values);

        CatalogueRecordset result;
        QList<int> held;  // the columns whose fields are kept
        shown_.clear();
        for (int c = 0; c < columnCount; ++c) {
            const char* declared = declaredType(c);
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
    // Opens the copy when it is of the form the reader writes and records the
    // state of the file it was made from (and, when it records one, the
    // digest of the file's content).
    bool openCopy(const QString& made)
    {
        db_.reset();
        sqlite3* db = nullptr;
        const int rc = openCatalogueDatabase(copy_.path(), &db, CatalogueDatabase::Copy);
        db_.reset(db);
        if (rc != SQLITE_OK || !catalogue::readCopyRecord(db_.get(), record_))
            return false;
        const QString& recorded = record_.key;
        if (recorded != made && !recorded.startsWith(made + catalogue::kDigestMark))
            return false;
        digest_ = recorded.mid(made.size() + 1);
        if (recorded != made && (digest_.isEmpty() || !stillCurrent()))
            return false;
        return true;
    }

    // Our own texts hold a parameter for each value they are given, and no
    // other: one left unset would compare as NULL. A whole number goes in as
    // an integer, as the literal of its text would, so a column of text
    // compares it as that text ("20", never "20.0"); any other as the double
    // it is.
    void bind(std::initializer_list<double> values)
    {
        const int parameters = sqlite3_bind_parameter_count(stmt_);
        if (parameters > static_cast<int>(values.size()))
            throw tooFewParameters(parameters - static_cast<int>(values.size()));
        if (parameters < static_cast<int>(values.size()))
            throw VbError(kErrInvalidCall);
        int i = 0;
        for (const double value : values) {
            constexpr double kIntegers = 0x1p63;
            const int rc = std::trunc(value) == value && std::fabs(value) < kIntegers
                               ? sqlite3_bind_int64(stmt_, ++i, static_cast<sqlite3_int64>(value))
                               : sqlite3_bind_double(stmt_, ++i, value);
            if (rc != SQLITE_OK)
                fail(rc);
        }
    }

    // A result column's declared type: in a copy, the type its file declared
    // the column of a table with, which the copy's record keeps (the copy's
    // own is the word of its affinity); else SQLite's.
    const char* declaredType(int c) const
    {
        const char* table = record_.tables.empty() ? nullptr : sqlite3_column_table_name(stmt_, c);
        const char* name = table ? sqlite3_column_origin_name(stmt_, c) : nullptr;
        if (const catalogue::CopyRecord::Column* column = name ? record_.column(table, name, c) : nullptr)
            return column->declared;
        return sqlite3_column_decltype(stmt_, c);
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
            // Within its cap: the reader held every value of a copy to it.
            const int bytes = sqlite3_column_bytes(stmt_, c);
            if (bytes == 0)
                return QStringLiteral("");  // empty, not NULL
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

    // A result larger than the program holds is no damage: too large,
    // naming its cap.
    [[noreturn]] void overCap(const QString& what, qint64 cap, const QString& unit) const
    {
        throw catalogue::cannotOpen(path_, logged(QStringLiteral("クエリの") + what + QStringLiteral("が上限 (") +
                                                QString::number(cap) + unit +
                                                QStringLiteral(") を超えるため読み込みを止めました")));
    }

    // The file is to blame: damage, with the reason in the log and the error.
    [[noreturn]] void refuse(const QString& reason) const { throw catalogue::damagedDatabase(path_, logged(reason)); }

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
        // A copy that no longer reads is ours to make again.
        if (copy_.folder && ((rc & 0xff) == SQLITE_CORRUPT || (rc & 0xff) == SQLITE_NOTADB)) {
            copy_.drop();
            broken_ = true;
            throw catalogue::damagedDatabase(path_);
        }
        switch (rc & 0xff) {
        case SQLITE_NOMEM:
            // The program's SQLite has no bound of its own: what stops it is
            // a limit of the user's, no fault of the file; the next query
            // tries again.
            throw catalogue::cannotOpen(path_, logged(systemMemoryWanting()));
        case SQLITE_INTERRUPT:
            // The action's deadline passed: no fault of the file, and the
            // connection serves the next action as before.
            throw catalogue::cannotOpen(path_, logged(catalogue::deadlinePassed(actionDeadlineMs())));
        case SQLITE_TOOBIG:
            // Too large to hold, not damaged.
            throw catalogue::cannotOpen(path_, logged(lengthLimitPassed(db_.get())));
        case SQLITE_CORRUPT:
            refuse(malformed(message));
        case SQLITE_CANTOPEN:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            throw catalogue::cannotOpen(path_);
        case SQLITE_NOTADB:
            throw catalogue::unrecognisedFormat(path_);
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            throw catalogue::fileInUse(path_);
        case SQLITE_ERROR: {
            static const QLatin1String noTable("no such table: ");
            static const QLatin1String noColumn("no such column: ");
            if (message.startsWith(noTable))
                throw VbError(kJetTableNotFound, QStringLiteral("入力テーブルまたはクエリ ") +
                                                quoted(message.mid(noTable.size())) +
                                                QStringLiteral(" が見つかりません。"));
            // The engine took an unknown name for a parameter nobody had set.
            if (message.startsWith(noColumn))
                throw tooFewParameters(1);
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
    catalogue::FileKey key_;
    catalogue::Copy copy_;  // the SQLite copy read in place of the file, in its folder
    QString digest_;    // the content the copy was made of, while the file's times cannot tell
    catalogue::CopyRecord record_;  // a copy's record: the type each column of its tables was declared with
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
    catalogue::FileKey key;
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

// Runs what on the file's connection, kept while the file stays as it was:
// the one stat of the query tells. Called with the lock held.
template <typename What>
auto onCatalogue(const QString& path, What&& what)
{
    struct stat st {};
    const std::string file = existingFile(path, st);
    const catalogue::FileKey key = catalogue::keyOf(st);
    std::list<KeptConnection>& kept = keptConnections();
    auto it = kept.begin();
    while (it != kept.end() && it->file != file)
        ++it;
    if (it != kept.end() && it->key == key && it->db->stillCurrent()) {
        kept.splice(kept.begin(), kept, it);
    } else {
        if (it != kept.end())
            kept.erase(it);
        // Opened so that nothing put at the path since the look can hold the
        // program, and read through the handle checked.
        struct stat held {};
        const catalogue::Fd fd = openCatalogueFile(file, path, held);
        const catalogue::FileKey state = held.st_dev == st.st_dev && held.st_ino == st.st_ino ? key : catalogue::keyOf(held);
        auto db = std::make_unique<Connection>(file, path, state, fd.get());
        kept.push_front({file, state, std::move(db)});
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

CatalogueRecordset runOnKeptConnection(const QString& path, const QString& sql, std::initializer_list<QStringView> keep,
                                       std::initializer_list<double> values)
{
    const std::lock_guard lock(catalogue::catalogueLock());
    return onCatalogue(path, [&](Connection& db) { return db.run(sql, keep, values); });
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
    storeCatalogueCaps(limits);
    catalogue::keptConnections().clear();
}


}  // namespace tolvane
