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
        // A result of mode "all" with a working point.
        for (const auto& [c, text] : {std::pair{Ctl::Label24, "30"}, {Ctl::Text9, "5.0"}, {Ctl::Text3, "7"},
                                      {Ctl::Label46, "15"}, {Ctl::Label49, "29.5"}, {Ctl::Label47, "36"},
                                      {Ctl::Text2, "1.5"}, {Ctl::Text11, "3"}})
            set(c, text);
    }
    void TearDown() override { ClearGlobalValue(); }
    void set(Ctl c, const char* text) { form.setText(c, QString::fromUtf8(text)); }
    Sandbox sandbox;
    Form form;
};

TEST_F(SpDataTest, AllValuesWithAWorkingPointAndTheirClearing)
{
    EXPECT_TRUE(setSpData(form, QStringLiteral("all")));
    EXPECT_EQ(springRecord().fields(), QStringLiteral("All,30,5.0,7,25,18,15,29.5,36,4.5").split(u','));
    EXPECT_TRUE(sandbox.logMessages().isEmpty());

    totalDiagramValues() = QStringList(9, QStringLiteral("1"));
    ClearGlobalValue();
    EXPECT_EQ(springRecord().fields(), QStringList(10));
    EXPECT_TRUE(totalDiagramValues().isEmpty());

    // Computed lengths are unrounded number texts.
    set(Ctl::Label24, "38.5");
    set(Ctl::Text9, "12.25");
    set(Ctl::Text3, "0.1");
    EXPECT_TRUE(setSpData(form, QStringLiteral("all")));
    EXPECT_EQ(springRecord().SetLength, QStringLiteral("26.25"));
    EXPECT_EQ(springRecord().CompressedLength, QStringLiteral("26.15"));
}

TEST_F(SpDataTest, NoWorkingPointGivesSppOnlyAndReadsNoDieData)
{
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
}

TEST_F(SpDataTest, AnEmptyFieldStopsTheFillWithOneLineAndAnIncompleteRecord)
{
    set(Ctl::Text9, "");
    EXPECT_FALSE(setSpData(form, QStringLiteral("all")));
    const SpringRecord& r = springRecord();
    EXPECT_EQ(r.FreeLength, QStringLiteral("30"));
    EXPECT_EQ(r.Stroke, QStringLiteral("7"));
    for (const QString& f : {r.SetLength, r.CompressedLength, r.StartLoadKgf, r.DxfKind})
        EXPECT_TRUE(f.isEmpty());
    EXPECT_EQ(sandbox.logMessages(),
              QStringList{QStringLiteral("■Err：[frmMain]-[setSpData()]：型が一致しません。：エラー番号 -> 13")});

    // An empty plate thickness in mode "all" stops after the start load.
    ClearGlobalValue();
    set(Ctl::Text9, "5.0");
    set(Ctl::Text2, "");
    EXPECT_FALSE(setSpData(form, QStringLiteral("all")));
    EXPECT_EQ(springRecord().StartLoadKgf, QStringLiteral("29.5"));
    EXPECT_TRUE(springRecord().DxfKind.isEmpty());
}

TEST_F(SpDataTest, PressureOnlyTakesTheDistanceBeforeBottomDeadCentre)
{
    set(Ctl::Text2, "");  // emptied by the switch to mode "part"
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

    // Without a start load the kind still follows it.
    set(Ctl::Label49, "---");
    EXPECT_TRUE(setSpData(form, QStringLiteral("part")));
    EXPECT_EQ(springRecord().DxfKind, QStringLiteral("SppOnly"));
    EXPECT_TRUE(springRecord().StartDistance.isEmpty());
}

}  // namespace
}  // namespace tolvane::test
