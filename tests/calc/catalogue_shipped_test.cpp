// The catalogue the build lays into the program folder: what the window relies
// on (tables, order, unique numbers, the deflection ladder, the 999 rule of
// SWC and SWG, diameter lists, the version) and that it is exactly its sources.
#include "calc/catalogue.h"
#include "services/numtext.h"
#include "services/vberror.h"
#include "support/printers.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tolvane;

namespace {

const QString kSizes = QStringLiteral(TOLVANE_APP_DIR "/ZEKA.mdb");
const QString kDiameters = QStringLiteral(TOLVANE_APP_DIR "/ZEKA_D.mdb");
const QString kConnect = QStringLiteral(";DATABASE=ZEKA.mdb;pwd=Rm4tQx82pLw");
const QString kConnectD = QStringLiteral("Access 2000;");

const QStringList kSeries = {"SWB", "SWC", "SWF", "SWG", "SWH", "SWL", "SWM", "SWR", "SWS", "SWU", "SWV",
                             "SWX", "SWY", "SWZ", "WB",  "WF",  "WH",  "WL",  "WM",  "WR",  "WT",  "WY"};
const QStringList kColumns = {"NO", "D1", "D2", "l", "Lmin", "N_mm", "kgf_mm", "fmm100", "fmm50", "fmm30"};

CatalogueRecordset series(const QString& code)
{
    return runCatalogueQuery(kSizes, kConnect, QStringLiteral("SELECT * FROM [") + code + QStringLiteral("];"));
}

QStringList tableNames(const QString& path)
{
    const CatalogueRecordset rs = runCatalogueQuery(
        path, kConnect, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name;"));
    QStringList out;
    for (const QStringList& row : rs.rows)
        out.append(row[0]);
    return out;
}

double num(const CatalogueRecordset& rs, int row, const char* name)
{
    return cdbl(rs.field(row, QString::fromLatin1(name)));
}

TEST(ShippedCatalogue, HoldsOneTablePerSeriesAndTheVersion)
{
    QStringList expected = kSeries;
    expected.append(QStringLiteral("DB_VERSION"));
    expected.sort();
    EXPECT_EQ(tableNames(kSizes), expected);
    QStringList diameters = kSeries;
    diameters.sort();
    EXPECT_EQ(tableNames(kDiameters), diameters);
    EXPECT_EQ(readDatabaseVersion(kSizes), "2026.12");
    EXPECT_EQ(runCatalogueQuery(kSizes, kConnect, QStringLiteral("SELECT * FROM [DB_VERSION];")).rows.size(), 1);
}

TEST(ShippedCatalogue, EverySizeIsCompleteOrderedAndUniquelyNumbered)
{
    for (const QString& code : kSeries) {
        SCOPED_TRACE(code.toStdString());
        const CatalogueRecordset rs = series(code);
        EXPECT_EQ(rs.columns, kColumns);
        ASSERT_FALSE(rs.rows.isEmpty());
        // NULL would read as "": count them in the database itself.
        const CatalogueRecordset nulls = runCatalogueQuery(
            kSizes, kConnect,
            QStringLiteral("SELECT count(*) AS n FROM [") + code +
                QStringLiteral("] WHERE NO IS NULL OR D1 IS NULL OR D2 IS NULL OR l IS NULL OR Lmin IS NULL OR "
                               "N_mm IS NULL OR kgf_mm IS NULL OR fmm100 IS NULL OR fmm50 IS NULL OR fmm30 IS NULL;"));
        EXPECT_EQ(nulls.field(0, u"n"), "0");

        QSet<QString> numbers;
        for (int r = 0; r < rs.rows.size(); ++r) {
            const QString no = rs.field(r, u"NO");
            for (const QString& f : rs.rows[r])
                EXPECT_FALSE(f.isEmpty()) << no.toStdString();
            EXPECT_FALSE(numbers.contains(no)) << no.toStdString();
            numbers.insert(no);
            EXPECT_EQ(no, code + rs.field(r, u"D1") + QLatin1Char('-') + rs.field(r, u"l"));
            const double d1 = num(rs, r, "D1");
            const double l = num(rs, r, "l");
            EXPECT_LE(d1, l) << no.toStdString();
            EXPECT_LE(l, 10 * d1) << no.toStdString();
            EXPECT_LT(num(rs, r, "D2"), d1) << no.toStdString();
            EXPECT_LT(num(rs, r, "Lmin"), l) << no.toStdString();
            if (r > 0) {
                const double d0 = num(rs, r - 1, "D1");
                EXPECT_TRUE(d0 < d1 || (d0 == d1 && num(rs, r - 1, "l") < l))
                    << "out of order: " << rs.field(r - 1, u"NO").toStdString() << " " << no.toStdString();
            }
        }
    }
}

TEST(ShippedCatalogue, DeflectionsClimbWithTheUseCountAnd999OnlyWhereTheRulePutsIt)
{
    int blocked = 0;
    for (const QString& code : kSeries) {
        SCOPED_TRACE(code.toStdString());
        const bool ruled = code == "SWC" || code == "SWG";
        const CatalogueRecordset rs = series(code);
        for (int r = 0; r < rs.rows.size(); ++r) {
            const std::string no = rs.field(r, u"NO").toStdString();
            const double l = num(rs, r, "l");
            const double fmm100 = num(rs, r, "fmm100");
            const double fmm50 = num(rs, r, "fmm50");
            const double fmm30 = num(rs, r, "fmm30");
            const double stroke = l - num(rs, r, "Lmin");
            const bool none = fmm30 == 999;
            EXPECT_EQ(none, ruled && l >= 6 * num(rs, r, "D1")) << no;
            blocked += none;
            EXPECT_LT(fmm100, fmm50) << no;
            EXPECT_LT(fmm50, none ? stroke : fmm30) << no;
            if (!none) {
                EXPECT_LT(fmm30, stroke) << no;
            }
            EXPECT_GT(num(rs, r, "N_mm"), num(rs, r, "kgf_mm")) << no;
        }
    }
    EXPECT_GT(blocked, 0);
}

TEST(ShippedCatalogue, DiameterListsAreTheSeriesDistinctDiametersAscending)
{
    for (const QString& code : kSeries) {
        SCOPED_TRACE(code.toStdString());
        const CatalogueRecordset sizes = series(code);
        QStringList expected;
        for (int r = 0; r < sizes.rows.size(); ++r) {
            if (!expected.contains(sizes.field(r, u"D1")))
                expected.append(sizes.field(r, u"D1"));
        }
        const CatalogueRecordset list =
            runCatalogueQuery(kDiameters, kConnectD, QStringLiteral("SELECT * FROM [") + code + QStringLiteral("];"));
        EXPECT_EQ(list.columns, QStringList{"d"});
        QStringList shown;
        for (int r = 0; r < list.rows.size(); ++r)
            shown.append(list.field(r, u"d"));
        EXPECT_EQ(shown, expected);
        for (int r = 1; r < list.rows.size(); ++r)
            EXPECT_LT(cdbl(shown[r - 1]), cdbl(shown[r]));
    }
}

// Every field as the program shows it is the text of its CSV source, in the
// same order: nothing is lost or reformatted on the way into the database.
TEST(ShippedCatalogue, MatchesItsSourcesFieldForField)
{
    auto readCsv = [](const QString& path) {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        QList<QStringList> rows;
        for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            rows.append(line.trimmed().split(QLatin1Char(',')));
        return rows;
    };
    const QString source = QStringLiteral(TOLVANE_SOURCE_DIR "/catalogue/");
    for (const QString& code : kSeries) {
        SCOPED_TRACE(code.toStdString());
        for (const auto& [db, folder] : {std::pair{kSizes, QStringLiteral("ZEKA/")},
                                         std::pair{kDiameters, QStringLiteral("ZEKA_D/")}}) {
            QList<QStringList> csv = readCsv(source + folder + code + QStringLiteral(".csv"));
            ASSERT_FALSE(csv.isEmpty());
            const CatalogueRecordset rs =
                runCatalogueQuery(db, kConnect, QStringLiteral("SELECT * FROM [") + code + QStringLiteral("];"));
            EXPECT_EQ(rs.columns, csv.takeFirst());
            EXPECT_EQ(rs.rows, csv);
        }
    }
}

// The CSV sources are the generator's output, untouched by hand: running it
// again writes the same bytes.
TEST(ShippedCatalogue, SourcesAreWhatTheGeneratorWrites)
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        GTEST_SKIP() << "python3 is not installed";
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    QProcess p;
    p.start(python, {QStringLiteral(TOLVANE_SOURCE_DIR "/catalogue/generate_catalogue.py"), QStringLiteral("--out"),
                     out.path()});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    for (const QString& folder : {QStringLiteral("ZEKA"), QStringLiteral("ZEKA_D")}) {
        const QDir made(out.path() + QLatin1Char('/') + folder);
        const QDir kept(QStringLiteral(TOLVANE_SOURCE_DIR "/catalogue/") + folder);
        const QStringList files = made.entryList({QStringLiteral("*.csv")}, QDir::Files, QDir::Name);
        EXPECT_EQ(kept.entryList({QStringLiteral("*.csv")}, QDir::Files, QDir::Name), files);
        for (const QString& f : files) {
            QFile a(made.filePath(f));
            QFile b(kept.filePath(f));
            ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
            EXPECT_TRUE(a.readAll() == b.readAll()) << (folder + QLatin1Char('/') + f).toStdString();
        }
    }
}

TEST(ShippedCatalogue, TheWindowsThreeQueriesRunOnIt)
{
    const CatalogueRecordset bore =
        runCatalogueQuery(kSizes, kConnect, QStringLiteral("SELECT * FROM [SWG] WHERE [D1] =12.5;"));
    QStringList expected;
    const CatalogueRecordset all = series(QStringLiteral("SWG"));
    for (int r = 0; r < all.rows.size(); ++r) {
        if (all.field(r, u"D1") == "12.5")
            expected.append(all.field(r, u"NO"));
    }
    QStringList narrowed;
    for (int r = 0; r < bore.rows.size(); ++r)
        narrowed.append(bore.field(r, u"NO"));
    EXPECT_FALSE(narrowed.isEmpty());
    EXPECT_EQ(narrowed, expected);

    const CatalogueRecordset size =
        runCatalogueQuery(kSizes, kConnect, QStringLiteral("SELECT * FROM [SWM] WHERE [no] = 'SWM20-50';"));
    ASSERT_EQ(size.rows.size(), 1);
    EXPECT_EQ(size.field(0, u"NO"), "SWM20-50");
    EXPECT_EQ(size.field(0, u"D1"), "20");
    EXPECT_EQ(size.field(0, u"l"), "50");
    // c D1² / l = 5.04 * 400 / 50 = 40.32 -> 40.3; 40.3 / 9.80665 = 4.109... -> 4.11
    EXPECT_EQ(size.field(0, u"N_mm"), "40.3");
    EXPECT_EQ(size.field(0, u"kgf_mm"), "4.11");
    EXPECT_EQ(size.field(0, u"Lmin"), "30");
    EXPECT_EQ(size.field(0, u"fmm100"), "12.8");
    // Size numbers compare as the Access engine compared text: case aside.
    EXPECT_EQ(runCatalogueQuery(kSizes, kConnect, QStringLiteral("SELECT * FROM [SWM] WHERE [no] = 'swm20-50';"))
                  .rows.size(),
              1);

    const CatalogueRecordset ruled =
        runCatalogueQuery(kSizes, kConnect, QStringLiteral("SELECT * FROM [SWG] WHERE [no] = 'SWG10-60';"));
    ASSERT_EQ(ruled.rows.size(), 1);
    EXPECT_EQ(ruled.field(0, u"fmm30"), "999");
    const CatalogueRecordset rated =
        runCatalogueQuery(kSizes, kConnect, QStringLiteral("SELECT * FROM [SWB] WHERE [no] = 'SWB10-60';"));
    ASSERT_EQ(rated.rows.size(), 1);
    EXPECT_EQ(rated.field(0, u"fmm30"), "12");
}

}  // namespace
