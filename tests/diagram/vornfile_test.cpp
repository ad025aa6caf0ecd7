#include "diagram/vornfile.h"

#include "diagram_fixtures.h"
#include "services/cp932.h"
#include "support/printers.h"
#include "support/sandbox.h"

#include <QDir>

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using Sandbox = test::LogSandbox;

const QByteArray kNotes = QByteArray::fromHex(
    "967b837483408343838b82cd817920546f6c76616e6520817a82c982e682c182c490b690ac82b382ea82bd82e082cc82c582b781420d0a"
    "817920546f6c76616e6520817a82c583588376838a8393834f82cc88b397cd90fc907d82f0445846837483408343838b8f6f97cd82b782"
    "e98ddb82c981410d0a445846837483408343838b82c693af82b68f6f97cd90e682c993af82b696bc8fcc82c58dec90ac82b382ea82dc82"
    "b781420d0a95a1909482cc88b397cd90fc907d82a982e781418d878c7688b397cd90fc907d82f0445846837483408343838b8f6f97cd82"
    "b782e98ddb82c98e67977082b582dc82b78142");

SpringRecord pressureOnlyRecord()
{
    SpringRecord r;
    r.DxfKind = QStringLiteral("SppOnly");
    r.FreeLength = QStringLiteral("50");
    r.InitialCompression = QStringLiteral("5");
    r.Stroke = QStringLiteral("10");
    r.SetLength = QStringLiteral("45");
    r.CompressedLength = QStringLiteral("35");
    r.InitialLoadKgf = QStringLiteral("12.5");
    r.FinalLoadKgf = QStringLiteral("20.5");
    return r;
}

TEST(VornFile, ContentIsTheRecordLineAndFourNotesByteForByte)
{
    const QByteArray bytes = encodeCp932(CreateVornData(pressureOnlyRecord()));
    EXPECT_EQ(bytes, QByteArray("CreatedByVORN,SppOnly,50,5,10,45,35,12.5,,20.5,\r\n\r\n") + kNotes);
    // The last character is the full stop of the last note, with no line end.
    EXPECT_TRUE(CreateVornData(pressureOnlyRecord()).endsWith(QStringLiteral("使用します。")));

    const QString emptied = CreateVornData(SpringRecord{});
    EXPECT_TRUE(emptied.startsWith(QStringLiteral("CreatedByVORN,,,,,,,,,,\r\n\r\n")));

    SpringRecord all = pressureOnlyRecord();
    all.DxfKind = QStringLiteral("All");
    all.InitialCompression = QStringLiteral("5.0");  // copied, never normalised
    all.StartLoadKgf = QStringLiteral("---");
    all.StartDistance = QStringLiteral("3.6");
    EXPECT_TRUE(CreateVornData(all).startsWith(QStringLiteral("CreatedByVORN,All,50,5.0,10,45,35,12.5,---,20.5,3.6\r\n")));
}

TEST(VornFile, NameAndFolderComeFromTheDrawingsPath)
{
    EXPECT_EQ(DripFileName(QStringLiteral("/work/press 1.dxf")), QStringLiteral("press 1"));
    EXPECT_EQ(DripFolderName(QStringLiteral("/work/press 1.dxf")), QStringLiteral("/work"));
    EXPECT_EQ(DripFileName(QStringLiteral("/work/a.b.dxf")), QStringLiteral("a.b"));
    EXPECT_EQ(DripFileName(QStringLiteral("/work/plan.txt")), QStringLiteral("plan"));
    EXPECT_EQ(DripFileName(QStringLiteral("/work/plan")), QStringLiteral("plan"));
    EXPECT_EQ(vornFilePath(QStringLiteral("press 1"), QStringLiteral("/work")), QStringLiteral("/work/press 1.vorn"));
    EXPECT_EQ(vornFilePath(QStringLiteral("a.b"), QStringLiteral("/work")), QStringLiteral("/work/a.b.vorn"));
    // A drawing in the root folder: one separator, not two.
    EXPECT_EQ(vornFilePath(DripFileName(QStringLiteral("/p.dxf")), DripFolderName(QStringLiteral("/p.dxf"))),
              QStringLiteral("/p.vorn"));
}

TEST(VornFile, WritesBesideTheDrawingReplacingAnOldOne)
{
    Sandbox box;
    const QString dxf = box.root() + QStringLiteral("/press 1.dxf");
    const QString vorn = box.root() + QStringLiteral("/press 1.vorn");
    test::writeAll(vorn, "old content that is longer than the new one would be, surely longer");
    const QString data = CreateVornData(pressureOnlyRecord());
    ASSERT_TRUE(CreateVornFile(data, DripFileName(dxf), DripFolderName(dxf), QStringLiteral("線図"), dxf));
    EXPECT_EQ(test::readAll(vorn), encodeCp932(data));
    EXPECT_EQ(box.logMessages(),
              QStringList{QStringLiteral("□Eve：") + vorn + QStringLiteral(" ：スプリング線図 [線図]のVornファイルを作成・保存")});
}

TEST(VornFile, NeverReplacesTheDrawingItBelongsTo)
{
    Sandbox box;
    const QString dxf = box.root() + QStringLiteral("/plan.vorn");
    test::writeAll(dxf, "  0\r\nEOF\r\n");
    EXPECT_FALSE(CreateVornFile(CreateVornData(pressureOnlyRecord()), DripFileName(dxf), DripFolderName(dxf),
                                QStringLiteral("a"), dxf));
    EXPECT_EQ(test::readAll(dxf), QByteArray("  0\r\nEOF\r\n"));
    const QStringList log = box.logMessages();
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].startsWith(QStringLiteral("■Err：[frmOutputDXF]-[CreateVornFile()]：")));
    EXPECT_TRUE(log[0].endsWith(QStringLiteral("：エラー番号 -> 58")));
}

TEST(VornFile, AFolderThatCannotBeWrittenGivesAnErrorLine)
{
    Sandbox box;
    const QString notAFolder = box.root() + QStringLiteral("/file");
    test::writeAll(notAFolder, "x");
    EXPECT_FALSE(CreateVornFile(QStringLiteral("data"), QStringLiteral("p"), notAFolder, QStringLiteral("a"),
                                notAFolder + QStringLiteral("/p.dxf")));
    EXPECT_EQ(box.logMessages(),
              QStringList{QStringLiteral("■Err：[frmOutputDXF]-[CreateVornFile()]：書き込みできません。：エラー番号 -> 70")});
}

}  // namespace
}  // namespace tolvane
