// The change rules: number check, pressure and stripping force, the loads,
// the deflection table, the pressure-only mode and the mode switches.
#include "calc_fixture.h"

#include "services/numtext.h"

#include <vector>

using namespace tolvane;
using namespace tolvane::test;

namespace {

using Rules = CalcTest;

// The window binds its widgets by control name: a value name on the wrong
// control would show that value in another's place.
TEST(ValueNames, EachNamesTheControlThatHoldsIt)
{
    const std::pair<Ctl, const char*> names[] = {
        {field::PlateThickness, "Text2"}, {field::Stroke, "Text3"}, {field::ProcessingLength, "Text4"},
        {field::ShearFactor, "Text5"}, {field::StrippingPercent, "Text8"}, {field::InitialCompression, "Text9"},
        {field::SpringCount, "Text10"}, {field::Bite, "Text11"}, {field::StartBeforeBottom, "Text12"},
        {field::ProcessingPressure, "Text6"}, {field::StrippingForce, "Text7"}, {field::ReportText, "Text1"},
        {field::ModeAll, "Option1"}, {field::ModePart, "Option2"}, {field::UseCount100, "Option13"},
        {field::UseCount50, "Option14"}, {field::UseCount30, "Option15"}, {field::SizeList, "List1"},
        {field::DiameterList, "List2"}, {field::SpringNo, "Label21"}, {field::SpringNoCopy, "Label57"},
        {field::OuterDiameter, "Label22"}, {field::InnerDiameter, "Label23"}, {field::FreeLength, "Label24"},
        {field::MinLength, "Label25"}, {field::RateN, "Label26"}, {field::RateKgf, "Label27"},
        {field::AllowedDeflection100, "Label28"}, {field::AllowedDeflection50, "Label29"},
        {field::AllowedDeflection30, "Label30"}, {field::PressureDisplay, "Label43"},
        {field::StrippingForceDisplay, "Label44"}, {field::SpringCountDisplay, "Label45"},
        {field::TotalDeflectionDisplay, "Label51"}, {field::InitialDeflectionDisplay, "Label77"},
        {field::StartDeflectionDisplay, "Label78"}, {field::FinalDeflectionDisplay, "Label79"},
        {field::CompressedLength, "Label83"}, {field::InitialLoadKgf, "Label46"}, {field::InitialLoadN, "Label59"},
        {field::InitialSpringLoadKgf, "Label66"}, {field::StartLoadKgf, "Label49"}, {field::StartLoadN, "Label60"},
        {field::StartSpringLoadKgf, "Label67"}, {field::FinalLoadKgf, "Label47"}, {field::FinalLoadN, "Label61"},
        {field::FinalSpringLoadKgf, "Label68"}, {field::MaxDeflectionBar, "Picture3"},
        {field::MaxDeflectionCover, "Label32"}, {field::UseCountBar, "Picture4"}, {field::UseCountCover, "Label54"},
    };
    for (const auto& [c, name] : names)
        EXPECT_EQ(controlName(c), QString::fromLatin1(name));
}

TEST_F(Rules, StartUpWritesTheSpinValuesAndTheirRulesRun)
{
    expectTexts({{field::ShearFactor, "35"}, {field::StrippingPercent, "5"}, {field::SpringCount, "1"},
                 {field::Bite, "0"}, {field::SpringCountDisplay, "1"}, {field::ProcessingPressure, "0"},
                 {field::PressureDisplay, "---"}});
    EXPECT_TRUE(form()[field::ModeAll].value);
    EXPECT_EQ(model->InputMode, "all");
    expectEnabled({field::StartBeforeBottom, Ctl::mnuDxf}, false);
    EXPECT_EQ(errors(), QStringList{});
}

TEST_F(Rules, NumberCheckRemovesOneCharacterPerNestedRun)
{
    type(field::PlateThickness, "1a2");
    EXPECT_EQ(text(field::PlateThickness), "12");
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(form()[field::PlateThickness].selStart, 2);
    ASSERT_FALSE(screen.focus.isEmpty());
    EXPECT_EQ(screen.focus.last(), field::PlateThickness);

    type(field::ProcessingLength, "x1,5");
    EXPECT_EQ(text(field::ProcessingLength), "15");
    EXPECT_EQ(ui.beeps, 3);
    // Every nested run computed with the cleaned text: 12 x 15 x 35.
    EXPECT_EQ(text(field::ProcessingPressure), "6300");

    // A leading minus and a second point pass; the total reads "1.2.3" leniently.
    const std::pair<const char*, const char*> cases[] = {{"-5", "-5"}, {"5-", "5"}, {"1.2.3", "1.2.3"}};
    for (const auto& [typed, kept] : cases) {
        type(field::InitialCompression, typed);
        EXPECT_EQ(text(field::InitialCompression), kept);
    }
    EXPECT_EQ(text(field::TotalDeflectionDisplay), "1.2");
    type(field::Stroke, QString::fromUtf16(u"2\uFF15"));
    EXPECT_EQ(text(field::Stroke), "2");
    EXPECT_EQ(ui.beeps, 5);
}

TEST_F(Rules, PressureAndStrippingForce)
{
    type(field::PlateThickness, "2");
    type(field::ProcessingLength, "100");
    expectTexts({{field::ProcessingPressure, "7000"}, {field::PressureDisplay, "7000 kgf"},
                 {field::StrippingForce, "350"}, {field::StrippingForceDisplay, "350 kgf"}});

    // 1.5 x 10.123 x 35 = 531.4575: rounded to two decimals, and the
    // stripping force is computed again from the rounded pressure.
    type(field::PlateThickness, "1.5");
    type(field::ProcessingLength, "10.123");
    expectTexts({{field::ProcessingPressure, "531.46"}, {field::StrippingForce, "26.57"}});

    type(field::PlateThickness, "");
    expectTexts({{field::PressureDisplay, "---"}, {field::StrippingForceDisplay, "---"}});
}

// The number check is for what the user types: a force the rules write goes
// into its box as computed, exponent and all, without a beep or a move of the
// focus, and the displays show the same number.
TEST_F(Rules, AComputedForceIsShownAsComputed)
{
    type(field::PlateThickness, "1.6");
    type(field::ProcessingLength, "99999999999999999999");
    expectTexts({{field::ProcessingPressure, "5.6E+21"}, {field::PressureDisplay, "5.6E+21 kgf"},
                 {field::StrippingForce, "2.8E+20"}, {field::StrippingForceDisplay, "2.8E+20 kgf"}});
    // 4.32098761...E+21 rounds to seven digits: the second, rounded write
    // is the rules' too, and keeps its exponent.
    type(field::PlateThickness, "1.23456789");
    expectTexts({{field::ProcessingPressure, "4.320988E+21"}, {field::PressureDisplay, "4.320988E+21 kgf"},
                 {field::StrippingForce, "2.160494E+20"}, {field::StrippingForceDisplay, "2.160494E+20 kgf"}});
    // 0.00001 x 0.1 x 35 = 3.5E-05, which rounds to 0.
    type(field::PlateThickness, "0.00001");
    type(field::ProcessingLength, "0.1");
    expectTexts({{field::ProcessingPressure, "0"}, {field::PressureDisplay, "---"}});
    EXPECT_EQ(ui.beeps, 0);
    EXPECT_TRUE(screen.focus.isEmpty());
    EXPECT_EQ(errors(), QStringList{});
    // Typed into the box, the same text is the user's and is checked.
    type(field::ProcessingPressure, "5.6E+21");
    EXPECT_EQ(text(field::ProcessingPressure), "5.621");
}

TEST_F(Rules, TheLoadsOfTheWorkedExample)
{
    loadsExample();
    expectTexts({{field::InitialLoadN, "240"}, {field::InitialLoadKgf, "24"}, {field::InitialSpringLoadKgf, "6"},
                 {field::StartLoadN, "800"}, {field::StartLoadKgf, "80"}, {field::StartSpringLoadKgf, "20"},
                 {field::FinalLoadN, "1040"}, {field::FinalLoadKgf, "104"}, {field::FinalSpringLoadKgf, "26"},
                 {field::TotalDeflectionDisplay, "13"}, {field::FinalDeflectionDisplay, "13"},
                 {field::InitialDeflectionDisplay, "3"}, {field::StartDeflectionDisplay, "10"},
                 {field::CompressedLength, "87"}});
    EXPECT_EQ(model->forces.InitialSpringLoadN, "60");
    EXPECT_EQ(model->forces.StartSpringLoadN, "200");
    EXPECT_EQ(model->forces.FinalSpringLoadN, "260");
    EXPECT_EQ(form()[field::StartDeflectionDisplay].foreColor, 0xFFFFC0u);
    EXPECT_TRUE(ui.boxes.isEmpty());
    EXPECT_EQ(model->DeflectionCheckFlag, "OFF");

    // A shear factor change alone recomputes the pressure, not the loads.
    model->forces.FinalLoadN = "sentinel";
    type(field::ShearFactor, "40");
    EXPECT_EQ(text(field::PressureDisplay), "8000 kgf");
    EXPECT_EQ(model->forces.FinalLoadN, "sentinel");
}

TEST_F(Rules, ABiteOfExactlyZeroOrANegativeStartHidesTheStartOfProcessing)
{
    loadsExample("0");
    expectTexts({{field::StartSpringLoadKgf, "---"}, {field::StartLoadKgf, "---"}, {field::StartLoadN, "---"},
                 {field::StartDeflectionDisplay, "---"}});
    EXPECT_EQ(model->forces.StartDeflection, "11");
    // A bite of "0.0" is not the text "0".
    type(field::Bite, "0.0");
    EXPECT_EQ(text(field::StartLoadN), "880");

    type(field::PlateThickness, "5");
    type(field::Bite, "1");
    type(field::Stroke, "1");  // 3 + 1 - (5 + 1)
    expectTexts({{field::StartDeflectionDisplay, "-2"}, {field::StartSpringLoadKgf, "---"},
                 {field::StartLoadKgf, "---"}, {field::StartLoadN, "---"}});
    EXPECT_EQ(form()[field::StartDeflectionDisplay].foreColor, kRed);
    EXPECT_EQ(model->forces.StartLoadN, "-160");
    type(field::Stroke, "3");  // exactly zero is red too
    EXPECT_EQ(text(field::StartDeflectionDisplay), "0");
    EXPECT_EQ(form()[field::StartDeflectionDisplay].foreColor, kRed);
}

TEST_F(Rules, WithoutASpringOrInputsOnlyTheDeflectionTableFollows)
{
    type(field::InitialCompression, "3");
    type(field::Stroke, "10");
    expectTexts({{field::TotalDeflectionDisplay, "13"}, {field::FinalDeflectionDisplay, "13"},
                 {field::InitialLoadKgf, "---"}, {field::FinalLoadN, "---"}});
    EXPECT_TRUE(ui.boxes.isEmpty());

    type(field::Stroke, "");
    type(field::InitialCompression, "");
    expectTexts({{field::TotalDeflectionDisplay, "0"}, {field::InitialDeflectionDisplay, "---"},
                 {field::StartDeflectionDisplay, "---"}, {field::FinalDeflectionDisplay, "---"}});
    // The deflection table is written last: it overrides the "---" that a total of 0 wrote.
    type(field::InitialCompression, "-3");
    type(field::Stroke, "3");
    expectTexts({{field::TotalDeflectionDisplay, "0"}, {field::InitialDeflectionDisplay, "-3"},
                 {field::FinalDeflectionDisplay, "---"}});
}

TEST_F(Rules, SmallLoadsRoundToDashesButPerSpringNewtonsKeepZero)
{
    spring("0.001", "0.0001");
    click(field::UseCount100);
    type(field::InitialCompression, "2");
    expectTexts({{field::InitialSpringLoadKgf, "---"}, {field::InitialLoadN, "---"}});
    EXPECT_EQ(model->forces.InitialSpringLoadN, "0");
    spring("20", "2");
    type(field::InitialCompression, "-1");
    EXPECT_EQ(text(field::InitialSpringLoadKgf), "-2");
}

TEST_F(Rules, AnErrorIsOneLineAndTheCallerGoesOn)
{
    spring("20", "2");
    click(field::UseCount100);
    type(field::InitialCompression, "2");
    form().setText(field::RateN, "1e308");
    type(field::InitialCompression, "3");
    EXPECT_EQ(errors(), QStringList{"■Err：[frmMain]-[aturyoku_keisan2()]：オーバーフローしました。：エラー番号 -> 6"});
    // The rule went on after the failed calculation: the deflection table follows.
    expectTexts({{field::InitialDeflectionDisplay, "3"}, {field::TotalDeflectionDisplay, "2"}});
    EXPECT_EQ(model->DeflectionCheckFlag, "OFF");

    // Rud rounds half away from zero and logs its own errors.
    EXPECT_EQ(sngText(model->Rud(0.125f, -2)), "0.13");
    EXPECT_EQ(sngText(model->Rud(0.125f, -3)), "0");
    EXPECT_EQ(errors().last(), "■Err：[frmMain]-[Rud()]：0 で除算しました。：エラー番号 -> 11");
}

TEST_F(Rules, InputResetRestoresDefaultsAndDataClearEmptiesOnlyTheSpring)
{
    loadsExample();
    type(field::StrippingPercent, "7");
    model->DataClear();
    expectTexts({{field::SpringNo, ""}, {field::RateN, ""}, {field::AllowedDeflection30, ""}, {field::SpringNoCopy, ""},
                 {field::InitialSpringLoadKgf, "---"}, {field::StartLoadN, "---"}, {field::FinalLoadKgf, "---"},
                 {field::CompressedLength, "---"}, {field::PressureDisplay, "7000 kgf"},
                 {field::TotalDeflectionDisplay, "13"}});

    type(field::ShearFactor, "");
    type(field::SpringCount, "-");
    model->inpTextboxClar();
    expectTexts({{field::PlateThickness, ""}, {field::ShearFactor, "35"}, {field::StrippingPercent, "5"},
                 {field::InitialCompression, ""}, {field::SpringCount, "1"}, {field::SpringCountDisplay, "1"},
                 {field::Bite, "0"}});
    // Only an empty shear factor is reset.
    type(field::ShearFactor, "35.0");
    model->inpTextboxClar();
    EXPECT_EQ(text(field::ShearFactor), "35.0");
}

TEST_F(Rules, SpinsEnterChainAndFocus)
{
    type(field::SpringCount, "7");
    model->userSpin(Ctl::UpDown3, +1);
    expectTexts({{field::SpringCount, "8"}, {field::SpringCountDisplay, "8"}});
    model->userSpin(Ctl::UpDown4, -1);
    EXPECT_EQ(text(field::Bite), "0");
    type(field::StrippingPercent, "99");
    model->userSpin(Ctl::UpDown2, +1);
    EXPECT_EQ(text(field::StrippingPercent), "99");

    EXPECT_EQ(model->enterTarget(field::InitialCompression), field::Stroke);
    EXPECT_EQ(model->enterTarget(field::SpringCount), field::Bite);
    EXPECT_EQ(model->enterTarget(field::Bite), std::nullopt);
    click(field::ModePart);
    EXPECT_EQ(model->enterTarget(field::SpringCount), field::StartBeforeBottom);
    EXPECT_EQ(model->enterTarget(field::StartBeforeBottom), std::nullopt);
    type(field::SpringCount, "12");
    model->boxGotFocus(field::SpringCount);
    EXPECT_EQ(form()[field::SpringCount].selLength, 2);
}

// Whatever the user left in the die's boxes, the switch to the pressure-only
// mode puts every box it resets back to its spin control's start number or
// empties it: a force typed over its computed value, and a text that is no
// number, included.
TEST_F(Rules, TheSwitchToPressureOnlyResetsEveryBoxWhateverItHeld)
{
    struct Case {
        const char* name;
        std::vector<std::pair<Ctl, const char*>> typed;
        bool reported = false;
    };
    const Case cases[] = {
        {"the die's data and its report",
         {{field::PlateThickness, "2"}, {field::ProcessingLength, "100"}, {field::ShearFactor, "40"},
          {field::StrippingPercent, "7"}, {field::InitialCompression, "3"}, {field::Stroke, "10"},
          {field::SpringCount, "4"}, {field::Bite, "2"}},
         true},
        // With no plate and length, only the switch itself puts these back.
        {"a pressure typed over", {{field::ProcessingPressure, "123"}}},
        {"a stripping force typed over", {{field::StrippingForce, "45"}}},
        {"texts that are no numbers",
         {{field::ShearFactor, ""}, {field::StrippingPercent, "-"}, {field::SpringCount, "."}, {field::Bite, ""}}},
    };
    spring("20", "2");
    click(field::UseCount100);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        click(field::ModeAll);
        for (const auto& [box, t] : c.typed)
            type(box, QString::fromUtf8(t));
        if (c.reported) {
            model->imgDisplayTxt_Click();
            ASSERT_FALSE(text(field::ReportText).isEmpty());
        }
        click(field::ModePart);
        expectTexts({{field::ReportText, ""}, {field::PlateThickness, ""}, {field::ProcessingLength, ""},
                     {field::ShearFactor, "35"}, {field::ProcessingPressure, "0"}, {field::StrippingForce, "0"},
                     {field::StrippingPercent, "5"}, {field::InitialCompression, ""}, {field::Stroke, ""},
                     {field::SpringCount, "1"}, {field::Bite, "0"}});
    }
    EXPECT_EQ(errors(), QStringList{});
}

// --- pressure-only mode ---------------------------------------------------------

class PressureOnly : public CalcTest {
protected:
    void SetUp() override
    {
        CalcTest::SetUp();
        click(field::ModePart);
        spring("24.5", "2.5");
        click(field::UseCount100);
        type(field::SpringCount, "4");
        type(field::InitialCompression, "5");
        type(field::Stroke, "20");
    }
};

TEST_F(PressureOnly, TheWorkedExample)
{
    type(field::StartBeforeBottom, "3");
    EXPECT_EQ(model->pressureOnly.PartStartDeflection, "22");
    EXPECT_EQ(model->pressureOnly.PartSpringLoadN, "539");
    expectTexts({{field::StartSpringLoadKgf, "55"}, {field::StartLoadKgf, "220"}, {field::StartLoadN, "2156"},
                 {field::StartDeflectionDisplay, "22"}});

    // Runs after the judgement: the all-values rule writes "---", SpOnly its own.
    type(field::Stroke, "21");
    expectTexts({{field::StartLoadKgf, "230"}, {field::FinalLoadN, "2548"}});

    type(field::StartBeforeBottom, "30");
    expectTexts({{field::StartDeflectionDisplay, "-4"}, {field::StartSpringLoadKgf, "---"},
                 {field::StartLoadKgf, "---"}, {field::StartLoadN, "---"}});
    EXPECT_EQ(form()[field::StartDeflectionDisplay].foreColor, kRed);

    model->inpTextboxClar();
    expectTexts({{field::StartBeforeBottom, ""}, {field::StartDeflectionDisplay, "---"}, {field::StartLoadKgf, "---"},
                 {field::InitialCompression, ""}, {field::Bite, "0"}});

    type(field::InitialCompression, "5");
    type(field::Stroke, "21");
    model->DataClear();
    type(field::StartBeforeBottom, "26");
    expectTexts({{field::StartDeflectionDisplay, "0"}, {field::StartLoadKgf, "---"}});
    EXPECT_EQ(form()[field::StartDeflectionDisplay].foreColor, kRed);
    EXPECT_EQ(errors(), QStringList{});
}

TEST_F(PressureOnly, AnEmptyOrUnfinishedSpringCountLeavesNoStaleStartLoads)
{
    type(field::StartBeforeBottom, "3");
    ASSERT_EQ(text(field::StartLoadKgf), "220");
    for (const char* count : {"", "-"}) {
        type(field::SpringCount, count);
        expectTexts({{field::StartSpringLoadKgf, "55"}, {field::StartLoadKgf, "---"}, {field::StartLoadN, "---"}});
    }
    EXPECT_EQ(errors(), QStringList{});
}

TEST_F(PressureOnly, TheRoundTripOfTheModes)
{
    click(field::ModeAll);
    EXPECT_EQ(model->InputMode, "all");
    expectTexts({{field::InitialCompression, ""}, {field::StartBeforeBottom, ""}, {field::PlateThickness, ""},
                 {field::ShearFactor, "35"}, {field::ProcessingPressure, "0"}, {field::StrippingForce, "0"},
                 {field::StrippingPercent, "5"}, {field::Bite, "0"}, {field::SpringCount, "1"}});
    EXPECT_EQ(form()[field::StartBeforeBottom].backColor, kSysActiveBorder);
    expectEnabled({field::StartBeforeBottom}, false);
    expectEnabled({field::PlateThickness, field::ProcessingLength, field::ShearFactor, field::StrippingPercent,
                   field::Bite, Ctl::UpDown1, Ctl::Label1, Ctl::Label52}, true);
    EXPECT_EQ(form()[field::ProcessingPressure].backColor, kSysWindow);

    type(field::PlateThickness, "2");
    type(field::ShearFactor, "");
    type(field::SpringCount, "3");
    click(field::ModePart);
    EXPECT_EQ(model->InputMode, "part");
    expectTexts({{field::PlateThickness, ""}, {field::ShearFactor, "35"}, {field::SpringCount, "1"}});
    EXPECT_EQ(form()[field::PlateThickness].backColor, kSysActiveBorder);
    expectEnabled({field::PlateThickness}, false);
    expectEnabled({field::ProcessingPressure, field::StartBeforeBottom, Ctl::Label37}, true);

    // Clicking the mode in force does nothing.
    type(field::InitialCompression, "1");
    click(field::ModePart);
    EXPECT_EQ(text(field::InitialCompression), "1");

    click(field::ModeAll);
    type(field::ShearFactor, "35.0");
    click(field::ModePart);
    EXPECT_EQ(text(field::ShearFactor), "35.0");
}

}  // namespace
