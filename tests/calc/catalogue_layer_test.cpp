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
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    char* message = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &message), SQLITE_OK) << (message ? message : "");
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
INSERT INTO SWC VALUES ('SWC10-60', 10, 123456789012.345);
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
        makeDatabase(path, kFixture);
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

    QStringList folderContents() const { return QDir(dir.path()).entryList(QDir::Files); }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("ZEKA.mdb"));
    QString description;
};

QStringList column(const CatalogueRecordset& rs, const char* name)
{
    QStringList out;
    for (int r = 0; r < rs.rows.size(); ++r)
        out.append(rs.field(r, QString::fromLatin1(name)));
    return out;
}

TEST_F(CatalogueLayer, TheThreeQueryFormsReadFieldsByName)
{
    const CatalogueRecordset rs = query("SELECT * FROM [SWB];");
    EXPECT_EQ(rs.columns, (QStringList{"NO", "D1", "D2", "l", "Lmin", "N_mm", "kgf_mm", "fmm100", "fmm50", "fmm30"}));
    EXPECT_EQ(rs.types.mid(0, 2), (QStringList{"TEXT", "REAL"}));
    EXPECT_EQ(column(rs, "NO"), (QStringList{"SWB20-50", "SWB12.5-40", "SWB20-30", "O'Neil8-20"}));
    EXPECT_EQ(rs.rows[1], (QStringList{"SWB12.5-40", "12.5", "6.25", "40", "30", "1040", "0.0375", "6.4", "7.2", "999"}));
    EXPECT_EQ(rs.field(3, u"fmm30"), "");  // NULL reads as empty text
    EXPECT_EQ(query("SELECT * FROM [SWC];").rows[0], (QStringList{"SWC10-60", "10", "123456789012.345"}));

    EXPECT_EQ(column(query("SELECT * FROM [SWB] WHERE [D1] =20;"), "NO"), (QStringList{"SWB20-50", "SWB20-30"}));
    EXPECT_EQ(column(query("SELECT * FROM [SWB] WHERE [D1] =12.5;"), "NO"), QStringList{"SWB12.5-40"});
    EXPECT_TRUE(query("SELECT * FROM [SWB] WHERE [D1] =7;").rows.isEmpty());

    const CatalogueRecordset size = query("SELECT * FROM [SWB] WHERE [no] = 'SWB20-50';");
    ASSERT_EQ(size.rows.size(), 1);
    EXPECT_EQ(size.field(0, u"no"), "SWB20-50");
    EXPECT_EQ(size.field(0, u"LMIN"), "37.5");
    EXPECT_EQ(column(query("SELECT * FROM [SWB] WHERE [no] = 'O''Neil8-20';"), "NO"), QStringList{"O'Neil8-20"});
    // An unknown field or a row that is not there.
    EXPECT_THROW(size.field(0, u"D3"), VbError);
    EXPECT_THROW(query("SELECT * FROM [WY];").field(0, u"NO"), VbError);
    try {
        size.field(1, u"NO");
        ADD_FAILURE() << "row past the end read";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 3021);
        EXPECT_EQ(e.description(), "カレント レコードがありません。");
    }

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

// A Jet file's copy keeps each column's Jet type: a Single shows its 7-digit
// text, a date the short date and long time of a Japanese desktop, a Yes/No
// field True or False.
TEST_F(CatalogueLayer, JetTypesAreShownAsTheProgramShowsThem)
{
    const QString typed = dir.filePath(QStringLiteral("typed.mdb"));
    makeDatabase(typed, "CREATE TABLE T (s SINGLE, d DATETIME, b BIT, t TEXT);");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(typed).constData(), &db), SQLITE_OK);
    sqlite3_stmt* insert = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "INSERT INTO T VALUES (?, ?, ?, ?)", -1, &insert, nullptr), SQLITE_OK);
    const struct {
        float single;
        double date;
        int yes;
        const char* shown[4];
    } rows[] = {
        {0.1f, 29932, -1, {"0.1", "1981/12/12", "True", ""}},
        {6.38f, 29932.5, 0, {"6.38", "1981/12/12 12:00:00", "False", "x"}},
        {123456.7f, 0.25, 1, {"123456.7", "6:00:00", "True", "x"}},
        {1e-05f, 0, 0, {"1E-05", "0:00:00", "False", "x"}},
        {3.0f, -1.25, 0, {"3", "1899/12/29 6:00:00", "False", "x"}},
        {12345678.f, 1.999999999, 0, {"1.234568E+07", "1900/01/01", "False", "x"}},
    };
    for (const auto& r : rows) {
        sqlite3_bind_double(insert, 1, static_cast<double>(r.single));
        sqlite3_bind_double(insert, 2, r.date);
        sqlite3_bind_int(insert, 3, r.yes);
        sqlite3_bind_text(insert, 4, r.shown[3], -1, SQLITE_STATIC);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_close(db);

    const CatalogueRecordset rs = query("SELECT * FROM [T];", typed);
    EXPECT_EQ(rs.types, (QStringList{"SINGLE", "DATETIME", "BIT", "TEXT"}));
    ASSERT_EQ(rs.rows.size(), static_cast<qsizetype>(std::size(rows)));
    for (size_t i = 0; i < std::size(rows); ++i) {
        const QStringList want = {rows[i].shown[0], rows[i].shown[1], rows[i].shown[2], rows[i].shown[3]};
        EXPECT_EQ(rs.rows[static_cast<int>(i)], want);
    }
    EXPECT_FALSE(rs.rows[0][3].isNull());  // empty text is no NULL
    makeDatabase(typed, "INSERT INTO T (d) VALUES (1e10);");
    EXPECT_EQ(errorOf(QStringLiteral("SELECT * FROM [T];"), typed), kErrOverflow);
}

TEST_F(CatalogueLayer, EveryFaultEndsInTheEnginesError)
{
    const QString sql = QStringLiteral("SELECT * FROM [SWB];");
    // Both databases' connect strings pass; the password is not checked.
    for (const QString& connect : {QStringLiteral("Access 2000;"), QStringLiteral(";DATABASE=ZEKA.mdb;pwd=wrong"), QString()})
        EXPECT_EQ(errorOf(sql, path, connect), -1) << connect.toStdString();
    EXPECT_EQ(errorOf(sql, path, QStringLiteral("dBASE IV;DATABASE=x")), 3170);

    const QString missing = dir.filePath(QStringLiteral("ZEKA_D.mdb"));
    EXPECT_EQ(errorOf(sql, missing), 3024);
    EXPECT_EQ(description, QStringLiteral("ファイル '") + missing + QStringLiteral("' が見つかりません。"));
    EXPECT_EQ(errorOf(sql, dir.filePath(QStringLiteral("gone/ZEKA.mdb"))), 3044);
    // "" and ":memory:" are reserved names to SQLite; here they are just missing files.
    EXPECT_EQ(errorOf(sql, QStringLiteral("")), 3024);
    EXPECT_EQ(errorOf(sql, QStringLiteral(":memory:")), 3024);
    EXPECT_EQ(errorOf(sql, dir.path()), 3051);
    QFile text(dir.filePath(QStringLiteral("notes.mdb")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(4096, 'x'));
    text.close();
    EXPECT_EQ(errorOf(sql, text.fileName()), 3343);

    QFile db(path);
    ASSERT_TRUE(db.open(QIODevice::ReadOnly));
    const QByteArray before = db.readAll();
    const std::pair<const char*, int> queries[] = {
        {"SELECT * FROM [SWQ];", 3078},
        {"SELECT * FROM [SWB] WHERE [D9] =20;", 3061},
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
    db.seek(0);
    EXPECT_TRUE(db.readAll() == before);
    // Nothing was created on the way: no missing file, no attached one, no journal.
    EXPECT_EQ(folderContents(), (QStringList{"notes.mdb", "ZEKA.mdb"}));
}

}  // namespace
