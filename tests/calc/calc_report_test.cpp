// The result report, its line count and the commands it switches, and the
// result box's own rules.
#include "calc_fixture.h"
#include "support/error_of.h"

#include <functional>
#include <vector>

using namespace tolvane;
using namespace tolvane::test;

namespace {

class Report : public CalcTest {
protected:
    void pressureOnly()
    {
        click(field::ModePart);
        spring("20", "2");
        click(field::UseCount100);
        type(field::InitialCompression, "2");
        type(field::Stroke, "10");
    }
    QString report()
    {
        model->imgDisplayTxt_Click();
        return text(field::ReportText);
    }
    bool dxfOn() { return form()[Ctl::imgOutputDXF].enabled; }
    // The refusal of what was typed names the box by its caption.
    static QString typedPrompt(const QString& caption)
    {
        return QStringLiteral("「") + caption
               + QStringLiteral("」に入力された値は、計算できる数値ではありません。\r入力し直してください。");
    }
    // The refusal's message; the box takes the focus, its text selected to
    // be typed over.
    void expectRefused(Ctl box, const QString& prompt)
    {
        EXPECT_EQ(ui.boxes, (QList<MsgBoxCall>{{prompt, kMbOk | kMbExclamation, "警告"}}));
        EXPECT_TRUE(!screen.focus.isEmpty() && screen.focus.last() == box);
        EXPECT_EQ(std::pair(form()[box].selStart, form()[box].selLength), std::pair(0, int(text(box).size())));
    }
};

TEST_F(Report, AllValuesLineByLine)
{
    loadsExample();
    model->SaveState = "SaveOK";
    const QStringList expected = {
        "加工長 = 100m/m", "板厚 = t2", "加工圧 = 7000kgf", QString::fromUtf16(u"必要ストリッピング力 (5\uFF05) = 350kgf"), "",
        "SWB20-100", "L = 100", "kg/mm = 2", "N/mm = 20", "圧縮長 = 87mm", "",
        "---------- SPタワミ ---------", "初圧 = 3mm", "加工開始 = 10mm", "終圧 = 13mm", "",
        "------------ kg ------------", "初圧 = 3mm --> 6kgX4=24kg", "加工開始 = 10mm --> 20kgX4=80kg", "終圧 = 13mm --> 26kgX4=104kg", "",
        "------------- N -----------", "初圧 = 3mm --> 60NX4=240N", "加工開始 = 10mm --> 200NX4=800N", "終圧 = 13mm --> 260NX4=1040N", "",
        "ST = 10  ( 使用回数 100万回 )",
    };
    // The last line has no CR LF.
    EXPECT_EQ(report(), expected.join("\r\n"));
    EXPECT_EQ(model->CompFinalText, "13");
    EXPECT_EQ(model->CompStartText, "10");
    EXPECT_EQ(model->SaveState, "SaveNon");
    EXPECT_EQ(form()[Ctl::imgOutputDXF].picture, "materials/output_dxf_off.gif");
    expectEnabled({Ctl::imgOutputDXF, Ctl::imgSelectAll, Ctl::mnuAllsel, Ctl::mnuPrint, Ctl::mnuSave2,
                   Ctl::mnuDxf}, true);
    // The report never enables copying; that follows the selection.
    expectEnabled({Ctl::mnuCopy}, false);
    EXPECT_EQ(errors(), QStringList{});
}

TEST_F(Report, PressureOnlyWithoutAStartDistanceHasNoStartLines)
{
    pressureOnly();
    const QStringList expected = {
        "SWB20-100", "L = 100", "kg/mm = 2", "N/mm = 20", "圧縮長 = 88mm", "",
        "---------- SPタワミ ---------", "初圧 = 2mm", "終圧 = 12mm", "",
        "------------ kg ------------", "初圧 = 2mm --> 4kgX1=4kg", "終圧 = 12mm --> 24kgX1=24kg", "",
        "------------- N -----------", "初圧 = 2mm --> 40NX1=40N", "終圧 = 12mm --> 240NX1=240N", "",
        "ST = 10  ( 使用回数 100万回 )",
    };
    EXPECT_EQ(report(), expected.join("\r\n"));
    EXPECT_EQ(model->CompFinalText, "12");
    EXPECT_EQ(model->CompStartText, "12");
    EXPECT_TRUE(dxfOn());  // 19 lines
}

TEST_F(Report, PressureOnlyStartLoadPerSpringIsNotRounded)
{
    pressureOnly();
    type(field::SpringCount, "3");
    type(field::StartBeforeBottom, "3");
    form().setText(field::StartLoadN, "100");
    const QString r = report();
    EXPECT_EQ(model->PartStartSpringLoadN, "33.3333333333333");
    EXPECT_TRUE(r.contains("\r\n加工開始 = 9mm\r\n"));
    EXPECT_TRUE(r.contains("\r\n加工開始 = 9mm --> 33.3333333333333NX3=100N\r\n"));
    EXPECT_TRUE(r.contains("\r\n加工開始 = 9mm --> 18kgX3=54kg\r\n"));
}

// More than eleven lines enable the DXF button; fewer leave it off, as
// emptying the box before the report left it. The menu entry follows the box.
TEST_F(Report, TheDxfButtonFollowsTheLineCount)
{
    loadsExample();
    type(field::Stroke, "");
    QStringList lines = report().split("\r\n");
    ASSERT_EQ(lines.size(), 11);  // ten lines, each with its CR LF
    EXPECT_EQ(lines[9], "圧縮長 = 97mm");
    EXPECT_FALSE(dxfOn());
    EXPECT_TRUE(form()[Ctl::imgSelectAll].enabled);

    type(field::Stroke, "10");
    report();
    ASSERT_TRUE(dxfOn());
    type(field::Stroke, "");
    EXPECT_FALSE(report().contains("SPタワミ"));
    EXPECT_FALSE(dxfOn());
    expectEnabled({Ctl::mnuDxf}, true);
}

TEST_F(Report, NoSpringChosen)
{
    type(field::PlateThickness, "2");
    type(field::ProcessingLength, "100");
    EXPECT_EQ(report(), QString::fromUtf16(u"加工長 = 100m/m\r\n板厚 = t2\r\n加工圧 = 7000kgf\r\n"
                                          u"必要ストリッピング力 (5\uFF05) = 350kgf\r\n\r\n"));
    EXPECT_EQ(ui.boxes, (QList<MsgBoxCall>{{"スプリングが選択されていません。", 64, "警告"}}));
    expectEnabled({Ctl::mnuPrint}, true);
    EXPECT_FALSE(dxfOn());

    // Only the filled fields have their press lines.
    spring("20", "2");
    type(field::PlateThickness, "");
    EXPECT_TRUE(report().startsWith("加工長 = 100m/m\r\n\r\nSWB20-100\r\n"));

    model->DataClear();
    click(field::ModePart);
    EXPECT_EQ(report(), "");
    EXPECT_EQ(form()[Ctl::imgSelectAll].picture, "materials/select_all_disable.gif");
    expectEnabled({Ctl::imgSelectAll, Ctl::mnuSave2}, false);
}

TEST_F(Report, EmptyCompressionAndBiteBecomeZeroFirst)
{
    loadsExample();
    type(field::InitialCompression, "");
    type(field::Bite, "");
    const QString r = report();
    expectTexts({{field::InitialCompression, "0"}, {field::Bite, "0"}});
    for (const char* line : {"\r\n初圧 = 0mm\r\n", "\r\n初圧 = 0kg\r\n", "\r\n初圧 = 0N\r\n"})
        EXPECT_TRUE(r.contains(QString::fromUtf8(line))) << line;
    EXPECT_FALSE(r.contains("加工開始"));  // bite 0
    EXPECT_TRUE(r.endsWith("ST = 10  ( 使用回数 100万回 )"));
    EXPECT_EQ(text(field::InitialDeflectionDisplay), "---");  // the write ran the box's rules
    EXPECT_EQ(errors(), QStringList{});
}

// What was typed is the user's: a text that is no number, or one too large
// to calculate with, in any box the report reads is named by the caption
// beside it in a message, stays as typed, and no report (with results
// changed to fit it) is made.
TEST_F(Report, ABoxThatIsNoNumberIsNamedByItsCaptionAndLeftAsTyped)
{
    const QString huge = "1" + QString(309, QLatin1Char('0'));
    const std::tuple<Ctl, const char*, bool> boxes[] = {
        {field::PlateThickness, "板厚 (T)", false},      {field::ProcessingLength, "加工長さ (L)", false},
        {field::ShearFactor, "係数", false},             {field::StrippingPercent, "ストリッピング", false},
        {field::InitialCompression, "初圧 (mm)", false}, {field::Stroke, "ストローク (mm)", false},
        {field::SpringCount, "使用本数", false},         {field::Bite, "カミアイ", false},
        {field::StartBeforeBottom, "下死点手前 m/m", true}};
    for (const auto& [box, caption, part] : boxes) {
        for (const QString& bad : {QStringLiteral("-"), QStringLiteral("."), QStringLiteral("1.2.3"),
                                   QStringLiteral("1..2"), huge}) {
            SCOPED_TRACE(controlName(box).toStdString() + " " + bad.left(8).toStdString());
            if (part) {
                pressureOnly();
                type(field::StartBeforeBottom, "3");
            } else {
                loadsExample();
            }
            report();
            const QString before = text(box);
            type(box, bad);
            const QString shownLoad = text(field::InitialLoadKgf);
            ui.boxes.clear();
            EXPECT_EQ(report(), "");
            EXPECT_EQ(text(box), bad);
            EXPECT_EQ(text(field::InitialLoadKgf), shownLoad);
            expectRefused(box, typedPrompt(QString::fromUtf8(caption)));
            EXPECT_TRUE(errors().value(errors().size() - 1).startsWith("■Err：[frmMain]-[imgDisplayTxt_Clickイベント]："));
            type(box, before);
        }
    }
}

// A pasted number with a control character before it (a carriage return, a
// form feed) is 0 to the rules, which stop reading there; a line break
// anywhere in a box would break the report's line. Either is named, never
// printed. Blanks and tabs around a number give the values the rules
// computed.
TEST_F(Report, AControlCharacterOrALineBreakInABoxIsNamedNotPrinted)
{
    const std::tuple<Ctl, const char16_t*, const char*> pasted[] = {
        {field::PlateThickness, u"\r\n2", "板厚 (T)"},
        {field::ProcessingLength, u"\f100", "加工長さ (L)"},
        {field::Stroke, u"\v10", "ストローク (mm)"},
        {field::SpringCount, u"\r4", "使用本数"},
        {field::InitialCompression, u"\n2", "初圧 (mm)"},
        {field::PlateThickness, u"1.6\n", "板厚 (T)"},
        {field::Stroke, u"10\r\n", "ストローク (mm)"},
        {field::Bite, u"1\n", "カミアイ"}};
    for (const auto& [box, value, caption] : pasted) {
        SCOPED_TRACE(caption);
        loadsExample();
        type(box, QString::fromUtf16(value));
        ui.boxes.clear();
        EXPECT_EQ(report(), "");
        expectRefused(box, typedPrompt(QString::fromUtf8(caption)));
    }
    loadsExample();
    type(field::PlateThickness, " 2\t");
    type(field::Stroke, "\t10");
    const QString r = report();
    EXPECT_TRUE(r.contains("\r\n加工圧 = 7000kgf\r\n")) << r.toStdString();
    EXPECT_TRUE(r.contains("\r\n終圧 = 13mm --> 26kgX4=104kg\r\n")) << r.toStdString();
}

// A catalogue's text is printed as it is, but a line break in it (in a size
// number, a rate) becomes a blank: each report line stays one line.
TEST_F(Report, ALineBreakInACatalogueTextStaysOnItsLine)
{
    loadsExample();
    form().setText(field::SpringNo, "SWL30\n");
    form().setText(field::RateKgf, "2\r\n");
    const QStringList lines = report().split("\r\n");
    EXPECT_EQ(lines.size(), 27);
    EXPECT_EQ(lines.mid(5, 3), (QStringList{"SWL30 ", "L = 100", "kg/mm = 2  "}));
}

// The message for what the rules could not compute: too large, and worked
// out from the boxes it names.
const QString kTooLarge = QStringLiteral("が大きすぎるため、計算できません。\r入力した値を確かめてください。");

// A force the rules could not round (beyond single precision) stays in its
// box unrounded while its display keeps an earlier value: refused, so no
// report shows one number beside another. The message says the value worked
// out from the boxes is too large; nobody typed it.
TEST_F(Report, AForceTooLargeToRoundIsRefused)
{
    const std::tuple<Ctl, QString, Ctl, QString> cases[] = {
        {field::ProcessingLength, "1" + QString(40, u'0'), field::ProcessingPressure,
         "「板厚 (T)」、「加工長さ (L)」、「係数」から求めた「圧力 (Kg)」の値" + kTooLarge},
        {field::StrippingPercent, "1" + QString(38, u'0'), field::StrippingForce,
         "「圧力 (Kg)」、「ストリッピング」から求めた「必要ストリッピング力」の値" + kTooLarge}};
    for (const auto& [typed, value, refused, prompt] : cases) {
        SCOPED_TRACE(prompt.left(12).toStdString());
        loadsExample();
        const QString before = text(typed);
        type(typed, value);
        ui.boxes.clear();
        EXPECT_EQ(report(), "");
        expectRefused(refused, prompt);
        type(typed, before);
    }
    // Large, but within what the rules round: reported as computed.
    type(field::ProcessingLength, "99999999999999999999");
    const QString r = report();
    EXPECT_TRUE(r.startsWith(QStringLiteral("加工長 = 99999999999999999999m/m\r\n板厚 = t2\r\n加工圧 = 7E+21kgf\r\n"
                                            "必要ストリッピング力 (5\uFF05) = 3.5E+20kgf\r\n")))
        << r.left(120).toStdString();
}

// Whatever else the report and the drawing print and the rules could not
// compute is refused the same way: a pressure beyond even a double (its box
// keeps the "0" of before), the loads of a position. The focus goes to the
// box that shows the value, else to the largest of the boxes named.
TEST_F(Report, AValueTheRulesCouldNotComputeIsNamedByWhatItIsWorkedOutFrom)
{
    auto huge = [](int zeros) { return "1" + QString(zeros, u'0'); };
    struct Case {
        std::vector<std::pair<Ctl, QString>> typed;
        Ctl focus;
        QString prompt;
        bool part = false;
    };
    const Case cases[] = {
        {{{field::PlateThickness, ""}, {field::ProcessingLength, huge(200)}, {field::PlateThickness, huge(200)}},
         field::ProcessingPressure, "「板厚 (T)」、「加工長さ (L)」、「係数」から求めた「圧力 (Kg)」の値" + kTooLarge},
        {{{field::SpringCount, huge(38)}}, field::SpringCount, "「初圧 (mm)」、「使用本数」から求めた荷重" + kTooLarge},
        {{{field::Bite, huge(39)}}, field::Bite,
         "「板厚 (T)」、「初圧 (mm)」、「ストローク (mm)」、「使用本数」、「カミアイ」から求めた荷重" + kTooLarge},
        {{{field::Stroke, "-" + huge(39)}}, field::Stroke,
         "「初圧 (mm)」、「ストローク (mm)」、「使用本数」から求めた荷重" + kTooLarge, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.prompt.left(24).toStdString());
        c.part ? pressureOnly() : loadsExample();
        for (const auto& [box, value] : c.typed)
            type(box, value);
        ui.boxes.clear();
        EXPECT_EQ(report(), "");
        expectRefused(c.focus, c.prompt);
        EXPECT_EQ(errorOf([&] { model->readyToDraw(); }), kErrOverflow);
    }
}

TEST_F(Report, ANegativeStartCompressionIsPrintedAsItIs)
{
    loadsExample();
    type(field::PlateThickness, "10");
    type(field::Bite, "5");
    type(field::InitialCompression, "2");
    const QString r = report();
    EXPECT_EQ(model->CompStartText, "-3");
    EXPECT_TRUE(r.contains("\r\n加工開始 = -3mm\r\n"));
    EXPECT_TRUE(r.contains("\r\n加工開始 = -3mm --> ---kgX4=---kg\r\n"));
}

TEST_F(Report, PressureOnlyWithoutASpringCountIsComplete)
{
    pressureOnly();
    for (const char* count : {"", "0"}) {
        SCOPED_TRACE(count);
        type(field::StartBeforeBottom, "3");
        type(field::SpringCount, count);
        const QString r = report();
        EXPECT_EQ(model->PartStartSpringLoadN, "---");
        EXPECT_TRUE(r.contains(QStringLiteral("\r\n加工開始 = 9mm --> ---NX") + count + "=---N\r\n"));
        EXPECT_TRUE(r.endsWith(" )"));
    }
    EXPECT_EQ(errors(), QStringList{});
}

TEST_F(Report, AWarningDuringTheReportLeavesNoCompressionBlocks)
{
    // The "0" written into an empty bite runs its rules; the warning of the
    // judgement may empty the stroke before the first line.
    spring("20", "2", "100", "5", "6", "7");
    click(field::UseCount100);
    type(field::Stroke, "5");
    type(field::InitialCompression, "");
    form().setText(field::AllowedDeflection100, "4");  // a tighter allowance, judged when the report writes "0"
    ASSERT_EQ(ui.boxes.size(), 0);
    const QString r = report();
    ASSERT_EQ(ui.boxes.size(), 1);
    EXPECT_EQ(text(field::Stroke), "");
    EXPECT_FALSE(r.contains("SPタワミ"));
    EXPECT_TRUE(r.endsWith("圧縮長 = 100mm\r\n"));
}

// --- the result box ----------------------------------------------------------------

TEST_F(Report, EmptyingTheBoxSwitchesTheCommandsOffAndMarksItUnsaved)
{
    loadsExample();
    report();
    model->Text1_Click("加工長");
    EXPECT_EQ(form()[Ctl::imgCopy].picture, "materials/copy_off.gif");
    expectEnabled({Ctl::imgCopy, Ctl::mnuCut}, true);
    model->SaveState = "SaveOK";
    model->Textbox1Clar();
    EXPECT_EQ(model->SaveState, "SaveNon");
    EXPECT_EQ(form()[Ctl::imgCopy].picture, "materials/copy_disable.gif");
    expectEnabled({Ctl::imgCopy, Ctl::mnuCopy, Ctl::mnuCut, Ctl::mnuAllsel, Ctl::mnuPrint, Ctl::mnuSave2,
                   Ctl::imgSelectAll}, false);
}

// Nothing is drawn from a report no longer shown: whatever empties the box
// turns the DXF button (with its picture) and the menu entry off, the copy
// button's picture missing or not.
TEST_F(Report, WhateverEmptiesTheReportTurnsTheDxfCommandsOff)
{
    const std::pair<const char*, std::function<void()>> emptiers[] = {
        {"reset", [&] { model->Textbox1Clar(); }},
        {"kind", [&] { model->kindClicked(model->SpringKind == "M1" ? "K1" : "M1"); }},
        {"series", [&] { model->seriesClicked("SWB"); }},
        {"use count", [&] { click(field::UseCount50); }},
        {"mode", [&] { click(model->InputMode == "all" ? field::ModePart : field::ModeAll); }},
    };
    for (const bool copyPictureMissing : {false, true}) {
        if (copyPictureMissing) {
            ASSERT_TRUE(QFile::remove(materials("copy_disable.gif")));
        }
        for (const auto& [what, empty] : emptiers) {
            SCOPED_TRACE(std::string(what) + (copyPictureMissing ? ", no copy_disable.gif" : ""));
            loadsExample();
            report();
            ASSERT_TRUE(dxfOn());
            empty();
            EXPECT_EQ(text(field::ReportText), "");
            EXPECT_EQ(form()[Ctl::imgOutputDXF].picture, "materials/output_dxf_disable.gif");
            expectEnabled({Ctl::imgOutputDXF, Ctl::mnuDxf, Ctl::imgCopy, Ctl::mnuCopy, Ctl::mnuCut, Ctl::mnuAllsel,
                           Ctl::mnuPrint, Ctl::mnuSave2},
                          false);
        }
    }
}

}  // namespace
