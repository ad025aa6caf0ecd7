// The catalogue layer on a small database the test makes itself: the window's
// three query texts as they stand, fields by name, number texts, and every way
// a catalogue can be missing or wrong ending in the Access engine's error.
#include "support/catalogue_files.h"
#include "support/catalogue_reader.h"
#include "support/sandbox.h"

#include "catalogue/catalogue.h"
#include "catalogue/copies.h"
#include "services/numtext.h"
#include "support/error_of.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>

using namespace tolvane;
using namespace tolvane::test;

namespace {

const QString kConnect = QStringLiteral(";DATABASE=ZEKA.mdb;pwd=Rm4tQx82pLw");

// Rows deliberately out of size order: the layer must keep the table's order.
const char* const kFixture = R"sql(
CREATE TABLE SWB (NO TEXT, D1 REAL, D2 REAL, l REAL, Lmin REAL, N_mm REAL, kgf_mm REAL,
                  fmm100 REAL, fmm50 REAL, fmm30 REAL);
INSERT INTO SWB VALUES ('SWB20-50', 20, 10, 50, 37.5, 139, 14.2, 8, 9, 10);
INSERT INTO SWB VALUES ('SWB12.5-40', 12.5, 6.25, 40, 30, 1040, 0.0375, 6.4, 7.2, 999);
INSERT INTO SWB VALUES ('SWB20-30', 20, 10, 30, 22.5, 232, 23.7, 4.8, 5.4, 6);
INSERT INTO SWB VALUES ('O''Neil8-20', 8, 4, 20, 15, 55.7, 5.68, 3.2, 3.6, NULL);
CREATE TABLE SWC (NO TEXT, D1 INTEGER, fmm30 REAL);
INSERT INTO SWC VALUES ('SWC10-60', 10, 123456789012.345);
CREATE TABLE PIC (NO TEXT, picture BLOB);
INSERT INTO PIC VALUES ('P1', x'00ff');
CREATE TABLE DB_VERSION (VERSION TEXT);
INSERT INTO DB_VERSION VALUES ('2025.01');
INSERT INTO DB_VERSION VALUES ('2026.12');
)sql";

// The file at this path, which the stat below swaps for a FIFO once it has
// looked at it.
QByteArray gSwapped;

int lookThenSwapForAFifo(const char* path, struct stat* st)
{
    const int looked = ::stat(path, st);
    const QByteArray fifo = gSwapped + ".fifo";
    if (looked == 0 && gSwapped == path && ::mkfifo(fifo.constData(), 0600) == 0)
        ::rename(fifo.constData(), path);
    return looked;
}

class CatalogueLayer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        makeDatabase(path, kFixture);
        ExistLogFolder();
        useCatalogueReader();
    }
    void TearDown() override
    {
        setCatalogueCaps({});
        setCatalogueReader({});
    }

    CatalogueRecordset query(const char* sql, const QString& file = {})
    {
        return runCatalogueQuery(file.isNull() ? path : file, kConnect, QString::fromUtf8(sql));
    }

    // The number of the error a query ends in; -1 for none.
    int errorOf(const QString& sql, const QString& file = {}, const QString& connect = kConnect)
    {
        try {
            runCatalogueQuery(file.isNull() ? path : file, connect, sql);
        } catch (const VbError& e) {
            description = e.description();
            return e.number();
        }
        return -1;
    }

    // read, in a child process that an alarm ends after seconds (a minute
    // unless told) and (but under the address sanitizer, whose allocator
    // keeps its own room) an address-space limit of 1 GiB above the test's,
    // fails with number, the reason ending its description and logged after
    // "<file> の"; the fixture still reads after it, or, when the failure is
    // remembered for the file as it is, only once the file has changed, with
    // the roomy deadline again. A read that hangs or takes memory without
    // bound fails the test instead of stopping it; no deadline of the
    // layer's comes near the alarm.
    void expectBoundedFailure(const std::function<void()>& read, int number, const QString& reason, const QString& file,
                              bool remembered = false, unsigned seconds = 60)
    {
        const auto run = [&] {
            ::alarm(seconds);
#if !defined(__SANITIZE_ADDRESS__)
            rlim_t pages = 0;
            std::ifstream("/proc/self/statm") >> pages;
            const rlim_t bytes = pages * ::sysconf(_SC_PAGESIZE) + (rlim_t(1) << 30);
            const rlimit limit{bytes, bytes};
            ::setrlimit(RLIMIT_AS, &limit);
#endif
            const std::optional<VbError> e = failureOf(read);
            const auto reads = [&] { return query("SELECT * FROM [SWB];").rows.size() == 4; };
            const auto again = [&] {
                const std::optional<VbError> next = failureOf([&] { query("SELECT * FROM [SWB];"); });
                QFile changed(file);
                return next && next->description() == e->description() && changed.open(QIODevice::ReadWrite) &&
                       changed.setFileTime(changed.fileTime(QFileDevice::FileModificationTime).addSecs(1),
                                           QFileDevice::FileModificationTime);
            };
            const bool held = e && e->number() == number &&
                              e->description().endsWith(QStringLiteral("（") + reason + QStringLiteral("）")) &&
                              logged(file + QStringLiteral(" の") + reason) && (!remembered || again()) &&
                              (useCatalogueReader(), reads());
            std::fprintf(stderr, "%s\n", e ? e->description().toUtf8().constData() : "no error");
            std::_Exit(held ? 0 : 1);
        };
        EXPECT_EXIT(run(), ::testing::ExitedWithCode(0), "");
    }

    // Whether the log holds an event line that ends with line: the program's
    // own, or one it gives of what stopped the reader.
    bool logged(const QString& line) const
    {
        const QStringList messages = sandbox.logMessages();
        return std::any_of(messages.begin(), messages.end(),
                           [&](const QString& m) { return m.startsWith(QStringLiteral("□Eve：")) && m.endsWith(line); });
    }

    Sandbox sandbox;  // for the log and the copies
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("ZEKA.mdb"));
    QString description;
};

TEST_F(CatalogueLayer, TheThreeQueryFormsReadFieldsByName)
{
    const CatalogueRecordset rs = query("SELECT * FROM [SWB];");
    EXPECT_EQ(rs.columns, (QStringList{"NO", "D1", "D2", "l", "Lmin", "N_mm", "kgf_mm", "fmm100", "fmm50", "fmm30"}));
    EXPECT_EQ(rs.types.mid(0, 2), (QStringList{"TEXT", "REAL"}));
    EXPECT_EQ(rs.column(u"NO"), (QStringList{"SWB20-50", "SWB12.5-40", "SWB20-30", "O'Neil8-20"}));
    EXPECT_EQ(rs.rows[1], (QStringList{"SWB12.5-40", "12.5", "6.25", "40", "30", "1040", "0.0375", "6.4", "7.2", "999"}));
    EXPECT_EQ(rs.field(3, u"fmm30"), "");  // NULL reads as empty text
    EXPECT_EQ(query("SELECT * FROM [SWC];").rows[0], (QStringList{"SWC10-60", "10", "123456789012.345"}));

    const std::pair<const char*, QStringList> forms[] = {
        {"SELECT * FROM [SWB] WHERE [D1] =20;", {"SWB20-50", "SWB20-30"}},
        {"SELECT * FROM [SWB] WHERE [D1] =12.5;", {"SWB12.5-40"}},
        {"SELECT * FROM [SWB] WHERE [D1] =7;", {}},
        {"SELECT * FROM [SWB] WHERE [no] = 'O''Neil8-20';", {"O'Neil8-20"}}};
    for (const auto& [sql, numbers] : forms)
        EXPECT_EQ(query(sql).column(u"NO"), numbers) << sql;

    const CatalogueRecordset size = query("SELECT * FROM [SWB] WHERE [no] = 'SWB20-50';");
    ASSERT_EQ(size.rows.size(), 1);
    EXPECT_EQ(size.field(0, u"no"), "SWB20-50");
    EXPECT_EQ(size.field(0, u"LMIN"), "37.5");
    // An unknown field or a row that is not there.
    EXPECT_THROW(size.field(0, u"D3"), VbError);
    EXPECT_EQ(test::errorOf([&] { size.field(1, u"NO"); }), 3021);

    EXPECT_EQ(readDatabaseVersion(path), "2026.12");  // the last row's
    const QString noRows = dir.filePath(QStringLiteral("empty.mdb"));
    makeDatabase(noRows, "CREATE TABLE DB_VERSION (VERSION TEXT);");
    EXPECT_EQ(readDatabaseVersion(noRows), "");
    EXPECT_THROW(readDatabaseVersion(dir.filePath(QStringLiteral("none.mdb"))), VbError);
}

// Every number comes out exactly as the program's 15-digit number text writes
// it, whatever road the layer takes to it.
TEST_F(CatalogueLayer, EveryNumberIsItsFifteenDigitNumberText)
{
    std::vector<double> values = {0.0, 1e-4, 9.99999999999999e-5, 0.000123456789012345, 1e15, 999999999999999.9,
                                  999999999999999.4, 99999999999999.95, 0.1 + 0.2, 2.0 / 3, -12.5, 5e-324,
                                  1.7976931348623157e308, 9007199254740993.0};
    std::mt19937_64 random(20261206);
    for (int i = 0; i < 4000; ++i) {
        // Short decimals around every magnitude, then arbitrary bit patterns.
        double v = static_cast<double>(random() % 100000000) * std::pow(10.0, static_cast<int>(random() % 26) - 16);
        if (i >= 3000) {
            const quint64 bits = random();
            std::memcpy(&v, &bits, sizeof v);
        }
        if (std::isfinite(v))
            values.push_back(i % 2 ? v : -v);
    }
    // Bound, not written as SQL text, which SQLite would read with its own rounding.
    const QString numbers = dir.filePath(QStringLiteral("numbers.mdb"));
    makeDatabase(numbers, "CREATE TABLE N (v REAL);");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(numbers).constData(), &db), SQLITE_OK);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "INSERT INTO N VALUES (?)", -1, &insert, nullptr), SQLITE_OK);
    for (double v : values) {
        sqlite3_bind_double(insert, 1, v);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);

    const CatalogueRecordset rs = query("SELECT * FROM [N];", numbers);
    ASSERT_EQ(rs.rows.size(), static_cast<qsizetype>(values.size()));
    int wrong = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        if (rs.rows[static_cast<int>(i)][0] != dblText(values[i]) && ++wrong <= 5)
            ADD_FAILURE() << rs.rows[static_cast<int>(i)][0].toStdString() << " instead of "
                          << dblText(values[i]).toStdString();
    }
    EXPECT_EQ(wrong, 0);

    // A value with no number text (an infinity) fails the query as an overflow.
    makeDatabase(numbers, "CREATE TABLE I (v REAL); INSERT INTO I VALUES (1e999);");
    EXPECT_EQ(errorOf("SELECT * FROM [I];", numbers), kErrOverflow);
}

// A Jet file's copy keeps each column's Jet type: a date shows the short date
// and long time of a Japanese desktop, a Yes/No field True or False (a
// Single's 7 digits are read back from real Jet files in their own test).
TEST_F(CatalogueLayer, JetTypesAreShownAsTheProgramShowsThem)
{
    const QString typed = dir.filePath(QStringLiteral("typed.mdb"));
    makeDatabase(typed, "CREATE TABLE T (d DATETIME, b BIT, t TEXT); INSERT INTO T VALUES (29932, -1, ''),"
                        "(29932.5, 0, 'x'), (0.25, 1, 'x'), (0, 0, 'x'), (-1.25, 0, 'x'), (1.999999999, 0, 'x');");
    const CatalogueRecordset rs = query("SELECT * FROM [T];", typed);
    EXPECT_EQ(rs.types, (QStringList{"DATETIME", "BIT", "TEXT"}));
    EXPECT_EQ(rs.rows, (QList<QStringList>{{"1981/12/12", "True", ""}, {"1981/12/12 12:00:00", "False", "x"},
                                           {"6:00:00", "True", "x"}, {"0:00:00", "False", "x"},
                                           {"1899/12/29 6:00:00", "False", "x"}, {"1900/01/01", "False", "x"}}));
    EXPECT_FALSE(rs.rows[0][2].isNull());  // empty text is no NULL
    makeDatabase(typed, "INSERT INTO T (d) VALUES (1e10);");
    EXPECT_EQ(errorOf(QStringLiteral("SELECT * FROM [T];"), typed), kErrOverflow);
}

// What a query on the SQLite file itself gives of each row: its texts.
QList<QStringList> rowsOnTheFile(const QString& file, const QString& sql)
{
    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr;
    QList<QStringList> rows;
    if (sqlite3_open(QFile::encodeName(file).constData(), &db) == SQLITE_OK &&
        sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList row;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c)
                row.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c))));
            rows.append(row);
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

// Every value is in the copy as the file stores it, its type and its bytes,
// and a query compares it there as on the file: each column of the copy has
// the affinity SQLite gives the file's, and its collation. A STRICT table
// stays STRICT, so its ANY column keeps the texts that look like numbers; a
// column of numeric affinity keeps a text it would have made a number of (a
// file SQLite's integrity check tells: "TEXT value in N.v"). Every table is
// copied, whatever its name.
TEST_F(CatalogueLayer, EveryValueIsInTheCopyAsStored)
{
    const QString file = dir.filePath(QStringLiteral("values.mdb"));
    const QStringList types = {"INT", "VARCHAR(10)", "FLOATING POINT", "STRING", "\"\"", "BLOB", "DOUBLE PRECISION",
                               "CHARINT", "", "DATETIME"};
    QStringList columns;
    QStringList values;
    for (qsizetype c = 0; c < types.size(); ++c) {
        columns.append(QStringLiteral("c%1 %2").arg(c).arg(types[c]));
        values.append(QStringLiteral("'12'"));
    }
    makeDatabase(file, QStringLiteral("CREATE TABLE T (NO TEXT, %1); INSERT INTO T VALUES ('t', %2), ('u', %3);")
                           .arg(columns.join(u','), values.join(u','), values.join(u',').replace("'12'", "12.5")) +
                           "CREATE TABLE S (NO TEXT, v ANY) STRICT; INSERT INTO S VALUES ('a', '00123'), ('b', '1.50'), "
                           "('c', ' 10'), ('d', '1E1'), ('e', '12.0'), ('f', 12.0), ('g', 7);"
                           "CREATE TABLE N (NO TEXT, v TEXT, r TEXT, w TEXT COLLATE NOCASE, x TEXT COLLATE RTRIM);"
                           "INSERT INTO N VALUES ('a', '1.0', '2.50', 'abc', 'x  '), ('b', ' 10', '1e3', 'ABD', 'y'),"
                           "('c', '007', 'x', NULL, NULL);"
                           "CREATE TABLE \"a\"\"b\" (\"N\"\"O\" TEXT); INSERT INTO \"a\"\"b\" VALUES ('quoted');"
                           "CREATE TABLE sqlitefoo (NO TEXT); INSERT INTO sqlitefoo VALUES ('kept');"
                           "PRAGMA writable_schema = ON; UPDATE sqlite_schema SET sql = 'CREATE TABLE N (NO TEXT, v INT, "
                           "r REAL, w TEXT COLLATE NOCASE, x TEXT COLLATE RTRIM)' WHERE name = 'N';");
    EXPECT_EQ(catalogueTables(file), (QStringList{"T", "S", "N", "a\"b", "sqlitefoo"}));
    EXPECT_EQ(query("SELECT NO, typeof(v), v FROM [S];", file).rows,
              (QList<QStringList>{{"a", "text", "00123"}, {"b", "text", "1.50"}, {"c", "text", " 10"},
                                  {"d", "text", "1E1"}, {"e", "text", "12.0"}, {"f", "real", "12"}, {"g", "integer", "7"}}));
    EXPECT_EQ(query("SELECT NO, typeof(v), v, typeof(r), r FROM [N];", file).rows,
              (QList<QStringList>{{"a", "text", "1.0", "text", "2.50"}, {"b", "text", " 10", "text", "1e3"},
                                  {"c", "text", "007", "text", "x"}}));
    const CatalogueRecordset quoted = query("SELECT * FROM [a\"b];", file);
    EXPECT_EQ(quoted.rows, QList<QStringList>{{"quoted"}});
    EXPECT_EQ(quoted.columns + quoted.types, (QStringList{"N\"O", "TEXT"}));
    EXPECT_EQ(query("SELECT * FROM [sqlitefoo];", file).rows, QList<QStringList>{{"kept"}});
    QStringList compared = {"SELECT NO FROM [S] WHERE v = 123", "SELECT NO FROM [S] WHERE v = '00123'",
                            "SELECT NO FROM [S] WHERE v > 5 ORDER BY v", "SELECT NO FROM [N] WHERE v = 10",
                            "SELECT NO FROM [N] WHERE v = ' 10'", "SELECT NO FROM [N] WHERE r = 2.5",
                            "SELECT NO FROM [N] WHERE w = 'ABC'", "SELECT NO FROM [N] WHERE x = 'x'",
                            "SELECT NO FROM [N] ORDER BY w"};
    for (qsizetype c = 0; c < types.size(); ++c) {
        for (const char* literal : {"12", "'12'", "12.5", "'12.50'"})
            compared.append(QStringLiteral("SELECT NO, typeof(c%1) FROM [T] WHERE c%1 = %2").arg(c).arg(QLatin1String(literal)));
    }
    for (const QString& sql : compared)
        EXPECT_EQ(query(sql.toUtf8().constData(), file).rows, rowsOnTheFile(file, sql)) << sql.toStdString();

    // The record's names are the copy's, never a file's.
    makeDatabase(file, QStringLiteral("CREATE TABLE \"tolvane.record\" (x);"));
    EXPECT_EQ(errorOf(QStringLiteral("SELECT * FROM [S];"), file), 3049);
}

TEST_F(CatalogueLayer, EveryFaultEndsInTheEnginesError)
{
    // A catalogue in SQLite's WAL mode is read as it stands: no -wal or -shm
    // file is made beside it (checked at the end).
    makeDatabase(path, QStringLiteral("PRAGMA journal_mode=WAL;"));
    const QString sql = QStringLiteral("SELECT * FROM [SWB];");
    // Both databases' connect strings pass; the password is not checked.
    for (const QString& connect : {QStringLiteral("Access 2000;"), QStringLiteral(";DATABASE=ZEKA.mdb;pwd=wrong"), QString()})
        EXPECT_EQ(errorOf(sql, path, connect), -1) << connect.toStdString();
    EXPECT_EQ(errorOf(sql, path, QStringLiteral("dBASE IV;DATABASE=x")), 3170);

    const QString missing = dir.filePath(QStringLiteral("ZEKA_D.mdb"));
    EXPECT_EQ(errorOf(sql, missing), 3024);
    EXPECT_EQ(description, QStringLiteral("ファイル '") + missing + QStringLiteral("' が見つかりません。"));
    writeAll(dir.filePath(QStringLiteral("notes.mdb")), QByteArray(4096, 'x'));
    // "" and ":memory:" are reserved names to SQLite; here they are just missing files.
    const std::pair<QString, int> files[] = {{dir.filePath(QStringLiteral("gone/ZEKA.mdb")), 3044}, {"", 3024},
                                             {":memory:", 3024}, {dir.path(), 3051},
                                             {dir.filePath(QStringLiteral("notes.mdb")), 3343}};
    for (const auto& [file, number] : files)
        EXPECT_EQ(errorOf(sql, file), number) << file.toStdString();
    // What is no file, or cannot be reached, is said as what it is.
    const QString fifo = dir.filePath(QStringLiteral("fifo.mdb"));
    const QString loop = dir.filePath(QStringLiteral("loop.mdb"));
    ASSERT_TRUE(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0 && QFile::link(loop, loop));
    const std::pair<QString, QString> notFiles[] = {{dir.path(), QStringLiteral("フォルダです")},
                                                    {fifo, QStringLiteral("通常のファイルではありません")},
                                                    {QStringLiteral("/dev/null"), QStringLiteral("通常のファイルではありません")},
                                                    {loop, qt_error_string(ELOOP)},
                                                    // a header that cannot be read, as on a failing disk
                                                    {QStringLiteral("/proc/self/mem"), qt_error_string(EIO)}};
    for (const auto& [file, reason] : notFiles) {
        EXPECT_EQ(errorOf(sql, file), 3051) << file.toStdString();
        EXPECT_EQ(description, QStringLiteral("ファイル '") + file + QStringLiteral("' を開けません。（") + reason +
                                   QStringLiteral("）"));
    }
    ASSERT_TRUE(QFile::remove(fifo) && QFile::remove(loop));
    // Nor does a file swapped for a FIFO between the look and the open hold
    // the query: what is opened is what is checked.
    gSwapped = QFile::encodeName(dir.filePath(QStringLiteral("swapped.mdb")));
    ASSERT_TRUE(QFile::copy(path, QFile::decodeName(gSwapped)));
    const auto swapped = [&] {
        ::alarm(30);
        catalogue::setStatCall(lookThenSwapForAFifo);
        const bool told = errorOf(sql, QFile::decodeName(gSwapped)) == 3051 &&
                          description.endsWith(QStringLiteral("（通常のファイルではありません）"));
        std::_Exit(told ? 0 : 1);
    };
    EXPECT_EXIT(swapped(), ::testing::ExitedWithCode(0), "");

    const QByteArray before = readAll(path);
    const std::pair<const char*, int> queries[] = {
        {"SELECT * FROM [SWQ];", 3078},
        {"SELECT * FROM [SWB] WHERE [D9] =20;", 3061},
        {"SELECT * FROM [SWB] WHERE [D1] =?;", 3061},  // a parameter given no value
        {"SELECT * FROM [SWB] WHERE [no] = 'O'Neil8-20';", 3075},  // an apostrophe left single
        {"SELECT * FROM [PIC];", kErrTypeMismatch},
        {"", 3219},
        // Nothing but reading runs.
        {"DELETE FROM [SWB];", 3219},
        {"SELECT * FROM [SWB]; DELETE FROM [SWB];", 3142},
    };
    for (const auto& [q, number] : queries)
        EXPECT_EQ(errorOf(QString::fromUtf8(q)), number) << q;
    EXPECT_EQ(errorOf(QStringLiteral("SELECT * FROM [SWQ];")), 3078);
    EXPECT_TRUE(description.contains(QStringLiteral("'SWQ'"))) << description.toStdString();
    EXPECT_NE(errorOf(QStringLiteral("ATTACH DATABASE '") + dir.filePath("other.db") + QStringLiteral("' AS x;")), -1);

    EXPECT_EQ(query("SELECT * FROM [SWB];").rows.size(), 4);
    EXPECT_TRUE(readAll(path) == before);
    // Nothing was created on the way: no missing file, no attached one, no journal, no WAL.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"notes.mdb", "ZEKA.mdb"}));
}

// One connection is kept per file, checked against the file before every
// query: a file rewritten or replaced between queries is read as it now is.
// No query holds more than a catalogue may: a file with a value, a table or
// a copy over its cap (whether the rows or the tables pass it), a result over
// its own, or one that makes SQLite pass its own bound on memory in the
// reader, is too large to read (not damaged), with a line naming the cap,
// until it changes. A caller's result
// holds only the fields it keeps.
TEST_F(CatalogueLayer, EveryQueryReadsTheFileAsItNowIsWithinTheCaps)
{
    EXPECT_EQ(query("SELECT * FROM [SWB];").rows.size(), 4);
    makeDatabase(path, QStringLiteral("DELETE FROM SWB WHERE D1 = 20;"));
    EXPECT_EQ(query("SELECT * FROM [SWB];").rows.size(), 2);
    const QString other = dir.filePath(QStringLiteral("other.mdb"));
    makeDatabase(other, QStringLiteral("CREATE TABLE SWB (NO TEXT); INSERT INTO SWB VALUES ('x'), ('y'), ('z');"
                                       "CREATE TABLE MiB (t TEXT); INSERT INTO MiB VALUES (hex(zeroblob(524288)));"));
    ASSERT_TRUE(QFile::remove(path) && QFile::rename(other, path));
    EXPECT_EQ(query("SELECT * FROM [SWB];").column(u"NO"), (QStringList{"x", "y", "z"}));

    EXPECT_EQ(query("SELECT * FROM [MiB];").rows[0][0].size(), 1 << 20);
    QString madeEmpty;
    for (int t = 0; t < 200; ++t)
        madeEmpty += QStringLiteral("CREATE TABLE E%1 (x);").arg(t);
    const struct {
        QString change;
        CatalogueCaps caps;
        const char* sql;
        QString reason;
    } caps[] = {
        {"CREATE TABLE BIG (t TEXT); INSERT INTO BIG VALUES (hex(zeroblob(524289)));", {}, "SELECT * FROM [SWB];",
         QStringLiteral("値または行が上限 (1048576 バイト) を超えるため読み込みを止めました")},
        {"DROP TABLE BIG;", {.rows = 2}, "SELECT * FROM [SWB];",
         QStringLiteral("テーブル SWB の行数が上限 (2 行) を超えるため読み込みを止めました")},
        {"PRAGMA user_version = 1;", {.copyBytes = 1 << 20}, "SELECT * FROM [SWB];",
         QStringLiteral("コピーが上限 (1048576 バイト) を超えるため読み込みを止めました")},
        // The cap reached while the tables are made, after the rows.
        {madeEmpty, {.copyBytes = 3 << 19}, "SELECT * FROM [SWB];",
         QStringLiteral("コピーが上限 (1572864 バイト) を超えるため読み込みを止めました")},
        {"PRAGMA user_version = 2;", {.rows = 3}, "SELECT * FROM [SWB] AS a, [SWB] AS b;",
         QStringLiteral("クエリの結果の行数が上限 (3 行) を超えるため読み込みを止めました")},
        // SQLite's own bound on its memory in the reader: 60 MB in one row.
        {QStringLiteral("CREATE TABLE W AS SELECT ") + QStringList(60, "printf('%.*c', 1000000, 'x')").join(u','), {},
         "SELECT * FROM [SWB];", QStringLiteral("メモリが上限 (134217728 バイト) に達したため読み込みを止めました")},
        // The file itself, before any of it is read.
        {"PRAGMA user_version = 3;", {.fileBytes = 4096}, "SELECT * FROM [SWB];",
         QStringLiteral("ファイルが上限 (4096 バイト) を超えるため読み込みません")},
    };
    for (const auto& c : caps) {
        SCOPED_TRACE(c.change.left(60).toStdString());
        makeDatabase(path, c.change);
        setCatalogueCaps(c.caps);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(errorOf(QString::fromUtf8(c.sql)), 3051);
            EXPECT_EQ(description, QStringLiteral("ファイル '") + path + QStringLiteral("' を開けません。（") + c.reason +
                                       QStringLiteral("）"));
        }
        EXPECT_TRUE(logged(path + QStringLiteral(" の") + c.reason));
    }
    setCatalogueCaps({});

    makeDatabase(path, QStringLiteral("DROP TABLE W; ALTER TABLE SWB ADD COLUMN D1; ALTER TABLE SWB ADD COLUMN D2;"));
    const CatalogueRecordset kept =
        runCatalogueQuery(path, kConnect, QStringLiteral("SELECT * FROM [SWB];"), {u"d1", u"NO", u"none"});
    EXPECT_EQ(kept.columns, (QStringList{"NO", "D1"}));
    EXPECT_EQ(kept.rows, (QList<QStringList>{{"x", ""}, {"y", ""}, {"z", ""}}));
    EXPECT_THROW(kept.field(0, u"none"), VbError);
}

// Changes another program has committed to a catalogue in SQLite's WAL mode
// wait in its -wal file until written back; a copy of the file as it stands
// would show the rows from before them. Until then the file is in use for a
// new connection, whose copy is neither made nor, made before, used; nothing
// is written beside it. (A connection kept open looks at the file alone.)
TEST_F(CatalogueLayer, ChangesStillInTheWalFileAreNeverShownAsTheOldRows)
{
    makeDatabase(path, QStringLiteral("PRAGMA journal_mode=WAL;"));
    EXPECT_EQ(query("SELECT * FROM [SWB];").rows.size(), 4);
    const QByteArray before = readAll(path);
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "PRAGMA wal_autocheckpoint=0; DELETE FROM SWB WHERE D1 = 20;", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    ASSERT_TRUE(readAll(path) == before);
    const QString link = dir.filePath(QStringLiteral("link.mdb"));
    ASSERT_TRUE(QFile::link(path, link));
    closeCatalogues();
    EXPECT_EQ(errorOf(QStringLiteral("SELECT * FROM [SWB];")), 3045);
    EXPECT_EQ(description, QStringLiteral("ファイル '") + path + QStringLiteral("' は既に使用中です。"));
    EXPECT_EQ(errorOf(QStringLiteral("SELECT * FROM [SWB];"), link), 3045);
    ASSERT_TRUE(QFile::remove(link));
    // Written back, with the writer still there: the file is current again.
    ASSERT_EQ(sqlite3_exec(writer, "PRAGMA wal_checkpoint(TRUNCATE);", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(query("SELECT * FROM [SWB];").rows.size(), 2);
    sqlite3_close(writer);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"ZEKA.mdb"});
}

// The sample's bytes are the sample only as the file stands: with a writer's
// file beside them, which SQLite would read too, they are in use as any
// SQLite file is, through a link as well. A FIFO where the journal would be
// holds no query: the journal is opened without waiting.
TEST_F(CatalogueLayer, TheSamplesBytesWithAWritersFileBesideThemAreInUse)
{
    const QString sample = dir.filePath(QStringLiteral("ZEKA_D.mdb"));
    const QString link = dir.filePath(QStringLiteral("link.mdb"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TOLVANE_APP_DIR "/ZEKA_D.mdb"), sample) && QFile::link(sample, link));
    const struct {
        const char* beside;
        QByteArray bytes;
    } writers[] = {{"-wal", "x"}, {"-journal", QByteArray(512, '\xd9')}};
    for (const QString& file : {sample, link}) {
        for (const auto& w : writers) {
            SCOPED_TRACE((file + QLatin1String(w.beside)).toStdString());
            writeAll(sample + QLatin1String(w.beside), w.bytes);
            closeCatalogues();
            EXPECT_EQ(errorOf(QStringLiteral("SELECT * FROM [SWB];"), file), 3045);
            EXPECT_EQ(description, QStringLiteral("ファイル '") + file + QStringLiteral("' は既に使用中です。"));
            ASSERT_TRUE(QFile::remove(sample + QLatin1String(w.beside)));
        }
    }
    closeCatalogues();
    EXPECT_EQ(query("SELECT * FROM [SWB];", sample).rows.size(), 16);
    for (const QString& file : {sample, path}) {
        const auto fifo = [&] {
            ::alarm(30);
            closeCatalogues();
            const bool read = ::mkfifo(QFile::encodeName(file + QStringLiteral("-journal")).constData(), 0600) == 0 &&
                              !query("SELECT * FROM [SWB];", file).rows.isEmpty();
            std::_Exit(read ? 0 : 1);
        };
        EXPECT_EXIT(fifo(), ::testing::ExitedWithCode(0), "") << file.toStdString();
    }
}

// A writer that dies in the middle of a change leaves its hot -journal
// beside the file, and in the file part of the change, as it does while it
// is still at it. Either way the file is in use, through a link as well,
// never read with half a change in it; once SQLite has rolled the change
// back, the file reads as it was.
TEST_F(CatalogueLayer, AChangeNotCompleteIsNeverRead)
{
    makeDatabase(path, QStringLiteral("CREATE TABLE BIG (t TEXT); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                                      "SELECT i + 1 FROM n WHERE i < 2000) INSERT INTO BIG SELECT 'a' FROM n;"));
    EXPECT_EQ(query("SELECT * FROM [SWB];").rows.size(), 4);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t writer = ::fork();
    if (writer == 0) {
        // A cache too small for the change: SQLite writes part of it into
        // the file before the change is complete.
        sqlite3* db = nullptr;
        const bool begun =
            sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK &&
            sqlite3_exec(db, "PRAGMA journal_mode = DELETE; PRAGMA cache_size = 10; BEGIN; "
                             "UPDATE SWB SET NO = 'UNCOMMITTED'; UPDATE BIG SET t = printf('%.*c', 200, 'b');",
                         nullptr, nullptr, nullptr) == SQLITE_OK;
        if (::write(ready[1], begun ? "y" : "n", 1) == 1)
            ::pause();
        std::_Exit(1);
    }
    ASSERT_GT(writer, 0);
    ::close(ready[1]);
    char begun = 'n';
    const bool told = ::read(ready[0], &begun, 1) == 1;
    ::close(ready[0]);
    const QString link = dir.filePath(QStringLiteral("link.mdb"));
    ASSERT_TRUE(QFile::link(path, link));
    const auto inUse = [&](const QString& file) {
        return errorOf(QStringLiteral("SELECT * FROM [SWB];"), file) == 3045 &&
               description == QStringLiteral("ファイル '") + file + QStringLiteral("' は既に使用中です。");
    };
    const bool whileWriting = inUse(path);
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    ASSERT_TRUE(told && begun == 'y');
    ASSERT_TRUE(readAll(path).contains("UNCOMMITTED"));
    ASSERT_GT(QFileInfo(path + QStringLiteral("-journal")).size(), 0);
    EXPECT_TRUE(whileWriting);
    EXPECT_TRUE(inUse(path));
    closeCatalogues();
    EXPECT_TRUE(inUse(path));
    EXPECT_TRUE(inUse(link));

    makeDatabase(path, QStringLiteral("SELECT * FROM SWB;"));  // SQLite rolls the change back
    EXPECT_EQ(query("SELECT * FROM [SWB];").column(u"NO"),
              (QStringList{"SWB20-50", "SWB12.5-40", "SWB20-30", "O'Neil8-20"}));
    // A journal emptied once its change is in (journal_mode=TRUNCATE) is none.
    makeDatabase(path, QStringLiteral("PRAGMA journal_mode = TRUNCATE; PRAGMA user_version = 7;"));
    ASSERT_TRUE(QFileInfo::exists(path + QStringLiteral("-journal")));
    ASSERT_EQ(QFileInfo(path + QStringLiteral("-journal")).size(), 0);
    closeCatalogues();
    EXPECT_EQ(query("SELECT * FROM [SWB];").rows.size(), 4);

    // A change, or a change begun, while the copy is made: no copy is kept
    // that may hold part of it, and the file is in use until it is over.
    const QString reader = dir.filePath(QStringLiteral("reader"));
    const QByteArray changes[] = {"touch \"$2\"", "printf x > \"$2-journal\""};
    for (const QByteArray& change : changes) {
        SCOPED_TRACE(change.toStdString());
        closeCatalogues();
        makeDatabase(path, QStringLiteral("PRAGMA user_version = %1;").arg(change.size()));
        writeAll(reader, "#!/bin/sh\n" + change + "\nexec '" + QFile::encodeName(kReader) + "' \"$@\"\n");
        QFile::setPermissions(reader, QFile::ReadOwner | QFile::ExeOwner);
        useCatalogueReader(reader);
        EXPECT_TRUE(inUse(path));
        EXPECT_TRUE(QDir(CacheFolder() + QStringLiteral("/catalogue")).entryList({QStringLiteral("*.part")}, QDir::Files).isEmpty());
        QFile::remove(path + QStringLiteral("-journal"));
        useCatalogueReader();
        EXPECT_EQ(query("SELECT * FROM [SWB];").rows.size(), 4);
    }
    // Nor when the path names another file by then (a link moved to one),
    // though the file read is as it was: the copy would be of the file the
    // path no longer names.
    makeDatabase(path, QStringLiteral("PRAGMA user_version = 99;"));
    const QString other = dir.filePath(QStringLiteral("other.mdb"));
    ASSERT_TRUE(QFile::copy(path, other));
    writeAll(reader, "#!/bin/sh\nln -sfn '" + QFile::encodeName(other) + "' '" + QFile::encodeName(link) + "'\nexec '" +
                         QFile::encodeName(kReader) + "' \"$@\"\n");
    useCatalogueReader(reader);
    closeCatalogues();
    EXPECT_TRUE(inUse(link));
}

// A catalogue is tables of values: an SQLite file read in place that holds
// what computes as it is read (a view, a generated column, a virtual table)
// or runs as it changes (a trigger), or more columns than a Jet table has,
// is refused as damaged before any query, naming it, at once and in little
// memory; as a series, or as DB_VERSION, which the banner reads at start.
// So is one whose copy could not be as the file is: a collation SQLite does
// not build in, or a value its column could not hold as it stands (a number
// in a column of text, a number a column of numeric affinity would make a
// whole one, a value of another type in a STRICT table), naming the column.
TEST_F(CatalogueLayer, AFileOfMoreThanTablesOfValuesIsRefusedAtOnce)
{
    QStringList columns;  // 30 of 60 MB each, then 256 plain ones
    for (int c = 0; c < 30; ++c)
        columns.append(QStringLiteral("printf('%.*c', 60000000, 'x') AS c%1").arg(c));
    const QString wide = QStringLiteral("CREATE VIEW SWB AS SELECT 1 AS NO, ") + columns.join(u',');
    columns.clear();
    for (int c = 0; c < 256; ++c)
        columns.append(QStringLiteral("c%1").arg(c));
    const QString endless = QStringLiteral(" AS WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM r) SELECT n AS ");
    const auto holding = [](const char* what) { return QString::fromUtf8(what) + QStringLiteral(" を含むため読み込みません"); };
    // SWB with a row, its column a (and what follows it) then declared anew
    // in the schema.
    const auto retyped = [](const char* column, const char* row, const char* declared) {
        return QStringLiteral("CREATE TABLE SWB (NO TEXT, %1); INSERT INTO SWB VALUES %2; PRAGMA writable_schema = ON; "
                              "UPDATE sqlite_schema SET sql = 'CREATE TABLE SWB (NO TEXT, %3' WHERE name = 'SWB'")
            .arg(QLatin1String(column), QLatin1String(row), QLatin1String(declared));
    };
    const QString notAsStored = QStringLiteral("テーブル SWB の列 a に列の型と合わない値があるため読み込みません");
    const std::pair<QString, QString> cases[] = {
        {wide, holding("ビュー SWB")},
        {QStringLiteral("CREATE VIEW SWB") + endless + QStringLiteral("NO FROM r WHERE n < 0"), holding("ビュー SWB")},
        {QStringLiteral("CREATE VIEW DB_VERSION") + endless + QStringLiteral("VERSION FROM r WHERE n < 0"),
         holding("ビュー DB_VERSION")},
        {QStringLiteral("CREATE VIEW SWB AS SELECT printf('%*d', 1214748364800, 1) AS NO"), holding("ビュー SWB")},
        {QStringLiteral("CREATE TABLE SWB (NO, x AS (printf('%.*c', 60000000, 'x'))); INSERT INTO SWB (NO) VALUES (1)"),
         holding("生成列 SWB.x")},
        {QStringLiteral("CREATE TABLE SWB (NO, \"x\" TEXT GENERATED ALWAYS AS ('x') STORED)"), holding("生成列 SWB.x")},
        {QStringLiteral("CREATE TABLE SWB (NO); CREATE TRIGGER t AFTER INSERT ON SWB BEGIN SELECT 1; END"), holding("トリガー t")},
        {QStringLiteral("CREATE VIRTUAL TABLE SWB USING rtree(NO, x0, x1)"), holding("仮想テーブル SWB")},
        {retyped("a INT", "('x', 5)", "a TEXT)"), notAsStored},
        {retyped("a BLOB", "('x', 3.0)", "a NUMERIC)"), notAsStored},
        {retyped("a TEXT", "('x', 'abc')", "a INTEGER) STRICT"), notAsStored},
        {retyped("a TEXT", "('x', 'abc')", "a TEXT COLLATE foo)"),
         QStringLiteral("テーブル SWB の列 a の照合順序 foo は使えないため読み込みません")},
        {QStringLiteral("CREATE TABLE SWB (%1)").arg(columns.join(u',')),
         QStringLiteral("構造が正しくありません (malformed database schema (SWB) - too many columns on SWB)")},
    };
    for (const auto& [schema, reason] : cases) {
        SCOPED_TRACE(schema.left(60).toStdString());
        const QString file = dir.filePath(QStringLiteral("crafted.mdb"));
        QFile::remove(file);
        makeDatabase(file, schema);
        const auto read = [&] {
            if (schema.contains(u"DB_VERSION"))
                readDatabaseVersion(file);
            else
                runCatalogueQuery(file, kConnect, QStringLiteral("SELECT * FROM [SWB];"), {u"NO"});
        };
        expectBoundedFailure(read, 3049, reason, file);
    }
    // As many columns as a Jet table may have are read.
    makeDatabase(path, QStringLiteral("CREATE TABLE W (%1); INSERT INTO W (c1) VALUES (1);").arg(columns.mid(1).join(u',')));
    EXPECT_EQ(query("SELECT * FROM [W];").rows.value(0).size(), 255);

    // A schema that SQLite cannot use is the file's fault, whatever SQLite
    // calls it: here a schema format it does not know.
    const QString format = dir.filePath(QStringLiteral("format.mdb"));
    makeDatabase(format, QStringLiteral("CREATE TABLE SWB (NO);"));
    QByteArray bytes = readAll(format);
    bytes[47] = 5;
    writeAll(format, bytes);
    expectBoundedFailure([&] { runCatalogueQuery(format, kConnect, QStringLiteral("SELECT * FROM [SWB];")); }, 3049,
                         QStringLiteral("構造が正しくありません (unsupported file format)"), format);
}

// The copies in the cache folder.
QStringList copiesIn(const QString& cache)
{
    QStringList paths;
    for (const QString& name : QDir(cache + QStringLiteral("/catalogue")).entryList({QStringLiteral("*.sqlite")}, QDir::Files))
        paths.append(cache + QStringLiteral("/catalogue/") + name);
    return paths;
}

// A copy's schema, a line an object: its type, its name and its text.
QStringList schemaOf(const QString& copy)
{
    QStringList lines;
    for (const QStringList& row : rowsOnTheFile(copy, QStringLiteral("SELECT type, name, sql FROM sqlite_schema")))
        lines.append(row.join(u' '));
    return lines;
}

// A file's declared type is data, never SQL: a copy is made only of the
// program's own words, each name quoted and each column under SQLite's word
// for its affinity. Whatever a type holds (SQLite hands it back without its
// quotes) runs nowhere: no table or view it makes is listed or loops, no
// file outside the copy folder is attached, made or changed, and a genuine
// catalogue's copy, whose name anyone can work out, stays as it was made.
TEST_F(CatalogueLayer, ADeclaredTypeIsDataNeverSql)
{
    EXPECT_EQ(query("SELECT * FROM [SWB];").rows.size(), 4);
    const QString genuine = copiesIn(CacheFolder()).value(0);
    const QByteArray genuineBytes = readAll(genuine);
    const QString attached = dir.filePath(QStringLiteral("attached.db"));
    const QString vacuumed = dir.filePath(QStringLiteral("vacuumed.db"));
    const QString types[] = {
        QStringLiteral("x); CREATE TABLE SWB (NO y"),
        QStringLiteral("x); CREATE VIEW SWB AS WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM r) "
                       "SELECT n AS NO FROM r; CREATE TABLE Y (b y"),
        QStringLiteral("x); ATTACH '%1' AS a; CREATE TABLE a.SWB (NO y").arg(attached),
        QStringLiteral("x); VACUUM INTO '%1'; CREATE TABLE Y (b y").arg(vacuumed),
        QStringLiteral("x); ATTACH '%1' AS g; DELETE FROM g.SWB; CREATE TABLE Y (b y").arg(genuine),
    };
    // The record, and X in SQLite's words.
    static const QRegularExpression ourWords(QStringLiteral(
        "^table (tolvane\\.record|X CREATE TABLE \"X\" \\(\"a\" (INTEGER|TEXT|BLOB|REAL|NUMERIC)\\))"));
    const auto copiedHarmlessly = [&] {
        ::alarm(60);
        bool held = true;
        for (const QString& type : types) {
            const QString file = dir.filePath(QStringLiteral("crafted.mdb"));
            QFile::remove(file);
            makeDatabase(file, QStringLiteral("CREATE TABLE X (a \"%1\"); INSERT INTO X VALUES (1);")
                                   .arg(QString(type).replace(u'"', QStringLiteral("\"\""))));
            setCacheFolder(sandbox.root() + QStringLiteral("/crafted-cache"));
            const CatalogueRecordset x = query("SELECT * FROM [X];", file);
            const QStringList made = schemaOf(copiesIn(CacheFolder()).value(0));
            const bool copied = catalogueTables(file) == QStringList{"X"} && x.rows == QList<QStringList>{{"1"}} &&
                                x.types == QStringList{type} && errorOf(QStringLiteral("SELECT * FROM [SWB];"), file) == 3078 &&
                                made.size() == 2 && made.filter(ourWords).size() == 2;
            if (!copied)
                std::fprintf(stderr, "not copied as the file's table alone: %s\n", type.toUtf8().constData());
            held = held && copied;
            closeCatalogues();
            QDir(CacheFolder()).removeRecursively();
        }
        std::_Exit(held ? 0 : 1);
    };
    EXPECT_EXIT(copiedHarmlessly(), ::testing::ExitedWithCode(0), "");
    EXPECT_FALSE(QFileInfo::exists(attached));
    EXPECT_FALSE(QFileInfo::exists(vacuumed));
    EXPECT_TRUE(readAll(genuine) == genuineBytes);
    EXPECT_EQ(query("SELECT * FROM [SWB];").rows.size(), 4);
}

// A copy is used only in the form the reader writes, all of it data: one that
// holds anything else (a view in a table's place, a trigger, an index, a
// table or a column its record does not make, a record that does not make
// its tables or is not of its own form), however it came to be, is made
// anew, and the query answers as from the file; at start such a copy is
// removed. SWB's record row packs its form from "0101NO\0TEXT\0301D1\0REAL\0".
TEST_F(CatalogueLayer, ACopyOfAnotherFormIsNeverTrusted)
{
    const QStringList sizes = query("SELECT * FROM [SWB];").column(u"NO");
    const QString copy = copiesIn(CacheFolder()).value(0);
    const QStringList schema = schemaOf(copy);
    const auto recordOf = [&] { return rowsOnTheFile(copy, "SELECT name, hex(value) FROM \"tolvane.record\""); };
    const QList<QStringList> record = recordOf();
    ASSERT_TRUE(record.value(1).value(1).startsWith(QByteArray("0101NO\0TEXT\0" "301D1\0REAL\0", 23).toHex().toUpper()));
    const char* const alterations[] = {
        "DROP TABLE SWB; CREATE VIEW SWB AS SELECT 'made up' AS NO",
        "CREATE TRIGGER t AFTER INSERT ON SWB BEGIN SELECT 1; END",
        "CREATE INDEX i ON SWB (NO)",
        "CREATE VIEW v AS SELECT 1",
        "CREATE TABLE extra (x)",
        "ALTER TABLE SWB ADD COLUMN extra",
        // The record: another of our words, a word or collation not ours, a
        // mark of a declared type or of STRICT neither 0 nor 1, a STRICT
        // table, a value cut short, a name changed, a table missing, a row
        // too many, the source missing.
        "UPDATE \"tolvane.record\" SET value = CAST('00' || substr(value, 3) AS BLOB) WHERE name = 'SWB'",
        "UPDATE \"tolvane.record\" SET value = CAST('05' || substr(value, 3) AS BLOB) WHERE name = 'SWB'",
        "UPDATE \"tolvane.record\" SET value = CAST('013' || substr(value, 4) AS BLOB) WHERE name = 'SWB'",
        "UPDATE \"tolvane.record\" SET value = CAST('0102' || substr(value, 5) AS BLOB) WHERE name = 'SWB'",
        "UPDATE \"tolvane.record\" SET value = CAST('2' || substr(value, 2) AS BLOB) WHERE name = 'SWB'",
        "UPDATE \"tolvane.record\" SET value = CAST('1' || substr(value, 2) AS BLOB) WHERE name = 'SWB'",
        "UPDATE \"tolvane.record\" SET value = substr(value, 1, length(value) - 1) WHERE name = 'SWB'",
        "UPDATE \"tolvane.record\" SET value = CAST(replace(value, 'D1', 'd1') AS BLOB) WHERE name = 'SWB'",
        "UPDATE \"tolvane.record\" SET name = 'swb' WHERE name = 'SWB'",
        "DELETE FROM \"tolvane.record\" WHERE name = 'DB_VERSION'",
        "INSERT INTO \"tolvane.record\" SELECT * FROM \"tolvane.record\" WHERE name = 'SWB'",
        "DELETE FROM \"tolvane.record\" WHERE rowid = 1",
    };
    for (const char* alteration : alterations) {
        SCOPED_TRACE(alteration);
        closeCatalogues();
        makeDatabase(copy, QString::fromUtf8(alteration));
        ASSERT_TRUE(schemaOf(copy) != schema || recordOf() != record);
        EXPECT_EQ(query("SELECT * FROM [SWB];").column(u"NO"), sizes);
        EXPECT_EQ(schemaOf(copy), schema);
        EXPECT_EQ(recordOf().mid(1), record.mid(1));  // a new file's key tells its digest
        closeCatalogues();
        makeDatabase(copy, QString::fromUtf8(alteration));
        cleanUpCatalogueCopies();
        EXPECT_FALSE(QFileInfo::exists(copy));
        EXPECT_EQ(query("SELECT * FROM [SWB];").column(u"NO"), sizes);
    }
}

// However many tables a file has, it is read, or refused for what it holds;
// the check of its schema runs out of nothing but memory and time.
TEST_F(CatalogueLayer, AFileOfManyTablesIsReadOrRefusedForWhatItHolds)
{
    QString tables = QStringLiteral("BEGIN; CREATE TABLE SWB (NO TEXT); INSERT INTO SWB VALUES ('SWB1');");
    for (int t = 0; t < 5000; ++t)
        tables += QStringLiteral("CREATE TABLE T%1 (x REAL COLLATE NOCASE);").arg(t);
    const QString file = dir.filePath(QStringLiteral("tables.mdb"));
    makeDatabase(file, tables + QStringLiteral("COMMIT;"));
    const auto series = [&] { return runCatalogueQuery(file, kConnect, QStringLiteral("SELECT * FROM [SWB];")).rows.size(); };
    EXPECT_EQ(series(), 1);
    makeDatabase(file, QStringLiteral("CREATE TABLE \"as\" (\"view as trigger\", \"virtual\");"));  // names, not keywords
    EXPECT_EQ(series(), 1);
    makeDatabase(file, QStringLiteral("CREATE TABLE G (NO, x AS (1));"));
    expectBoundedFailure(series, 3049, QStringLiteral("生成列 G.x を含むため読み込みません"), file);
}

// A limit of the user's own on memory (ulimit -v) that stops SQLite is no
// fault of the file: it is said as that limit (3051), and the next query
// tries again.
TEST_F(CatalogueLayer, TheUsersOwnMemoryLimitIsNoDamage)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer's allocator keeps its own room";
#endif
    const auto run = [&] {
        ::alarm(60);
        rlim_t pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t bytes = pages * ::sysconf(_SC_PAGESIZE) + (rlim_t(96) << 20);
        const rlimit limit{bytes, bytes};
        ::setrlimit(RLIMIT_AS, &limit);
        const QString reason = QStringLiteral("メモリが上限 (") + QString::number(bytes) +
                               QStringLiteral(" バイト) に達したため読み込みを止めました");
        // 110 MB in one row, past the limit but within SQLite's own bound.
        const QStringList values(110, QStringLiteral("printf('%.*c', 1000000, 'x')"));
        const std::optional<VbError> e =
            failureOf([&] { runCatalogueQuery(path, kConnect, QStringLiteral("SELECT ") + values.join(u',')); });
        const bool held = e && e->number() == 3051 &&
                          e->description().endsWith(QStringLiteral("（") + reason + QStringLiteral("）")) &&
                          sandbox.logMessages().contains(QStringLiteral("□Eve：") + path + QStringLiteral(" の") + reason) &&
                          query("SELECT * FROM [SWB];").rows.size() == 4;
        std::fprintf(stderr, "%s\n", e ? e->description().toUtf8().constData() : "no error");
        std::_Exit(held ? 0 : 1);
    };
    EXPECT_EXIT(run(), ::testing::ExitedWithCode(0), "");
}

// A file SQLite takes minutes to open: tables by the ten thousand, and a
// virtual table whose module no one has, which SQLite looks for again for
// each of them as it lists the schema. Made in a moment, through the schema
// itself; each table shares one page.
void makeSlowSchema(const QString& file, int tables)
{
    makeDatabase(file, QStringLiteral("CREATE TABLE SWB (NO TEXT); INSERT INTO SWB VALUES ('SWB1'); PRAGMA writable_schema = ON;"
                                      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                      "INSERT INTO sqlite_schema SELECT 'table', 'T' || i, 'T' || i, 2, "
                                      "'CREATE TABLE T' || i || ' (x)' FROM n;"
                                      "INSERT INTO sqlite_schema VALUES ('table', 'V', 'V', 0, 'CREATE VIRTUAL TABLE V USING none(x)');")
                           .arg(tables));
}

// Whatever a file holds, reading it ends at the deadline: the reader
// process that reads it is stopped there, and the checker ends with it,
// saying so. So does a query on a file's copy, however long it would run,
// and the next query reads the copy as before.
TEST_F(CatalogueLayer, EveryReadEndsAtItsDeadline)
{
    EXPECT_EQ(query("SELECT * FROM [SWB];").rows.size(), 4);
    setCatalogueReader(kReader, 1000);
    expectBoundedFailure([&] { query("WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM r) SELECT count(*) FROM r;"); },
                         3051, QStringLiteral("読み込みが 1 秒で終わらず、打ち切りました"), path, false, 30);

    const QString file = dir.filePath(QStringLiteral("slow.mdb"));
    makeSlowSchema(file, 60000);
    // The program's own deadline; the alarm and the wait for the checker
    // catch a read that takes minutes, not one that is late on a loaded
    // machine.
    setCatalogueReader(kReader, kDefaultReaderDeadlineMs);
    const auto series = [&] { runCatalogueQuery(file, kConnect, QStringLiteral("SELECT * FROM [SWB];")); };
    expectBoundedFailure(series, 3051, QStringLiteral("読み込みが 5 秒で終わらず、打ち切りました"), file, false, 30);
    int exitCode = 0;
    QString errors;
    EXPECT_EQ(toolLines({file}, &exitCode, &errors, 0, 30000), QStringList{});
    EXPECT_EQ(exitCode, 1);
    EXPECT_TRUE(errors.contains(QStringLiteral("読み込みが 5 秒で終わらず、打ち切りました"))) << errors.toStdString();
}

}  // namespace
