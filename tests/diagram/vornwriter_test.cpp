#include "diagram/vornwriter.h"

#include "diagram_fixtures.h"
#include "services/cp932.h"
#include "support/printers.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace tolvane {
namespace {

TEST(VornFile, ContentIsTheRecordLineAndFourNotesByteForByte)
{
    const QByteArray notes = QByteArray::fromHex(
        "967b837483408343838b82cd817920546f6c76616e6520817a82c982e682c182c490b690ac82b382ea82bd82e082cc82c582b781420d0a"
        "817920546f6c76616e6520817a82c583588376838a8393834f82cc88b397cd90fc907d82f0445846837483408343838b8f6f97cd82b782"
        "e98ddb82c981410d0a445846837483408343838b82c693af82b68f6f97cd90e682c993af82b696bc8fcc82c58dec90ac82b382ea82dc82"
        "b781420d0a95a1909482cc88b397cd90fc907d82a982e781418d878c7688b397cd90fc907d82f0445846837483408343838b8f6f97cd82"
        "b782e98ddb82c98e67977082b582dc82b78142");
    SpringRecord r;
    r.DxfKind = "SppOnly", r.FreeLength = "50", r.InitialCompression = "5", r.Stroke = "10", r.SetLength = "45";
    r.CompressedLength = "35", r.InitialLoadKgf = "12.5", r.FinalLoadKgf = "20.5";
    EXPECT_EQ(encodeCp932(CreateVornData(r)),
              QByteArray("CreatedByVORN,SppOnly,50,5,10,45,35,12.5,,20.5,\r\n\r\n") + notes);

    r.DxfKind = "All", r.InitialCompression = "5.0", r.StartLoadKgf = "---", r.StartDistance = "3.6";
    EXPECT_TRUE(CreateVornData(r).startsWith("CreatedByVORN,All,50,5.0,10,45,35,12.5,---,20.5,3.6\r\n\r\n"));
    // Blanks and tabs around a number (a pasted cell's) are not written: the
    // file totals with one of the numbers typed plainly.
    r.FreeLength = " 50", r.InitialCompression = "\t5.0", r.Stroke = "10\t ";
    EXPECT_TRUE(CreateVornData(r).startsWith("CreatedByVORN,All,50,5.0,10,45,35,12.5,---,20.5,3.6\r\n\r\n"));
}

TEST(VornFile, NameAndFolderComeFromTheDrawingsPath)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/work/press 1.dxf", "/work/press 1.vorn"}, {"/work/a.b.dxf", "/work/a.b.vorn"},
        {"/work/plan", "/work/plan.vorn"}, {"/p.dxf", "/p.vorn"},  // one separator in the root, not two
    };
    for (const auto& [dxf, vorn] : cases)
        EXPECT_EQ(vornFilePath(DripFileName(dxf), DripFolderName(dxf)), QString::fromUtf8(vorn));
}

TEST(VornFile, AFolderThatCannotBeWrittenGivesAnErrorLineWithTheRealReason)
{
    test::LogSandbox box;
    const QString notAFolder = box.root() + QStringLiteral("/file");
    test::writeAll(notAFolder, "x");
    const std::optional<VbError> failure = CreateVornFile("data", "p", notAFolder, "a", notAFolder + QStringLiteral("/p.dxf"));
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->number(), kErrPathNotFound);
    EXPECT_EQ(box.logMessages(), QStringList{QStringLiteral("■Err：[frmOutputDXF]-[CreateVornFile()]：パスが見つかりません。（")
                                             + systemErrorWords(ENOTDIR) + QStringLiteral("）：エラー番号 -> 76")});
}

}  // namespace
}  // namespace tolvane
