// The result report, its line count and the commands it switches, and the
// result box's own rules.
#include "calc_fixture.h"
#include "services/numtext.h"
#include "support/error_of.h"

#include <functional>
#include <optional>
#include <random>
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
    // No spring, and every box as switching into the mode leaves it.
    void noSpring(bool part)
    {
        model->DataClear();
        click(field::ModeAll);
        click(field::ModePart);
        if (!part)
            click(field::ModeAll);
    }
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

// The boxes the user types numbers into, by the caption beside each.
const std::pair<Ctl, const char*> kTypedBoxes[] = {
    {field::PlateThickness, "板厚 (T)"},      {field::ProcessingLength, "加工長さ (L)"},
    {field::ShearFactor, "係数"},             {field::StrippingPercent, "ストリッピング"},
    {field::InitialCompression, "初圧 (mm)"}, {field::Stroke, "ストローク (mm)"},
    {field::SpringCount, "使用本数"},         {field::Bite, "カミアイ"},
    {field::StartBeforeBottom, "下死点手前 m/m"}};

// What was typed is the user's: a text that is no number, or one too large
// to calculate with, in any box the report reads is named by the caption
// beside it in a message, stays as typed, and no report (with results
// changed to fit it) is made.
TEST_F(Report, ABoxThatIsNoNumberIsNamedByItsCaptionAndLeftAsTyped)
{
    const QString huge = "1" + QString(309, QLatin1Char('0'));
    for (const auto& [box, caption] : kTypedBoxes) {
        const bool part = box == field::StartBeforeBottom;
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
// computed, and the report of the numbers typed plainly, the two forces'
// boxes' too.
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
    const QString plain = report();
    const std::pair<Ctl, const char*> blanks[] = {{field::ProcessingLength, "100 "}, {field::PlateThickness, " 2\t"},
                                                  {field::StrippingPercent, "\t5"},     {field::InitialCompression, "\t3"},
                                                  {field::SpringCount, "4\t"},          {field::Stroke, "\t10"},
                                                  {field::ProcessingPressure, "\t7000"}, {field::StrippingForce, " 350 "}};
    for (const auto& [box, value] : blanks)
        type(box, value);
    const QString r = report();
    EXPECT_TRUE(r.contains("\r\n加工圧 = 7000kgf\r\n")) << r.toStdString();
    EXPECT_TRUE(r.contains("\r\n終圧 = 13mm --> 26kgX4=104kg\r\n")) << r.toStdString();
    EXPECT_EQ(r, plain);
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
// out from the boxes is too large; nobody typed it, so the focus goes to the
// box named that holds the largest number.
TEST_F(Report, AForceTooLargeToRoundIsRefused)
{
    const std::tuple<Ctl, QString, QString> cases[] = {
        {field::ProcessingLength, "1" + QString(40, u'0'),
         "「板厚 (T)」、「加工長さ (L)」、「係数」から求めた「圧力 (Kg)」の値" + kTooLarge},
        {field::StrippingPercent, "1" + QString(38, u'0'),
         "「圧力 (Kg)」、「ストリッピング」から求めた「必要ストリッピング力」の値" + kTooLarge}};
    for (const auto& [typed, value, prompt] : cases) {
        SCOPED_TRACE(prompt.left(12).toStdString());
        loadsExample();
        const QString before = text(typed);
        type(typed, value);
        ui.boxes.clear();
        EXPECT_EQ(report(), "");
        expectRefused(typed, prompt);
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
// compute is refused the same way, worked out as the report and the rules
// do (a compression written with fifteen digits and read again, in mode
// "part" from the distance before bottom dead centre): a pressure beyond
// even a double (its box keeps the "0" of before), the loads of a position,
// the compressed length, a compression, the data file's set length, also
// where only a rule the report runs again works it out. The focus goes to
// the box named that holds the largest number (for the report, of the
// initial compression the "0" it writes); where no box holds a large one,
// the spring's value is named, and the focus goes to the sizes.
TEST_F(Report, AValueTheRulesCouldNotComputeIsNamedByWhatItIsWorkedOutFrom)
{
    auto huge = [](int zeros) { return "1" + QString(zeros, u'0'); };
    // Crafted: the loads example with a catalogue row beyond any spring.
    // Unnamed: rates of a size whose catalogue row has no number, so no
    // spring is named while the rules work its loads out.
    enum class Start { Loads, Crafted, PressureOnly, NoSpring, NoSpringPressureOnly, UnnamedPressureOnly };
    enum class Refused { Both, ReportOnly, DrawingOnly, Neither };
    struct Case {
        Start start;
        std::vector<std::pair<Ctl, QString>> typed;
        Ctl focus;
        QString prompt;
        Refused refused = Refused::Both;
        std::optional<QString> startLoadN = std::nullopt;  // the label as shown, over what the rules wrote
    };
    const QString startLoads = "「板厚 (T)」、「初圧 (mm)」、「ストローク (mm)」、「使用本数」、「カミアイ」から求めた荷重";
    const QString finalLoads = "「初圧 (mm)」、「ストローク (mm)」、「使用本数」から求めた荷重";
    const QString startCompression = "「板厚 (T)」、「初圧 (mm)」、「ストローク (mm)」、「カミアイ」から求めたタワミ量";
    const QString partLoads = "「初圧 (mm)」、「ストローク (mm)」、「使用本数」、「下死点手前 m/m」から求めた荷重";
    const QString partCompression = "「初圧 (mm)」、「ストローク (mm)」、「下死点手前 m/m」から求めたタワミ量";
    const QString otherSize = QStringLiteral("が大きすぎるため、計算できません。\rほかのサイズを選んでください。");
    const Case cases[] = {
        {Start::Loads, {{field::ProcessingPressure, huge(309)}}, field::ProcessingPressure, typedPrompt("圧力 (Kg)")},
        {Start::Loads,
         {{field::PlateThickness, ""}, {field::ProcessingLength, huge(200)}, {field::PlateThickness, huge(200)}},
         field::PlateThickness, "「板厚 (T)」、「加工長さ (L)」、「係数」から求めた「圧力 (Kg)」の値" + kTooLarge},
        {Start::Loads, {{field::SpringCount, huge(38)}}, field::SpringCount,
         "「初圧 (mm)」、「使用本数」から求めた荷重" + kTooLarge},
        {Start::Loads, {{field::RateN, "1D300"}, {field::InitialCompression, "2"}}, field::SizeList,
         "スプリングの「N/mm」から求めた荷重" + otherSize},
        {Start::Loads, {{field::Bite, huge(39)}}, field::Bite, startLoads + kTooLarge},
        {Start::Loads, {{field::Bite, "-" + huge(308)}}, field::Bite, startLoads + kTooLarge},
        // The start position is 0 and the final one too large.
        {Start::Loads, {{field::Stroke, "-" + huge(39)}, {field::Bite, "-" + huge(39)}}, field::Stroke,
         finalLoads + kTooLarge},
        {Start::Loads, {{field::Stroke, "-" + huge(308)}, {field::Bite, "-" + huge(308)}}, field::Stroke,
         finalLoads + kTooLarge},
        // The report makes a negative initial compression 0 first; the
        // drawing takes it as it stands.
        {Start::Loads, {{field::InitialCompression, "-" + huge(39)}}, field::InitialCompression,
         "「初圧 (mm)」、「使用本数」から求めた荷重" + kTooLarge, Refused::DrawingOnly},
        {Start::Crafted, {{field::Stroke, "-" + huge(308)}}, field::Stroke,
         "「初圧 (mm)」、「ストローク (mm)」から求めた圧縮長" + kTooLarge},
        {Start::Loads, {{field::FreeLength, "1.7976931348623157E+308"}}, field::SizeList,
         "スプリングの「長さ」から求めた圧縮長" + otherSize, Refused::DrawingOnly},
        {Start::Crafted, {{field::Bite, "0"}, {field::InitialCompression, "-" + huge(308)}, {field::Stroke, huge(308)}},
         field::InitialCompression, "「初圧 (mm)」から求めた設置長" + kTooLarge, Refused::DrawingOnly},
        // The set length's fifteen digits read back beyond a double, with
        // an ordinary free length.
        {Start::Loads,
         {{field::RateN, "1E-300"}, {field::RateKgf, "1E-300"}, {field::AllowedDeflection100, "1.7976931348623157E+308"},
          {field::Stroke, "-" + huge(300)}, {field::InitialCompression, "17976931348623155" + QString(292, u'0')}},
         field::InitialCompression, "「初圧 (mm)」、「ストローク (mm)」から求めた圧縮長" + kTooLarge, Refused::DrawingOnly},
        {Start::PressureOnly, {{field::Stroke, "-" + huge(39)}}, field::Stroke, finalLoads + kTooLarge},
        {Start::PressureOnly, {{field::StartBeforeBottom, huge(39)}}, field::StartBeforeBottom, partLoads + kTooLarge},
        {Start::PressureOnly,
         {{field::FreeLength, "1.79769313486232E+308"}, {field::InitialCompression, ""}, {field::Stroke, ""},
          {field::StartBeforeBottom, huge(44)}},
         field::SizeList, "スプリングの「長さ」から求めた圧縮長" + otherSize},
        {Start::NoSpringPressureOnly, {{field::InitialCompression, huge(308)}, {field::StartBeforeBottom, "-" + huge(308)}},
         field::InitialCompression, partCompression + kTooLarge},
        // The report's "0" in an empty initial compression works the
        // start out again from the distance, where one is given.
        {Start::NoSpringPressureOnly, {{field::Stroke, huge(39)}, {field::StartBeforeBottom, "1"}}, field::Stroke,
         partCompression + kTooLarge, Refused::ReportOnly},
        {Start::NoSpringPressureOnly, {{field::Stroke, huge(39)}}, field::Stroke, partCompression + kTooLarge,
         Refused::Neither},
        // And the loads wherever there are rates, and after the warning of
        // the judgement (both compressions 0) the start again.
        {Start::UnnamedPressureOnly, {{field::Stroke, "-" + huge(38)}}, field::Stroke, finalLoads + kTooLarge,
         Refused::ReportOnly},
        {Start::UnnamedPressureOnly,
         {{field::RateN, "1E-300"}, {field::RateKgf, "1E-300"}, {field::InitialCompression, "-" + huge(39)},
          {field::Stroke, huge(39)}, {field::StartBeforeBottom, huge(39)}},
         field::Stroke, partCompression + kTooLarge, Refused::ReportOnly},
        // What the report's "0" in an empty initial compression works out
        // again, printed or not.
        {Start::NoSpring, {{field::Bite, huge(15)}, {field::PlateThickness, "-899" + QString(305, u'0')}},
         field::PlateThickness, startCompression + kTooLarge, Refused::ReportOnly},
        {Start::NoSpring,
         {{field::Bite, huge(15)}, {field::PlateThickness, "-899" + QString(305, u'0')}, {field::InitialCompression, "-0.5"}},
         field::PlateThickness, startCompression + kTooLarge, Refused::ReportOnly},
        // Not the initial compression typed: the report's 0.
        {Start::Loads,
         {{field::RateN, "1E-300"}, {field::RateKgf, "1E-300"}, {field::ProcessingLength, ""}, {field::Bite, "0"},
          {field::InitialCompression, "-15" + QString(307, u'0')}, {field::Stroke, huge(308)},
          {field::PlateThickness, "-" + huge(308)}},
         field::PlateThickness, startLoads + kTooLarge, Refused::ReportOnly},
        // The judgement warns once the initial compression is 0, and the
        // bite's 0 works the loads out again.
        {Start::Loads,
         {{field::ProcessingLength, ""}, {field::PlateThickness, huge(37)}, {field::Bite, "-6" + QString(36, u'0')},
          {field::InitialCompression, "-4" + QString(36, u'0')}, {field::Stroke, "4" + QString(36, u'0')}},
         field::PlateThickness, startLoads + kTooLarge, Refused::ReportOnly},
        {Start::NoSpring, {{field::Bite, ""}, {field::InitialCompression, huge(308)},
                           {field::PlateThickness, "-7976931348623155" + QString(292, u'0')}},
         field::InitialCompression, startCompression + kTooLarge, Refused::ReportOnly},
        // Within a double, and then the final compression's fifteen digits
        // are a little more.
        {Start::NoSpring,
         {{field::InitialCompression, "1797693134862306" + QString(293, u'0')},
          {field::PlateThickness, "-8" + QString(293, u'0')}},
         field::InitialCompression, startCompression + kTooLarge},
        {Start::NoSpring,
         {{field::Stroke, huge(308)}, {field::InitialCompression, "-" + huge(308)},
          {field::PlateThickness, "-" + huge(308)}},
         field::PlateThickness, startCompression + kTooLarge, Refused::ReportOnly},
        // A start load of one spring in N over a count that small.
        {Start::PressureOnly, {{field::StartBeforeBottom, "3"}, {field::SpringCount, "0.001"}}, field::Stroke,
         partLoads + kTooLarge, Refused::Both, "1" + QString(306, u'0')},
        {Start::PressureOnly, {{field::StartBeforeBottom, "3"}, {field::SpringCount, "0.001"}, {field::Stroke, "-" + huge(13)}},
         field::Stroke, partLoads + kTooLarge, Refused::Both, "1" + QString(306, u'0')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        switch (c.start) {
        case Start::Loads: loadsExample(); break;
        case Start::Crafted: loadsExample(); spring("1E-300", "1E-300", "1.7E+308"); break;
        case Start::PressureOnly: pressureOnly(); break;
        case Start::NoSpring: noSpring(false); break;
        case Start::NoSpringPressureOnly: noSpring(true); break;
        case Start::UnnamedPressureOnly:
            noSpring(true);
            spring("20", "2");
            form().setText(field::SpringNo, "");
            click(field::UseCount100);
            break;
        }
        for (const auto& [box, value] : c.typed)
            type(box, value);
        if (c.startLoadN)
            form().setText(field::StartLoadN, *c.startLoadN);
        const bool drawingRefused = c.refused == Refused::Both || c.refused == Refused::DrawingOnly;
        const bool reportRefused = c.refused == Refused::Both || c.refused == Refused::ReportOnly;
        ui.boxes.clear();
        EXPECT_EQ(errorOf([&] { model->readyToDraw(); }), drawingRefused ? kErrOverflow : 0);
        if (drawingRefused)
            expectRefused(c.focus, c.prompt);
        ui.boxes.clear();
        const int errorCount = errors().size();
        const QString r = report();
        if (reportRefused) {
            EXPECT_EQ(r, "");
            expectRefused(c.focus, c.prompt);
            EXPECT_EQ(errors().size(), errorCount + 1);  // the report's own line only
        } else {
            EXPECT_TRUE(c.refused == Refused::Neither || !r.isEmpty());
            for (const MsgBoxCall& box : ui.boxes)
                EXPECT_FALSE(box.prompt.contains("計算でき")) << box.prompt.toStdString();
        }
    }
}

// Mode "part" prints neither the pressure nor the stripping force: whatever
// their boxes hold is not checked there, with ordinary numbers elsewhere or
// large ones.
TEST_F(Report, PressureOnlyLeavesThePressureUnchecked)
{
    for (const QString& count : {QStringLiteral("4"), "1" + QString(13, u'0')}) {
        pressureOnly();
        type(field::SpringCount, count);
        type(field::ProcessingPressure, "1" + QString(300, u'0'));
        ui.boxes.clear();
        EXPECT_TRUE(report().endsWith(" )"));
        EXPECT_EQ(ui.boxes, QList<MsgBoxCall>{});
        EXPECT_TRUE(model->readyToDraw());
    }
}

// Whatever the boxes hold, the report either refuses, naming the box that
// takes the focus, or is made without an error line (of its own or of a rule
// it runs again) and prints no value the rules failed to compute: random
// values from ordinary ones to beyond a double, in both modes, with and
// without a spring.
TEST_F(Report, WhatTheCheckLetsThroughIsReportedInFull)
{
    // Digits as typed: 2, -3, 1E+12, ..., 1.797693134862306E+308, -8E+293, 1E+309.
    QStringList values = {"", "0", "2", "-3"};
    for (const auto& [digits, zeros] : std::initializer_list<std::pair<const char*, int>>{
             {"1", 12}, {"-1", 13}, {"1", 19}, {"34", 37}, {"-1", 39}, {"1", 150}, {"-1", 155}, {"1", 300},
             {"1", 308}, {"-1", 308}, {"1797693134862306", 293}, {"-8", 293}, {"-17976931348623157", 292},
             {"1", 309}, {"-1", 357}})
        values << QString::fromLatin1(digits) + QString(zeros, u'0');
    const std::vector<Ctl> allBoxes = {field::PlateThickness,     field::ProcessingLength, field::ShearFactor,
                                       field::ProcessingPressure, field::StrippingPercent, field::InitialCompression,
                                       field::Stroke,             field::SpringCount,      field::Bite};
    const std::vector<Ctl> partBoxes = {field::ProcessingPressure, field::InitialCompression, field::Stroke,
                                        field::SpringCount, field::StartBeforeBottom};
    auto caption = [](Ctl box) {
        for (const auto& [b, c] : kTypedBoxes) {
            if (b == box)
                return "「" + QString::fromUtf8(c) + "」";
        }
        return QStringLiteral("「圧力 (Kg)」");
    };
    auto logged = [&](int from, const char* procedure) {
        return errors().mid(from).filter(QString::fromUtf8(procedure)).size();
    };
    std::mt19937 random(34);
    int refused = 0, made = 0;
    for (int i = 0; i < 300; ++i) {
        const bool part = random() % 2;
        const bool withSpring = random() % 4 != 0;
        noSpring(part);
        if (withSpring) {
            spring("20", "2");
            click(field::UseCount100);
        }
        for (Ctl box : part ? partBoxes : allBoxes) {
            if (random() % 4)
                type(box, values[random() % values.size()]);
        }
        SCOPED_TRACE(i);
        // What the rules can compute now replaces these.
        for (Ctl label : {field::InitialLoadKgf, field::StartLoadKgf, field::FinalLoadKgf, field::InitialLoadN,
                          field::StartLoadN, field::FinalLoadN, field::InitialSpringLoadKgf,
                          field::StartSpringLoadKgf, field::FinalSpringLoadKgf, field::CompressedLength})
            form().setText(label, "stale");
        for (QString* load : {&model->forces.InitialSpringLoadN, &model->forces.StartSpringLoadN,
                              &model->forces.FinalSpringLoadN})
            *load = "stale";
        const int rerun = errors().size();
        model->aturyoku_keisan2();
        model->assyuku_Hyoji();
        if (part)
            model->SpOnly();
        // The report writes "0" into an empty or negative initial
        // compression, and the rules run again from that.
        const QString& initial = text(field::InitialCompression);
        const int reported = errors().size();
        const int rules = initial.isEmpty() || initial.startsWith(u'-') ? reported : rerun;
        ui.boxes.clear();
        const QString r = report();
        if (!ui.boxes.isEmpty() && ui.boxes.first().prompt.contains("計算でき")) {
            ++refused;
            EXPECT_EQ(r, "");
            ASSERT_FALSE(screen.focus.isEmpty());
            EXPECT_TRUE(ui.boxes.first().prompt.contains(caption(screen.focus.last())))
                << ui.boxes.first().prompt.toStdString();
        } else {
            ++made;
            EXPECT_EQ(errors().mid(reported), QStringList{});
            // The labels it prints, with a spring only, are the rules' own.
            const bool startPrinted = part && valText(text(field::StartBeforeBottom)) > 0;
            EXPECT_EQ(withSpring ? logged(rules, "aturyoku_keisan2") + logged(rules, "assyuku")
                                       + (startPrinted ? logged(rules, "SpOnly") : 0)
                                 : 0,
                      0);
            EXPECT_FALSE(r.contains("stale")) << r.toStdString();
        }
    }
    EXPECT_GT(refused, 50);
    EXPECT_GT(made, 50);
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
