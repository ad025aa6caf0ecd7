#include "catalogue/sqliteopen.h"

#include "catalogue/common.h"
#include "catalogue/copyfolder.h"
#include "catalogue/fixedfile.h"
#include "catalogue/shipped.h"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace tolvane {

namespace {

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

// The longest query text: a Jet table has at most 255 columns, and the
// statement that makes its copy names each (up to 256 bytes, quotes doubled)
// with its type. The window's queries are short, plain texts around at most
// one value of a catalogue file, each of whose bytes takes at most three
// there: a quote is doubled, and a byte that is no UTF-8 is shown as U+FFFD.
int sqlLengthLimit()
{
    constexpr qint64 kCopyStatement = 1 << 18;
    constexpr qint64 kQueryWords = 1024;  // the query's own text around the value
    return static_cast<int>(
        std::min<qint64>(std::max(kCopyStatement, 3 * catalogueCaps().valueBytes + kQueryWords), INT_MAX));
}

// What a catalogue needs of SQLite, and no more.
void limitQueries(sqlite3* db, CatalogueDatabase kind)
{
    const CatalogueCaps& caps = catalogueCaps();
    const qint64 longest = kind == CatalogueDatabase::Source ? caps.valueBytes : std::max(caps.valueBytes, caps.copyBytes);
    const std::pair<int, int> limits[] = {
        {SQLITE_LIMIT_LENGTH, static_cast<int>(std::min<qint64>(longest, INT_MAX))},
        {SQLITE_LIMIT_SQL_LENGTH, sqlLengthLimit()},
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

// A schema row of a table or an index by its type, or of none: SQLite
// refuses the schema when a row's text makes anything of another type than
// the row names.
bool tableOrIndex(sqlite3_stmt* row)
{
    if (sqlite3_column_type(row, 0) == SQLITE_NULL)
        return true;
    if (sqlite3_column_type(row, 0) != SQLITE_TEXT)
        return false;
    const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(row, 0));
    return std::strcmp(type, "table") == 0 || std::strcmp(type, "index") == 0;
}

// What a row names, its kind as the log shows it ("ビュー SWB").
QString objectNamed(sqlite3_stmt* row)
{
    const auto text = [&](int c) { return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(row, c))); };
    static const std::pair<const char*, const char*> kinds[] = {
        {"view", "ビュー"}, {"trigger", "トリガー"}, {"virtual", "仮想テーブル"}, {"generated", "生成列"}};
    const QString type = text(0);
    QString kind = type;
    for (const auto& [name, shown] : kinds) {
        if (type == QLatin1String(name))
            kind = QString::fromUtf8(shown);
    }
    return kind + QLatin1Char(' ') + text(1);
}

// Whether a schema row's text holds a word without which nothing computed can
// be made: AS (a view, a generated column, a table made from a query),
// TRIGGER or VIRTUAL.
bool mayMakeComputed(const unsigned char* text, int bytes)
{
    return holdsKeyword(text, bytes, {"as", "trigger", "virtual"});
}

// As many operations as SQLite allows a program.
constexpr int kUnboundedOperations = INT_MAX;

// Guards and limits of any catalogue database, once it is open.
int guard(sqlite3* db, CatalogueDatabase kind)
{
    const std::pair<int, int> settings[] = {
        {SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0}, {SQLITE_DBCONFIG_DEFENSIVE, 1}, {SQLITE_DBCONFIG_ENABLE_TRIGGER, 0}};
    for (const auto& [setting, value] : settings) {
        if (const int rc = sqlite3_db_config(db, setting, value, static_cast<int*>(nullptr)); rc != SQLITE_OK)
            return rc;
    }
    limitQueries(db, kind);
    return SQLITE_OK;
}

// A sample file the program carries, as SQLite reads a database file: its
// pages straight from the program's own bytes. SQLite opens the name "/N",
// N the sample's place among shippedSamples().
const char* sampleVfs()
{
    static const catalogue::FixedFileVfs vfs("tolvane-sample", [](const char* name, catalogue::FixedSource* source) {
        const std::span<const catalogue::ShippedBytes> samples = catalogue::shippedSamples();
        std::size_t index = samples.size();
        const char* end = name + std::strlen(name);
        if (name[0] != '/' || std::from_chars(name + 1, end, index).ptr != end || index >= samples.size())
            return false;
        *source = {samples[index].data, samples[index].size};
        return true;
    });
    return vfs.name();
}

}  // namespace

bool holdsKeyword(const unsigned char* text, int bytes, std::initializer_list<std::string_view> keywords)
{
    const auto letter = [](unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    for (int i = 0; i < bytes;) {
        const int start = i;
        while (i < bytes && letter(text[i]))
            ++i;
        if (i == start) {
            ++i;
            continue;
        }
        const std::string_view word(reinterpret_cast<const char*>(text + start), static_cast<std::size_t>(i - start));
        for (const std::string_view keyword : keywords) {
            const auto same = [](char a, char b) { return (a | 0x20) == b; };  // b is in lower case
            if (std::equal(word.begin(), word.end(), keyword.begin(), keyword.end(), same))
                return true;
        }
    }
    return false;
}

// The table list of the schema that the refusal below reads came with 3.37.
static_assert(SQLITE_VERSION_NUMBER >= 3037000);

int openCatalogueDatabase(const std::string& file, sqlite3** db, CatalogueDatabase kind, int flags, const char* vfs)
{
    // A file from outside may make SQLite want memory without end; the
    // reader uses SQLite only to read it and write its copy, which is bounded
    // the same.
    if (kind == CatalogueDatabase::Source)
        sqlite3_hard_heap_limit64(kCatalogueHeapBytes);
    // The absolute name: "" and ":memory:" must never reach SQLite as
    // reserved names. Read-only: a file that vanished in between is not
    // created, and nothing is ever written.
    const int rc = sqlite3_open_v2(immutableUri(file).c_str(), db,
                                   SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX | flags,
                                   vfs ? vfs : catalogue::handleVfs());
    return rc != SQLITE_OK ? rc : guard(*db, kind);
}

int openSampleDatabase(const catalogue::ShippedBytes& sample, sqlite3** db)
{
    const std::string name = '/' + std::to_string(&sample - catalogue::shippedSamples().data());
    const int rc = sqlite3_open_v2(name.c_str(), db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, sampleVfs());
    return rc != SQLITE_OK ? rc : guard(*db, CatalogueDatabase::Sample);
}

QString memoryLimitReached(qulonglong bytes)
{
    return QStringLiteral("メモリが上限 (") + QString::number(bytes) + QStringLiteral(" バイト) に達したため読み込みを止めました");
}

QString lengthLimitPassed(sqlite3* db)
{
    return QStringLiteral("値または行が上限 (") + QString::number(sqlite3_limit(db, SQLITE_LIMIT_LENGTH, -1)) +
           QStringLiteral(" バイト) を超えるため読み込みを止めました");
}

int firstComputedObject(sqlite3* db, QString* found)
{
    // The schema's rows in one pass, which also has SQLite read the schema
    // (every query needs it read): a row of another type than a table or an
    // index, or one whose text may make something computed.
    sqlite3_stmt* prepared = nullptr;
    int rc = sqlite3_prepare_v2(db, "SELECT type, name, sql FROM sqlite_schema", -1, &prepared, nullptr);
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> finalize(prepared, sqlite3_finalize);
    bool plain = true;
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(prepared)) == SQLITE_ROW) {
            if (!tableOrIndex(prepared)) {
                *found = objectNamed(prepared);
                return rc;
            }
            plain = plain && !mayMakeComputed(sqlite3_column_text(prepared, 2), sqlite3_column_bytes(prepared, 2));
        }
    }
    if (rc != SQLITE_DONE || plain)
        return rc;
    // What SQLite made of the schema: a view or a virtual table, whatever
    // type its row claims, or a generated column. The table list's own
    // program holds a few operations a table, so a file of many tables is
    // bounded here by the memory bound and the deadline alone, not by the
    // limit on a query's operations.
    static const char sql[] =
        "SELECT type, name FROM pragma_table_list WHERE schema = 'main' AND type IN ('view', 'virtual') "
        "UNION ALL SELECT 'generated', t.name || '.' || c.name FROM pragma_table_list AS t, "
        "pragma_table_xinfo(t.name, 'main') AS c WHERE t.schema = 'main' AND c.hidden IN (2, 3) LIMIT 1";
    const int operations = sqlite3_limit(db, SQLITE_LIMIT_VDBE_OP, kUnboundedOperations);
    finalize.reset();
    rc = sqlite3_prepare_v2(db, sql, -1, &prepared, nullptr);
    finalize.reset(prepared);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(prepared);
    sqlite3_limit(db, SQLITE_LIMIT_VDBE_OP, operations);
    if (rc == SQLITE_ROW)
        *found = objectNamed(prepared);
    return rc;
}

}  // namespace tolvane
