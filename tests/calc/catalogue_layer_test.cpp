// The catalogue layer on a small database the test makes itself: the window's
// three query texts as they stand, fields by name, number texts, and every way
// a catalogue can be missing or wrong ending in the Access engine's error.
#include "calc/catalogue.h"
#include "services/numtext.h"
#include "services/vberror.h"
#include "support/printers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <cstring>
#include <random>

using namespace tolvane;

namespace {

const QString kConnect = QStringLiteral(";DATABASE=ZEKA.mdb;pwd=Rm4tQx82pLw");

void makeDatabase(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                              nullptr),
              SQLITE_OK);
    // A scratch file: no need to wait for the disk.
    sqlite3_exec(db, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
    char* message = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
    EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "");
    sqlite3_free(message);
    sqlite3_close(db);
}

// Rows deliberately out of size order: the layer must keep the table's order.
const char* const kFixture = R"sql(
CREATE TABLE SWB (NO TEXT, D1 REAL, D2 REAL, l REAL, Lmin REAL, N_mm REAL, kgf_mm REAL,
                  fmm100 REAL, fmm50 REAL, fmm30 REAL);
INSERT INTO SWB VALUES ('SWB20-50', 20, 10, 50, 37.5, 139, 14.2, 8, 9, 10);
INSERT INTO SWB VALUES ('SWB12.5-40', 12.5, 6.25, 40, 30, 1040, 0.0375, 6.4, 7.2, 999);
INSERT INTO SWB VALUES ('SWB20-30', 20, 10, 30, 22.5, 232, 23.7, 4.8, 5.4, 6);
INSERT INTO SWB VALUES ('O''Neil8-20', 8, 4, 20, 15, 55.7, 5.68, 3.2, 3.6, NULL);
CREATE TABLE SWC (NO TEXT, D1 INTEGER, fmm30 REAL);
INSERT INTO SWC VALUES ('SWC10-60', 10, 0.1);
INSERT INTO SWC VALUES ('SWC10-80', 10, 123456789012.345);
CREATE TABLE WY (NO TEXT, D1 REAL);
CREATE TABLE PIC (NO TEXT, picture BLOB);
INSERT INTO PIC VALUES ('P1', x'00ff');
CREATE TABLE DB_VERSION (VERSION TEXT);
INSERT INTO DB_VERSION VALUES ('2025.01');
INSERT INTO DB_VERSION VALUES ('2026.12');
)sql";

class CatalogueLayer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("ZEKA.mdb"));
        makeDatabase(path, kFixture);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        original = f.readAll();
    }

    // The number and description of the error a query ends in; -1 for none.
    std::pair<int, QString> errorOf(const QString& sql, const QString& connect = kConnect) const
    {
        try {
            runCatalogueQuery(path, connect, sql);
        } catch (const VbError& e) {
            return {e.number(), e.description()};
        }
        return {-1, {}};
    }

    QStringList folderContents() const { return QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot); }

    QTemporaryDir dir;
    QString path;
    QByteArray original;
};

QStringList column(const CatalogueRecordset& rs, const char* name)
{
    QStringList out;
    for (int r = 0; r < rs.rows.size(); ++r)
        out.append(rs.field(r, QString::fromLatin1(name)));
    return out;
}

TEST_F(CatalogueLayer, SeriesQueryGivesEveryRowInTheTablesOrderWithFieldsAsText)
{
    const CatalogueRecordset rs = runCatalogueQuery(path, kConnect, QStringLiteral("SELECT * FROM [SWB];"));
    EXPECT_EQ(rs.columns, (QStringList{"NO", "D1", "D2", "l", "Lmin", "N_mm", "kgf_mm", "fmm100", "fmm50", "fmm30"}));
    EXPECT_EQ(column(rs, "NO"), (QStringList{"SWB20-50", "SWB12.5-40", "SWB20-30", "O'Neil8-20"}));
    // Numbers as the program's number text: no ".0", no exponent for these.
    EXPECT_EQ(rs.rows[1], (QStringList{"SWB12.5-40", "12.5", "6.25", "40", "30", "1040", "0.0375", "6.4", "7.2", "999"}));
    EXPECT_EQ(rs.field(0, u"D1"), "20");
    // NULL reads as empty text.
    EXPECT_EQ(rs.field(3, u"fmm30"), "");
}

TEST_F(CatalogueLayer, IntegerAndLongRealColumnsComeOutAsFifteenDigitNumberText)
{
    const CatalogueRecordset rs = runCatalogueQuery(path, kConnect, QStringLiteral("SELECT * FROM [SWC];"));
    EXPECT_EQ(column(rs, "D1"), (QStringList{"10", "10"}));
    EXPECT_EQ(column(rs, "fmm30"), (QStringList{"0.1", "123456789012.345"}));
}

// Every number comes out exactly as the program's 15-digit number text writes
// it, whatever road the layer takes to it: short decimals, long ones, the
// edges where the text turns to an exponent, integers beyond 15 digits.
TEST_F(CatalogueLayer, EveryNumberIsItsFifteenDigitNumberText)
{
    std::vector<double> values = {0.0, -0.0, 1e-4, 9.99999999999999e-5, 0.000123456789012345, 1e15,
                                  999999999999999.9, 999999999999999.4, 123456789012345.6, 99999999999999.95,
                                  0.1 + 0.2, 1.0 / 3, 2.0 / 3, -12.5, 5e-324, 1.7976931348623157e308,
                                  1e14 + 0.5, 9007199254740993.0, -1040, 0.0375, 12.8, 31.5};
    std::mt19937_64 random(20261206);
    for (int i = 0; i < 3000; ++i) {
        // Short and long decimals around every magnitude the layer treats apart.
        std::uniform_int_distribution<int> digits(1, 17);
        std::uniform_int_distribution<int> exponent(-8, 17);
        const int n = digits(random);
        double mantissa = static_cast<double>(random() % static_cast<quint64>(std::pow(10.0, n)));
        double v = mantissa * std::pow(10.0, exponent(random) - n);
        values.push_back(i % 2 ? v : -v);
    }
    for (int i = 0; i < 1000; ++i) {
        quint64 bits = random();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        if (std::isfinite(v))
            values.push_back(v);
    }

    const QString numbers = dir.filePath(QStringLiteral("numbers.mdb"));
    makeDatabase(numbers, "CREATE TABLE N (v REAL);");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(numbers).constData(), &db), SQLITE_OK);
    sqlite3_exec(db, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "INSERT INTO N VALUES (?)", -1, &insert, nullptr), SQLITE_OK);
    for (double v : values) {
        sqlite3_bind_double(insert, 1, v);
        EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);

    const CatalogueRecordset rs = runCatalogueQuery(numbers, kConnect, QStringLiteral("SELECT * FROM [N];"));
    ASSERT_EQ(rs.rows.size(), static_cast<qsizetype>(values.size()));
    int wrong = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        // -0 is stored as 0 by the database; both read "0".
        const QString expected = dblText(values[i]);
        if (rs.rows[static_cast<int>(i)][0] != expected && ++wrong <= 10)
            ADD_FAILURE() << "value " << i << ": " << rs.rows[static_cast<int>(i)][0].toStdString() << " instead of "
                          << expected.toStdString();
    }
    EXPECT_EQ(wrong, 0);

    // A value with no number text (an infinity) fails the query as an overflow.
    makeDatabase(numbers, "CREATE TABLE I (v REAL); INSERT INTO I VALUES (1e999);");
    try {
        runCatalogueQuery(numbers, kConnect, QStringLiteral("SELECT * FROM [I];"));
        ADD_FAILURE() << "infinity turned into text";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), kErrOverflow);
    }
}

TEST_F(CatalogueLayer, DiameterQueryNarrowsToOneOuterDiameter)
{
    const CatalogueRecordset rs =
        runCatalogueQuery(path, kConnect, QStringLiteral("SELECT * FROM [SWB] WHERE [D1] =20;"));
    EXPECT_EQ(column(rs, "NO"), (QStringList{"SWB20-50", "SWB20-30"}));
    const CatalogueRecordset half =
        runCatalogueQuery(path, kConnect, QStringLiteral("SELECT * FROM [SWB] WHERE [D1] =12.5;"));
    EXPECT_EQ(column(half, "NO"), QStringList{"SWB12.5-40"});
    // A diameter nobody has is an empty result, not an error.
    EXPECT_TRUE(runCatalogueQuery(path, kConnect, QStringLiteral("SELECT * FROM [SWB] WHERE [D1] =7;")).rows.isEmpty());
}

TEST_F(CatalogueLayer, SizeQueryFindsOneSizeAndFieldsReadWithoutRegardToCase)
{
    const CatalogueRecordset rs =
        runCatalogueQuery(path, kConnect, QStringLiteral("SELECT * FROM [SWB] WHERE [no] = 'SWB20-50';"));
    ASSERT_EQ(rs.rows.size(), 1);
    EXPECT_EQ(rs.field(0, u"no"), "SWB20-50");
    EXPECT_EQ(rs.field(0, u"NO"), "SWB20-50");
    EXPECT_EQ(rs.field(0, u"L"), "50");
    EXPECT_EQ(rs.field(0, u"LMIN"), "37.5");
    EXPECT_EQ(rs.field(0, u"n_MM"), "139");
    // A size number with an apostrophe, doubled as the query builder doubles it.
    const CatalogueRecordset quote =
        runCatalogueQuery(path, kConnect, QStringLiteral("SELECT * FROM [SWB] WHERE [no] = 'O''Neil8-20';"));
    EXPECT_EQ(column(quote, "NO"), QStringList{"O'Neil8-20"});
}

TEST_F(CatalogueLayer, UnknownFieldAndMissingRowAreErrors)
{
    const CatalogueRecordset rs =
        runCatalogueQuery(path, kConnect, QStringLiteral("SELECT * FROM [SWB] WHERE [no] = 'SWB20-50';"));
    try {
        rs.field(0, u"D3");
        ADD_FAILURE() << "unknown field read";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), kErrInvalidCall);
    }
    try {
        rs.field(1, u"NO");
        ADD_FAILURE() << "row past the end read";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 3021);
        EXPECT_EQ(e.description(), "カレント レコードがありません。");
    }
    const CatalogueRecordset empty =
        runCatalogueQuery(path, kConnect, QStringLiteral("SELECT * FROM [WY];"));
    EXPECT_EQ(empty.columns, (QStringList{"NO", "D1"}));
    EXPECT_THROW(empty.field(0, u"NO"), VbError);
}

TEST_F(CatalogueLayer, ConnectStringsOfBothDatabasesAreAcceptedAndThePasswordIsNotChecked)
{
    const QString sql = QStringLiteral("SELECT * FROM [SWB];");
    EXPECT_EQ(runCatalogueQuery(path, QStringLiteral("Access 2000;"), sql).rows.size(), 4);
    EXPECT_EQ(runCatalogueQuery(path, QStringLiteral(";DATABASE=ZEKA.mdb;pwd=wrong"), sql).rows.size(), 4);
    EXPECT_EQ(runCatalogueQuery(path, QString(), sql).rows.size(), 4);
    EXPECT_EQ(errorOf(sql, QStringLiteral("dBASE IV;DATABASE=x")).first, 3170);
}

TEST_F(CatalogueLayer, MissingFileIsReportedAndNeverCreated)
{
    const QString missing = dir.filePath(QStringLiteral("ZEKA_D.mdb"));
    try {
        runCatalogueQuery(missing, QStringLiteral("Access 2000;"), QStringLiteral("SELECT * FROM [SWB];"));
        ADD_FAILURE() << "no error";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 3024);
        EXPECT_EQ(e.description(), QStringLiteral("ファイル '") + missing + QStringLiteral("' が見つかりません。"));
    }
    EXPECT_FALSE(QFile::exists(missing));

    const QString noFolder = dir.filePath(QStringLiteral("gone/ZEKA.mdb"));
    try {
        runCatalogueQuery(noFolder, kConnect, QStringLiteral("SELECT * FROM [SWB];"));
        ADD_FAILURE() << "no error";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 3044);
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("gone"))));

    // "" and ":memory:" are reserved names to SQLite; here they are just missing files.
    for (const QString& name : {QString(), QStringLiteral(":memory:")}) {
        try {
            runCatalogueQuery(name, kConnect, QStringLiteral("SELECT 1 AS x;"));
            ADD_FAILURE() << "opened " << name.toStdString();
        } catch (const VbError& e) {
            EXPECT_EQ(e.number(), 3024);
        }
    }
    EXPECT_EQ(folderContents(), QStringList{"ZEKA.mdb"});
}

TEST_F(CatalogueLayer, BadQueriesEndInTheEnginesErrors)
{
    const auto [table, tableText] = errorOf(QStringLiteral("SELECT * FROM [SWQ];"));
    EXPECT_EQ(table, 3078);
    EXPECT_TRUE(tableText.contains(QStringLiteral("'SWQ'"))) << tableText.toStdString();
    EXPECT_EQ(errorOf(QStringLiteral("SELECT * FROM [SWB] WHERE [D9] =20;")).first, 3061);
    // An apostrophe left single ends the text early.
    EXPECT_EQ(errorOf(QStringLiteral("SELECT * FROM [SWB] WHERE [no] = 'O'Neil8-20';")).first, 3075);
    EXPECT_EQ(errorOf(QStringLiteral("SELECT * FROM [PIC];")).first, kErrTypeMismatch);
    EXPECT_EQ(errorOf(QString()).first, 3219);
}

TEST_F(CatalogueLayer, NothingButReadingRunsAndTheFileStaysAsItWas)
{
    EXPECT_EQ(errorOf(QStringLiteral("DELETE FROM [SWB];")).first, 3219);
    EXPECT_EQ(errorOf(QStringLiteral("SELECT * FROM [SWB]; DELETE FROM [SWB];")).first, 3142);
    const QString other = dir.filePath(QStringLiteral("other.db"));
    EXPECT_NE(errorOf(QStringLiteral("ATTACH DATABASE '") + other + QStringLiteral("' AS x;")).first, -1);
    EXPECT_FALSE(QFile::exists(other));

    EXPECT_EQ(runCatalogueQuery(path, kConnect, QStringLiteral("SELECT * FROM [SWB];")).rows.size(), 4);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), original);
    EXPECT_EQ(folderContents(), QStringList{"ZEKA.mdb"});
}

TEST_F(CatalogueLayer, FileThatIsNoDatabaseIsRefused)
{
    const QString text = dir.filePath(QStringLiteral("notes.mdb"));
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    try {
        runCatalogueQuery(text, kConnect, QStringLiteral("SELECT * FROM [SWB];"));
        ADD_FAILURE() << "no error";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 3343);
    }
    try {
        runCatalogueQuery(dir.path(), kConnect, QStringLiteral("SELECT * FROM [SWB];"));
        ADD_FAILURE() << "a folder opened as a database";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 3051) << e.description().toStdString();
    }
}

TEST_F(CatalogueLayer, DatabaseVersionIsTheLastRowsVersion)
{
    EXPECT_EQ(readDatabaseVersion(path), "2026.12");

    const QString empty = dir.filePath(QStringLiteral("empty.mdb"));
    makeDatabase(empty, "CREATE TABLE DB_VERSION (VERSION TEXT);");
    EXPECT_EQ(readDatabaseVersion(empty), "");

    const QString noTable = dir.filePath(QStringLiteral("old.mdb"));
    makeDatabase(noTable, "CREATE TABLE SWB (NO TEXT);");
    try {
        readDatabaseVersion(noTable);
        ADD_FAILURE() << "no error";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 3078);
    }

    const QString missing = dir.filePath(QStringLiteral("none.mdb"));
    try {
        readDatabaseVersion(missing);
        ADD_FAILURE() << "no error";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 3024);
    }
    EXPECT_FALSE(QFile::exists(missing));
}

}  // namespace
