#include "diagram/dxfoutput.h"

#include "diagram/vornfile.h"
#include "diagram_fixtures.h"
#include "services/cp932.h"
#include "services/inifile.h"
#include "support/printers.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using test::FakeUi;
using test::FakeView;
using test::LogSandbox;
using test::sampleInputs;

SpringRecord sampleRecord()
{
    SpringRecord r;
    r.DxfKind = QStringLiteral("All");
    r.FreeLength = QStringLiteral("50.8");
    r.InitialCompression = QStringLiteral("5");
    r.Stroke = QStringLiteral("24");
    r.SetLength = QStringLiteral("45.8");
    r.CompressedLength = QStringLiteral("21.8");
    r.InitialLoadKgf = QStringLiteral("25");
    r.StartLoadKgf = QStringLiteral("127");
    r.FinalLoadKgf = QStringLiteral("145");
    r.StartDistance = QStringLiteral("3.6");
    return r;
}

QString line(const char* prefix, const QString& text)
{
    return QString::fromUtf8(prefix) + text;
}

class DxfOutputTest : public ::testing::Test {
protected:
    DxfOutput make(bool complete = true, ReportBlock block = ReportBlock::AllThreeLine)
    {
        return DxfOutput(sampleInputs(block), sampleRecord(), complete, ui, view);
    }
    QString path(const QString& name) const { return box.root() + QLatin1Char('/') + name; }

    LogSandbox box;
    FakeUi ui;
    FakeView view;
};

TEST_F(DxfOutputTest, OpeningMakesTheSettingsAndStartsTheBarAtZero)
{
    DxfOutput out = make();
    out.formLoad();
    EXPECT_TRUE(QFileInfo::exists(SettingsFilePath()));
    EXPECT_EQ(view.lastValue, 0);
    EXPECT_TRUE(out.createVornFile());  // the usual road writes both files
    EXPECT_FALSE(out.dxfCommandsOff());
}

TEST_F(DxfOutputTest, AnEmptyNameIsRefusedWithAMessageAndTheFocusInTheBox)
{
    DxfOutput out = make();
    out.imgOk_Click();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].prompt,
              QStringLiteral("スプリング線図の名称が入力されていません。\rもう一度 正しく入力してください。"));
    EXPECT_EQ(ui.boxes[0].style, 48);
    EXPECT_EQ(ui.boxes[0].title, QStringLiteral("Information"));
    EXPECT_EQ(view.focusCalls, 1);
    EXPECT_TRUE(ui.saveRequests.empty());
    EXPECT_TRUE(out.dxfText().isEmpty());
    EXPECT_TRUE(box.logMessages().isEmpty());
    EXPECT_TRUE(out.dxfCommandsOff());  // every OK turns the main window's DXF commands off
    EXPECT_FALSE(out.closed());
}

TEST_F(DxfOutputTest, CancelInTheSaveDialogKeepsTheDialogOpen)
{
    DxfOutput out = make();
    out.setDiagramName(QStringLiteral("   "));  // blanks only are a name
    out.imgOk_Click();
    ASSERT_EQ(ui.saveRequests.size(), 1u);
    const FileDialogRequest& r = ui.saveRequests[0];
    EXPECT_EQ(r.title, QStringLiteral("Select the destination file "));
    EXPECT_EQ(r.filter, QStringLiteral("All files (*.*)|*.*|dxf files (*.dxf)|*.dxf"));
    EXPECT_EQ(r.filterIndex, 2);
    EXPECT_EQ(r.defaultExt, QStringLiteral("txt"));
    EXPECT_TRUE(r.fileName.isEmpty());
    EXPECT_TRUE(r.overwritePrompt);
    EXPECT_EQ(box.logMessages(), (QStringList{
                                     QStringLiteral("□Eve：スプリング線図 [   ] のデータ生成開始"),
                                     QStringLiteral("□Eve：スプリング線図 [   ] のデータ生成完了"),
                                     QStringLiteral("□Eve：スプリング線図 [   ] のDXF出力をキャンセル"),
                                 }));
    EXPECT_FALSE(out.closed());
    EXPECT_EQ(view.closeCalls, 0);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(out.dxfCommandsOff());
    EXPECT_EQ(test::rowsOf(out.dxfText()).size(), 1872);
    // Eight progress runs, one after each writer, each back to 0 after.
    const std::vector<std::pair<int, int>> runs = {{0, 170}, {0, 100}, {0, 50}, {0, 180},
                                                   {0, 200}, {0, 135}, {0, 75}, {0, 300}};
    EXPECT_EQ(view.ranges, runs);
    EXPECT_EQ(view.eventPasses, 171 + 101 + 51 + 181 + 201 + 136 + 76 + 301);
    EXPECT_EQ(view.lastValue, 0);
}

TEST_F(DxfOutputTest, SavingWritesTheDrawingAndItsDataFileThenCloses)
{
    DxfOutput out = make();
    out.setDiagramName(QStringLiteral("プレス 1"));
    const QString dxf = path(QStringLiteral("press 1.dxf"));
    ui.saveAnswers = {dxf};
    out.imgOk_Click();

    EXPECT_EQ(test::readAll(dxf), encodeSpringDiagram(sampleInputs(), QStringLiteral("プレス 1")));
    EXPECT_EQ(test::readAll(path(QStringLiteral("press 1.vorn"))), encodeCp932(CreateVornData(sampleRecord())));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].prompt, dxf + QStringLiteral(" ：ファイルを保存しました。"));
    EXPECT_EQ(ui.boxes[0].style, 0);
    EXPECT_EQ(ui.boxes[0].title, QStringLiteral("保存完了"));
    const QString vorn = path(QStringLiteral("press 1.vorn"));
    EXPECT_EQ(box.logMessages(), (QStringList{
                                     QStringLiteral("□Eve：スプリング線図 [プレス 1] のデータ生成開始"),
                                     QStringLiteral("□Eve：スプリング線図 [プレス 1] のデータ生成完了"),
                                     QStringLiteral("□Eve：スプリング線図 [プレス 1]のVornデータ生成開始"),
                                     QStringLiteral("□Eve：スプリング線図 [プレス 1]のVornデータ生成完了"),
                                     line("□Eve：", vorn) + QStringLiteral(" ：スプリング線図 [プレス 1]のVornファイルを作成・保存"),
                                     line("□Eve：", dxf) + QStringLiteral(" ：スプリング線図 [プレス 1] をDXF形式で作成・保存"),
                                 }));
    EXPECT_EQ(view.ranges.back(), (std::pair<int, int>{0, 200}));
    EXPECT_EQ(view.eventPasses, 1218 + 201);
    EXPECT_TRUE(out.closed());
    EXPECT_EQ(view.closeCalls, 1);
    EXPECT_TRUE(out.dxfCommandsOff());
}

TEST_F(DxfOutputTest, OkAgainAfterACancelSavesOneDrawing)
{
    DxfOutput out = make();
    out.setDiagramName(QStringLiteral("a"));
    const QString dxf = path(QStringLiteral("a.dxf"));
    ui.saveAnswers = {QString(), dxf};
    out.imgOk_Click();
    EXPECT_FALSE(out.closed());
    out.imgOk_Click();
    EXPECT_TRUE(out.closed());
    const QByteArray bytes = test::readAll(dxf);
    EXPECT_EQ(bytes.count("\r\nEOF\r\n"), 1);
    EXPECT_EQ(bytes, encodeSpringDiagram(sampleInputs(), QStringLiteral("a")));
}

TEST_F(DxfOutputTest, WithoutTheCheckBoxNoDataFileIsWrittenOrDeleted)
{
    DxfOutput out = make();
    out.setDiagramName(QStringLiteral("a"));
    out.setCreateVornFile(false);
    test::writeAll(path(QStringLiteral("a.vorn")), "earlier data");
    ui.saveAnswers = {path(QStringLiteral("a.dxf"))};
    out.imgOk_Click();
    EXPECT_TRUE(out.closed());
    EXPECT_EQ(test::readAll(path(QStringLiteral("a.vorn"))), QByteArray("earlier data"));
    EXPECT_EQ(box.logMessages().size(), 3);
}

TEST_F(DxfOutputTest, AnIncompleteRecordGivesAnErrorLineButTheDrawingIsSaved)
{
    DxfOutput out = make(false);
    out.setDiagramName(QStringLiteral("a"));
    ui.saveAnswers = {path(QStringLiteral("a.dxf"))};
    out.imgOk_Click();
    EXPECT_TRUE(QFileInfo::exists(path(QStringLiteral("a.dxf"))));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("a.vorn"))));
    const QStringList log = box.logMessages();
    ASSERT_EQ(log.size(), 5);
    EXPECT_EQ(log[2], QStringLiteral("□Eve：スプリング線図 [a]のVornデータ生成開始"));
    EXPECT_TRUE(log[3].startsWith(QStringLiteral("■Err：[modDataEditor]-[CreateVornData()]：")));
    EXPECT_TRUE(log[4].endsWith(QStringLiteral("] をDXF形式で作成・保存")));
    EXPECT_TRUE(out.closed());
}

TEST_F(DxfOutputTest, ADrawingSavedAsDotVornKeepsItsContent)
{
    DxfOutput out = make();
    out.setDiagramName(QStringLiteral("a"));
    const QString dxf = path(QStringLiteral("plan.vorn"));
    ui.saveAnswers = {dxf};
    out.imgOk_Click();
    EXPECT_EQ(test::readAll(dxf), encodeSpringDiagram(sampleInputs(), QStringLiteral("a")));
    const QStringList log = box.logMessages();
    ASSERT_EQ(log.size(), 6);
    EXPECT_EQ(log[3], QStringLiteral("□Eve：スプリング線図 [a]のVornデータ生成完了"));
    EXPECT_TRUE(log[4].startsWith(QStringLiteral("■Err：[frmOutputDXF]-[CreateVornFile()]：")));
    EXPECT_TRUE(log[5].endsWith(QStringLiteral("] をDXF形式で作成・保存")));
    EXPECT_EQ(ui.boxes.back().title, QStringLiteral("保存完了"));
}

TEST_F(DxfOutputTest, AFailedWriteIsShownAndLoggedAsCancelled)
{
    DxfOutput out = make();
    out.setDiagramName(QStringLiteral("a"));
    const QString bad = path(QStringLiteral("missing folder/a.dxf"));
    ui.saveAnswers = {bad};
    out.imgOk_Click();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].prompt, bad + QStringLiteral(" ：ファイルを保存できませんでした。"));
    EXPECT_EQ(ui.boxes[0].style, 48);
    EXPECT_EQ(box.logMessages().last(), QStringLiteral("□Eve：スプリング線図 [a] のDXF出力をキャンセル"));
    EXPECT_FALSE(out.closed());
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("missing folder/a.vorn"))));
}

TEST_F(DxfOutputTest, AValueThatCannotBeDrawnSavesNothing)
{
    DiagramInputs in = sampleInputs();
    in.FreeLength = QStringLiteral("1e308");
    in.InitialCompression = QStringLiteral("-1e308");
    DxfOutput out(in, sampleRecord(), true, ui, view);
    out.setDiagramName(QStringLiteral("a"));
    ui.saveAnswers = {path(QStringLiteral("a.dxf"))};
    out.imgOk_Click();
    EXPECT_TRUE(ui.saveRequests.empty());
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("a.dxf"))));
    EXPECT_EQ(box.logMessages(), (QStringList{
                                     QStringLiteral("□Eve：スプリング線図 [a] のデータ生成開始"),
                                     QStringLiteral("■Err：[frmOutputDXF]-[Dxf_Data5()]：オーバーフローしました。：エラー番号 -> 6"),
                                 }));
    EXPECT_EQ(ui.boxes.size(), 1u);
    EXPECT_TRUE(out.dxfCommandsOff());
    EXPECT_FALSE(out.closed());
}

TEST_F(DxfOutputTest, WhileWritingButtonsAreOffAndACloseRequestWaits)
{
    DxfOutput out = make();
    out.setDiagramName(QStringLiteral("a"));
    int nested = 0;
    view.onEvents = [&] {
        if (nested++ == 10) {
            EXPECT_TRUE(out.writing());
            out.imgOk_Click();      // a second build cannot start inside the first
            out.imgCancel_Click();  // nor can the dialog go away under it
            EXPECT_FALSE(out.requestClose());
        }
    };
    out.imgOk_Click();  // cancelled in the save dialog
    EXPECT_EQ(view.writingStates, (std::vector<bool>{true, false}));
    EXPECT_EQ(box.logMessages().count(QStringLiteral("□Eve：スプリング線図 [a] のデータ生成開始")), 1);
    EXPECT_EQ(ui.saveRequests.size(), 1u);
    // The waiting close is carried out once the run is over.
    EXPECT_TRUE(out.closed());
    EXPECT_EQ(view.closeCalls, 1);
}

TEST_F(DxfOutputTest, CancelClosesWithoutALogLine)
{
    DxfOutput out = make();
    out.imgCancel_Click();
    EXPECT_TRUE(out.closed());
    EXPECT_EQ(view.closeCalls, 1);
    EXPECT_FALSE(out.dxfCommandsOff());
    EXPECT_TRUE(box.logMessages().isEmpty());
    EXPECT_EQ(view.writingStates, std::vector<bool>{});
}

}  // namespace
}  // namespace tolvane
