// The spring record filled from the window's texts and emptied again.
#include "calc/form.h"
#include "calc/spdata.h"
#include "calc/springrecord.h"
#include "services/folders.h"
#include "support/sandbox.h"

namespace tolvane::test {
namespace {

class SpDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ExistLogFolder();
        ClearGlobalValue();
    }
    void TearDown() override { ClearGlobalValue(); }
    void set(Ctl c, const char* text) { form.setText(c, QString::fromUtf8(text)); }
    // A result of mode "all" with a working point.
    void allValues()
    {
        set(Ctl::Label24, "30");
        set(Ctl::Text9, "5.0");
        set(Ctl::Text3, "7");
        set(Ctl::Label46, "15");
        set(Ctl::Label49, "29.5");
        set(Ctl::Label47, "36");
        set(Ctl::Text2, "1.5");
        set(Ctl::Text11, "3");
    }
    Sandbox sandbox;
    Form form;
};

TEST_F(SpDataTest, AllValuesWithAWorkingPoint)
{
    allValues();
    EXPECT_TRUE(setSpData(form, QStringLiteral("all")));
    EXPECT_EQ(springRecord().fields(),
              (QStringList{QStringLiteral("All"), QStringLiteral("30"), QStringLiteral("5.0"), QStringLiteral("7"),
                           QStringLiteral("25"), QStringLiteral("18"), QStringLiteral("15"), QStringLiteral("29.5"),
                           QStringLiteral("36"), QStringLiteral("4.5")}));
    EXPECT_TRUE(sandbox.logMessages().isEmpty());
}

TEST_F(SpDataTest, ComputedLengthsAreUnroundedNumberTexts)
{
    allValues();
    set(Ctl::Label24, "38.5");
    set(Ctl::Text9, "12.25");
    set(Ctl::Text3, "0.1");
    EXPECT_TRUE(setSpData(form, QStringLiteral("all")));
    EXPECT_EQ(springRecord().SetLength, QStringLiteral("26.25"));
    EXPECT_EQ(springRecord().CompressedLength, QStringLiteral("26.15"));
}

TEST_F(SpDataTest, NoWorkingPointGivesSppOnlyAndReadsNoDieData)
{
    allValues();
    set(Ctl::Label49, "---");
    set(Ctl::Label46, "---");
    set(Ctl::Text2, "");
    set(Ctl::Text11, "");
    EXPECT_TRUE(setSpData(form, QStringLiteral("all")));
    const SpringRecord& r = springRecord();
    EXPECT_EQ(r.DxfKind, QStringLiteral("SppOnly"));
    EXPECT_EQ(r.StartLoadKgf, QString());
    EXPECT_EQ(r.StartDistance, QString());
    EXPECT_EQ(r.InitialLoadKgf, QStringLiteral("---"));
    EXPECT_EQ(r.FinalLoadKgf, QStringLiteral("36"));
    EXPECT_EQ(r.CompressedLength, QStringLiteral("18"));
}

TEST_F(SpDataTest, AnEmptyInitialCompressionStopsTheFillWithOneLine)
{
    allValues();
    set(Ctl::Text9, "");
    EXPECT_FALSE(setSpData(form, QStringLiteral("all")));
    const SpringRecord& r = springRecord();
    EXPECT_EQ(r.FreeLength, QStringLiteral("30"));
    EXPECT_EQ(r.InitialCompression, QString());
    EXPECT_EQ(r.Stroke, QStringLiteral("7"));
    for (const QString& f : {r.SetLength, r.CompressedLength, r.InitialLoadKgf, r.StartLoadKgf, r.FinalLoadKgf,
                             r.StartDistance, r.DxfKind})
        EXPECT_TRUE(f.isEmpty());
    EXPECT_EQ(sandbox.logMessages(),
              QStringList{QStringLiteral("■Err：[frmMain]-[setSpData()]：型が一致しません。：エラー番号 -> 13")});
}

TEST_F(SpDataTest, AnEmptyPlateThicknessInModeAllLeavesTheRecordIncomplete)
{
    allValues();
    set(Ctl::Text2, "");
    EXPECT_FALSE(setSpData(form, QStringLiteral("all")));
    EXPECT_EQ(springRecord().StartLoadKgf, QStringLiteral("29.5"));
    EXPECT_TRUE(springRecord().DxfKind.isEmpty());
    EXPECT_TRUE(springRecord().FinalLoadKgf.isEmpty());
}

TEST_F(SpDataTest, PressureOnlyTakesTheDistanceBeforeBottomDeadCentre)
{
    allValues();
    set(Ctl::Text2, "");   // emptied by the switch to mode "part"
    set(Ctl::Text11, "0");
    set(Ctl::Text12, "3");
    set(Ctl::Label49, "220");
    EXPECT_TRUE(setSpData(form, QStringLiteral("part")));
    const SpringRecord& r = springRecord();
    EXPECT_EQ(r.DxfKind, QStringLiteral("All"));
    EXPECT_EQ(r.StartLoadKgf, QStringLiteral("220"));
    EXPECT_EQ(r.StartDistance, QStringLiteral("3"));
    EXPECT_EQ(r.FinalLoadKgf, QStringLiteral("36"));
    EXPECT_TRUE(sandbox.logMessages().isEmpty());

    // Without a start load the mode changes nothing of the pressure-only record.
    set(Ctl::Label49, "---");
    EXPECT_TRUE(setSpData(form, QStringLiteral("part")));
    EXPECT_EQ(springRecord().DxfKind, QStringLiteral("SppOnly"));
    EXPECT_TRUE(springRecord().StartDistance.isEmpty());
}

TEST_F(SpDataTest, ClearGlobalValueEmptiesTheRecordAndTheTotals)
{
    allValues();
    setSpData(form, QStringLiteral("all"));
    totalDiagramValues() = QStringList(9, QStringLiteral("1"));
    ClearGlobalValue();
    EXPECT_EQ(springRecord().fields(), QStringList(10));
    EXPECT_TRUE(totalDiagramValues().isEmpty());
    ClearGlobalValue();  // again, on empty values
    EXPECT_TRUE(totalDiagramValues().isEmpty());
}

}  // namespace
}  // namespace tolvane::test
