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
        click(Ctl::Option14);
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
    type(Ctl::Text2, "2");
    type(Ctl::Text11, "1");
    type(Ctl::Text9, "2.5");
    type(Ctl::Text3, "10");
    EXPECT_TRUE(ui.boxes.isEmpty());
    EXPECT_EQ(text(Ctl::Label51), "12.5");

    type(Ctl::Text3, "10.01");
    EXPECT_EQ(ui.boxes, refusal("50万回", "12.5", "12.51"));
    expectTexts({{Ctl::Text9, ""}, {Ctl::Text3, ""}, {Ctl::Text11, "0"}, {Ctl::Label51, "NG"}, {Ctl::Label79, "NG"}});
    EXPECT_EQ(screen.focus.last(), Ctl::Text9);
    EXPECT_EQ(form()[Ctl::Label51].foreColor, kRed);
    // The loads were recomputed from the emptied inputs.
    EXPECT_EQ(text(Ctl::Label68), "---");
    EXPECT_EQ(model->forces.FinalDeflection, "0");
    EXPECT_EQ(model->DeflectionCheckFlag, "OFF");

    // "NG" stays until the next recalculation, which turns it black again.
    type(Ctl::Text9, "1");
    EXPECT_EQ(text(Ctl::Label51), "1");
    EXPECT_EQ(form()[Ctl::Label51].foreColor, kBlack);
}

TEST_F(UseCount, InModePartTheStartDistanceIsEmptiedInsteadOfTheBite)
{
    click(Ctl::Option2);
    click(Ctl::Option14);
    type(Ctl::Text12, "2");
    type(Ctl::Text9, "5");
    type(Ctl::Text3, "10");
    EXPECT_EQ(ui.boxes, refusal("50万回", "12.5", "15"));
    expectTexts({{Ctl::Text12, ""}, {Ctl::Text11, "0"}, {Ctl::Label78, "---"}});
}

TEST_F(UseCount, TheFlagIsRestoredWhenTheCheckFails)
{
    model->forces.FinalDeflection = "abc";
    model->check1();
    EXPECT_EQ(model->DeflectionCheckFlag, "OFF");
    EXPECT_EQ(errors(), QStringList{"■Err：[frmMain]-[check1()]：型が一致しません。：エラー番号 -> 13"});
    // Later inputs are recalculated and judged again.
    type(Ctl::Text9, "2");
    EXPECT_EQ(text(Ctl::Label66), "4");
    type(Ctl::Text3, "20");
    EXPECT_EQ(ui.boxes.size(), 1);
    EXPECT_EQ(text(Ctl::Label51), "NG");
}

TEST_F(UseCount, RatiosAndCoversOfTheWorkedExample)
{
    EXPECT_EQ(model->MaxDeflectionRatio, "0.3");
    EXPECT_EQ(model->UseCountDeflectionRatio, "0.25");
    EXPECT_EQ(model->MaxBarHeight, "738");
    EXPECT_EQ(model->UseCountBarHeight, "615");
    EXPECT_EQ(form()[Ctl::Label32].height, 738);
    EXPECT_EQ(form()[Ctl::Label54].height, 615);

    click(Ctl::Option15);
    EXPECT_EQ(model->UseCountDeflectionRatio, "0.3");
    click(Ctl::Option13);
    EXPECT_EQ(model->MaxDeflectionRatio, "0.3");
    EXPECT_EQ(model->UseCountDeflectionRatio, "0.2");
    EXPECT_EQ(form()[Ctl::Label54].height, 492);

    // Without a thirty rating the fifty one is the largest.
    form().setText(Ctl::Label30, "---");
    click(Ctl::Option14);
    EXPECT_EQ(model->MaxDeflectionRatio, "0.25");

    // A cover reaches the smallest whole height not below its target.
    model->MaxDeflectionRatio = "0.299674796747967";  // 737.2 twips
    model->UseCountDeflectionRatio = "-0.5";
    model->Grapusyori();
    EXPECT_EQ(form()[Ctl::Label32].height, 738);
    EXPECT_EQ(form()[Ctl::Label54].height, 0);
}

TEST_F(UseCount, AZeroFreeLengthKeepsTheRatiosAndBars)
{
    form().setText(Ctl::Label24, "");
    click(Ctl::Option13);
    EXPECT_EQ(model->MaxDeflectionRatio, "0.3");
    EXPECT_EQ(form()[Ctl::Label32].height, 738);
    EXPECT_EQ(errors(), QStringList{"■Err：[frmMain]-[Option13_syori()]：0 で除算しました。：エラー番号 -> 11"});
}

TEST_F(UseCount, AChoiceEmptiesTheReportAndTheCompressionsThenJudgesAlone)
{
    type(Ctl::Text9, "2");
    type(Ctl::Text3, "5");
    form().setText(Ctl::Text1, "report");
    click(Ctl::Option13);
    expectTexts({{Ctl::Text1, ""}, {Ctl::Text9, ""}, {Ctl::Text3, ""}});
    EXPECT_TRUE(ui.boxes.isEmpty());

    // Text39Clar empties the stroke first: the initial compression is then
    // judged alone against the newly chosen, smaller allowance.
    click(Ctl::Option14);
    type(Ctl::Text9, "11");
    type(Ctl::Text3, "1");
    ASSERT_TRUE(ui.boxes.isEmpty());
    click(Ctl::Option13);
    EXPECT_EQ(ui.boxes, refusal("100万回", "10", "11"));
    expectTexts({{Ctl::Text9, ""}, {Ctl::Text3, ""}, {Ctl::Label51, "NG"}});
}

TEST_F(UseCount, AnUnusableThirtyWithThirtyStillSelectedRefusesEverything)
{
    click(Ctl::Option15);
    form().setText(Ctl::Label30, "---");
    type(Ctl::Text9, "1");
    EXPECT_EQ(ui.boxes, refusal("30万回", "---", "1"));
}

TEST_F(UseCount, WithoutASizeAChoiceOnlyRecolours)
{
    model->DataClear();
    model->MaxDeflectionRatio = "0.5";
    click(Ctl::Option15);
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
