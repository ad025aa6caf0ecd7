// The end command and the close box: the unsaved-result question and its
// answers, the end line, and the two ways of saving the report.
#include "frame/frametest.h"

namespace tolvane::test {
namespace {

const QString kEnd = QStringLiteral("□Eve：■----------------------------- Tolvane 終了 -----------------------------■");
const QString kReport = QStringLiteral("SWM20-50\r\nL = 50\r\nST = 10  ( 使用回数 50万回 )");

class ShutdownTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        started();
    }
    bool endLogged() { return sandbox.logMessages().contains(kEnd); }
};

TEST_F(ShutdownTest, AnEmptyResultNeverAsks)
{
    window->model().SaveState = QStringLiteral("SaveNon");
    window->mnuEnd_Click();
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(window->ended());
    EXPECT_EQ(sandbox.logMessages().last(), kEnd);
}

TEST_F(ShutdownTest, AnUnsavedResultAsksAndCancelDoesNothing)
{
    putReport(kReport);
    ui.answers = {kIdCancel};
    window->mnuEnd_Click();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].style, 51);
    EXPECT_EQ(ui.boxes[0].title, QStringLiteral("Vornの終了"));
    EXPECT_EQ(ui.boxes[0].prompt,
              QStringLiteral("計算結果が残っています。\r保存してから終了する場合は 『はい』 を このまま終了する場合は 『いいえ』 を押してください。"));
    EXPECT_FALSE(window->ended());
    EXPECT_FALSE(endLogged());
}

TEST_F(ShutdownTest, NoEndsWithTheEndLineAndStopsTheBanner)
{
    int cleaned = 0;
    window->hooks().cleanUpBanner = [&] { ++cleaned; };
    putReport(kReport);
    ui.answers = {kIdNo};
    window->mnuEnd_Click();
    EXPECT_TRUE(window->ended());
    EXPECT_EQ(sandbox.logMessages().last(), kEnd);
    EXPECT_EQ(cleaned, 1);
}

TEST_F(ShutdownTest, YesWithACancelledSaveKeepsTheWindow)
{
    putReport(kReport);
    window->show();
    ui.answers = {kIdYes};
    ui.saveAnswers = {std::nullopt};
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->ended());
    EXPECT_EQ(ui.boxes.size(), 1u);  // the question only
    ASSERT_EQ(ui.saveRequests.size(), 1u);
    EXPECT_EQ(ui.saveRequests[0].title, QStringLiteral("Select the destination file "));
    EXPECT_EQ(ui.saveRequests[0].filter, QStringLiteral("All files (*.*)|*.*|Text files|*.txt"));
    EXPECT_EQ(ui.saveRequests[0].filterIndex, 2);
    EXPECT_FALSE(endLogged());
}

TEST_F(ShutdownTest, CancelAtTheCloseBoxKeepsTheWindow)
{
    putReport(kReport);
    window->show();
    ui.answers = {kIdCancel};
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    // A close the system asks for is not held back.
    ui.answers = {kIdCancel};
    EXPECT_FALSE(window->Form_QueryUnload(1));
    EXPECT_FALSE(endLogged());
}

TEST_F(ShutdownTest, YesSavesTheReportAsItStandsAndEnds)
{
    putReport(kReport);
    const QString path = sandbox.root() + QStringLiteral("/result.txt");
    ui.answers = {kIdYes};
    ui.saveAnswers = {path};
    window->mnuEnd_Click();
    EXPECT_EQ(readAll(path), kReport.toUtf8());
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[1].title, QStringLiteral("保存完了"));
    EXPECT_EQ(ui.boxes[1].prompt, path + QStringLiteral(" にファイルを保存しました。"));
    EXPECT_EQ(ui.boxes[1].style, 0);
    const QStringList log = sandbox.logMessages();
    ASSERT_GE(log.size(), 2);
    EXPECT_EQ(log[log.size() - 2],
              QStringLiteral("□Eve：") + path + QStringLiteral(" ：フォーム内の計算結果をテキストファイルに保存し、アプリケーションを終了"));
    EXPECT_EQ(log.last(), kEnd);
    EXPECT_TRUE(window->ended());
}

TEST_F(ShutdownTest, YesWithAFailedWriteKeepsTheWindowAndTheOldFile)
{
    putReport(kReport);
    ui.answers = {kIdYes};
    ui.saveAnswers = {sandbox.root() + QStringLiteral("/no such folder/result.txt")};
    window->mnuEnd_Click();
    EXPECT_FALSE(window->ended());
    EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(ShutdownTest, ASavedResultEndsWithoutAsking)
{
    putReport(kReport);
    const QString path = sandbox.root() + QStringLiteral("/saved.txt");
    ui.saveAnswers = {path};
    window->mnuSave2_Click();
    EXPECT_EQ(window->model().SaveState, QStringLiteral("SaveOK"));
    EXPECT_EQ(readAll(path), (kReport + QStringLiteral("\r\n")).toUtf8());
    ASSERT_EQ(ui.saveRequests.size(), 1u);
    EXPECT_EQ(ui.saveRequests[0].filter, QStringLiteral("テキストファイル(*.txt)|*.txt|すべてのファイル(*.*)|*.*"));
    EXPECT_TRUE(ui.boxes.empty());  // no message on success
    window->mnuEnd_Click();
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(window->ended());
}

TEST_F(ShutdownTest, ACancelledSaveLeavesTheResultUnsaved)
{
    putReport(kReport);
    ui.saveAnswers = {std::nullopt};
    window->mnuSave2_Click();
    EXPECT_EQ(window->model().SaveState, QStringLiteral("SaveNon"));
    ui.answers = {kIdCancel};
    window->mnuEnd_Click();
    EXPECT_EQ(ui.boxes.size(), 1u);  // still asked
}

TEST_F(ShutdownTest, AFailedSaveSaysSoAndLeavesTheResultUnsaved)
{
    putReport(kReport);
    // The chosen name is a folder with a file in it: nothing can replace it.
    const QString path = sandbox.root() + QStringLiteral("/taken");
    QDir().mkpath(path);
    writeAll(path + QStringLiteral("/inside.txt"), "kept");
    ui.saveAnswers = {path};
    window->mnuSave2_Click();
    EXPECT_EQ(readAll(path + QStringLiteral("/inside.txt")), QByteArray("kept"));
    EXPECT_EQ(window->model().SaveState, QStringLiteral("SaveNon"));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].style, 16);
    EXPECT_TRUE(ui.boxes[0].prompt.contains(path));
    EXPECT_EQ(sandbox.logMessages().last(),
              QStringLiteral("■Err：[frmMain]-[mnuSave2_Click()]：パス名が無効です。：エラー番号 -> 75"));
}

TEST_F(ShutdownTest, TheSaveDialogKeepsWhatItWasLastGiven)
{
    putReport(kReport);
    const QString first = sandbox.root() + QStringLiteral("/first.txt");
    ui.saveAnswers = {first, std::nullopt};
    window->mnuSave2_Click();
    window->mnuSave2_Click();
    ASSERT_EQ(ui.saveRequests.size(), 2u);
    EXPECT_TRUE(ui.saveRequests[0].fileName.isEmpty());
    EXPECT_EQ(ui.saveRequests[1].fileName, first);  // starts at the file saved last

    // The shutdown's save sets up the same dialog, which stays so for the menu.
    form().setText(Ctl::Text1, kReport + QStringLiteral("!"));
    ui.answers = {kIdYes};
    ui.saveAnswers = {std::nullopt, std::nullopt};
    window->mnuEnd_Click();
    window->mnuSave2_Click();
    ASSERT_EQ(ui.saveRequests.size(), 4u);
    EXPECT_TRUE(ui.saveRequests[2].fileName.isEmpty());
    const FileDialogRequest& after = ui.saveRequests[3];
    EXPECT_EQ(after.filter, QStringLiteral("All files (*.*)|*.*|Text files|*.txt"));
    EXPECT_EQ(after.filterIndex, 2);
    EXPECT_EQ(after.title, QStringLiteral("Select the destination file "));
    EXPECT_TRUE(after.fileName.isEmpty());
    EXPECT_FALSE(window->ended());
}

TEST_F(ShutdownTest, ACutAfterSavingAsksAgain)
{
    putReport(kReport);
    ui.saveAnswers = {sandbox.root() + QStringLiteral("/saved.txt")};
    window->mnuSave2_Click();
    window->imgSelectAll_Click();
    window->mnuCut_Click();
    EXPECT_EQ(window->model().SaveState, QStringLiteral("SaveNon"));
}

}  // namespace
}  // namespace tolvane::test
