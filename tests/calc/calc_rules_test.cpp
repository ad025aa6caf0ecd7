// The change rules: number check, pressure and stripping force, the loads,
// the deflection table, the pressure-only mode and the mode switches.
#include "calc_fixture.h"

#include "services/numtext.h"

using namespace tolvane;
using namespace tolvane::test;

namespace {

class Rules : public CalcTest {
protected:
    // The loads example: rate 20 N/mm, 2 kgf/mm, four springs, plate 2,
    // length 100, bite 1, initial compression 3, stroke 10.
    void loadsExample(const QString& bite)
    {
        spring("20", "2");
        click(Ctl::Option13);  // use count with an allowed deflection of 80
        type(Ctl::Text2, "2");
        type(Ctl::Text4, "100");
        type(Ctl::Text11, bite);
        type(Ctl::Text10, "4");
        type(Ctl::Text9, "3");
        type(Ctl::Text3, "10");
    }
};

TEST_F(Rules, StartUpWritesTheSpinValuesAndTheirRulesRun)
{
    EXPECT_EQ(text(Ctl::Text5), "35");
    EXPECT_EQ(text(Ctl::Text8), "5");
    EXPECT_EQ(text(Ctl::Text10), "1");
    EXPECT_EQ(text(Ctl::Text11), "0");
    EXPECT_EQ(text(Ctl::Label45), "1");
    EXPECT_EQ(text(Ctl::Text6), "0");
    EXPECT_EQ(text(Ctl::Label43), "---");
    EXPECT_TRUE(form()[Ctl::Option1].value);
    EXPECT_FALSE(form()[Ctl::Text12].enabled);
    EXPECT_EQ(form()[Ctl::Text12].backColor, kSysActiveBorder);
    EXPECT_EQ(model->InputMode, "all");
    EXPECT_FALSE(form()[Ctl::mnuDxf].enabled);
    EXPECT_EQ(form()[Ctl::Picture3].backColor, 0x0000FFu);
    EXPECT_TRUE(errors().isEmpty()) << errors().join('\n').toStdString();
}

TEST_F(Rules, NumberCheckRemovesOneCharacterPerNestedRun)
{
    type(Ctl::Text2, "1a2");
    EXPECT_EQ(text(Ctl::Text2), "12");
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(form()[Ctl::Text2].selStart, 2);
    ASSERT_FALSE(screen.focus.isEmpty());
    EXPECT_EQ(screen.focus.last(), Ctl::Text2);

    type(Ctl::Text4, "x1,5");
    EXPECT_EQ(text(Ctl::Text4), "15");
    EXPECT_EQ(ui.beeps, 3);
    // Every nested run computed with the cleaned text: 12 x 15 x 35.
    EXPECT_EQ(text(Ctl::Text6), "6300");

    type(Ctl::Text9, "-5");
    EXPECT_EQ(text(Ctl::Text9), "-5");
    type(Ctl::Text9, "5-");
    EXPECT_EQ(text(Ctl::Text9), "5");
    type(Ctl::Text9, "1.2.3");
    EXPECT_EQ(text(Ctl::Text9), "1.2.3");
    EXPECT_EQ(text(Ctl::Label51), "1.2");
    type(Ctl::Text3, QString::fromUtf16(u"2\uFF15"));
    EXPECT_EQ(text(Ctl::Text3), "2");
    EXPECT_EQ(ui.beeps, 5);
}

TEST_F(Rules, PressureAndStrippingForce)
{
    type(Ctl::Text2, "2");
    type(Ctl::Text4, "100");
    EXPECT_EQ(text(Ctl::Text6), "7000");
    EXPECT_EQ(text(Ctl::Label43), "7000 kgf");
    EXPECT_EQ(text(Ctl::Text7), "350");
    EXPECT_EQ(text(Ctl::Label44), "350 kgf");

    // 1.5 x 10.123 x 35 = 531.4575: rounded to two decimals, and the
    // stripping force is computed again from the rounded pressure.
    type(Ctl::Text2, "1.5");
    type(Ctl::Text4, "10.123");
    EXPECT_EQ(text(Ctl::Text6), "531.46");
    EXPECT_EQ(text(Ctl::Label43), "531.46 kgf");
    EXPECT_EQ(text(Ctl::Text7), "26.57");

    type(Ctl::Text2, "");
    EXPECT_EQ(text(Ctl::Label43), "---");
    EXPECT_EQ(text(Ctl::Label44), "---");
}

TEST_F(Rules, TheLoadsOfTheWorkedExample)
{
    loadsExample("1");
    EXPECT_EQ(text(Ctl::Label59), "240");
    EXPECT_EQ(model->forces.InitialSpringLoadN, "60");
    EXPECT_EQ(text(Ctl::Label46), "24");
    EXPECT_EQ(text(Ctl::Label66), "6");
    EXPECT_EQ(text(Ctl::Label60), "800");
    EXPECT_EQ(model->forces.StartSpringLoadN, "200");
    EXPECT_EQ(text(Ctl::Label49), "80");
    EXPECT_EQ(text(Ctl::Label67), "20");
    EXPECT_EQ(text(Ctl::Label61), "1040");
    EXPECT_EQ(model->forces.FinalSpringLoadN, "260");
    EXPECT_EQ(text(Ctl::Label47), "104");
    EXPECT_EQ(text(Ctl::Label68), "26");
    EXPECT_EQ(text(Ctl::Label51), "13");
    EXPECT_EQ(text(Ctl::Label79), "13");
    EXPECT_EQ(text(Ctl::Label77), "3");
    EXPECT_EQ(text(Ctl::Label78), "10");
    EXPECT_EQ(form()[Ctl::Label78].foreColor, 0xFFFFC0u);
    EXPECT_EQ(text(Ctl::Label83), "87");
    EXPECT_TRUE(ui.boxes.isEmpty());
    EXPECT_EQ(model->DeflectionCheckFlag, "OFF");
}

TEST_F(Rules, ABiteOfExactlyZeroHidesTheStartOfProcessing)
{
    loadsExample("0");
    EXPECT_EQ(text(Ctl::Label67), "---");
    EXPECT_EQ(text(Ctl::Label49), "---");
    EXPECT_EQ(text(Ctl::Label60), "---");
    EXPECT_EQ(text(Ctl::Label78), "---");
    EXPECT_EQ(model->forces.StartDeflection, "11");
    // A bite of "0.0" is not the text "0".
    type(Ctl::Text11, "0.0");
    EXPECT_EQ(text(Ctl::Label60), "880");
}

TEST_F(Rules, ANegativeStartCompressionShowsRedAndDashes)
{
    spring("20", "2");
    click(Ctl::Option13);
    type(Ctl::Text2, "5");
    type(Ctl::Text4, "100");
    type(Ctl::Text11, "1");
    type(Ctl::Text10, "4");
    type(Ctl::Text9, "3");
    type(Ctl::Text3, "1");
    EXPECT_EQ(text(Ctl::Label78), "-2");
    EXPECT_EQ(form()[Ctl::Label78].foreColor, kRed);
    EXPECT_EQ(text(Ctl::Label67), "---");
    EXPECT_EQ(text(Ctl::Label49), "---");
    EXPECT_EQ(text(Ctl::Label60), "---");
    EXPECT_EQ(model->forces.StartLoadN, "-160");
}

TEST_F(Rules, WithoutASpringOnlyTheTotalDeflectionFollows)
{
    type(Ctl::Text9, "3");
    type(Ctl::Text3, "10");
    EXPECT_EQ(text(Ctl::Label51), "13");
    EXPECT_EQ(text(Ctl::Label79), "13");
    EXPECT_EQ(text(Ctl::Label46), "---");
    EXPECT_EQ(text(Ctl::Label61), "---");
    EXPECT_TRUE(ui.boxes.isEmpty());
}

TEST_F(Rules, EmptyInputsShowZeroAndDashes)
{
    type(Ctl::Text9, "1");
    type(Ctl::Text9, "");
    EXPECT_EQ(text(Ctl::Label51), "0");
    EXPECT_EQ(text(Ctl::Label77), "---");
    EXPECT_EQ(text(Ctl::Label78), "---");
    EXPECT_EQ(text(Ctl::Label79), "---");
    type(Ctl::Text2, "2");
    type(Ctl::Text11, "1");
    EXPECT_EQ(text(Ctl::Label78), "-3");
    EXPECT_EQ(form()[Ctl::Label78].foreColor, kRed);
}

TEST_F(Rules, AShearFactorChangeAloneKeepsTheLoads)
{
    loadsExample("1");
    model->forces.FinalLoadN = "sentinel";
    type(Ctl::Text5, "40");
    EXPECT_EQ(text(Ctl::Label43), "8000 kgf");
    EXPECT_EQ(text(Ctl::Label44), "400 kgf");
    EXPECT_EQ(model->forces.FinalLoadN, "sentinel");
}

TEST_F(Rules, SmallLoadsRoundToDashesButPerSpringNewtonsKeepZero)
{
    spring("0.001", "0.0001");
    click(Ctl::Option13);
    type(Ctl::Text9, "2");
    EXPECT_EQ(text(Ctl::Label66), "---");
    EXPECT_EQ(text(Ctl::Label59), "---");
    EXPECT_EQ(model->forces.InitialSpringLoadN, "0");
    // A negative initial load has no display rule of its own.
    spring("20", "2");
    type(Ctl::Text9, "-1");
    EXPECT_EQ(text(Ctl::Label66), "-2");
}

TEST_F(Rules, AnOverflowIsOneErrorLineAndTheCallerGoesOn)
{
    type(Ctl::Text2, "1e300");
    EXPECT_EQ(text(Ctl::Text2), "1300");  // the number check takes the "e" out
    spring("20", "2");
    click(Ctl::Option13);
    type(Ctl::Text9, "2");
    form().setText(Ctl::Label26, "1e308");
    type(Ctl::Text9, "3");
    EXPECT_EQ(errors(), QStringList{QStringLiteral("■Err：[frmMain]-[aturyoku_keisan2()]：オーバーフローしました。：エラー番号 -> 6")});
    // The rule went on after the failed calculation: the deflection table follows.
    EXPECT_EQ(text(Ctl::Label77), "3");
    EXPECT_EQ(text(Ctl::Label51), "2");
    EXPECT_EQ(model->DeflectionCheckFlag, "OFF");
}

TEST_F(Rules, RudRoundsTheSingleAndLogsItsErrors)
{
    EXPECT_EQ(sngText(model->Rud(0.125f, -2)), "0.13");
    EXPECT_EQ(sngText(model->Rud(-0.125f, -2)), "-0.13");
    EXPECT_EQ(sngText(model->Rud(0.125f, -3)), "0");
    EXPECT_EQ(errors(), QStringList{QStringLiteral("■Err：[frmMain]-[Rud()]：0 で除算しました。：エラー番号 -> 11")});
}

TEST_F(Rules, InputResetRestoresDefaultsAndRunsToTheEnd)
{
    type(Ctl::Text2, "2");
    type(Ctl::Text5, "");
    type(Ctl::Text8, "7");
    type(Ctl::Text9, "3");
    type(Ctl::Text10, "-");
    type(Ctl::Text11, "4");
    model->inpTextboxClar();
    EXPECT_EQ(text(Ctl::Text2), "");
    EXPECT_EQ(text(Ctl::Text5), "35");
    EXPECT_EQ(text(Ctl::Text8), "5");
    EXPECT_EQ(text(Ctl::Text9), "");
    EXPECT_EQ(text(Ctl::Text10), "1");
    EXPECT_EQ(text(Ctl::Label45), "1");
    EXPECT_EQ(text(Ctl::Text11), "0");

    type(Ctl::Text5, "35.0");
    model->inpTextboxClar();
    EXPECT_EQ(text(Ctl::Text5), "35.0");
}

TEST_F(Rules, DataClearEmptiesTheSpringAndItsLoadsOnly)
{
    loadsExample("1");
    model->DataClear();
    for (Ctl c : {Ctl::Label21, Ctl::Label24, Ctl::Label26, Ctl::Label30, Ctl::Label57})
        EXPECT_EQ(text(c), "") << controlName(c).toStdString();
    for (Ctl c : {Ctl::Label66, Ctl::Label67, Ctl::Label68, Ctl::Label46, Ctl::Label49, Ctl::Label47, Ctl::Label59,
                  Ctl::Label60, Ctl::Label61, Ctl::Label83})
        EXPECT_EQ(text(c), "---") << controlName(c).toStdString();
    EXPECT_EQ(text(Ctl::Label43), "7000 kgf");
    EXPECT_EQ(text(Ctl::Label51), "13");
}

// --- pressure-only mode ---------------------------------------------------------

class PressureOnly : public CalcTest {
protected:
    void SetUp() override
    {
        CalcTest::SetUp();
        click(Ctl::Option2);
        spring("24.5", "2.5");
        click(Ctl::Option13);
        type(Ctl::Text10, "4");
        type(Ctl::Text9, "5");
        type(Ctl::Text3, "20");
    }
};

TEST_F(PressureOnly, TheWorkedExample)
{
    type(Ctl::Text12, "3");
    EXPECT_EQ(model->pressureOnly.PartStartDeflection, "22");
    EXPECT_EQ(text(Ctl::Label67), "55");
    EXPECT_EQ(model->pressureOnly.PartSpringLoadN, "539");
    EXPECT_EQ(text(Ctl::Label49), "220");
    EXPECT_EQ(text(Ctl::Label60), "2156");
    EXPECT_EQ(text(Ctl::Label78), "22");
    EXPECT_EQ(form()[Ctl::Label78].foreColor, 0xFFFFC0u);

    type(Ctl::Text12, "30");
    EXPECT_EQ(text(Ctl::Label78), "-5");
    EXPECT_EQ(form()[Ctl::Label78].foreColor, kRed);
    EXPECT_EQ(text(Ctl::Label67), "---");
    EXPECT_EQ(text(Ctl::Label49), "---");
    EXPECT_EQ(text(Ctl::Label60), "---");

    type(Ctl::Text12, "");
    EXPECT_EQ(text(Ctl::Label78), "---");
    EXPECT_TRUE(errors().isEmpty()) << errors().join('\n').toStdString();
}

TEST_F(PressureOnly, RunsAfterTheJudgementSoItsStartLoadsStand)
{
    type(Ctl::Text12, "3");
    type(Ctl::Text3, "21");  // the all-values rule writes "---" at the start, SpOnly then its own
    EXPECT_EQ(text(Ctl::Label49), "230");
    EXPECT_EQ(text(Ctl::Label61), "2548");  // the final loads as in mode "all"
}

TEST_F(PressureOnly, AnEmptyOrUnfinishedSpringCountLeavesNoStaleStartLoads)
{
    type(Ctl::Text12, "3");
    ASSERT_EQ(text(Ctl::Label49), "220");
    type(Ctl::Text10, "");
    EXPECT_EQ(text(Ctl::Label67), "55");
    EXPECT_EQ(text(Ctl::Label49), "---");
    EXPECT_EQ(text(Ctl::Label60), "---");
    type(Ctl::Text10, "-");
    EXPECT_EQ(text(Ctl::Label49), "---");
    EXPECT_TRUE(errors().isEmpty()) << errors().join('\n').toStdString();
}

TEST_F(PressureOnly, WithoutASpringOnlyTheStartCompressionShows)
{
    model->DataClear();
    type(Ctl::Text12, "25");
    EXPECT_EQ(text(Ctl::Label78), "0");
    EXPECT_EQ(form()[Ctl::Label78].foreColor, kRed);
    EXPECT_EQ(text(Ctl::Label49), "---");
}

TEST_F(PressureOnly, TheRoundTripOfTheModes)
{
    // Back to "all" and again to "part" with die data in between.
    click(Ctl::Option1);
    EXPECT_EQ(model->InputMode, "all");
    EXPECT_EQ(text(Ctl::Text9), "");
    EXPECT_EQ(text(Ctl::Text12), "");
    EXPECT_FALSE(form()[Ctl::Text12].enabled);
    EXPECT_EQ(form()[Ctl::Text12].backColor, kSysActiveBorder);
    for (Ctl c : {Ctl::Text2, Ctl::Text4, Ctl::Text5, Ctl::Text8, Ctl::Text11, Ctl::UpDown1, Ctl::Label1, Ctl::Label52}) {
        EXPECT_TRUE(form()[c].enabled) << controlName(c).toStdString();
    }
    EXPECT_EQ(form()[Ctl::Text6].backColor, kSysWindow);
    EXPECT_EQ(text(Ctl::Text2), "");
    EXPECT_EQ(text(Ctl::Text5), "35");
    EXPECT_EQ(text(Ctl::Text6), "0");
    EXPECT_EQ(text(Ctl::Text7), "0");
    EXPECT_EQ(text(Ctl::Text8), "5");
    EXPECT_EQ(text(Ctl::Text11), "0");
    EXPECT_EQ(text(Ctl::Text10), "1");

    type(Ctl::Text2, "2");
    type(Ctl::Text5, "");
    type(Ctl::Text10, "3");
    click(Ctl::Option2);
    EXPECT_EQ(model->InputMode, "part");
    EXPECT_EQ(text(Ctl::Text2), "");
    EXPECT_EQ(text(Ctl::Text5), "35");
    EXPECT_EQ(text(Ctl::Text10), "1");
    EXPECT_FALSE(form()[Ctl::Text2].enabled);
    EXPECT_EQ(form()[Ctl::Text2].backColor, kSysActiveBorder);
    EXPECT_TRUE(form()[Ctl::Text6].enabled);
    EXPECT_TRUE(form()[Ctl::Text12].enabled);
    EXPECT_TRUE(form()[Ctl::Label37].enabled);

    // Clicking the mode in force does nothing.
    type(Ctl::Text9, "1");
    click(Ctl::Option2);
    EXPECT_EQ(text(Ctl::Text9), "1");

    click(Ctl::Option1);
    type(Ctl::Text5, "35.0");
    click(Ctl::Option2);
    EXPECT_EQ(text(Ctl::Text5), "35.0");
}

TEST_F(Rules, EnterMovesAlongTheChainByMode)
{
    EXPECT_EQ(model->enterTarget(Ctl::Text9), Ctl::Text3);
    EXPECT_EQ(model->enterTarget(Ctl::Text10), Ctl::Text11);
    EXPECT_EQ(model->enterTarget(Ctl::Text11), std::nullopt);
    click(Ctl::Option2);
    EXPECT_EQ(model->enterTarget(Ctl::Text10), Ctl::Text12);
    EXPECT_EQ(model->enterTarget(Ctl::Text12), std::nullopt);
    type(Ctl::Text10, "12");
    model->boxGotFocus(Ctl::Text10);
    EXPECT_EQ(form()[Ctl::Text10].selStart, 0);
    EXPECT_EQ(form()[Ctl::Text10].selLength, 2);
}

TEST_F(Rules, SpinControlsStepFromTheBoxAndStayInRange)
{
    type(Ctl::Text10, "7");
    model->userSpin(Ctl::UpDown3, +1);
    EXPECT_EQ(text(Ctl::Text10), "8");
    EXPECT_EQ(text(Ctl::Label45), "8");
    model->userSpin(Ctl::UpDown4, -1);
    EXPECT_EQ(text(Ctl::Text11), "0");
    type(Ctl::Text8, "99");
    model->userSpin(Ctl::UpDown2, +1);
    EXPECT_EQ(text(Ctl::Text8), "99");
}

}  // namespace

namespace {

TEST_F(PressureOnly, InputResetEmptiesTheStartDistanceAndLeavesTheBite)
{
    type(Ctl::Text12, "3");
    model->inpTextboxClar();
    EXPECT_EQ(text(Ctl::Text12), "");
    EXPECT_EQ(text(Ctl::Label78), "---");
    EXPECT_EQ(text(Ctl::Label49), "---");
    EXPECT_EQ(text(Ctl::Text9), "");
    EXPECT_EQ(text(Ctl::Text10), "1");
    EXPECT_EQ(text(Ctl::Text11), "0");
}

}  // namespace
