// Use count, the allowed-deflection judgement, the bars and the title panel.
#include "calc_fixture.h"

using namespace tolvane;
using namespace tolvane::test;

namespace {

class UseCount : public CalcTest {
protected:
    // FreeLength 50, allowed 10 / 12.5 / 15, "50万回" chosen.
    void SetUp() override
    {
        CalcTest::SetUp();
        spring("20", "2", "50", "10", "12.5", "15");
        click(field::UseCount50);
    }
    // The one message of a deflection beyond what the use count allows.
    static QList<MsgBoxCall> refusal(const QString& count, const QString& allowed, const QString& now)
    {
        return {{"スプリングのタワミ量が 使用範囲をこえています\r" + count + "で 使用できるタワミ量は" + allowed
                     + "/mmです\r\rスプリングを変更するか 使用回数を変更してください   \r \r[現在のタワミ量 ---> " + now
                     + "/mm]\r",
                 kMbCritical, "警告"}};
    }
};

TEST_F(UseCount, EqualPassesAndOneHundredthMoreIsRefused)
{
    type(field::PlateThickness, "2");
    type(field::Bite, "1");
    type(field::InitialCompression, "2.5");
    type(field::Stroke, "10");
    EXPECT_TRUE(ui.boxes.isEmpty());
    EXPECT_EQ(text(field::TotalDeflectionDisplay), "12.5");

    type(field::Stroke, "10.01");
    EXPECT_EQ(ui.boxes, refusal("50万回", "12.5", "12.51"));
    expectTexts({{field::InitialCompression, ""}, {field::Stroke, ""}, {field::Bite, "0"},
                 {field::TotalDeflectionDisplay, "NG"}, {field::FinalDeflectionDisplay, "NG"}});
    EXPECT_EQ(screen.focus.last(), field::InitialCompression);
    EXPECT_EQ(form()[field::TotalDeflectionDisplay].foreColor, kRed);
    // The loads were recomputed from the emptied inputs.
    EXPECT_EQ(text(field::FinalSpringLoadKgf), "---");
    EXPECT_EQ(model->forces.FinalDeflection, "0");
    EXPECT_EQ(model->DeflectionCheckFlag, "OFF");

    // "NG" stays until the next recalculation, which turns it black again.
    type(field::InitialCompression, "1");
    EXPECT_EQ(text(field::TotalDeflectionDisplay), "1");
    EXPECT_EQ(form()[field::TotalDeflectionDisplay].foreColor, kBlack);
}

TEST_F(UseCount, InModePartTheStartDistanceIsEmptiedInsteadOfTheBite)
{
    click(field::ModePart);
    click(field::UseCount50);
    type(field::StartBeforeBottom, "2");
    type(field::InitialCompression, "5");
    type(field::Stroke, "10");
    EXPECT_EQ(ui.boxes, refusal("50万回", "12.5", "15"));
    expectTexts({{field::StartBeforeBottom, ""}, {field::Bite, "0"}, {field::StartDeflectionDisplay, "---"}});
}

TEST_F(UseCount, TheFlagIsRestoredWhenTheCheckFails)
{
    model->forces.FinalDeflection = "abc";
    model->check1();
    EXPECT_EQ(model->DeflectionCheckFlag, "OFF");
    EXPECT_EQ(errors(), QStringList{"■Err：[frmMain]-[check1()]：型が一致しません。：エラー番号 -> 13"});
    // Later inputs are recalculated and judged again.
    type(field::InitialCompression, "2");
    EXPECT_EQ(text(field::InitialSpringLoadKgf), "4");
    type(field::Stroke, "20");
    EXPECT_EQ(ui.boxes.size(), 1);
    EXPECT_EQ(text(field::TotalDeflectionDisplay), "NG");
}

TEST_F(UseCount, RatiosAndCoversOfTheWorkedExample)
{
    EXPECT_EQ(model->MaxDeflectionRatio, "0.3");
    EXPECT_EQ(model->UseCountDeflectionRatio, "0.25");
    EXPECT_EQ(model->MaxBarHeight, "738");
    EXPECT_EQ(model->UseCountBarHeight, "615");
    EXPECT_EQ(form()[field::MaxDeflectionCover].height, 738);
    EXPECT_EQ(form()[field::UseCountCover].height, 615);

    click(field::UseCount30);
    EXPECT_EQ(model->UseCountDeflectionRatio, "0.3");
    click(field::UseCount100);
    EXPECT_EQ(model->MaxDeflectionRatio, "0.3");
    EXPECT_EQ(model->UseCountDeflectionRatio, "0.2");
    EXPECT_EQ(form()[field::UseCountCover].height, 492);

    // Without a thirty rating the fifty one is the largest.
    form().setText(field::AllowedDeflection30, "---");
    click(field::UseCount50);
    EXPECT_EQ(model->MaxDeflectionRatio, "0.25");

    // A cover reaches the smallest whole height not below its target.
    model->MaxDeflectionRatio = "0.299674796747967";  // 737.2 twips
    model->UseCountDeflectionRatio = "-0.5";
    model->Grapusyori();
    EXPECT_EQ(form()[field::MaxDeflectionCover].height, 738);
    EXPECT_EQ(form()[field::UseCountCover].height, 0);
}

TEST_F(UseCount, AZeroFreeLengthKeepsTheRatiosAndBars)
{
    form().setText(field::FreeLength, "");
    click(field::UseCount100);
    EXPECT_EQ(model->MaxDeflectionRatio, "0.3");
    EXPECT_EQ(form()[field::MaxDeflectionCover].height, 738);
    EXPECT_EQ(errors(), QStringList{"■Err：[frmMain]-[Option13_syori()]：0 で除算しました。：エラー番号 -> 11"});
}

TEST_F(UseCount, AChoiceEmptiesTheReportAndTheCompressionsThenJudgesAlone)
{
    type(field::InitialCompression, "2");
    type(field::Stroke, "5");
    form().setText(field::ReportText, "report");
    click(field::UseCount100);
    expectTexts({{field::ReportText, ""}, {field::InitialCompression, ""}, {field::Stroke, ""}});
    EXPECT_TRUE(ui.boxes.isEmpty());

    // Text39Clar empties the stroke first: the initial compression is then
    // judged alone against the newly chosen, smaller allowance.
    click(field::UseCount50);
    type(field::InitialCompression, "11");
    type(field::Stroke, "1");
    ASSERT_TRUE(ui.boxes.isEmpty());
    click(field::UseCount100);
    EXPECT_EQ(ui.boxes, refusal("100万回", "10", "11"));
    expectTexts({{field::InitialCompression, ""}, {field::Stroke, ""}, {field::TotalDeflectionDisplay, "NG"}});
}

TEST_F(UseCount, AnUnusableThirtyWithThirtyStillSelectedRefusesEverything)
{
    click(field::UseCount30);
    form().setText(field::AllowedDeflection30, "---");
    type(field::InitialCompression, "1");
    EXPECT_EQ(ui.boxes, refusal("30万回", "---", "1"));
}

TEST_F(UseCount, WithoutASizeAChoiceOnlyRecolours)
{
    model->DataClear();
    model->MaxDeflectionRatio = "0.5";
    click(field::UseCount30);
    EXPECT_EQ(model->MaxDeflectionRatio, "0.5");
    EXPECT_EQ(form()[Ctl::Label36].foreColor, 0x0080FFu);
}

TEST_F(UseCount, TitlePanelSlidesAwayAndBackOnce)
{
    model->Picture_off();
    model->Picture_off();
    EXPECT_FALSE(form()[Ctl::Picture6].visible);
    EXPECT_EQ(form()[Ctl::Label55].left, 3000);
    EXPECT_EQ(form()[Ctl::Label56].left, -1100);
    EXPECT_EQ(screen.slideSteps, (3000 - 135 + 1) + (1080 + 1100 + 1));
    model->Picture_on();
    const int steps = screen.slideSteps;
    model->Picture_on();
    EXPECT_EQ(screen.slideSteps, steps);
    EXPECT_TRUE(form()[Ctl::Picture6].visible);
    EXPECT_EQ(form()[Ctl::Label55].left, 135);
    EXPECT_EQ(form()[Ctl::Label56].left, 1380);
}

}  // namespace
