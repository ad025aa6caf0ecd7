// The change rules: number check, pressure and stripping force, the loads,
// the deflection table, the pressure-only mode and the mode switches.
#include "calc_fixture.h"

#include "services/numtext.h"

using namespace tolvane;
using namespace tolvane::test;

namespace {

using Rules = CalcTest;

TEST_F(Rules, StartUpWritesTheSpinValuesAndTheirRulesRun)
{
    expectTexts({{Ctl::Text5, "35"}, {Ctl::Text8, "5"}, {Ctl::Text10, "1"}, {Ctl::Text11, "0"},
                 {Ctl::Label45, "1"}, {Ctl::Text6, "0"}, {Ctl::Label43, "---"}});
    EXPECT_TRUE(form()[Ctl::Option1].value);
    EXPECT_EQ(model->InputMode, "all");
    expectEnabled({Ctl::Text12, Ctl::mnuDxf}, false);
    EXPECT_EQ(errors(), QStringList{});
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

    // A leading minus and a second point pass; the total reads "1.2.3" leniently.
    const std::pair<const char*, const char*> cases[] = {{"-5", "-5"}, {"5-", "5"}, {"1.2.3", "1.2.3"}};
    for (const auto& [typed, kept] : cases) {
        type(Ctl::Text9, typed);
        EXPECT_EQ(text(Ctl::Text9), kept);
    }
    EXPECT_EQ(text(Ctl::Label51), "1.2");
    type(Ctl::Text3, QString::fromUtf16(u"2\uFF15"));
    EXPECT_EQ(text(Ctl::Text3), "2");
    EXPECT_EQ(ui.beeps, 5);
}

TEST_F(Rules, PressureAndStrippingForce)
{
    type(Ctl::Text2, "2");
    type(Ctl::Text4, "100");
    expectTexts({{Ctl::Text6, "7000"}, {Ctl::Label43, "7000 kgf"}, {Ctl::Text7, "350"}, {Ctl::Label44, "350 kgf"}});

    // 1.5 x 10.123 x 35 = 531.4575: rounded to two decimals, and the
    // stripping force is computed again from the rounded pressure.
    type(Ctl::Text2, "1.5");
    type(Ctl::Text4, "10.123");
    expectTexts({{Ctl::Text6, "531.46"}, {Ctl::Text7, "26.57"}});

    type(Ctl::Text2, "");
    expectTexts({{Ctl::Label43, "---"}, {Ctl::Label44, "---"}});
}

TEST_F(Rules, TheLoadsOfTheWorkedExample)
{
    loadsExample();
    expectTexts({{Ctl::Label59, "240"}, {Ctl::Label46, "24"}, {Ctl::Label66, "6"},
                 {Ctl::Label60, "800"}, {Ctl::Label49, "80"}, {Ctl::Label67, "20"},
                 {Ctl::Label61, "1040"}, {Ctl::Label47, "104"}, {Ctl::Label68, "26"},
                 {Ctl::Label51, "13"}, {Ctl::Label79, "13"}, {Ctl::Label77, "3"}, {Ctl::Label78, "10"},
                 {Ctl::Label83, "87"}});
    EXPECT_EQ(model->forces.InitialSpringLoadN, "60");
    EXPECT_EQ(model->forces.StartSpringLoadN, "200");
    EXPECT_EQ(model->forces.FinalSpringLoadN, "260");
    EXPECT_EQ(form()[Ctl::Label78].foreColor, 0xFFFFC0u);
    EXPECT_TRUE(ui.boxes.isEmpty());
    EXPECT_EQ(model->DeflectionCheckFlag, "OFF");

    // A shear factor change alone recomputes the pressure, not the loads.
    model->forces.FinalLoadN = "sentinel";
    type(Ctl::Text5, "40");
    EXPECT_EQ(text(Ctl::Label43), "8000 kgf");
    EXPECT_EQ(model->forces.FinalLoadN, "sentinel");
}

TEST_F(Rules, ABiteOfExactlyZeroOrANegativeStartHidesTheStartOfProcessing)
{
    loadsExample("0");
    expectTexts({{Ctl::Label67, "---"}, {Ctl::Label49, "---"}, {Ctl::Label60, "---"}, {Ctl::Label78, "---"}});
    EXPECT_EQ(model->forces.StartDeflection, "11");
    // A bite of "0.0" is not the text "0".
    type(Ctl::Text11, "0.0");
    EXPECT_EQ(text(Ctl::Label60), "880");

    type(Ctl::Text2, "5");
    type(Ctl::Text11, "1");
    type(Ctl::Text3, "1");  // 3 + 1 - (5 + 1)
    expectTexts({{Ctl::Label78, "-2"}, {Ctl::Label67, "---"}, {Ctl::Label49, "---"}, {Ctl::Label60, "---"}});
    EXPECT_EQ(form()[Ctl::Label78].foreColor, kRed);
    EXPECT_EQ(model->forces.StartLoadN, "-160");
}

TEST_F(Rules, WithoutASpringOrInputsOnlyTheDeflectionTableFollows)
{
    type(Ctl::Text9, "3");
    type(Ctl::Text3, "10");
    expectTexts({{Ctl::Label51, "13"}, {Ctl::Label79, "13"}, {Ctl::Label46, "---"}, {Ctl::Label61, "---"}});
    EXPECT_TRUE(ui.boxes.isEmpty());

    type(Ctl::Text3, "");
    type(Ctl::Text9, "");
    expectTexts({{Ctl::Label51, "0"}, {Ctl::Label77, "---"}, {Ctl::Label78, "---"}, {Ctl::Label79, "---"}});
    // The deflection table is written last: it overrides the "---" that a total of 0 wrote.
    type(Ctl::Text9, "-3");
    type(Ctl::Text3, "3");
    expectTexts({{Ctl::Label51, "0"}, {Ctl::Label77, "-3"}, {Ctl::Label79, "---"}});
}

TEST_F(Rules, SmallLoadsRoundToDashesButPerSpringNewtonsKeepZero)
{
    spring("0.001", "0.0001");
    click(Ctl::Option13);
    type(Ctl::Text9, "2");
    expectTexts({{Ctl::Label66, "---"}, {Ctl::Label59, "---"}});
    EXPECT_EQ(model->forces.InitialSpringLoadN, "0");
    spring("20", "2");
    type(Ctl::Text9, "-1");
    EXPECT_EQ(text(Ctl::Label66), "-2");
}

TEST_F(Rules, AnErrorIsOneLineAndTheCallerGoesOn)
{
    spring("20", "2");
    click(Ctl::Option13);
    type(Ctl::Text9, "2");
    form().setText(Ctl::Label26, "1e308");
    type(Ctl::Text9, "3");
    EXPECT_EQ(errors(), QStringList{"■Err：[frmMain]-[aturyoku_keisan2()]：オーバーフローしました。：エラー番号 -> 6"});
    // The rule went on after the failed calculation: the deflection table follows.
    expectTexts({{Ctl::Label77, "3"}, {Ctl::Label51, "2"}});
    EXPECT_EQ(model->DeflectionCheckFlag, "OFF");

    // Rud rounds half away from zero and logs its own errors.
    EXPECT_EQ(sngText(model->Rud(0.125f, -2)), "0.13");
    EXPECT_EQ(sngText(model->Rud(0.125f, -3)), "0");
    EXPECT_EQ(errors().last(), "■Err：[frmMain]-[Rud()]：0 で除算しました。：エラー番号 -> 11");
}

TEST_F(Rules, InputResetRestoresDefaultsAndDataClearEmptiesOnlyTheSpring)
{
    loadsExample();
    type(Ctl::Text8, "7");
    model->DataClear();
    expectTexts({{Ctl::Label21, ""}, {Ctl::Label26, ""}, {Ctl::Label30, ""}, {Ctl::Label57, ""}, {Ctl::Label66, "---"}, {Ctl::Label60, "---"}, {Ctl::Label47, "---"}, {Ctl::Label83, "---"},
                 {Ctl::Label43, "7000 kgf"}, {Ctl::Label51, "13"}});

    type(Ctl::Text5, "");
    type(Ctl::Text10, "-");
    model->inpTextboxClar();
    expectTexts({{Ctl::Text2, ""}, {Ctl::Text5, "35"}, {Ctl::Text8, "5"}, {Ctl::Text9, ""}, {Ctl::Text10, "1"},
                 {Ctl::Label45, "1"}, {Ctl::Text11, "0"}});
    // Only an empty shear factor is reset.
    type(Ctl::Text5, "35.0");
    model->inpTextboxClar();
    EXPECT_EQ(text(Ctl::Text5), "35.0");
}

TEST_F(Rules, SpinsEnterChainAndFocus)
{
    type(Ctl::Text10, "7");
    model->userSpin(Ctl::UpDown3, +1);
    expectTexts({{Ctl::Text10, "8"}, {Ctl::Label45, "8"}});
    model->userSpin(Ctl::UpDown4, -1);
    EXPECT_EQ(text(Ctl::Text11), "0");
    type(Ctl::Text8, "99");
    model->userSpin(Ctl::UpDown2, +1);
    EXPECT_EQ(text(Ctl::Text8), "99");

    EXPECT_EQ(model->enterTarget(Ctl::Text9), Ctl::Text3);
    EXPECT_EQ(model->enterTarget(Ctl::Text10), Ctl::Text11);
    EXPECT_EQ(model->enterTarget(Ctl::Text11), std::nullopt);
    click(Ctl::Option2);
    EXPECT_EQ(model->enterTarget(Ctl::Text10), Ctl::Text12);
    EXPECT_EQ(model->enterTarget(Ctl::Text12), std::nullopt);
    type(Ctl::Text10, "12");
    model->boxGotFocus(Ctl::Text10);
    EXPECT_EQ(form()[Ctl::Text10].selLength, 2);
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
    EXPECT_EQ(model->pressureOnly.PartSpringLoadN, "539");
    expectTexts({{Ctl::Label67, "55"}, {Ctl::Label49, "220"}, {Ctl::Label60, "2156"}, {Ctl::Label78, "22"}});

    // Runs after the judgement: the all-values rule writes "---", SpOnly its own.
    type(Ctl::Text3, "21");
    expectTexts({{Ctl::Label49, "230"}, {Ctl::Label61, "2548"}});

    type(Ctl::Text12, "30");
    expectTexts({{Ctl::Label78, "-4"}, {Ctl::Label67, "---"}, {Ctl::Label49, "---"}, {Ctl::Label60, "---"}});
    EXPECT_EQ(form()[Ctl::Label78].foreColor, kRed);

    model->inpTextboxClar();
    expectTexts({{Ctl::Text12, ""}, {Ctl::Label78, "---"}, {Ctl::Label49, "---"}, {Ctl::Text9, ""},
                 {Ctl::Text11, "0"}});

    type(Ctl::Text9, "5");
    type(Ctl::Text3, "21");
    model->DataClear();
    type(Ctl::Text12, "26");
    expectTexts({{Ctl::Label78, "0"}, {Ctl::Label49, "---"}});
    EXPECT_EQ(errors(), QStringList{});
}

TEST_F(PressureOnly, AnEmptyOrUnfinishedSpringCountLeavesNoStaleStartLoads)
{
    type(Ctl::Text12, "3");
    ASSERT_EQ(text(Ctl::Label49), "220");
    for (const char* count : {"", "-"}) {
        type(Ctl::Text10, count);
        expectTexts({{Ctl::Label67, "55"}, {Ctl::Label49, "---"}, {Ctl::Label60, "---"}});
    }
    EXPECT_EQ(errors(), QStringList{});
}

TEST_F(PressureOnly, TheRoundTripOfTheModes)
{
    click(Ctl::Option1);
    EXPECT_EQ(model->InputMode, "all");
    expectTexts({{Ctl::Text9, ""}, {Ctl::Text12, ""}, {Ctl::Text2, ""}, {Ctl::Text5, "35"}, {Ctl::Text6, "0"},
                 {Ctl::Text7, "0"}, {Ctl::Text8, "5"}, {Ctl::Text11, "0"}, {Ctl::Text10, "1"}});
    EXPECT_EQ(form()[Ctl::Text12].backColor, kSysActiveBorder);
    expectEnabled({Ctl::Text12}, false);
    expectEnabled({Ctl::Text2, Ctl::Text4, Ctl::Text5, Ctl::Text8, Ctl::Text11, Ctl::UpDown1, Ctl::Label1, Ctl::Label52},
                  true);
    EXPECT_EQ(form()[Ctl::Text6].backColor, kSysWindow);

    type(Ctl::Text2, "2");
    type(Ctl::Text5, "");
    type(Ctl::Text10, "3");
    click(Ctl::Option2);
    EXPECT_EQ(model->InputMode, "part");
    expectTexts({{Ctl::Text2, ""}, {Ctl::Text5, "35"}, {Ctl::Text10, "1"}});
    EXPECT_EQ(form()[Ctl::Text2].backColor, kSysActiveBorder);
    expectEnabled({Ctl::Text2}, false);
    expectEnabled({Ctl::Text6, Ctl::Text12, Ctl::Label37}, true);

    // Clicking the mode in force does nothing.
    type(Ctl::Text9, "1");
    click(Ctl::Option2);
    EXPECT_EQ(text(Ctl::Text9), "1");

    click(Ctl::Option1);
    type(Ctl::Text5, "35.0");
    click(Ctl::Option2);
    EXPECT_EQ(text(Ctl::Text5), "35.0");
}

}  // namespace
