#include "diagram/springdiagram.h"

#include "diagram_fixtures.h"
#include "services/cp932.h"
#include "support/printers.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using test::allBlocks;
using test::entityHandles;
using test::groupOf;
using test::rowsOf;
using test::sampleInputs;
using test::textOf;

QStringList drawingRows(const DiagramInputs& in, const QString& name = QStringLiteral("プレス 1"))
{
    return rowsOf(buildSpringDiagram(in, name));
}

TEST(SpringDiagram, EachVariantHasItsRowCountAndClosesTheFile)
{
    const std::map<ReportBlock, int> expected = {{ReportBlock::AllTwoLine, 1486},
                                                 {ReportBlock::AllThreeLine, 1872},
                                                 {ReportBlock::PressureTwoLine, 1414},
                                                 {ReportBlock::PressureThreeLine, 1800}};
    for (ReportBlock block : allBlocks()) {
        const DiagramInputs in = sampleInputs(block);
        ASSERT_EQ(chooseReportBlock(in), block);
        const QString text = buildSpringDiagram(in, QStringLiteral("線図"));
        // Every row ends with CR LF and there is no other line end.
        EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n")));
        EXPECT_EQ(text.count(QStringLiteral("\r\n")), expected.at(block));
        EXPECT_EQ(text.count(QLatin1Char('\r')), expected.at(block));
        EXPECT_EQ(text.count(QLatin1Char('\n')), expected.at(block));
        const QStringList rows = rowsOf(text);
        ASSERT_EQ(rows.size(), expected.at(block));
        EXPECT_EQ(rows.mid(rows.size() - 4), (QStringList{"  0", "ENDSEC", "  0", "EOF"}));
        EXPECT_EQ(rows.count(QStringLiteral("EOF")), 1);
        // Rows come in pairs: a group code right-aligned in three places first.
        static const QRegularExpression code(QStringLiteral("^[ 0-9]{2}[0-9]$"));
        for (qsizetype i = 0; i < rows.size(); i += 2)
            ASSERT_TRUE(code.match(rows[i]).hasMatch()) << "row " << i + 1 << ": " << rows[i].toStdString();
        const auto entities = rows.indexOf(QStringLiteral("ENTITIES"));
        EXPECT_EQ(rows.mid(entities - 3, 4), (QStringList{"  0", "SECTION", "  2", "ENTITIES"}));
        EXPECT_EQ(rows.mid(entities + 1, 5), (QStringList{"  0", "TEXT", "  5", "B8", "  8"}));
    }
}

TEST(SpringDiagram, WritersAppendTheirFixedRunsOfRows)
{
    const SpringDiagram d(sampleInputs(ReportBlock::AllThreeLine), QStringLiteral("a"));
    const int fixed[] = {124, 155, 110, 210, 216, 326};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(rowsOf(d.stepText(i)).size(), fixed[i]) << diagramSteps()[i].writer;
    EXPECT_EQ(rowsOf(d.stepText(7)), (QStringList{"ENDSEC", "  0", "EOF"}));
    EXPECT_EQ(rowsOf(d.stepText(2)).first(), QStringLiteral("ENTITIES"));
    EXPECT_EQ(rowsOf(d.stepText(1)).last(), QStringLiteral("  2"));
    for (int i = 3; i < 6; ++i)
        EXPECT_EQ(rowsOf(d.stepText(i)).first(), QStringLiteral("LINE"));

    // The choice step: working-point group (172 + 160) before a three-line block.
    const std::map<ReportBlock, int> choice = {{ReportBlock::AllTwoLine, 342},
                                               {ReportBlock::AllThreeLine, 172 + 160 + 396},
                                               {ReportBlock::PressureTwoLine, 270},
                                               {ReportBlock::PressureThreeLine, 172 + 160 + 324}};
    for (ReportBlock block : allBlocks()) {
        const QStringList rows = rowsOf(SpringDiagram(sampleInputs(block), QStringLiteral("a")).stepText(6));
        EXPECT_EQ(rows.size(), choice.at(block));
        EXPECT_EQ(rows.last(), QStringLiteral("  0"));
    }
    // The DIMSTYLE record writes its text fields 3 to 7 as empty rows.
    const QStringList tables = rowsOf(d.stepText(1));
    const auto iso = tables.indexOf(QStringLiteral("ISO-25"));
    EXPECT_EQ(tables.mid(iso + 3, 10), (QStringList{"  3", "", "  4", "", "  5", "", "  6", "", "  7", ""}));
}

TEST(SpringDiagram, VariantChoiceFollowsModeAndProcessingStart)
{
    DiagramInputs in = sampleInputs(ReportBlock::AllThreeLine);
    for (const char* bite : {"0", "", "abc", "-1", "0.0"}) {
        in.Bite = QString::fromLatin1(bite);
        EXPECT_EQ(chooseReportBlock(in), ReportBlock::AllTwoLine) << bite;
    }
    in.Bite = QStringLiteral("0.5");
    EXPECT_EQ(chooseReportBlock(in), ReportBlock::AllThreeLine);
    in.Bite = QStringLiteral("2mm");  // the number at its start counts
    EXPECT_EQ(chooseReportBlock(in), ReportBlock::AllThreeLine);

    in.Option1 = false;
    in.Option2 = true;
    in.Bite = QStringLiteral("5");  // the bite no longer matters
    in.StartBeforeBottom.clear();
    EXPECT_EQ(chooseReportBlock(in), ReportBlock::PressureTwoLine);
    in.StartBeforeBottom = QStringLiteral("05");
    EXPECT_EQ(chooseReportBlock(in), ReportBlock::PressureThreeLine);

    // Without a mode the drawing ends after the dimensions, still closed.
    in.Option2 = false;
    const QStringList rows = drawingRows(in);
    EXPECT_EQ(rows.size(), 124 + 155 + 110 + 210 + 216 + 326 + 3);
    EXPECT_EQ(rows.last(), QStringLiteral("EOF"));
    // Both options set: one block only, or every handle would stand twice.
    in.Option1 = in.Option2 = true;
    in.Bite = QStringLiteral("0");
    EXPECT_EQ(chooseReportBlock(in), ReportBlock::AllTwoLine);
}

QStringList hexRun(int from, int to)
{
    QStringList out;
    for (int h = from; h <= to; ++h)
        out << QString::number(h, 16).toUpper();
    return out;
}

TEST(SpringDiagram, HandlesAreFixedPerVariantAndUnique)
{
    const QStringList diagram = QStringList{"B8", "B9", "BA", "BB", "BC", "BD", "BE", "BF", "C0", "2F", "C2", "C3",
                                            "C4", "C5", "C6"}
                                + hexRun(0xC7, 0xD2) + QStringList{"41"} + hexRun(0xDB, 0xE3)
                                + QStringList{"EC", "ED"};
    const QStringList working = hexRun(0xD4, 0xDA) + hexRun(0xE4, 0xEB);
    const std::map<ReportBlock, QStringList> expected = {
        {ReportBlock::AllTwoLine, diagram + hexRun(0x14B, 0x15D)},
        {ReportBlock::AllThreeLine, diagram + working + hexRun(0x161, 0x176)},
        {ReportBlock::PressureTwoLine, diagram + hexRun(0x166, 0x174)},
        {ReportBlock::PressureThreeLine, diagram + working + hexRun(0x177, 0x188)},
    };
    for (ReportBlock block : allBlocks()) {
        const QStringList handles = entityHandles(drawingRows(sampleInputs(block)));
        EXPECT_EQ(handles, expected.at(block));
        EXPECT_EQ(QSet<QString>(handles.begin(), handles.end()).size(), handles.size());
    }
}

TEST(SpringDiagram, LengthTextsAreComputedFromTheShownTexts)
{
    DiagramInputs in = sampleInputs();
    in.FreeLength = QStringLiteral("50.8");
    in.InitialCompression = QStringLiteral("5.1");
    QStringList rows = drawingRows(in);
    EXPECT_EQ(textOf(rows, "C9"), QStringLiteral("SET LENGTH 45.7"));
    EXPECT_EQ(textOf(rows, "ED"), QStringLiteral("5.1"));
    EXPECT_EQ(textOf(rows, "C5"), QStringLiteral("FREE LENGTH 50.8"));
    EXPECT_EQ(textOf(rows, "CE"), QStringLiteral("COMP.LENGTH 21.8"));
    EXPECT_EQ(textOf(rows, "EC"), QStringLiteral("24 ST"));
    EXPECT_EQ(textOf(rows, "BE"), QStringLiteral("K=2.5/mm"));
    EXPECT_EQ(textOf(rows, "41"), QStringLiteral("**"));

    in.FreeLength = QStringLiteral("40");
    in.InitialCompression = QStringLiteral("42");
    rows = drawingRows(in);
    EXPECT_EQ(textOf(rows, "C9"), QStringLiteral("SET LENGTH -2"));

    in.InitialCompression = QStringLiteral("5.0");
    in.FreeLength.clear();
    in.CompressedLength = QStringLiteral("---");
    in.Stroke.clear();
    rows = drawingRows(in);
    EXPECT_EQ(textOf(rows, "C9"), QStringLiteral("SET LENGTH -5"));
    EXPECT_EQ(textOf(rows, "ED"), QStringLiteral("5.0"));
    EXPECT_EQ(textOf(rows, "CE"), QStringLiteral("COMP.LENGTH ---"));
    EXPECT_EQ(textOf(rows, "EC"), QStringLiteral(" ST"));
}

TEST(SpringDiagram, LoadTextsAndTheDistanceOfTheWorkingPoint)
{
    DiagramInputs in = sampleInputs(ReportBlock::AllThreeLine);
    QStringList rows = drawingRows(in, QStringLiteral("プレス 1"));
    EXPECT_EQ(textOf(rows, "B8"), QStringLiteral("SWL 30-50"));
    EXPECT_EQ(textOf(rows, "B9"), QStringLiteral("プレス 1"));
    EXPECT_EQ(groupOf(rows, "B9", " 50"), QStringLiteral("0.000000004273037"));
    EXPECT_EQ(textOf(rows, "C3"), QStringLiteral("72.5kgX2=145kg"));
    EXPECT_EQ(textOf(rows, "C4"), QStringLiteral("12.5kgX2=25kg"));
    EXPECT_EQ(textOf(rows, "D7"), QStringLiteral("63.5kgX2=127kg"));
    EXPECT_EQ(textOf(rows, "DA"), QStringLiteral("WORKING POINT"));
    EXPECT_EQ(textOf(rows, "EB"), QStringLiteral("3.6mm"));  // 1.6 + 2
    EXPECT_EQ(groupOf(rows, "BC", " 11"), QStringLiteral("380.42882851662489"));
    EXPECT_EQ(groupOf(rows, "BC", " 21"), QStringLiteral("203.21936223135421"));

    in.PlateThickness = QStringLiteral("3.0");
    in.Bite = QStringLiteral("2.0");
    EXPECT_EQ(textOf(drawingRows(in), "EB"), QStringLiteral("5mm"));
    in.PlateThickness.clear();
    in.Bite = QStringLiteral("2.50");
    EXPECT_EQ(textOf(drawingRows(in), "EB"), QStringLiteral("2.5mm"));

    // Pressure only: the distance before the bottom is copied as typed.
    in = sampleInputs(ReportBlock::PressureThreeLine);
    for (const char* typed : {"5.0", "05"}) {
        in.StartBeforeBottom = QString::fromLatin1(typed);
        EXPECT_EQ(textOf(drawingRows(in), "EB"), QString::fromLatin1(typed) + QStringLiteral("mm"));
    }
}

TEST(SpringDiagram, ReportColumnsCarryTheReportLines)
{
    QStringList rows = drawingRows(sampleInputs(ReportBlock::AllThreeLine));
    EXPECT_EQ(textOf(rows, "161"), QStringLiteral("加工長 = 120m/m"));
    EXPECT_EQ(textOf(rows, "162"), QStringLiteral("板厚 = t1.6"));
    EXPECT_EQ(textOf(rows, "163"), QStringLiteral("加工圧 = 6720 kgf"));
    EXPECT_EQ(textOf(rows, "164"), QStringLiteral("必要ストリッピング力 (5％) = 336 kgf"));
    EXPECT_EQ(textOf(rows, "165"), QStringLiteral("SWL 30-50"));
    EXPECT_EQ(textOf(rows, "16A"), QStringLiteral("---------- SPタワミ ---------"));
    EXPECT_EQ(textOf(rows, "16B"), QStringLiteral("初圧 = 5mm"));
    EXPECT_EQ(textOf(rows, "16C"), QStringLiteral("加工開始 = 25.4mm"));
    EXPECT_EQ(textOf(rows, "16F"), QStringLiteral("初圧 = 5mm --> 12.5kgX2=25kg"));
    EXPECT_EQ(textOf(rows, "170"), QStringLiteral("加工開始 = 25.4mm --> 63.5kgX2=127kg"));
    EXPECT_EQ(textOf(rows, "174"), QStringLiteral("加工開始 = 25.4mm --> 622.73NX2=1245.46N"));
    EXPECT_EQ(textOf(rows, "175"), QStringLiteral("終圧 = 29mm --> 710.99NX2=1421.98N"));
    EXPECT_EQ(textOf(rows, "176"), QStringLiteral("ST = 24  ( 使用回数 100万回 )"));
    EXPECT_EQ(groupOf(rows, "176", " 20"), QStringLiteral("-242.60830144606109"));
    EXPECT_EQ(groupOf(rows, "161", " 10"), QStringLiteral("173.61709410639509"));

    // The two-line block has no processing-start lines whatever they would say.
    rows = drawingRows(sampleInputs(ReportBlock::AllTwoLine));
    EXPECT_FALSE(rows.join(QLatin1Char('\n')).contains(QStringLiteral("加工開始")));
    EXPECT_EQ(textOf(rows, "15D"), QStringLiteral("ST = 24  ( 使用回数 100万回 )"));

    // Pressure only: the start load of one spring in N is its own value.
    rows = drawingRows(sampleInputs(ReportBlock::PressureThreeLine));
    EXPECT_EQ(textOf(rows, "186"), QStringLiteral("加工開始 = 25.4mm --> 622.7333NX2=1245.46N"));
    EXPECT_EQ(textOf(rows, "177"), QStringLiteral("SWL 30-50"));
    EXPECT_EQ(textOf(rows, "188"), QStringLiteral("ST = 24  ( 使用回数 100万回 )"));

    DiagramInputs in = sampleInputs(ReportBlock::PressureThreeLine);
    in.StartSpringLoadKgf = in.StartLoadKgf = QStringLiteral("---");
    in.CompStartText = QStringLiteral("3");
    rows = drawingRows(in);
    EXPECT_EQ(textOf(rows, "182"), QStringLiteral("加工開始 = 3mm --> ---kgX2=---kg"));
    in.SpringNo.clear();
    rows = drawingRows(in);
    EXPECT_EQ(textOf(rows, "177"), QString());
    EXPECT_EQ(textOf(rows, "B8"), QString());
}

// An empty initial compression is none; a number is compared with 0; any
// other text is a compression and copied; no variant ever loses a row.
TEST(SpringDiagram, ZeroTestIsDecidedBeforeAnyRowAndKeepsTheFileWhole)
{
    for (ReportBlock block : allBlocks()) {
        const int size = drawingRows(sampleInputs(block)).size();
        for (const char* zero : {"0", "0.0", "-0", "00", ""}) {
            DiagramInputs in = sampleInputs(block);
            in.InitialCompression = QString::fromLatin1(zero);
            const QStringList rows = drawingRows(in);
            ASSERT_EQ(rows.size(), size) << zero;
            EXPECT_EQ(textOf(rows, "C4"), QStringLiteral("0 kg")) << zero;
            EXPECT_EQ(textOf(rows, "ED"), QStringLiteral("0")) << zero;
            EXPECT_EQ(groupOf(rows, "BC", " 11"), QStringLiteral("305.20523263257382"));
            EXPECT_EQ(groupOf(rows, "BC", " 21"), QStringLiteral("203.2193622313541"));
            EXPECT_EQ(groupOf(rows, "BC", " 20"), QStringLiteral("203.2193622313541"));
            const QString all = rows.join(QLatin1Char('\n'));
            EXPECT_TRUE(all.contains(QStringLiteral("\n初圧 = 0mm\n"))) << zero;
            EXPECT_TRUE(all.contains(QStringLiteral("\n初圧 = 0kg\n"))) << zero;
            EXPECT_TRUE(all.contains(QStringLiteral("\n初圧 = 0N\n"))) << zero;
        }
        const std::pair<const char*, const char*> others[] = {
            {"abc", "50.8"}, {"-", "50.8"}, {"1.2.3", "49.6"}, {" ", "50.8"}};
        for (const auto& [other, setLength] : others) {
            DiagramInputs in = sampleInputs(block);
            in.InitialCompression = QString::fromLatin1(other);
            const QStringList rows = drawingRows(in);
            ASSERT_EQ(rows.size(), size) << other;
            EXPECT_EQ(rows.mid(rows.size() - 3), (QStringList{"ENDSEC", "  0", "EOF"}));
            EXPECT_EQ(textOf(rows, "C4"), QStringLiteral("12.5kgX2=25kg")) << other;
            EXPECT_EQ(textOf(rows, "ED"), QString::fromLatin1(other)) << other;
            EXPECT_EQ(groupOf(rows, "BC", " 11"), QStringLiteral("380.42882851662489"));
            EXPECT_TRUE(rows.contains(QStringLiteral("初圧 = ") + QString::fromLatin1(other) + QStringLiteral("mm")));
            // The set length still reads the number at the text's start.
            EXPECT_EQ(textOf(rows, "C9"), QStringLiteral("SET LENGTH ") + QString::fromLatin1(setLength));
        }
    }
    EXPECT_FALSE(isZeroCompression(QStringLiteral("1e999")));
    EXPECT_FALSE(isZeroCompression(QStringLiteral("0.001")));
}

TEST(SpringDiagram, ControlCharactersBecomeBlanksSoNoRowSplits)
{
    DiagramInputs in = sampleInputs();
    in.SpringNo = QStringLiteral("SWL\r\n30");
    in.UseCountText = QStringLiteral("100万回\t");
    const QStringList rows = drawingRows(in, QStringLiteral("線\r\n図\x01"));
    ASSERT_EQ(rows.size(), 1872);
    EXPECT_EQ(textOf(rows, "B9"), QStringLiteral("線  図 "));
    EXPECT_EQ(textOf(rows, "B8"), QStringLiteral("SWL  30"));
    EXPECT_EQ(textOf(rows, "176"), QStringLiteral("ST = 24  ( 使用回数 100万回  )"));
    EXPECT_EQ(withoutControlCharacters(QStringLiteral("a\x7f" "b")), QStringLiteral("a b"));
}

TEST(SpringDiagram, FileBytesAreCodePage932)
{
    const QByteArray bytes = encodeSpringDiagram(sampleInputs(), QStringLiteral("線図 \U0001F600"));
    // The title: 線図 in code page 932, the emoji it cannot hold as "?".
    EXPECT_TRUE(bytes.contains(QByteArray("  1\r\n") + QByteArray::fromHex("90fc907d") + " ?\r\n"));
    EXPECT_TRUE(bytes.contains(QByteArray("\r\n---------- ") + QByteArray::fromHex("5350835e838f837e") + " ---------\r\n"));
    EXPECT_TRUE(bytes.contains(QByteArray::fromHex("8f8988b3") + " = 5mm\r\n"));  // 初圧
    EXPECT_TRUE(bytes.startsWith("  0\r\nSECTION\r\n  2\r\nTABLES\r\n"));
    EXPECT_TRUE(bytes.endsWith("  0\r\nENDSEC\r\n  0\r\nEOF\r\n"));
    EXPECT_EQ(decodeCp932(bytes), buildSpringDiagram(sampleInputs(), QStringLiteral("線図 ?")));
}

TEST(SpringDiagram, NumbersBeyondRangeRefuseTheWholeDrawing)
{
    DiagramInputs in = sampleInputs();
    in.FreeLength = QStringLiteral("1e308");
    in.InitialCompression = QStringLiteral("-1e308");
    try {
        SpringDiagram d(in, QStringLiteral("a"));
        FAIL() << "no error";
    } catch (const DiagramError& e) {
        EXPECT_EQ(e.writer, QStringLiteral("Dxf_Data5"));
        EXPECT_EQ(e.error.number(), 6);
    }
    in = sampleInputs();
    in.PlateThickness = QStringLiteral("1e308");
    in.Bite = QStringLiteral("1e308");
    try {
        SpringDiagram d(in, QStringLiteral("a"));
        FAIL() << "no error";
    } catch (const DiagramError& e) {
        EXPECT_EQ(e.writer, QStringLiteral("Dxf_Data8"));
    }
    // The same sum is never made in a drawing without a working point.
    in.Bite = QStringLiteral("0");
    EXPECT_NO_THROW(SpringDiagram(in, QStringLiteral("a")));
}

}  // namespace
}  // namespace tolvane
