// The end command and the close box: the unsaved-result question and its
// answers, the end line, and the two ways of saving the report.
#include "frame/frametest.h"
#include "services/vberror.h"

#include <cerrno>

namespace tolvane::test {
namespace {

const QString kReport = QStringLiteral("SWM20-50\r\nL = 50\r\nST = 10  ( 使用回数 50万回 )");
const QString kShutdownTitle = QStringLiteral("Select the destination file ");
const QString kShutdownFilter = QStringLiteral("All files (*.*)|*.*|Text files|*.txt");

class ShutdownTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        started();
        putReport(kReport);
    }
};

TEST_F(ShutdownTest, AnEmptyOrSavedResultNeverAsks)
{
    for (const auto& [text, state] : {std::pair{QString(), "SaveNon"}, std::pair{kReport, "SaveOK"}}) {
        window.reset();
        started();
        form().setText(field::ReportText, text);
        window->model().SaveState = QString::fromLatin1(state);
        window->mnuEnd_Click();
        EXPECT_TRUE(ui.boxes.empty()) << state;
        EXPECT_TRUE(window->ended()) << state;
        EXPECT_EQ(sandbox.logMessages().last(), kEnd);
    }
}

// The question with each answer, whichever way the end comes: the end
// command, the close box, or the system ending the session.
enum class Way { EndCommand, CloseBox, SessionEnd };
struct QuestionCase {
    const char* name;
    Way way;
    int answer;
    bool ends, endLine, saved;
};
void PrintTo(const QuestionCase& c, std::ostream* os) { *os << c.name; }
class ShutdownQuestion : public ShutdownTest, public ::testing::WithParamInterface<QuestionCase> {};

TEST_P(ShutdownQuestion, IsAskedAndAnswered)
{
    const QuestionCase& c = GetParam();
    const QString path = sandbox.root() + QStringLiteral("/result.txt");
    int cleaned = 0;
    window->hooks().cleanUpBanner = [&] { ++cleaned; };
    window->show();
    ui.answers = {c.answer};
    ui.saveAnswers = {path};
    switch (c.way) {
    case Way::EndCommand: window->mnuEnd_Click(); break;
    case Way::CloseBox: EXPECT_EQ(window->close(), c.ends); break;
    case Way::SessionEnd: EXPECT_FALSE(window->Form_QueryUnload(3)); break;  // the session is not held back
    }
    Boxes boxes{{QStringLiteral("計算結果が残っています。\r保存してから終了する場合は 『はい』 を このまま終了する場合は 『いいえ』 を押してください。"),
                 51, QStringLiteral("Vornの終了")}};
    if (c.saved)
        boxes.append({path + QStringLiteral(" にファイルを保存しました。"), 0, QStringLiteral("保存完了")});
    EXPECT_EQ(ui.boxes, boxes);
    EXPECT_EQ(window->ended(), c.ends);
    if (c.way != Way::SessionEnd) {  // else the system closes the window
        EXPECT_EQ(window->isVisible(), !c.ends);
    }
    const QStringList log = sandbox.logMessages();
    EXPECT_EQ(log.contains(kEnd), c.endLine);
    if (c.saved) {
        const QString saved = QStringLiteral("□Eve：") + path + QStringLiteral(" ：フォーム内の計算結果をテキストファイルに保存し、アプリケーションを終了");
        EXPECT_EQ(log.mid(log.size() - 2), (QStringList{saved, kEnd}));
    }
    EXPECT_EQ(readAll(path), c.saved ? kReport.toUtf8() : QByteArray());
    EXPECT_EQ(cleaned, c.answer == kIdNo ? 1 : 0);  // the banner is stopped on No only
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ShutdownQuestion,
    ::testing::Values(QuestionCase{"EndCommandYes", Way::EndCommand, kIdYes, true, true, true},
                      QuestionCase{"EndCommandNo", Way::EndCommand, kIdNo, true, true, false},
                      QuestionCase{"EndCommandCancel", Way::EndCommand, kIdCancel, false, false, false},
                      QuestionCase{"CloseBoxYes", Way::CloseBox, kIdYes, true, true, true},
                      QuestionCase{"CloseBoxNo", Way::CloseBox, kIdNo, true, true, false},
                      QuestionCase{"CloseBoxCancel", Way::CloseBox, kIdCancel, false, false, false},
                      QuestionCase{"SessionEndYes", Way::SessionEnd, kIdYes, true, true, true},
                      QuestionCase{"SessionEndNo", Way::SessionEnd, kIdNo, true, true, false},
                      // The system's end is not held back: the window goes without the end line.
                      QuestionCase{"SessionEndCancel", Way::SessionEnd, kIdCancel, true, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShutdownTest, YesWithACancelledOrFailedSaveKeepsTheWindow)
{
    window->show();
    ui.answers = {kIdYes, kIdYes};
    ui.saveAnswers = {QString(), sandbox.root() + QStringLiteral("/no such folder/result.txt")};
    EXPECT_FALSE(window->close());
    window->mnuEnd_Click();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->ended());
    EXPECT_EQ(ui.boxes.size(), 2u);  // the questions only
    ASSERT_EQ(ui.saveRequests.size(), 2u);
    EXPECT_EQ(ui.saveRequests[0].title, kShutdownTitle);
    EXPECT_EQ(ui.saveRequests[0].filter, kShutdownFilter);
    EXPECT_EQ(ui.saveRequests[0].filterIndex, 2);
    EXPECT_FALSE(sandbox.logMessages().contains(kEnd));
}

TEST_F(ShutdownTest, OnlyAWrittenSaveCountsAsSaved)
{
    ui.saveAnswers = {QString()};
    window->mnuSave2_Click();
    EXPECT_EQ(window->model().SaveState, QStringLiteral("SaveNon"));
    EXPECT_EQ(ui.saveRequests[0].filter, QStringLiteral("テキストファイル(*.txt)|*.txt|すべてのファイル(*.*)|*.*"));

    const QString path = sandbox.root() + QStringLiteral("/saved.txt");
    ui.saveAnswers = {path};
    window->mnuSave2_Click();
    EXPECT_EQ(window->model().SaveState, QStringLiteral("SaveOK"));
    EXPECT_EQ(readAll(path), (kReport + QStringLiteral("\r\n")).toUtf8());
    EXPECT_TRUE(ui.boxes.empty());  // no message on success

    // A cut changes the result: it is unsaved again.
    window->imgSelectAll_Click();
    window->mnuCut_Click();
    EXPECT_EQ(window->model().SaveState, QStringLiteral("SaveNon"));
}

TEST_F(ShutdownTest, AFailedSaveSaysWhyAndLeavesTheResultUnsaved)
{
    const QString path = sandbox.root() + QStringLiteral("/old.txt");
    writeAll(path, "old");
    ui.saveAnswers = {path};
    putReport(QString(40000, QLatin1Char('x')));
    {
        FileSizeLimit fullDisk(20000);  // room for the log, not for the report
        window->mnuSave2_Click();
    }
    const QString why = vbErrorDescription(kErrDiskFull) + QStringLiteral("（") + systemErrorWords(EFBIG) + QStringLiteral("）");
    EXPECT_EQ(readAll(path), QByteArray("old"));
    EXPECT_EQ(window->model().SaveState, QStringLiteral("SaveNon"));
    EXPECT_EQ(ui.boxes, (Boxes{{QStringLiteral("計算結果を保存できませんでした。\r") + path + u'\r' + why, 16, QStringLiteral("保存エラー")}}));
    EXPECT_EQ(sandbox.logMessages().last(),
              QStringLiteral("■Err：[frmMain]-[mnuSave2_Click()]：") + why + QStringLiteral("：エラー番号 -> 61"));
}

TEST_F(ShutdownTest, TheSaveDialogKeepsWhatItWasLastGiven)
{
    const QString first = sandbox.root() + QStringLiteral("/first.txt");
    ui.saveAnswers = {first, QString()};
    window->mnuSave2_Click();
    window->mnuSave2_Click();
    EXPECT_EQ(ui.saveRequests.at(1).fileName, first);  // starts at the file saved last

    // The shutdown's save sets up the same dialog, which stays so for the menu.
    form().setText(field::ReportText, kReport + QStringLiteral("!"));
    ui.answers = {kIdYes};
    ui.saveAnswers = {QString(), QString()};
    window->mnuEnd_Click();
    window->mnuSave2_Click();
    const FileDialogRequest& after = ui.saveRequests.at(3);
    EXPECT_EQ(after.title, kShutdownTitle);
    EXPECT_TRUE(after.fileName.isEmpty());
}

}  // namespace
}  // namespace tolvane::test
