#include "catalogue/catalogue.h"

#include "catalogue/copyfolder.h"
#include "catalogue/jetcopy.h"
#include "catalogue/sqliteopen.h"
#include "services/log.h"
#include "services/numtext.h"
#include "services/vberror.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QHash>

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tolvane {

namespace {

// A catalogue fault is logged under the number the Access engine gives it, one to look up whichever reader met it.
enum : int {
    kJetNoCurrentRecord = 3021,
    kJetFileNotFound = 3024,
    kJetBadPath = 3044,
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

// Where a writer of the SQLite file keeps the changes it has committed but
// not yet written back into the file: beside it, or, when it opened the file
// through a link, beside the file the link leads to (resolved).
std::vector<std::string> walFilesOf(const std::string& file, const std::string& resolved)
{
    std::vector<std::string> names = {file + "-wal"};
    if (file != resolved)
        names.push_back(resolved + "-wal");
    return names;
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

// dblText of a catalogue value, by a shorter road for the usual ones: a
// series query turns thousands of fields into text on every click. When the
// shortest text that reads back as the value has at most 15 significant
// digits, it is the value rounded to 15 digits, which is what dblText writes
// (only one 15-digit decimal lies within half an ulp). Outside the range that
// dblText writes without exponent, and for longer texts, dblText itself.
QString catalogueNumberText(double value)
{
    const double magnitude = std::fabs(value);
    if (value == 0)
        return QStringLiteral("0");
    if (magnitude < 1e-4 || magnitude >= 1e15)
        return dblText(value);
    char buf[64];
    const auto [end, error] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    if (error != std::errc())
        return dblText(value);
    int digits = 0;
    bool leading = true;
    for (const char* p = buf; p != end; ++p) {
        if (*p < '0' || *p > '9')
            continue;
        if (leading && *p == '0')
            continue;
        leading = false;
        ++digits;
    }
    if (digits > 15)
        return dblText(value);
    return QString::fromLatin1(buf, end - buf);
}

// The connect string names the engine first (";..." or "Access 2000;"), then
// key=value pairs. Its DATABASE is ignored: the path we are given names the
// file, so a connect string cannot point a query at another one; the password
// protects nothing in our files. Only an engine other than Access is refused,
// with "no installable ISAM": nothing here reads another engine's files.
void checkConnect(const QString& connect)
{
    const QString type = connect.section(QLatin1Char(';'), 0, 0).trimmed();
    if (!type.isEmpty() && !type.startsWith(QLatin1String("Access"), Qt::CaseInsensitive))
        throw jetcopy::noIsam();
}

enum class FileFormat { Sqlite, Jet3, Jet4, Unknown };

// The file's own header says what it is, whatever its name.
FileFormat headerFormat(const std::string& file, const QString& shown)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw jetcopy::cannotOpen(shown);
    unsigned char header[32] = {};
    std::size_t got = 0;
    while (got < sizeof header) {
        const ssize_t n = ::read(fd, header + got, sizeof header - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    static const char sqlite[] = "SQLite format 3";  // with its terminating zero
    static const char jet[] = "Standard Jet DB";
    if (got >= sizeof sqlite && std::memcmp(header, sqlite, sizeof sqlite) == 0)
        return FileFormat::Sqlite;
    // The Jet version byte: 0 for Jet 3 (Access 97), 1 for Jet 4 (Access 2000-2003).
    if (got > 0x14 && std::memcmp(header + 4, jet, sizeof jet) == 0) {
        if (header[0x14] == 0)
            return FileFormat::Jet3;
        if (header[0x14] == 1)
            return FileFormat::Jet4;
    }
    return FileFormat::Unknown;
}

// The absolute name of an existing regular file, with what the one stat of
// the query said of it; else the engine's error for a missing file, a
// missing folder or something that is not a file.
std::string existingFile(const QString& path, struct stat& st)
{
    // Through the file system, not QFileInfo: a name starting with ":"
    // would be one of Qt's resources there.
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path file =
        path.isEmpty() ? fs::path() : fs::absolute(fs::path(QFile::encodeName(path).toStdString()), error);
    if (path.isEmpty() || jetcopy::statFile(file.c_str(), &st) != 0) {
        if (!path.isEmpty() && !fs::is_directory(file.parent_path(), error))
            throw VbError(kJetBadPath, quoted(QFile::decodeName(file.parent_path().c_str())) +
                                      QStringLiteral(" は正しいパスではありません。"));
        throw VbError(kJetFileNotFound, QStringLiteral("ファイル ") + quoted(path) + QStringLiteral(" が見つかりません。"));
    }
    if (!S_ISREG(st.st_mode))
        throw jetcopy::cannotOpen(path);
    return file.string();
}

// An SQLite name for the file as it is: read-only and immutable, so SQLite
// never writes a journal, a WAL or its shared memory beside it, nor takes a
// lock. Every byte but the plainest is escaped: "?", "#" and "%" would
// otherwise end or change the name.
std::string immutableUri(const std::string& file)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (const unsigned char c : file) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || std::strchr("/-._~", c)) {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    return uri + "?mode=ro&immutable=1";
}

// What a catalogue needs of SQLite, and no more. The queries are the
// window's own short, plain texts. A Jet table has at most 255 columns, and
// the statement that makes its copy names each (up to 256 bytes, quotes
// doubled) with its type. A value is held to its cap as it is read, but
// SQLite's bound on length is also one on a whole row, which holds several
// values: it is the copy's cap.
int lengthLimit()
{
    const CatalogueCaps& caps = catalogueCaps();
    return static_cast<int>(std::min<qint64>(std::max(caps.valueBytes, caps.copyBytes), INT_MAX));
}

void limitQueries(sqlite3* db)
{
    const std::pair<int, int> limits[] = {
        {SQLITE_LIMIT_LENGTH, lengthLimit()},
        {SQLITE_LIMIT_SQL_LENGTH, 1 << 18},
        {SQLITE_LIMIT_COLUMN, kCatalogueColumns},
        {SQLITE_LIMIT_EXPR_DEPTH, 20},
        {SQLITE_LIMIT_COMPOUND_SELECT, 3},
        {SQLITE_LIMIT_VDBE_OP, 25000},
        {SQLITE_LIMIT_FUNCTION_ARG, 8},
        {SQLITE_LIMIT_ATTACHED, 0},
        {SQLITE_LIMIT_LIKE_PATTERN_LENGTH, 50},
        {SQLITE_LIMIT_VARIABLE_NUMBER, 10},
        {SQLITE_LIMIT_TRIGGER_DEPTH, 1},
    };
    for (const auto& [limit, value] : limits)
        sqlite3_limit(db, limit, value);
}

// How many of SQLite's steps run between two looks at the clock: a few
// microseconds' work, so a look costs nothing, and the deadline is kept to
// well within a millisecond.
constexpr int kStepsBetweenLooks = 10000;

int pastDeadline(void* deadline)
{
    return std::chrono::steady_clock::now() >= static_cast<const QueryDeadline*>(deadline)->at ? 1 : 0;
}

// How a column's values become text, by its declared type.
enum class Shown { AsStored, Single, Exact, Date, YesNo };

Shown shownAs(const char* declared)
{
    if (!declared)
        return Shown::AsStored;
    if (qstricmp(declared, "SINGLE") == 0)
        return Shown::Single;
    if (qstricmp(declared, "CURRENCY") == 0 || qstricmp(declared, "DECIMAL") == 0)
        return Shown::Exact;
    if (qstricmp(declared, "DATETIME") == 0)
        return Shown::Date;
    if (qstricmp(declared, "BIT") == 0)
        return Shown::YesNo;
    return Shown::AsStored;
}

// A date as the short date and long time of a Japanese desktop: the date
// alone at midnight, the time alone on day 0 (1899/12/30).
QString dateText(double value)
{
    // The range the engine's dates cover: 100/01/01 to 9999/12/31.
    if (!(value >= -657434.0 && value < 2958466.0))
        throw VbError(kErrOverflow);
    const double day = std::trunc(value);
    // The fraction is the time of day on either side of day 0.
    qint64 seconds = std::llround(std::fabs(value - day) * 86400.0);
    QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(day));
    if (seconds >= 86400) {
        seconds -= 86400;
        date = date.addDays(1);
    }
    const QString time = QString::number(seconds / 3600) + QLatin1Char(':') +
                         QStringLiteral("%1:%2").arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                             .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (date == QDate(1899, 12, 30))
        return time;
    const QString shownDate = date.toString(QStringLiteral("yyyy/MM/dd"));
    return seconds == 0 ? shownDate : shownDate + QLatin1Char(' ') + time;
}

// Text that a Currency or Decimal value keeps exactly when a double would
// round it: digits with at most one point, and a sign.
bool exactNumberText(const char* p, int bytes)
{
    if (bytes <= 0 || bytes > 32)
        return false;
    int i = p[0] == '-' ? 1 : 0;
    int digits = 0;
    bool point = false;
    for (; i < bytes; ++i) {
        if (p[i] >= '0' && p[i] <= '9')
            ++digits;
        else if (p[i] == '.' && !point && digits > 0)
            point = true;
        else
            return false;
    }
    return digits > 0 && p[bytes - 1] != '.';
}

// The file's path without links or dots: one file has one copy, whatever
// spelling of its path a query used.
std::string resolvedPath(const std::string& file, const QString& shown)
{
    char* real = ::realpath(file.c_str(), nullptr);
    if (!real)
        throw jetcopy::cannotOpen(shown);
    std::string resolved(real);
    std::free(real);
    return resolved;
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
            open(file);
            refuseComputedObjects();
            walFiles_ = walFilesOf(file, source_);
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
    // replayed or locked (either would write beside it), so a read never
    // sees changes still in its -wal file: until they are written back the
    // file is in use, rather than shown with the rows from before them.
    void refuseUnwrittenChanges() const
    {
        for (const std::string& wal : walFiles_) {
            struct stat st {};
            if (::stat(wal.c_str(), &st) == 0 && st.st_size > 0)
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
        const int rc = openImmutable(file);
        if (rc != SQLITE_OK)
            fail(rc);
    }

    // Any database left open before is closed first. A copy's name goes
    // through its folder's handle, which only handleVfs() opens as it is.
    int openImmutable(const std::string& file)
    {
        db_.reset();
        sqlite3* db = nullptr;
        const int rc = openCatalogueDatabase(file, &db, &deadline_);
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
        static const char sql[] =
            "SELECT type, name FROM sqlite_schema WHERE type NOT IN ('table', 'index') "
            "UNION ALL SELECT type, name FROM pragma_table_list WHERE schema = 'main' AND type IN ('view', 'virtual') "
            "UNION ALL SELECT 'generated', t.name || '.' || c.name FROM pragma_table_list AS t, "
            "pragma_table_xinfo(t.name, 'main') AS c WHERE t.schema = 'main' AND c.hidden IN (2, 3) LIMIT 1";
        deadline_.start();
        sqlite3_stmt* prepared = nullptr;
        int rc = sqlite3_prepare_v2(db_.get(), sql, -1, &prepared, nullptr);
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> finalize(prepared, sqlite3_finalize);
        if (rc == SQLITE_OK)
            rc = sqlite3_step(prepared);
        if (rc == SQLITE_DONE)
            return;
        if ((rc & 0xff) == SQLITE_ERROR)  // a schema SQLite reads but cannot use
            refuse(malformed(QString::fromUtf8(sqlite3_errmsg(db_.get()))));
        if (rc != SQLITE_ROW)
            fail(rc);
        const auto text = [&](int c) { return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(prepared, c))); };
        static const std::pair<const char*, const char*> kinds[] = {
            {"view", "ビュー"}, {"trigger", "トリガー"}, {"virtual", "仮想テーブル"}, {"generated", "生成列"}};
        const QString type = text(0);
        QString kind = type;
        for (const auto& [name, shown] : kinds) {
            if (type == QLatin1String(name))
                kind = QString::fromUtf8(shown);
        }
        refuse(kind + QLatin1Char(' ') + text(1) + QStringLiteral(" を含むため読み込みません"));
    }

    // Opens the copy when it records the state of the file it was made from
    // (and, when it records one, the digest of the file's content).
    bool openCopy(const QString& made)
    {
        if (openImmutable(copy_.path()) != SQLITE_OK)
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
            refuse(QStringLiteral("メモリが上限 (") + QString::number(kCatalogueHeapBytes) +
                   QStringLiteral(" バイト) に達したため読み込みを止めました"));
        case SQLITE_TOOBIG:
            refuse(QStringLiteral("値または行が上限 (") + QString::number(lengthLimit()) +
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
    std::vector<std::string> walFiles_;  // of an SQLite file read in place
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
    struct stat st {};
    const std::string file = existingFile(path, st);
    const jetcopy::FileKey key = jetcopy::keyOf(st);
    std::list<KeptConnection>& kept = keptConnections();
    auto it = kept.begin();
    while (it != kept.end() && it->file != file)
        ++it;
    if (it != kept.end() && it->key == key && it->db->stillCurrent()) {
        kept.splice(kept.begin(), kept, it);
    } else {
        if (it != kept.end())
            kept.erase(it);
        auto db = std::make_unique<Connection>(file, path, key);
        kept.push_front({file, key, std::move(db)});
        if (kept.size() > kKeptConnections)
            kept.pop_back();
    }
    Connection& db = *kept.front().db;
    db.refuseUnwrittenChanges();
    try {
        return what(db);
    } catch (...) {
        if (kept.front().db->broken())
            kept.pop_front();
        throw;
    }
}

}  // namespace

void QueryDeadline::start()
{
    ms = jetReaderDeadlineMs();
    at = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
}

// The table list of the schema that the refusal above reads came with 3.37.
static_assert(SQLITE_VERSION_NUMBER >= 3037000);

int openCatalogueDatabase(const std::string& file, sqlite3** db, const QueryDeadline* deadline, int flags)
{
    // The process's only SQLite use is the catalogue's.
    sqlite3_hard_heap_limit64(kCatalogueHeapBytes);
    // The absolute name: "" and ":memory:" must never reach SQLite as
    // reserved names. Read-only: a file that vanished in between is not
    // created, and nothing is ever written.
    int rc = sqlite3_open_v2(immutableUri(file).c_str(), db,
                             SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX | flags, jetcopy::handleVfs());
    const std::pair<int, int> settings[] = {
        {SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0}, {SQLITE_DBCONFIG_DEFENSIVE, 1}, {SQLITE_DBCONFIG_ENABLE_TRIGGER, 0}};
    for (const auto& [setting, value] : settings) {
        if (rc == SQLITE_OK)
            rc = sqlite3_db_config(*db, setting, value, static_cast<int*>(nullptr));
    }
    if (rc != SQLITE_OK)
        return rc;
    limitQueries(*db);
    sqlite3_progress_handler(*db, kStepsBetweenLooks, pastDeadline, const_cast<QueryDeadline*>(deadline));
    return SQLITE_OK;
}

VbError noCurrentRecord() { return VbError(kJetNoCurrentRecord, QStringLiteral("カレント レコードがありません。")); }

qsizetype CatalogueRecordset::columnIndex(QStringView name) const
{
    for (qsizetype c = 0; c < columns.size(); ++c) {
        if (QStringView(columns[c]).compare(name, Qt::CaseInsensitive) == 0)
            return c;
    }
    throw VbError(kErrInvalidCall);
}

QString CatalogueRecordset::field(int row, QStringView name) const
{
    if (row < 0 || row >= rows.size())
        throw noCurrentRecord();
    return rows[row].value(columnIndex(name));
}

QStringList CatalogueRecordset::column(QStringView name) const
{
    QStringList out;
    if (rows.isEmpty())
        return out;
    const qsizetype c = columnIndex(name);
    out.reserve(rows.size());
    for (const QStringList& row : rows)
        out.append(row.value(c));
    return out;
}

CatalogueRecordset runCatalogueQuery(const QString& databasePath, const QString& connect, const QString& sql,
                                     std::initializer_list<QStringView> keep)
{
    checkConnect(connect);
    const std::lock_guard lock(catalogueLock());
    return onCatalogue(databasePath, [&](Connection& db) { return db.run(sql, keep); });
}

QString readDatabaseVersion(const QString& databasePath)
{
    const CatalogueRecordset rs = runCatalogueQuery(databasePath, QString(), QStringLiteral("select VERSION from DB_VERSION"));
    // Every row overwrote the version in turn; the last one stays.
    return rs.rows.isEmpty() ? QString() : rs.field(static_cast<int>(rs.rows.size()) - 1, u"Version");
}

QString catalogueFormat(const QString& databasePath)
{
    struct stat st {};
    switch (headerFormat(existingFile(databasePath, st), databasePath)) {
    case FileFormat::Sqlite:
        return QStringLiteral("SQLite");
    case FileFormat::Jet3:
        return QStringLiteral("Jet 3");
    case FileFormat::Jet4:
        return QStringLiteral("Jet 4");
    case FileFormat::Unknown:
        break;
    }
    throw jetcopy::unrecognisedFormat(databasePath);
}

QStringList catalogueTables(const QString& databasePath)
{
    // The schema lists the tables in the order they were made, which for a
    // Jet copy is the order of the Jet file's own catalogue.
    return runCatalogueQuery(databasePath, QString(),
                             QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE "
                                            "'sqlite!_%' ESCAPE '!' ORDER BY rowid"))
        .column(u"name");
}

void closeCatalogues()
{
    const std::lock_guard lock(catalogueLock());
    keptConnections().clear();
}

void setCatalogueCaps(const CatalogueCaps& limits)
{
    const std::lock_guard lock(catalogueLock());
    caps() = limits;
    keptConnections().clear();
}

const CatalogueCaps& catalogueCaps() { return caps(); }

}  // namespace tolvane
