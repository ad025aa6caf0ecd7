#include "diagram/dxfoutput.h"

#include "diagram/vornwriter.h"
#include "diagram_fixtures.h"
#include "services/cp932.h"
#include "support/printers.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cerrno>

namespace tolvane {
namespace {

using test::sampleInputs;

SpringRecord sampleRecord()
{
    SpringRecord r;
    r.DxfKind = "All", r.FreeLength = "50.8", r.InitialCompression = "5", r.Stroke = "24", r.SetLength = "45.8";
    r.CompressedLength = "21.8", r.InitialLoadKgf = "25", r.StartLoadKgf = "127", r.FinalLoadKgf = "145";
    r.StartDistance = "3.6";
    return r;
}

class DxfOutputTest : public ::testing::Test {
protected:
    // An OK run with this name, the save dialog answering with the files given (none: cancelled).
    void run(const QString& name, const QStringList& answers = {}, bool complete = true,
             const DiagramInputs& in = sampleInputs(), bool dataFile = true)
    {
        out.emplace(in, sampleRecord(), complete, ui, view);
        out->setDiagramName(name);
        out->setCreateVornFile(dataFile);
        ui.saveAnswers = answers;
        out->imgOk_Click();
    }
    QString path(const QString& name) const { return box.root() + QLatin1Char('/') + name; }
    QString event(const QString& name, const char* what) const
    {
        return QStringLiteral("□Eve：スプリング線図 [") + name + QString::fromUtf8(what);
    }

    test::LogSandbox box;
    test::FakeUi ui;
    test::FakeView view;
    std::optional<DxfOutput> out;
};

TEST_F(DxfOutputTest, AnEmptyNameIsRefusedWithAMessageAndTheFocusInTheBox)
{
    run(QString());
    EXPECT_EQ(ui.boxes, (QList<test::MsgBoxCall>{
                            {"スプリング線図の名称が入力されていません。\rもう一度 正しく入力してください。", 48, "Information"}}));
    EXPECT_EQ(view.focusCalls, 1);
    EXPECT_TRUE(ui.saveRequests.empty());
    EXPECT_TRUE(box.logMessages().isEmpty());
    EXPECT_TRUE(out->dxfCommandsOff());  // every OK turns the main window's DXF commands off
    EXPECT_FALSE(out->closed());
}

TEST_F(DxfOutputTest, CancelInTheSaveDialogKeepsTheDialogOpen)
{
    run(QStringLiteral("   "));  // blanks only are a name
    ASSERT_EQ(ui.saveRequests.size(), 1u);
    const FileDialogRequest& r = ui.saveRequests[0];
    EXPECT_EQ(r.title, QStringLiteral("Select the destination file "));
    EXPECT_EQ(r.filter, QStringLiteral("All files (*.*)|*.*|dxf files (*.dxf)|*.dxf"));
    EXPECT_EQ(r.filterIndex, 2);
    EXPECT_EQ(r.defaultExt, QStringLiteral("dxf"));  // "press1" is saved as "press1.dxf"
    EXPECT_TRUE(r.overwritePrompt);
    EXPECT_EQ(box.logMessages(), (QStringList{event("   ", "] のデータ生成開始"), event("   ", "] のデータ生成完了"),
                                              event("   ", "] のDXF出力をキャンセル")}));
    EXPECT_FALSE(out->closed());
    EXPECT_TRUE(ui.boxes.empty());
    // Eight progress runs, one after each writer, each from 0 to its end and back to 0.
    const std::vector<std::pair<int, int>> runs = {{0, 170}, {0, 100}, {0, 50}, {0, 180},
                                                   {0, 200}, {0, 135}, {0, 75}, {0, 300}};
    EXPECT_EQ(view.ranges, runs);
    EXPECT_EQ(view.eventPasses, 1210 + 8);
    EXPECT_EQ(view.lastValue, 0);
}

TEST_F(DxfOutputTest, SavingWritesTheDrawingAndItsDataFileThenCloses)
{
    const QString dxf = path("press 1.dxf"), vorn = path("press 1.vorn");
    test::writeAll(vorn, "old content that is longer than the new one would be, surely much longer");
    run(QStringLiteral("プレス 1"), {dxf});
    EXPECT_EQ(test::readAll(dxf), encodeSpringDiagram(sampleInputs(), QStringLiteral("プレス 1")));
    EXPECT_EQ(test::readAll(vorn), encodeCp932(CreateVornData(sampleRecord())));
    EXPECT_EQ(ui.boxes, (QList<test::MsgBoxCall>{{dxf + QStringLiteral(" ：ファイルを保存しました。"), 0, "保存完了"}}));
    const QString name = QStringLiteral("プレス 1");
    EXPECT_EQ(box.logMessages(),
              (QStringList{event(name, "] のデータ生成開始"), event(name, "] のデータ生成完了"),
                           event(name, "]のVornデータ生成開始"), event(name, "]のVornデータ生成完了"),
                           "□Eve：" + vorn + QStringLiteral(" ：スプリング線図 [プレス 1]のVornファイルを作成・保存"),
                           "□Eve：" + dxf + QStringLiteral(" ：スプリング線図 [プレス 1] をDXF形式で作成・保存")}));
    EXPECT_EQ(view.ranges.back(), (std::pair<int, int>{0, 200}));
    EXPECT_EQ(view.closeCalls, 1);
}

TEST_F(DxfOutputTest, OkAgainAfterACancelSavesOneDrawingAndTheBoxOffKeepsTheDataFile)
{
    test::writeAll(path("a.vorn"), "earlier data");
    run("a", {QString(), path("a.dxf")}, true, sampleInputs(), false);
    EXPECT_FALSE(out->closed());
    out->imgOk_Click();
    EXPECT_TRUE(out->closed());
    EXPECT_EQ(test::readAll(path("a.dxf")), encodeSpringDiagram(sampleInputs(), "a"));
    EXPECT_EQ(test::readAll(path("a.vorn")), QByteArray("earlier data"));
    // Said so, as it no longer goes with the drawing beside it.
    EXPECT_EQ(ui.boxes, (QList<test::MsgBoxCall>{
                            {path("a.dxf") + QStringLiteral(" ：ファイルを保存しました。\r同じ名前の古いVornファイルが残っています。"
                                                             "この線図のデータではないため、合計圧力線図には使用しないでください。"),
                             kMbOk | kMbExclamation, "保存完了"}}));
}

// A data file its owner made read-only is neither replaced nor removed.
TEST_F(DxfOutputTest, AReadOnlyDataFileIsKeptAndSaidSo)
{
    test::writeAll(path("a.vorn"), "earlier data");
    ASSERT_TRUE(QFile(path("a.vorn")).setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    test::expectAsNonRoot(box.root(), [&] {
        run("a", {path("a.dxf")});
        const QString said = ui.boxes.value(0).prompt;
        const bool kept = test::readAll(path("a.vorn")) == "earlier data"
                          && said.contains(QStringLiteral("理由：") + vbErrorDescription(kErrPermissionDenied))
                          && said.endsWith(QStringLiteral("\r同じ名前の古いVornファイルを削除できませんでした。合計圧力線図には使用しないでください。"));
        if (!kept)
            std::fputs(said.toLocal8Bit().constData(), stderr);
        return kept;
    });
}

// A drawing saved without its data file says so and why, and a data file of
// that name from an earlier save goes: a total would add up its old loads.
TEST_F(DxfOutputTest, ADrawingSavedWithoutItsDataFileSaysWhyAndLeavesNoOldOne)
{
    struct Case {
        const char* what;
        const char* drawing;
        bool complete;
        bool unwritableLink;  // the old data file is a link to a place where no file can be made
        QString why;
        bool oldOneRemoved;
    };
    const Case cases[] = {
        {"an incomplete record", "a.dxf", false, false, QStringLiteral("スプリングデータが揃っていません。"), true},
        {"the drawing's own path", "a.vorn", true, false, QStringLiteral("VornファイルのパスがDXFファイルと同じです。"), false},
        {"a write that fails", "a.dxf", true, true, systemError(ENOENT).description(), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::LogSandbox fresh;
        ui = {};
        const QString dxf = fresh.root() + QStringLiteral("/") + QString::fromUtf8(c.drawing);
        const QString vorn = fresh.root() + QStringLiteral("/a.vorn");
        if (c.unwritableLink)
            ASSERT_TRUE(QFile::link(QStringLiteral("/proc/version"), vorn));
        else
            test::writeAll(vorn, "old loads");
        run("a", {dxf}, c.complete);
        EXPECT_EQ(test::readAll(dxf), encodeSpringDiagram(sampleInputs(), "a"));
        if (dxf != vorn) {
            EXPECT_FALSE(QFileInfo(vorn).exists() || QFileInfo(vorn).isSymLink());
        }
        const QString prompt = dxf + QStringLiteral(" ：ファイルを保存しました。\rVornファイルは作成されていません。\r理由：") + c.why
                               + (c.oldOneRemoved ? QStringLiteral("\r同じ名前の古いVornファイルは削除しました。") : QString());
        EXPECT_EQ(ui.boxes, (QList<test::MsgBoxCall>{{prompt, kMbOk | kMbExclamation, "保存完了"}}));
        const QStringList log = fresh.logMessages();
        EXPECT_EQ(log.contains("□Eve：" + vorn + QStringLiteral(" ：古いVornファイルを削除")), c.oldOneRemoved);
        EXPECT_TRUE(log.last().endsWith(QStringLiteral("] をDXF形式で作成・保存")));
        EXPECT_TRUE(out->closed());
    }
}

TEST_F(DxfOutputTest, AFailedWriteIsShownWithItsReasonAndLoggedAsCancelled)
{
    const QString bad = path("missing folder/a.dxf");
    run("a", {bad});
    const QString why = systemError(ENOENT).description();
    EXPECT_EQ(ui.boxes, (QList<test::MsgBoxCall>{{bad + QStringLiteral(" ：ファイルを保存できませんでした。\r") + why, 48, "Information"}}));
    EXPECT_EQ(box.logMessages().mid(2),
              (QStringList{QStringLiteral("■Err：[frmOutputDXF]-[SaveTextControl()]：") + why + QStringLiteral("：エラー番号 -> 76"),
                           event("a", "] のDXF出力をキャンセル")}));
    EXPECT_FALSE(out->closed());
}

TEST_F(DxfOutputTest, AValueThatCannotBeDrawnSavesNothing)
{
    DiagramInputs in = sampleInputs();
    in.FreeLength = "1e308", in.InitialCompression = "-1e308";
    run("a", {path("a.dxf")}, true, in);
    EXPECT_TRUE(ui.saveRequests.empty());
    EXPECT_EQ(box.logMessages(),
              (QStringList{event("a", "] のデータ生成開始"),
                           QStringLiteral("■Err：[frmOutputDXF]-[Dxf_Data5()]：オーバーフローしました。：エラー番号 -> 6")}));
    EXPECT_EQ(ui.boxes.size(), 1u);
    EXPECT_FALSE(out->closed());
}

TEST_F(DxfOutputTest, WhileWritingButtonsAreOffAndACloseRequestWaits)
{
    int nested = 0;
    view.onEvents = [&] {
        if (nested++ == 10) {
            EXPECT_TRUE(out->writing());
            out->imgOk_Click();      // a second build cannot start inside the first
            out->imgCancel_Click();  // nor can the dialog go away under it
            EXPECT_FALSE(out->requestClose());
        }
    };
    run("a");  // cancelled in the save dialog
    EXPECT_EQ(view.writingStates, (std::vector<bool>{true, false}));
    EXPECT_EQ(ui.saveRequests.size(), 1u);
    // The waiting close is carried out once the run is over.
    EXPECT_TRUE(out->closed());
    EXPECT_EQ(view.closeCalls, 1);
}

}  // namespace
}  // namespace tolvane
