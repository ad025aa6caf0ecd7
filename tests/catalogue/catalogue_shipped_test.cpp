// The catalogue the build lays into the program folder: what the window relies
// on (tables, order, unique numbers, the deflection ladder, the 999 rule of
// SWC and SWG, diameter lists, the version) and that it is exactly its sources.
#include "support/catalogue_files.h"
#include "support/catalogue_reader.h"
#include "support/sandbox.h"

#include "catalogue/catalogue.h"
#include "services/numtext.h"

#include <QSet>

using namespace tolvane;
using tolvane::test::kSeriesCodes;

namespace {

const QString kSizes = QStringLiteral(TOLVANE_APP_DIR "/ZEKA.mdb");
const QString kDiameters = QStringLiteral(TOLVANE_APP_DIR "/ZEKA_D.mdb");
const QString kConnect = QStringLiteral(";DATABASE=ZEKA.mdb;pwd=Rm4tQx82pLw");
const QString kSource = QStringLiteral(TOLVANE_SOURCE_DIR "/catalogue/sample/");

CatalogueRecordset query(const QString& db, const QString& sql)
{
    return runCatalogueQuery(db, kConnect, sql);
}

CatalogueRecordset series(const QString& db, const QString& code)
{
    return query(db, QStringLiteral("SELECT * FROM [") + code + QStringLiteral("];"));
}

// One table per series and the version; every size complete, uniquely
// numbered, ordered by D1 then l, with the deflections climbing towards the
// stroke and 999 only where the rule puts it; the diameter list is the
// series' distinct D1 ascending.
TEST(ShippedCatalogue, EverySeriesKeepsItsInvariants)
{
    QStringList tables = catalogueTables(kSizes);
    tables.sort();
    EXPECT_EQ(tables, (QStringList{"DB_VERSION"} + kSeriesCodes));
    tables = catalogueTables(kDiameters);
    tables.sort();
    EXPECT_EQ(tables, kSeriesCodes);
    EXPECT_EQ(series(kSizes, "DB_VERSION").rows.size(), 1);
    EXPECT_EQ(readDatabaseVersion(kSizes), "2026.12");

    int blocked = 0;
    for (const QString& code : kSeriesCodes) {
        SCOPED_TRACE(code.toStdString());
        const bool ruled = code == "SWC" || code == "SWG";
        const CatalogueRecordset rs = series(kSizes, code);
        ASSERT_FALSE(rs.rows.isEmpty());
        QSet<QString> numbers;
        QStringList diameters;
        for (int r = 0; r < rs.rows.size(); ++r) {
            const QString no = rs.field(r, u"NO");
            const std::string name = no.toStdString();
            auto num = [&](int row, const char16_t* field) { return cdbl(rs.field(row, QStringView(field))); };
            for (const QString& f : rs.rows[r])
                EXPECT_FALSE(f.isEmpty()) << name;  // a NULL reads as ""
            EXPECT_FALSE(numbers.contains(no)) << name;
            numbers.insert(no);
            EXPECT_EQ(no, code + rs.field(r, u"D1") + QLatin1Char('-') + rs.field(r, u"l"));
            if (!diameters.contains(rs.field(r, u"D1")))
                diameters.append(rs.field(r, u"D1"));
            const double d1 = num(r, u"D1"), l = num(r, u"l");
            EXPECT_TRUE(d1 <= l && l <= 10 * d1) << name;
            if (r > 0) {
                const double d0 = num(r - 1, u"D1");
                EXPECT_TRUE(d0 < d1 || (d0 == d1 && num(r - 1, u"l") < l)) << "out of order: " << name;
            }
            const double fmm30 = num(r, u"fmm30"), stroke = l - num(r, u"Lmin");
            const bool none = fmm30 == 999;
            EXPECT_EQ(none, ruled && l >= 6 * d1) << name;
            blocked += none;
            EXPECT_LT(num(r, u"fmm100"), num(r, u"fmm50")) << name;
            EXPECT_LT(num(r, u"fmm50"), none ? stroke : fmm30) << name;
            EXPECT_TRUE(none || fmm30 < stroke) << name;
        }
        QStringList shown;
        for (const QStringList& row : series(kDiameters, code).rows)
            shown.append(row[0]);
        EXPECT_EQ(shown, diameters);
    }
    EXPECT_GT(blocked, 0);
}

// Every field as the program shows it is the text of its CSV source, in the
// same order: nothing is lost or reformatted on the way into the database.
TEST(ShippedCatalogue, MatchesItsSourcesFieldForField)
{
    for (const QString& code : kSeriesCodes) {
        SCOPED_TRACE(code.toStdString());
        for (const auto& [db, folder] : {std::pair{kSizes, QStringLiteral("ZEKA/")},
                                         std::pair{kDiameters, QStringLiteral("ZEKA_D/")}}) {
            QFile f(kSource + folder + code + QStringLiteral(".csv"));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            QList<QStringList> csv;
            for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
                csv.append(line.trimmed().split(QLatin1Char(',')));
            ASSERT_FALSE(csv.isEmpty());
            const CatalogueRecordset rs = series(db, code);
            EXPECT_EQ(rs.columns, csv.takeFirst());
            EXPECT_EQ(rs.rows, csv);
        }
    }
    // The model of the sample: c D1² / l = 5.04 * 400 / 50 -> 40.3; / 9.80665 -> 4.11.
    const CatalogueRecordset size = query(kSizes, "SELECT * FROM [SWM] WHERE [no] = 'SWM20-50';");
    ASSERT_EQ(size.rows.size(), 1);
    EXPECT_EQ(size.rows[0], (QStringList{"SWM20-50", "20", "10", "50", "30", "40.3", "4.11", "12.8", "14.4", "16"}));
    // Size numbers compare as text without regard to case.
    EXPECT_EQ(query(kSizes, "SELECT * FROM [SWM] WHERE [no] = 'swm20-50';").rows.size(), 1);
}

// The checker carries no sample's bytes: it reads the sample's files, as
// any other, through a copy, and prints what the program lists, text
// between double quotes.
TEST(ShippedCatalogue, TheCheckerPrintsItAsTheProgramListsIt)
{
    for (const QString& db : {kSizes, kDiameters})
        EXPECT_EQ(test::toolLines({db}), QStringList{"SQLite"} + catalogueTables(db));
    for (const auto& [db, table] : {std::pair{kSizes, "DB_VERSION"}, std::pair{kSizes, "SWB"}, std::pair{kDiameters, "SWB"}}) {
        const CatalogueRecordset rs = series(db, QString::fromLatin1(table));
        QStringList lines{rs.columns.join(u',')};
        for (const QStringList& row : rs.rows) {
            QStringList fields;
            for (qsizetype c = 0; c < row.size(); ++c)
                fields.append(rs.types[c] == "TEXT" ? QLatin1Char('"') + row[c] + QLatin1Char('"') : row[c]);
            lines.append(fields.join(u','));
        }
        EXPECT_EQ(test::toolLines({db, QString::fromLatin1(table)}), lines) << table;
    }
}

}  // namespace
