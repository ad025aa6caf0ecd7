#include "calc/catalogue.h"

#include "services/numtext.h"
#include "services/vberror.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <sqlite3.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>

namespace tolvane {

namespace {

// The Access engine's numbers, so an error line reads as it always did.
enum : int {
    kJetNoCurrentRecord = 3021,
    kJetFileNotFound = 3024,
    kJetBadPath = 3044,
    kJetFileInUse = 3045,
    kJetDamaged = 3049,
    kJetCannotOpen = 3051,
    kJetTooFewParameters = 3061,
    kJetSyntax = 3075,
    kJetTableNotFound = 3078,
    kJetTextAfterStatement = 3142,
    kJetNoIsam = 3170,
    kJetInvalidOperation = 3219,
    kJetUnrecognisedFormat = 3343,
    kJetReserved = 3000,
};

QString quoted(const QString& s)
{
    return QLatin1Char('\'') + QDir::toNativeSeparators(s) + QLatin1Char('\'');
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
// key=value pairs. DATABASE is overridden by the path we are given, as the
// recordset's database name always overrode it; the password protects nothing
// in our files. Only a foreign engine is refused, as the engine refused it.
void checkConnect(const QString& connect)
{
    const QString type = connect.section(QLatin1Char(';'), 0, 0).trimmed();
    if (!type.isEmpty() && !type.startsWith(QLatin1String("Access"), Qt::CaseInsensitive))
        throw VbError(kJetNoIsam, QStringLiteral("インストール可能な ISAM が見つかりません。"));
}

// One open read-only database, closed on every way out.
class Connection {
public:
    explicit Connection(const QString& path) : path_(path)
    {
        // Through the file system, not QFileInfo: a name starting with ":"
        // would be one of Qt's resources there.
        namespace fs = std::filesystem;
        std::error_code error;
        const fs::path file =
            path.isEmpty() ? fs::path() : fs::absolute(fs::path(QFile::encodeName(path).toStdString()), error);
        const fs::file_status status = fs::status(file, error);
        if (path.isEmpty() || !fs::exists(status)) {
            if (!path.isEmpty() && !fs::is_directory(file.parent_path(), error))
                throw VbError(kJetBadPath, quoted(QFile::decodeName(file.parent_path().c_str())) +
                                          QStringLiteral(" は正しいパスではありません。"));
            throw VbError(kJetFileNotFound, QStringLiteral("ファイル ") + quoted(path) + QStringLiteral(" が見つかりません。"));
        }
        if (!fs::is_regular_file(status))
            throw VbError(kJetCannotOpen, QStringLiteral("ファイル ") + quoted(path) + QStringLiteral(" を開けません。"));
        // The absolute name: "" and ":memory:" must never reach SQLite as
        // reserved names. Read-only: a file that vanished in between is not
        // created, and nothing is ever written.
        const std::string name = file.string();
        const int rc = sqlite3_open_v2(name.c_str(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK) {
            // The destructor does not run for a constructor that throws.
            try {
                fail(rc);
            } catch (...) {
                sqlite3_close(db_);
                throw;
            }
        }
        // The query comes from the window's own texts; it may read, nothing else.
        sqlite3_limit(db_, SQLITE_LIMIT_ATTACHED, 0);
    }
    ~Connection()
    {
        sqlite3_finalize(stmt_);
        sqlite3_close(db_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    CatalogueRecordset run(const QString& sql)
    {
        const QByteArray text = sql.toUtf8();
        const char* tail = nullptr;
        int rc = sqlite3_prepare_v2(db_, text.constData(), static_cast<int>(text.size()), &stmt_, &tail);
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
        for (int c = 0; c < columnCount; ++c)
            result.columns.append(QString::fromUtf8(sqlite3_column_name(stmt_, c)));
        while ((rc = sqlite3_step(stmt_)) == SQLITE_ROW) {
            QStringList row;
            row.reserve(columnCount);
            for (int c = 0; c < columnCount; ++c)
                row.append(fieldText(c));
            result.rows.append(std::move(row));
        }
        if (rc != SQLITE_DONE)
            fail(rc, sql);
        return result;
    }

private:
    QString fieldText(int c) const
    {
        switch (sqlite3_column_type(stmt_, c)) {
        case SQLITE_INTEGER:
            return numberText(static_cast<double>(sqlite3_column_int64(stmt_, c)));
        case SQLITE_FLOAT:
            return numberText(sqlite3_column_double(stmt_, c));
        case SQLITE_TEXT:
            return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, c)),
                                     sqlite3_column_bytes(stmt_, c));
        case SQLITE_NULL:
            return {};
        default:
            // Binary data has no text; reading it as text was a type mismatch.
            throw VbError(kErrTypeMismatch);
        }
    }

    // A series repeats its diameters, lengths and deflections row after row:
    // one text per value, shared by every field that holds it.
    QString numberText(double value) const
    {
        quint64 bits;
        std::memcpy(&bits, &value, sizeof bits);
        auto it = numberTexts_.constFind(bits);
        if (it == numberTexts_.cend())
            it = numberTexts_.insert(bits, catalogueNumberText(value));
        return *it;
    }

    [[noreturn]] void fail(int rc, const QString& sql = {}) const
    {
        const QString message = QString::fromUtf8(db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
        switch (rc & 0xff) {
        case SQLITE_CANTOPEN:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            throw VbError(kJetCannotOpen, QStringLiteral("ファイル ") + quoted(path_) + QStringLiteral(" を開けません。"));
        case SQLITE_NOTADB:
            throw VbError(kJetUnrecognisedFormat,
                     QStringLiteral("データベース形式 ") + quoted(path_) + QStringLiteral(" を認識できません。"));
        case SQLITE_CORRUPT:
            throw VbError(kJetDamaged, QStringLiteral("データベース ") + quoted(path_) +
                                      QStringLiteral(" を開けません。ファイルが破損している可能性があります。"));
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            throw VbError(kJetFileInUse, QStringLiteral("ファイル ") + quoted(path_) + QStringLiteral(" は既に使用中です。"));
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
    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
    mutable QHash<quint64, QString> numberTexts_;
};

}  // namespace

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

CatalogueRecordset runCatalogueQuery(const QString& databasePath, const QString& connect, const QString& sql)
{
    checkConnect(connect);
    Connection db(databasePath);
    return db.run(sql);
}

QString readDatabaseVersion(const QString& databasePath)
{
    Connection db(databasePath);
    const CatalogueRecordset rs = db.run(QStringLiteral("select VERSION from DB_VERSION"));
    // Every row overwrote the version in turn; the last one stays.
    return rs.rows.isEmpty() ? QString() : rs.field(static_cast<int>(rs.rows.size()) - 1, u"Version");
}

}  // namespace tolvane
