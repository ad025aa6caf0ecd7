// Spring kinds, series and the catalogue lookups, on a small catalogue the
// test makes itself.
#include "calc_fixture.h"

#include "catalogue/catalogue.h"
#include "catalogue/copies.h"
#include "services/numtext.h"
#include "support/error_of.h"
#include "support/catalogue_reader.h"

#include <QElapsedTimer>

#include <tuple>

using namespace tolvane;
using namespace tolvane::test;

namespace {

// Every series has its tables; only SWB, SWC and SWG have sizes (rows not in
// size order: the lists keep the database's order). SWF has diameters but
// no sizes.
const char* const kSizes = R"sql(
INSERT INTO SWB VALUES ('SWB20-50', 20, 10, 50, 37.5, 174, 17.7, 8, 9, 999);
INSERT INTO SWB VALUES ('SWB10-25', 10, 5, 25, 18.8, 69.6, 7.1, 4, 4.5, 5);
INSERT INTO SWB VALUES ('SWB20-30', 20, 10, 30, 22.5, 290, 29.6, 4.8, 5.4, 6);
INSERT INTO SWC VALUES ('SWC10-40', 10, 5, 40, 24, 10.3, 1.05, 10.2, 11.5, 12.8);
INSERT INTO SWC VALUES ('SWC10''X-80', 10, 5, 80, 48, 5.13, 0.523, 20.5, 23, 999);
INSERT INTO SWG VALUES ('SWG10-80', 10, 5, 80, 28.7, 2.41, 0.246, 24, 28, 999);
INSERT INTO SWG VALUES ('SWG10-40', 10, 5, 40, 14.4, 4.83, 0.492, 12, 14, 16);
)sql";

class Series : public CalcTest {
protected:
    void SetUp() override
    {
        CalcTest::SetUp();
        QString sizes = kSizes, diameters = "INSERT INTO SWB VALUES (10), (20); INSERT INTO SWC VALUES (10);"
                                            "INSERT INTO SWG VALUES (10); INSERT INTO SWF VALUES (16);";
        for (const QString& code : kSeriesCodes) {
            sizes.prepend(QStringLiteral("CREATE TABLE %1 (NO TEXT, D1 REAL, D2 REAL, l REAL, Lmin REAL, N_mm REAL, "
                                         "kgf_mm REAL, fmm100 REAL, fmm50 REAL, fmm30 REAL);").arg(code));
            diameters.prepend(QStringLiteral("CREATE TABLE %1 (d REAL);").arg(code));
        }
        makeDatabase(sandbox.root() + "/program/ZEKA.mdb", sizes);
        makeDatabase(sandbox.root() + "/program/ZEKA_D.mdb", diameters);
        useCatalogueReader();
    }
    QStringList items(Ctl list) { return form()[list].items; }
    void chooseSize(const QString& no)
    {
        const int i = static_cast<int>(items(field::SizeList).indexOf(no));
        ASSERT_GE(i, 0) << no.toStdString();
        model->userClickedList(field::SizeList, i);
    }
};

TEST_F(Series, ASeriesListsItsSizesInTheDatabasesOrderAndItsDiameters)
{
    model->seriesClicked("SWB");
    EXPECT_EQ(model->SeriesCode, "SWB");
    EXPECT_EQ(model->SeriesQuery, "SELECT * FROM [SWB];");
    EXPECT_EQ(items(field::SizeList), (QStringList{"SWB20-50", "SWB10-25", "SWB20-30"}));
    EXPECT_EQ(items(field::DiameterList), (QStringList{"10", "20"}));
    EXPECT_FALSE(form()[Ctl::Picture6].visible);
    EXPECT_EQ(form()[Ctl::imgSWB].picture, "materials/SWB_on.gif");
    EXPECT_EQ(form()[field::MaxDeflectionBar].backColor, kRed);

    // The mended fault: a series without sizes empties both lists.
    model->seriesClicked("SWF");
    EXPECT_TRUE(items(field::SizeList).isEmpty());
    EXPECT_TRUE(items(field::DiameterList).isEmpty());
    EXPECT_EQ(errors(), QStringList{});
}

TEST_F(Series, ASizeFillsTheCatalogueFieldsWithTheThirdQuery)
{
    model->seriesClicked("SWB");
    chooseSize("SWB20-50");
    EXPECT_EQ(model->SeriesQuery, "SELECT * FROM [SWB] WHERE [no] = 'SWB20-50';");
    expectTexts({{field::SpringNo, "SWB20-50"}, {field::SpringNoCopy, "SWB20-50"}, {field::OuterDiameter, "20"},
                 {field::InnerDiameter, "10"}, {field::FreeLength, "50"}, {field::MinLength, "37.5"},
                 {field::RateN, "174"}, {field::RateKgf, "17.7"}, {field::AllowedDeflection100, "8"},
                 {field::AllowedDeflection50, "9"},
                 // 999 means "no rating" only in SWC and SWG. {field::AllowedDeflection30, "999"},
                 {field::CompressedLength, "50"}, {field::TotalDeflectionDisplay, "0"}});
    EXPECT_TRUE(form()[field::UseCount30].enabled);
    // The use count was applied again for the new size: ratios and bars.
    EXPECT_EQ(model->UseCountDeflectionRatio, "0.18");
    EXPECT_EQ(model->MaxDeflectionRatio, "19.98");
    EXPECT_TRUE(ui.boxes.isEmpty());
}

TEST_F(Series, SizesWithoutAThirtyRatingInSwgAndSwc)
{
    model->seriesClicked("SWG");
    chooseSize("SWG10-80");
    EXPECT_EQ(text(field::AllowedDeflection30), "---");
    EXPECT_FALSE(form()[field::UseCount30].enabled);
    EXPECT_EQ(model->MaxDeflectionRatio, "0.35");  // "50万回" stands in for the missing rating
    chooseSize("SWG10-40");
    EXPECT_EQ(text(field::AllowedDeflection30), "16");
    EXPECT_TRUE(form()[field::UseCount30].enabled);

    model->seriesClicked("SWC");
    chooseSize("SWC10'X-80");
    EXPECT_EQ(model->SeriesQuery, "SELECT * FROM [SWC] WHERE [no] = 'SWC10''X-80';");
    EXPECT_EQ(text(field::SpringNo), "SWC10'X-80");
    EXPECT_EQ(text(field::AllowedDeflection30), "---");
    EXPECT_FALSE(form()[field::UseCount30].enabled);
    EXPECT_EQ(errors(), QStringList{});
}

TEST_F(Series, ADiameterNarrowsTheSizesAndClearsAShownSize)
{
    model->seriesClicked("SWB");
    model->userClickedList(field::DiameterList, 1);
    EXPECT_EQ(model->SeriesQuery, "SELECT * FROM [SWB] WHERE [D1] =?;");
    EXPECT_EQ(model->SeriesDiameter, 20);
    EXPECT_EQ(items(field::SizeList), (QStringList{"SWB20-50", "SWB20-30"}));

    chooseSize("SWB20-30");
    ASSERT_EQ(text(field::SpringNo), "SWB20-30");
    model->userClickedList(field::DiameterList, 0);
    EXPECT_EQ(items(field::SizeList), (QStringList{"SWB10-25"}));
    expectTexts({{field::SpringNo, ""}, {field::RateN, ""}, {field::CompressedLength, "---"}});
    EXPECT_EQ(items(field::DiameterList), (QStringList{"10", "20"}));
}

TEST_F(Series, AfterASizeTheRulesRunInTheirOrder)
{
    for (bool part : {false, true}) {
        SCOPED_TRACE(part ? "part" : "all");
        if (part) {
            click(field::ModePart);
            type(field::StartBeforeBottom, "3");
        }
        model->seriesClicked("SWB");
        model->AllowedDeflectionText = "before";
        // Marks each step can leave: "NG" red from an earlier refusal, an old start compression.
        form().setForeColor(field::TotalDeflectionDisplay, kRed);
        form().setText(field::StartDeflectionDisplay, "old");
        QStringList events;
        form().setObserver([&](Ctl c, Prop p) {
            if (p == Prop::Value && c == field::UseCount50 && form()[c].value)
                events << "OptionButton_Set";
            else if (p == Prop::ForeColor && c == field::TotalDeflectionDisplay)
                events << "aturyoku_keisan:" + model->AllowedDeflectionText;
            else if (p == Prop::Text && c == field::StartDeflectionDisplay && text(c) == "-3")
                events << "SpOnly:" + model->AllowedDeflectionText;
            else if (p == Prop::Text && c == field::CompressedLength)
                events << "assyuku_Hyoji";
        });
        chooseSize("SWB10-25");
        form().setObserver({});
        QStringList expected = {"OptionButton_Set", "aturyoku_keisan:before"};
        // check1 ran between: it read the new size's allowance.
        if (part)
            expected << "SpOnly:4.5";
        expected << "assyuku_Hyoji";
        EXPECT_EQ(events, expected);
        EXPECT_EQ(model->AllowedDeflectionText, "4.5");
    }
}

TEST_F(Series, AMissingDatabaseLeavesTheListsAndFinishesTheButton)
{
    model->seriesClicked("SWB");
    QFile::remove(sandbox.root() + "/program/ZEKA_D.mdb");
    model->seriesClicked("SWG");
    EXPECT_EQ(items(field::SizeList), (QStringList{"SWG10-80", "SWG10-40"}));
    EXPECT_EQ(items(field::DiameterList), (QStringList{"10", "20"}));
    EXPECT_EQ(errors(), QStringList{"■Err：[frmMain]-[DataSearch()]：ファイル '" + sandbox.root()
                                    + "/program/ZEKA_D.mdb' が見つかりません。：エラー番号 -> 3024"});
    EXPECT_EQ(form()[Ctl::imgSWG].picture, "materials/SWG_on.gif");

    QFile::remove(sandbox.root() + "/program/ZEKA.mdb");
    model->seriesClicked("SWC");
    EXPECT_EQ(items(field::SizeList), (QStringList{"SWG10-80", "SWG10-40"}));
    EXPECT_EQ(errors().size(), 2);
    EXPECT_TRUE(form()[field::UseCount50].value);
    EXPECT_EQ(form()[Ctl::imgSWC].picture, "materials/SWC_on.gif");
}

// One click, one deadline: a series click that has both files converted
// ends within one deadline, not one a file. Here the sizes' file is
// converted after the reader has worked two thirds of it, and the
// diameters' reader, which never ends, gets only what is left.
TEST_F(Series, BothFilesOfAClickShareOneDeadline)
{
    constexpr int kDeadlineMs = 3000;
    const QString reader = sandbox.root() + "/reader";
    writeAll(reader, "#!/bin/sh\ncase \"$2\" in *ZEKA_D.mdb) while :; do :; done;; esac\n"
                     "timeout 2 sh -c 'while :; do :; done'\nexec '" + kReader.toUtf8() + "' \"$@\"\n");
    ASSERT_TRUE(QFile::setPermissions(reader, QFile::ReadOwner | QFile::ExeOwner));
    setCatalogueReader(reader, kDeadlineMs);
    QElapsedTimer clock;
    clock.start();
    model->seriesClicked("SWB");
    EXPECT_LT(clock.elapsed(), kDeadlineMs * 8 / 5);
    EXPECT_EQ(items(field::SizeList), (QStringList{"SWB20-50", "SWB10-25", "SWB20-30"}));
    EXPECT_EQ(errors(), QStringList{"■Err：[frmMain]-[DataSearch()]：ファイル '" + sandbox.root() +
                                    "/program/ZEKA_D.mdb' を開けません。（読み込みが 3 秒で終わらず、打ち切りました）"
                                    "：エラー番号 -> 3051"});
}

// A table without the field the list shows fails while the rows are read:
// the list was already emptied for the new series and stays empty.
TEST_F(Series, AMissingListFieldLeavesThatListEmptied)
{
    model->seriesClicked("SWB");
    makeDatabase(sandbox.root() + "/program/ZEKA.mdb",
                 "DROP TABLE SWC; CREATE TABLE SWC (NUMBER TEXT, D1 REAL); INSERT INTO SWC VALUES ('SWC10-40', 10);");
    model->seriesClicked("SWC");
    EXPECT_TRUE(items(field::SizeList).isEmpty());
    EXPECT_EQ(items(field::DiameterList), (QStringList{"10", "20"}));  // not reached
    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors()[0].startsWith("■Err：[frmMain]-[DataSearch()]：")) << errors()[0].toStdString();

    makeDatabase(sandbox.root() + "/program/ZEKA.mdb", "DROP TABLE SWC; CREATE TABLE SWC AS SELECT * FROM SWB;");
    makeDatabase(sandbox.root() + "/program/ZEKA_D.mdb",
                 "DROP TABLE SWC; CREATE TABLE SWC (dd REAL); INSERT INTO SWC VALUES (10);");
    model->seriesClicked("SWC");
    EXPECT_EQ(items(field::SizeList), (QStringList{"SWB20-50", "SWB10-25", "SWB20-30"}));
    EXPECT_TRUE(items(field::DiameterList).isEmpty());
    EXPECT_EQ(errors().size(), 2);
}

// A list holds only the field it shows: a series whose table is wide, far
// over the result cap as a whole, lists every size and diameter, while the
// whole table is too large to hold, with a line naming the cap.
TEST_F(Series, AListHoldsOnlyTheFieldItShows)
{
    QString wide = "DROP TABLE SWB; CREATE TABLE SWB (NO TEXT, D1 REAL";
    for (int i = 0; i < 100; ++i)
        wide += QStringLiteral(", B%1 INTEGER").arg(i);
    wide += QStringLiteral("); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
                           "INSERT INTO SWB (NO, D1, B0, B99) SELECT 'SWB' || i, 10, 1, 0 FROM n;");
    const QString zeka = sandbox.root() + "/program/ZEKA.mdb";
    makeDatabase(zeka, wide);
    setCatalogueCaps({.resultBytes = 50000});
    model->seriesClicked("SWB");
    EXPECT_EQ(items(field::SizeList).size(), 400);
    EXPECT_EQ(items(field::DiameterList), (QStringList{"10", "20"}));
    EXPECT_EQ(errors(), QStringList{});
    EXPECT_EQ(errorOf([&] { runCatalogueQuery(zeka, {}, "SELECT * FROM [SWB];"); }), 3051);
    setCatalogueCaps({});
    EXPECT_TRUE(sandbox.logMessages().contains(
        "□Eve：" + zeka + " のクエリの結果が上限 (50000 バイト) を超えるため読み込みを止めました"));
}

// A catalogue's values never run as SQL: a diameter is queried only as the
// number its text reads as, bound to the query, a size number only as its
// text, quotes and all. Any other value is refused as a criterion of the
// wrong type, before any query: the sizes listed are emptied for a
// diameter, a size shown stays, and nothing is remembered against ZEKA.mdb,
// whatever the value would have made the query do there.
TEST_F(Series, ACataloguesValuesAreQueriedOnlyAsValues)
{
    makeDatabase(sandbox.root() + "/program/ZEKA_D.mdb",
                 "DROP TABLE SWB; CREATE TABLE SWB (d); INSERT INTO SWB VALUES ('10' || char(10) || ' OR 1 = 1'),"
                 "('20 OR [D1] IN (WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM r) SELECT n FROM r "
                 "WHERE n < 0)'), (NULL), ('1E1'), (' 10'), ('20 '), ('+10'), ('1D1'), ('1D999'), ('+1e126'), ('1e999');"
                 "INSERT INTO SWG VALUES (20);");
    // SQLite's own reading of the literal 1e126 misses the strict one by its
    // last bit: the size holds the strict reading's double. A whole number
    // is queried as the literal of its text would be, so a column of text
    // finds it too.
    const QString zeka = sandbox.root() + "/program/ZEKA.mdb";
    makeDatabase(zeka, "INSERT INTO SWB VALUES ('SWB'' OR ''1''=''1', 30, 15, 60, 45, 100, 10.2, 9, 10, 11),"
                       "('SWB30' || char(0) || ''' OR ''1''=''1', 30, 15, 70, 50, 90, 9.2, 10, 11, 12);"
                       "INSERT INTO SWB (NO, D1) VALUES ('SWB-inf', 1e999);"
                       "DROP TABLE SWG; CREATE TABLE SWG (NO TEXT, D1 TEXT); INSERT INTO SWG VALUES ('SWG20', '20');");
    sqlite3* db = nullptr;
    sqlite3_stmt* insert = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(zeka).constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_prepare_v2(db, "INSERT INTO SWB (NO, D1) VALUES ('SWB-exact', ?)", -1, &insert, nullptr), SQLITE_OK);
    sqlite3_bind_double(insert, 1, cdbl(u"+1e126"));
    EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE);
    sqlite3_finalize(insert);
    sqlite3_close(db);
    const QString mismatch = "抽出条件でデータ型が一致しません。：エラー番号 -> 3464";
    for (int i = 0; i < 3; ++i) {
        model->seriesClicked("SWB");
        ASSERT_EQ(items(field::SizeList).size(), 7);
        model->userClickedList(field::DiameterList, i);
        EXPECT_TRUE(items(field::SizeList).isEmpty()) << i;
        EXPECT_EQ(model->SeriesQuery, "SELECT * FROM [SWB];");
    }
    // A text that reads as a number is queried as that number; one beyond a
    // double is none.
    const std::tuple<const char*, int, double, const char*> numbers[] = {
        {"SWB", 3, 10, "SWB10-25"}, {"SWB", 4, 10, "SWB10-25"}, {"SWB", 5, 20, "SWB20-50"}, {"SWB", 6, 10, "SWB10-25"},
        {"SWB", 7, 10, "SWB10-25"}, {"SWB", 9, 1e126, "SWB-exact"}, {"SWG", 1, 20, "SWG20"}};
    for (const auto& [code, i, value, size] : numbers) {
        model->seriesClicked(code);
        model->userClickedList(field::DiameterList, i);
        EXPECT_EQ(model->SeriesQuery, QStringLiteral("SELECT * FROM [%1] WHERE [D1] =?;").arg(QLatin1String(code)));
        EXPECT_EQ(model->SeriesDiameter, value);
        EXPECT_EQ(items(field::SizeList).value(0), size) << code << i;
    }
    for (const int i : {8, 10}) {
        model->seriesClicked("SWB");
        model->userClickedList(field::DiameterList, i);
        EXPECT_TRUE(items(field::SizeList).isEmpty()) << i;
    }
    EXPECT_EQ(errors(), QStringList(5, "■Err：[frmMain]-[List2_Click()]：" + mismatch));

    model->seriesClicked("SWB");
    chooseSize("SWB' OR '1'='1");
    EXPECT_EQ(text(field::FreeLength), "60");
    chooseSize(QStringLiteral("SWB30") + QChar(u'\0') + QStringLiteral("' OR '1'='1"));
    EXPECT_EQ(text(field::SpringNo), "SWB' OR '1'='1");
    EXPECT_EQ(errors().mid(5), QStringList{"■Err：[frmMain]-[List1_Click()]：" + mismatch});
}

// A size number as long as a value may be, even one of quotes only, is
// looked up as any other, whatever its bytes: one that is no UTF-8 is found
// by the text the list shows.
TEST_F(Series, ASizeAsLongAsAValueMayBeIsLookedUp)
{
    makeDatabase(sandbox.root() + "/program/ZEKA.mdb",
                 "INSERT INTO SWB VALUES (printf('%.*c', 300000, 'x'), 30, 15, 60, 45, 100, 10.2, 9, 10, 11),"
                 "(printf('%.*c', 1048576, ''''), 40, 20, 70, 50, 90, 9.2, 10, 11, 12),"
                 "(replace(printf('%.*c', 400000, 'x'), 'x', CAST(x'ff' AS TEXT)), 50, 25, 80, 60, 80, 8.2, 11, 12, 13),"
                 "(CAST(x'ff27fe' AS TEXT), 60, 30, 90, 70, 70, 7.2, 12, 13, 14);");
    model->seriesClicked("SWB");
    const QChar bad = QChar::ReplacementCharacter;
    const std::pair<QString, const char*> sizes[] = {{QString(300000, u'x'), "60"},
                                                     {QString(1 << 20, u'\''), "70"},
                                                     {QString(400000, bad), "80"},
                                                     {QString(bad) + u'\'' + bad, "90"}};
    for (const auto& [no, length] : sizes) {
        chooseSize(no);
        EXPECT_TRUE(text(field::SpringNo) == no) << no.size();
        EXPECT_EQ(text(field::FreeLength), length);
    }
    EXPECT_EQ(errors(), QStringList{});
}

TEST_F(Series, ASizeNoRowHasKeepsThePreviousSizeAndRunsNothing)
{
    model->seriesClicked("SWB");
    chooseSize("SWB20-50");
    type(field::InitialCompression, "2");
    form().setItems(field::SizeList, {"SWB99-99"});
    model->userClickedList(field::SizeList, 0);
    EXPECT_EQ(text(field::SpringNo), "SWB20-50");
    EXPECT_EQ(text(field::InitialCompression), "2");  // OptionButton_Set did not run
    EXPECT_EQ(errors(), QStringList{"■Err：[frmMain]-[List1_Click()]：カレント レコードがありません。：エラー番号 -> 3021"});
}

TEST_F(Series, EverySeriesOffersAndChecksItsUseCounts)
{
    // Which series offer "50万回" (and check it) and "30万回"; "100万回" is always offered.
    const QStringList fifty = {"SWB", "SWC", "SWF", "SWH", "SWL", "SWM", "SWG", "SWV", "SWZ"};
    const QStringList thirtyOnly = {"SWR", "SWS", "SWU", "SWY"};
    for (const QString& code : kSeriesCodes) {
        SCOPED_TRACE(code.toStdString());
        const bool f = fifty.contains(code), t = f || thirtyOnly.contains(code);
        model->seriesClicked(code);
        EXPECT_EQ(model->SeriesQuery, QStringLiteral("SELECT * FROM [%1];").arg(code));
        EXPECT_TRUE(form()[field::UseCount100].enabled);
        EXPECT_EQ(form()[field::UseCount50].enabled, f);
        EXPECT_EQ(form()[field::UseCount30].enabled, t);
        EXPECT_EQ(form()[field::UseCount50].value, f);
        EXPECT_EQ(form()[field::UseCount100].value, !f);
        EXPECT_FALSE(form()[field::UseCount30].value);
        EXPECT_EQ(form()[Ctl::Label35].foreColor, f ? 0x00FFFFu : 0x808080u);
        EXPECT_EQ(model->UseCountText, "");  // no judgement ran without a size
    }
    EXPECT_EQ(errors(), QStringList{});
}

TEST_F(Series, ClickingTheChosenSeriesAgainRepeatsEverything)
{
    model->seriesClicked("SWB");
    chooseSize("SWB20-50");
    click(field::UseCount100);
    type(field::InitialCompression, "2");
    model->seriesClicked("SWB");
    EXPECT_TRUE(form()[field::UseCount50].value);
    expectTexts({{field::InitialCompression, ""}, {field::SpringNo, ""}});
    EXPECT_EQ(items(field::SizeList).size(), 3);
}

TEST_F(Series, OnlyTheFrameOfTheChosenSeriesIsRepainted)
{
    model->seriesClicked("SWC");
    model->seriesClicked("SWB");
    EXPECT_EQ(form()[Ctl::imgSWC].picture, "materials/SWC_off.gif");
    // A missing "_on" picture: the series is still chosen, the frame stays.
    QFile::remove(materials("SWH_on.gif"));
    model->seriesClicked("SWH");
    EXPECT_EQ(model->SeriesCode, "SWH");
    EXPECT_EQ(form()[Ctl::imgSWB].picture, "materials/SWB_on.gif");
    EXPECT_EQ(errors(), QStringList{"■Err：[frmMain]-[imgSWH_Click()]：ファイルが見つかりません。：エラー番号 -> 53"});
}

TEST_F(Series, AKindChangeShowsItsFrameAndClearsTheSeries)
{
    model->seriesClicked("SWB");
    chooseSize("SWB20-50");
    type(field::InitialCompression, "2");
    model->imgDisplayTxt_Click();
    ASSERT_FALSE(text(field::ReportText).isEmpty());

    model->kindClicked("M1");
    EXPECT_EQ(model->SpringKind, "M1");
    EXPECT_TRUE(form()[Ctl::Frame5].visible);
    EXPECT_FALSE(form()[Ctl::Frame4].visible);
    EXPECT_FALSE(form()[Ctl::Frame6].visible);
    EXPECT_EQ(form()[Ctl::imgRoundSp].picture, "materials/round_sp_on.gif");
    EXPECT_EQ(form()[Ctl::imgSWB].picture, "materials/SWB_off.gif");
    EXPECT_TRUE(items(field::SizeList).isEmpty() && items(field::DiameterList).isEmpty());
    expectTexts({{field::ReportText, ""}, {field::SpringNo, ""}});
    EXPECT_TRUE(form()[Ctl::Picture6].visible);
    EXPECT_EQ(form()[field::MaxDeflectionCover].height, 0);
    // What only a series changes stays.
    EXPECT_EQ(model->SeriesCode, "SWB");
    EXPECT_TRUE(form()[field::UseCount50].value);
    EXPECT_EQ(text(field::InitialCompression), "2");

    // The kind in force: nothing changes.
    model->seriesClicked("WB");
    model->kindClicked("M1");
    EXPECT_EQ(form()[Ctl::imgWB].picture, "materials/WB_on.gif");

    model->ResetImage();
    EXPECT_EQ(form()[Ctl::imgWB].picture, "materials/WB_off.gif");
    EXPECT_EQ(form()[Ctl::imgRoundSp].picture, "materials/round_sp_on.gif");
    EXPECT_EQ(errors(), QStringList{});
}

}  // namespace
