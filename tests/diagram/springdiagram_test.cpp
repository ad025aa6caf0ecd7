#include "diagram/springdiagram.h"

#include "diagram_fixtures.h"
#include "services/cp932.h"
#include "support/printers.h"

#include <QCryptographicHash>

#include <gtest/gtest.h>

#include <map>
#include <tuple>

namespace tolvane {
namespace {

using test::groupOf;
using test::sampleInputs;

QStringList drawingRows(const DiagramInputs& in, const QString& name = QStringLiteral("プレス 1"))
{
    return test::rowsOf(buildSpringDiagram(in, name));
}

// Every row other than a text is a constant (group codes, handles, colours,
// coordinates): a digit lost from an embedded fragment still gives a file that
// loads, so the drawing with every text value blanked is pinned per variant and
// per form of the initial-load leader. The digests were computed from the
// drawing's row tables by a separate script, not from this program's output.
QByteArray fixedRowsDigest(const QStringList& drawing)
{
    QStringList rows = drawing;
    for (qsizetype i = 1; i < rows.size(); i += 2) {
        if (rows[i - 1] == QLatin1String("  1"))
            rows[i].clear();
    }
    const QByteArray bytes = (rows.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1();
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

struct Variant {
    int rows, choiceStepRows;
    QByteArray digestWithCompression, digestWithout;
};
const std::map<ReportBlock, Variant> kVariants = {
    {ReportBlock::AllTwoLine, {1500, 342,
      "a3b5a4db1029c81d4256b1b7e9b6da544acb1a89b9f7e1f91abf46705fad263d",
      "f4f37a9ac8d6e61aeb186f1845b6da5448fbd68adbc1819336af8620c265f2bc"}},
    {ReportBlock::AllThreeLine, {1886, 172 + 160 + 396,
      "2e47e319b6a5b74369294eee9d85adf2620858b729a411efe11c380a2703fc9e",
      "ad0b1cca9eed4ad70d81105fb544154d6668be44598b987efc5a80290e0c94c2"}},
    {ReportBlock::PressureTwoLine, {1428, 270,
      "548206a9cba4b78aca874d37ca11e31666353d7c846e96b04c4ba28c7e3dd21f",
      "923540fa9d547eb75efd02ee6284b1b6d388274932095c6ac9bc6867a0d1a8d6"}},
    {ReportBlock::PressureThreeLine, {1814, 172 + 160 + 324,
      "01e5599695831f61d4187d6a90c2c7d666eaf0c6f0b084149aaa9cf703bac9e4",
      "9a7f8b4b9c893ad268e03b33ee7bd84661b002aa1b5035c8e2b93f3b37c51888"}},
};

// The digest pins the handles, the closing rows and every row's CR LF; what it
// leaves to this test is that no text holds a line end of its own, and how the
// rows are shared out among the writers (the progress steps).
TEST(SpringDiagram, EachVariantHasItsRowsAndItsSteps)
{
    for (ReportBlock block : test::kAllBlocks) {
        const Variant& v = kVariants.at(block);
        const DiagramInputs in = sampleInputs(block);
        ASSERT_EQ(chooseReportBlock(in), block);
        const SpringDiagram d(in, QStringLiteral("線図"));
        const QString text = d.text();
        EXPECT_EQ(text.count(QStringLiteral("\r\n")), v.rows);
        EXPECT_EQ(text.count(QLatin1Char('\r')) + text.count(QLatin1Char('\n')), 2 * v.rows);
        EXPECT_EQ(fixedRowsDigest(test::rowsOf(text)), v.digestWithCompression);
        EXPECT_EQ(test::rowsOf(d.stepText(6)).size(), v.choiceStepRows);
    }
    // The writers before the choice append fixed runs, the first after the
    // header that names the texts' code page; the last one closes.
    const SpringDiagram d(sampleInputs(), QStringLiteral("a"));
    EXPECT_TRUE(d.stepText(0).startsWith(QStringLiteral("  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$ACADVER\r\n  1\r\n"
                                                        "AC1009\r\n  9\r\n$DWGCODEPAGE\r\n  3\r\nANSI_932\r\n  0\r\n"
                                                        "ENDSEC\r\n  0\r\nSECTION\r\n  2\r\nTABLES\r\n")));
    const int fixed[] = {14 + 124, 155, 110, 210, 216, 326};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(test::rowsOf(d.stepText(i)).size(), fixed[i]) << diagramSteps()[i].writer;
    EXPECT_EQ(d.stepText(7), QStringLiteral("ENDSEC\r\n  0\r\nEOF\r\n"));
}

TEST(SpringDiagram, VariantChoiceFollowsModeAndProcessingStart)
{
    struct Case {
        bool option1, option2;
        const char *bite, *startBeforeBottom;
        ReportBlock expected;
    };
    const Case cases[] = {
        {true, false, "0", "5", ReportBlock::AllTwoLine},      {true, false, "", "", ReportBlock::AllTwoLine},
        {true, false, "abc", "", ReportBlock::AllTwoLine},     {true, false, "-1", "", ReportBlock::AllTwoLine},
        {true, false, "0.5", "", ReportBlock::AllThreeLine},   {true, false, "2mm", "", ReportBlock::AllThreeLine},
        {false, true, "5", "", ReportBlock::PressureTwoLine},  {false, true, "0", "05", ReportBlock::PressureThreeLine},
        // Both options set: one block only, or every handle would stand twice.
        {true, true, "0", "5", ReportBlock::AllTwoLine},
    };
    for (const Case& c : cases) {
        DiagramInputs in = sampleInputs();
        in.ModeAll = c.option1, in.ModePart = c.option2, in.Bite = c.bite, in.StartBeforeBottom = c.startBeforeBottom;
        EXPECT_EQ(chooseReportBlock(in), c.expected) << c.bite << " " << c.startBeforeBottom;
    }
}

TEST(SpringDiagram, TextsCarryTheResult)
{
    DiagramInputs in = sampleInputs(ReportBlock::AllThreeLine);
    in.InitialCompression = "5.1";
    QStringList rows = drawingRows(in);
    const std::pair<const char*, QString> texts[] = {
        {"B8", "SWL 30-50"}, {"B9", "プレス 1"}, {"BE", "K=2.5/mm"}, {"C3", "72.5kgX2=145kg"},
        {"C4", "12.5kgX2=25kg"}, {"C5", "FREE LENGTH 50.8"}, {"C9", "SET LENGTH 45.7"}, {"CE", "COMP.LENGTH 21.8"},
        {"EC", "24 ST"}, {"ED", "5.1"}, {"41", "**"}, {"D7", "63.5kgX2=127kg"}, {"DA", "WORKING POINT"},
        {"EB", "3.6mm"},  // 1.6 + 2
        {"161", "加工長 = 120m/m"}, {"162", "板厚 = t1.6"}, {"163", "加工圧 = 6720 kgf"},
        {"164", "必要ストリッピング力 (5％) = 336 kgf"}, {"16B", "初圧 = 5.1mm"}, {"16C", "加工開始 = 25.4mm"},
        {"16F", "初圧 = 5.1mm --> 12.5kgX2=25kg"}, {"170", "加工開始 = 25.4mm --> 63.5kgX2=127kg"},
        {"174", "加工開始 = 25.4mm --> 622.73NX2=1245.46N"}, {"175", "終圧 = 29mm --> 710.99NX2=1421.98N"},
        {"176", "ST = 24  ( 使用回数 100万回 )"},
    };
    for (const auto& [handle, text] : texts)
        EXPECT_EQ(groupOf(rows, handle), text) << handle;

    in.FreeLength = "40", in.InitialCompression = "42";
    EXPECT_EQ(groupOf(drawingRows(in), "C9"), QStringLiteral("SET LENGTH -2"));

    // The two-line block has no processing-start lines whatever they would say.
    rows = drawingRows(sampleInputs(ReportBlock::AllTwoLine));
    EXPECT_FALSE(rows.join(QLatin1Char('\n')).contains(QStringLiteral("加工開始")));
    EXPECT_EQ(groupOf(rows, "15D"), QStringLiteral("ST = 24  ( 使用回数 100万回 )"));
    // Pressure only: the distance is copied as typed, the start load of one spring in N is its own value.
    in = sampleInputs(ReportBlock::PressureThreeLine);
    in.StartBeforeBottom = "05";
    rows = drawingRows(in);
    EXPECT_EQ(groupOf(rows, "EB"), QStringLiteral("05mm"));
    EXPECT_EQ(groupOf(rows, "186"), QStringLiteral("加工開始 = 25.4mm --> 622.7333NX2=1245.46N"));
    EXPECT_EQ(groupOf(rows, "188"), QStringLiteral("ST = 24  ( 使用回数 100万回 )"));
}

// An empty initial compression is none; a number is compared with 0; any
// other text is a compression and copied (the dimension alone reads its
// leading number); no variant ever loses a row.
TEST(SpringDiagram, ZeroTestIsDecidedBeforeAnyRowAndKeepsTheFileWhole)
{
    for (ReportBlock block : test::kAllBlocks) {
        for (const char* zero : {"0", "0.0", "-0", "00", ""}) {
            DiagramInputs in = sampleInputs(block);
            in.InitialCompression = zero;
            const QStringList rows = drawingRows(in);
            EXPECT_EQ(fixedRowsDigest(rows), kVariants.at(block).digestWithout) << zero;
            EXPECT_EQ(groupOf(rows, "C4"), QStringLiteral("0 kg")) << zero;
            EXPECT_EQ(groupOf(rows, "ED"), QStringLiteral("0")) << zero;
            for (const char* line : {"初圧 = 0mm", "初圧 = 0kg", "初圧 = 0N"})
                EXPECT_TRUE(rows.contains(QString::fromUtf8(line))) << zero << line;
        }
        // The dimension text takes the number at the text's start: "-", "." and a blank are no compression.
        const std::tuple<const char*, const char*, const char*> others[] = {
            {"abc", "50.8", "0"}, {"-", "50.8", "0"}, {".", "50.8", "0"}, {" ", "50.8", "0"}, {"1.2.3", "49.6", "1.2.3"}};
        for (const auto& [other, setLength, dimension] : others) {
            DiagramInputs in = sampleInputs(block);
            in.InitialCompression = other;
            const QStringList rows = drawingRows(in);
            EXPECT_EQ(fixedRowsDigest(rows), kVariants.at(block).digestWithCompression) << other;
            EXPECT_EQ(groupOf(rows, "C4"), QStringLiteral("12.5kgX2=25kg")) << other;
            EXPECT_EQ(groupOf(rows, "ED"), QString::fromLatin1(dimension)) << other;
            EXPECT_TRUE(rows.contains(QStringLiteral("初圧 = ") + QString::fromLatin1(other) + QStringLiteral("mm")));
            // The set length still reads the number at the text's start.
            EXPECT_EQ(groupOf(rows, "C9"), QStringLiteral("SET LENGTH ") + QString::fromLatin1(setLength));
        }
    }
    EXPECT_FALSE(isZeroCompression(QStringLiteral("1e999")));
    EXPECT_FALSE(isZeroCompression(QStringLiteral("0.001")));
}

TEST(SpringDiagram, ControlCharactersBecomeBlanksSoNoRowSplits)
{
    DiagramInputs in = sampleInputs();
    in.SpringNo = "SWL\r\n30";
    in.UseCountText = QStringLiteral("100万回\t\x7f");
    const QStringList rows = drawingRows(in, QStringLiteral("線\r\n図\x01"));
    ASSERT_EQ(rows.size(), 1886);
    EXPECT_EQ(groupOf(rows, "B9"), QStringLiteral("線  図 "));
    EXPECT_EQ(groupOf(rows, "B8"), QStringLiteral("SWL  30"));
    EXPECT_EQ(groupOf(rows, "176"), QStringLiteral("ST = 24  ( 使用回数 100万回   )"));
}

TEST(SpringDiagram, FileBytesAreCodePage932)
{
    const QByteArray bytes = encodeSpringDiagram(sampleInputs(), QStringLiteral("線図 \U0001F600"));
    // The title: 線図 in code page 932, the emoji it cannot hold as "?".
    EXPECT_TRUE(bytes.contains(QByteArray("  1\r\n") + QByteArray::fromHex("90fc907d") + " ?\r\n"));
    EXPECT_TRUE(bytes.contains("\r\n---------- " + QByteArray::fromHex("5350835e838f837e") + " ---------\r\n"));
    EXPECT_EQ(decodeCp932(bytes), buildSpringDiagram(sampleInputs(), QStringLiteral("線図 ?")));
}

TEST(SpringDiagram, ASumBeyondRangeRefusesTheWholeDrawing)
{
    DiagramInputs in = sampleInputs();
    in.PlateThickness = "1e308", in.Bite = "1e308";
    try {
        SpringDiagram d(in, QStringLiteral("a"));
        FAIL() << "no error";
    } catch (const DiagramError& e) {
        EXPECT_EQ(e.writer, QStringLiteral("Dxf_Data8"));
        EXPECT_EQ(e.error.number(), 6);
    }
    // The same sum is never made in a drawing without a working point.
    in.Bite = "0";
    EXPECT_NO_THROW(SpringDiagram(in, QStringLiteral("a")));
}

}  // namespace
}  // namespace tolvane
