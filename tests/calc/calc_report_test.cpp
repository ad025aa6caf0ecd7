// The result report, its line count and the commands it switches, and the
// result box's own rules.
#include "calc_fixture.h"

using namespace tolvane;
using namespace tolvane::test;

namespace {

QString dashes(int left, const char* middle, int right)
{
    return QString(left, QLatin1Char('-')) + QLatin1Char(' ') + QString::fromUtf8(middle) + QLatin1Char(' ')
        + QString(right, QLatin1Char('-'));
}

QString joined(const QStringList& lines)
{
    return lines.join(QStringLiteral("\r\n"));
}

class Report : public CalcTest {
protected:
    void allValues()
    {
        spring("20", "2");
        click(Ctl::Option13);
        type(Ctl::Text2, "2");
        type(Ctl::Text4, "100");
        type(Ctl::Text11, "1");
        type(Ctl::Text10, "4");
        type(Ctl::Text9, "3");
        type(Ctl::Text3, "10");
    }
    void pressureOnly()
    {
        click(Ctl::Option2);
        spring("20", "2");
        click(Ctl::Option13);
        type(Ctl::Text9, "2");
        type(Ctl::Text3, "10");
    }
    bool dxfOn() { return form()[Ctl::imgOutputDXF].enabled; }
};

TEST_F(Report, AllValuesLineByLine)
{
    allValues();
    model->SaveState = "SaveOK";
    model->imgDisplayTxt_Click();
    const QString expected = joined({
        "加工長 = 100m/m",
        "板厚 = t2",
        "加工圧 = 7000kgf",
        QString::fromUtf16(u"必要ストリッピング力 (5\uFF05) = 350kgf"),
        "",
        "SWB20-100",
        "L = 100",
        "kg/mm = 2",
        "N/mm = 20",
        "圧縮長 = 87mm",
        "",
        dashes(10, "SPタワミ", 9),
        "初圧 = 3mm",
        "加工開始 = 10mm",
        "終圧 = 13mm",
        "",
        dashes(12, "kg", 12),
        "初圧 = 3mm --> 6kgX4=24kg",
        "加工開始 = 10mm --> 20kgX4=80kg",
        "終圧 = 13mm --> 26kgX4=104kg",
        "",
        dashes(13, "N", 11),
        "初圧 = 3mm --> 60NX4=240N",
        "加工開始 = 10mm --> 200NX4=800N",
        "終圧 = 13mm --> 260NX4=1040N",
        "",
        "ST = 10  ( 使用回数 100万回 )",
    });
    EXPECT_EQ(text(Ctl::Text1), expected);
    EXPECT_TRUE(text(Ctl::Text1).endsWith(" )"));
    EXPECT_EQ(model->CompFinalText, "13");
    EXPECT_EQ(model->CompStartText, "10");
    EXPECT_EQ(model->SaveState, "SaveNon");
    EXPECT_TRUE(dxfOn());
    EXPECT_EQ(form()[Ctl::imgOutputDXF].picture, "materials/output_dxf_off.gif");
    EXPECT_TRUE(form()[Ctl::imgSelectAll].enabled);
    EXPECT_EQ(form()[Ctl::imgSelectAll].picture, "materials/select_all_off.gif");
    for (Ctl m : {Ctl::mnuAllsel, Ctl::mnuPrint, Ctl::mnuSave2, Ctl::mnuDxf})
        EXPECT_TRUE(form()[m].enabled) << controlName(m).toStdString();
    // The report never enables copying; that follows the selection.
    EXPECT_FALSE(form()[Ctl::imgCopy].enabled);
    EXPECT_FALSE(form()[Ctl::mnuCopy].enabled);
    EXPECT_EQ(form()[Ctl::Text1].selStart, 0);
    EXPECT_TRUE(errors().isEmpty()) << errors().join('\n').toStdString();
}

TEST_F(Report, PressureOnlyWithoutAStartDistanceHasNoStartLines)
{
    pressureOnly();
    model->imgDisplayTxt_Click();
    const QString expected = joined({
        "SWB20-100",
        "L = 100",
        "kg/mm = 2",
        "N/mm = 20",
        "圧縮長 = 88mm",
        "",
        dashes(10, "SPタワミ", 9),
        "初圧 = 2mm",
        "終圧 = 12mm",
        "",
        dashes(12, "kg", 12),
        "初圧 = 2mm --> 4kgX1=4kg",
        "終圧 = 12mm --> 24kgX1=24kg",
        "",
        dashes(13, "N", 11),
        "初圧 = 2mm --> 40NX1=40N",
        "終圧 = 12mm --> 240NX1=240N",
        "",
        "ST = 10  ( 使用回数 100万回 )",
    });
    EXPECT_EQ(text(Ctl::Text1), expected);
    EXPECT_EQ(model->CompFinalText, "12");
    EXPECT_EQ(model->CompStartText, "12");
    EXPECT_TRUE(dxfOn());  // 19 lines
}

TEST_F(Report, PressureOnlyStartLoadPerSpringIsNotRounded)
{
    pressureOnly();
    type(Ctl::Text10, "3");
    type(Ctl::Text12, "3");
    form().setText(Ctl::Label60, "100");
    model->PartStartSpringLoadN = "before";
    model->imgDisplayTxt_Click();
    EXPECT_EQ(model->PartStartSpringLoadN, "33.3333333333333");
    EXPECT_TRUE(text(Ctl::Text1).contains("\r\n加工開始 = 9mm\r\n"));
    EXPECT_TRUE(text(Ctl::Text1).contains("\r\n加工開始 = 9mm --> 33.3333333333333NX3=100N\r\n"));
    EXPECT_TRUE(text(Ctl::Text1).contains("\r\n加工開始 = 9mm --> 18kgX3=54kg\r\n"));
}

TEST_F(Report, WithoutAStrokeTenLinesAndTheDxfButtonStaysOff)
{
    allValues();
    type(Ctl::Text3, "");
    model->imgDisplayTxt_Click();
    const QStringList lines = text(Ctl::Text1).split("\r\n");
    ASSERT_EQ(lines.size(), 11);  // ten lines, each with its CR LF
    EXPECT_EQ(lines[9], "圧縮長 = 97mm");
    EXPECT_EQ(lines[10], "");
    EXPECT_FALSE(dxfOn());
    EXPECT_TRUE(form()[Ctl::imgSelectAll].enabled);
    EXPECT_TRUE(form()[Ctl::mnuDxf].enabled);
}

TEST_F(Report, ASecondReportWithoutStrokeKeepsTheDxfButtonFromTheFirst)
{
    allValues();
    model->imgDisplayTxt_Click();
    ASSERT_TRUE(dxfOn());
    type(Ctl::Text3, "");
    model->imgDisplayTxt_Click();
    EXPECT_FALSE(text(Ctl::Text1).contains("SPタワミ"));
    EXPECT_TRUE(dxfOn());
    EXPECT_TRUE(form()[Ctl::mnuDxf].enabled);
}

TEST_F(Report, PressBlockLinesFollowTheFilledFields)
{
    type(Ctl::Text4, "100");
    spring("20", "2");
    model->imgDisplayTxt_Click();
    EXPECT_TRUE(text(Ctl::Text1).startsWith("加工長 = 100m/m\r\n\r\nSWB20-100\r\n"));

    type(Ctl::Text4, "");
    model->imgDisplayTxt_Click();
    EXPECT_TRUE(text(Ctl::Text1).startsWith("SWB20-100\r\n"));
}

TEST_F(Report, NoSpringChosen)
{
    type(Ctl::Text2, "2");
    type(Ctl::Text4, "100");
    model->imgDisplayTxt_Click();
    ASSERT_EQ(ui.boxes.size(), 1);
    EXPECT_EQ(ui.boxes[0].prompt, "スプリングが選択されていません。");
    EXPECT_EQ(ui.boxes[0].style, 64);
    EXPECT_EQ(ui.boxes[0].title, "警告");
    EXPECT_EQ(text(Ctl::Text1), QString::fromUtf16(u"加工長 = 100m/m\r\n板厚 = t2\r\n加工圧 = 7000kgf\r\n"
                                                   u"必要ストリッピング力 (5\uFF05) = 350kgf\r\n\r\n"));
    EXPECT_TRUE(form()[Ctl::imgSelectAll].enabled);
    EXPECT_TRUE(form()[Ctl::mnuPrint].enabled);
    EXPECT_FALSE(dxfOn());

    click(Ctl::Option2);
    model->imgDisplayTxt_Click();
    EXPECT_EQ(text(Ctl::Text1), "");
    EXPECT_FALSE(form()[Ctl::imgSelectAll].enabled);
    EXPECT_EQ(form()[Ctl::imgSelectAll].picture, "materials/select_all_disable.gif");
    EXPECT_FALSE(form()[Ctl::mnuDxf].enabled);
    EXPECT_FALSE(form()[Ctl::mnuSave2].enabled);
}

TEST_F(Report, AnEmptyInitialCompressionAndBiteBecomeZeroFirst)
{
    allValues();
    type(Ctl::Text9, "");
    type(Ctl::Text11, "");
    model->imgDisplayTxt_Click();
    EXPECT_EQ(text(Ctl::Text9), "0");
    EXPECT_EQ(text(Ctl::Text11), "0");
    EXPECT_EQ(text(Ctl::Label77), "---");  // the write ran the box's rules
    const QString report = text(Ctl::Text1);
    EXPECT_TRUE(report.contains("\r\n初圧 = 0mm\r\n"));
    EXPECT_TRUE(report.contains("\r\n初圧 = 0kg\r\n"));
    EXPECT_TRUE(report.contains("\r\n初圧 = 0N\r\n"));
    EXPECT_FALSE(report.contains("加工開始"));  // bite 0
}

TEST_F(Report, ANegativeStartCompressionIsPrintedAsItIs)
{
    allValues();
    type(Ctl::Text2, "10");
    type(Ctl::Text11, "5");
    type(Ctl::Text9, "2");
    model->imgDisplayTxt_Click();
    EXPECT_EQ(model->CompStartText, "-3");
    EXPECT_TRUE(text(Ctl::Text1).contains("\r\n加工開始 = -3mm\r\n"));
    EXPECT_TRUE(text(Ctl::Text1).contains("\r\n加工開始 = -3mm --> ---kgX4=---kg\r\n"));
}

// An input that is not a number no longer leaves a report that stops half-way.
TEST_F(Report, NonNumberInputsGiveACompleteReport)
{
    for (const char* bad : {"-", ".", "1.2.3"}) {
        SCOPED_TRACE(bad);
        allValues();
        type(Ctl::Text9, bad);
        model->imgDisplayTxt_Click();
        EXPECT_EQ(text(Ctl::Text9), "0");
        EXPECT_TRUE(text(Ctl::Text1).endsWith("ST = 10  ( 使用回数 100万回 )"));
        EXPECT_TRUE(text(Ctl::Text1).contains("\r\n初圧 = 0kg\r\n"));
    }
    allValues();
    type(Ctl::Text11, ".");
    model->imgDisplayTxt_Click();
    EXPECT_EQ(text(Ctl::Text11), "0");
    EXPECT_FALSE(text(Ctl::Text1).contains("加工開始"));
    EXPECT_TRUE(text(Ctl::Text1).endsWith(" )"));
    EXPECT_TRUE(errors().isEmpty()) << errors().join('\n').toStdString();
}

TEST_F(Report, PressureOnlyWithABadStartDistanceOrSpringCountIsComplete)
{
    pressureOnly();
    type(Ctl::Text12, "-");
    model->imgDisplayTxt_Click();
    EXPECT_FALSE(text(Ctl::Text1).contains("加工開始"));
    EXPECT_TRUE(text(Ctl::Text1).endsWith(" )"));

    for (const char* count : {"", "0"}) {
        SCOPED_TRACE(count);
        type(Ctl::Text12, "3");
        type(Ctl::Text10, count);
        model->imgDisplayTxt_Click();
        EXPECT_EQ(model->PartStartSpringLoadN, "---");
        EXPECT_TRUE(text(Ctl::Text1).contains(QStringLiteral("\r\n加工開始 = 9mm --> ---NX") + count + "=---N\r\n"));
        EXPECT_TRUE(text(Ctl::Text1).endsWith(" )"));
    }
    EXPECT_TRUE(errors().isEmpty()) << errors().join('\n').toStdString();
}

TEST_F(Report, AWarningDuringTheReportLeavesNoCompressionBlocks)
{
    // The "0" written into an empty bite runs its rules; the warning of the
    // judgement may empty the stroke before the first line.
    spring("20", "2", "100", "5", "6", "7");
    click(Ctl::Option13);
    type(Ctl::Text3, "5");
    model->imgDisplayTxt_Click();
    EXPECT_TRUE(ui.boxes.isEmpty());
    type(Ctl::Text9, "");
    form().setText(Ctl::Label28, "4");  // a tighter allowance, judged when the report writes "0"
    model->imgDisplayTxt_Click();
    ASSERT_EQ(ui.boxes.size(), 1);
    EXPECT_EQ(text(Ctl::Text3), "");
    EXPECT_FALSE(text(Ctl::Text1).contains("SPタワミ"));
    EXPECT_TRUE(text(Ctl::Text1).endsWith("圧縮長 = 100mm\r\n"));
}

// --- the result box ----------------------------------------------------------------

TEST_F(Report, EmptyingTheBoxSwitchesTheCommandsOffAndMarksItUnsaved)
{
    allValues();
    model->imgDisplayTxt_Click();
    model->Text1_Click("加工長");
    EXPECT_TRUE(form()[Ctl::imgCopy].enabled);
    EXPECT_EQ(form()[Ctl::imgCopy].picture, "materials/copy_off.gif");
    EXPECT_TRUE(form()[Ctl::mnuCut].enabled);
    model->SaveState = "SaveOK";
    model->Textbox1Clar();
    EXPECT_EQ(model->SaveState, "SaveNon");
    EXPECT_FALSE(form()[Ctl::imgCopy].enabled);
    EXPECT_EQ(form()[Ctl::imgCopy].picture, "materials/copy_disable.gif");
    for (Ctl m : {Ctl::mnuCopy, Ctl::mnuCut, Ctl::mnuAllsel, Ctl::mnuPrint, Ctl::mnuSave2})
        EXPECT_FALSE(form()[m].enabled) << controlName(m).toStdString();
    EXPECT_FALSE(form()[Ctl::imgSelectAll].enabled);
    // The DXF commands are not the result box's.
    EXPECT_TRUE(dxfOn());
    EXPECT_TRUE(form()[Ctl::mnuDxf].enabled);

    model->Text1_Click("");
    EXPECT_FALSE(form()[Ctl::mnuCopy].enabled);
    model->setDxfCommandsEnabled(false);
    EXPECT_FALSE(dxfOn());
    EXPECT_EQ(form()[Ctl::imgOutputDXF].picture, "materials/output_dxf_disable.gif");
    EXPECT_FALSE(form()[Ctl::mnuDxf].enabled);
}

TEST_F(Report, AMissingPictureIsOneErrorLineAndTheFlagStillChanges)
{
    allValues();
    model->imgDisplayTxt_Click();
    QFile::remove(materials("select_all_disable.gif"));
    model->com2_syori();
    EXPECT_FALSE(form()[Ctl::imgSelectAll].enabled);
    EXPECT_EQ(form()[Ctl::imgSelectAll].picture, "materials/select_all_off.gif");
    EXPECT_EQ(errors(), QStringList{QStringLiteral("■Err：[frmMain]-[com2_syori()]：ファイルが見つかりません。：エラー番号 -> 53")});
    // Already off: nothing is loaded again, so no second line.
    model->com2_syori();
    EXPECT_EQ(errors().size(), 1);
}

}  // namespace
