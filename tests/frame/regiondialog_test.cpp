// The region dialogs and what they keep in Settings.ini.

#include "banner_fakes.h"

#include "frame/regiondialog.h"
#include "services/folders.h"
#include "services/inifile.h"
#include "support/sandbox.h"

#include <QComboBox>
#include <QPushButton>

#include <gtest/gtest.h>

namespace tolvane::test {
namespace {

using banner::RecordingUi;

class RegionDialogs : public ::testing::Test {
protected:
    QString data(const char* key) { return GetINIValue(QStringLiteral("Data"), QString::fromLatin1(key)); }
    void expectTheChoiceAsked()
    {
        ASSERT_EQ(ui_.boxes.size(), 1);
        EXPECT_EQ(ui_.boxes[0].prompt, QStringLiteral("お住いの地域を選択してください。"));
        EXPECT_EQ(ui_.boxes[0].style, 48);
        EXPECT_EQ(ui_.boxes[0].title, QStringLiteral("Information"));
    }

    banner::LoggedSandbox sandbox_;
    RecordingUi ui_;
};

TEST_F(RegionDialogs, BothListTheTenRegionsWithNothingChosen)
{
    const QStringList expected{"北海道",   "東北地方", "関東地方", "東海地方", "北陸地方",
                               "関西地方", "中国地方", "九州地方", "沖縄",     "海外"};
    EXPECT_EQ(regionNames(), expected);
    UserInfoChangeDialog change(ui_);
    UserRegistDialog regist(ui_);
    for (QComboBox* combo : {change.cmbLocationSelect(), regist.cmbLocationSelect()}) {
        ASSERT_EQ(combo->count(), 10);
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(combo->itemText(i), expected[i]);
        EXPECT_EQ(combo->currentIndex(), -1);
        EXPECT_EQ(combo->placeholderText(), QStringLiteral("選択してください"));
    }
    EXPECT_EQ(change.windowTitle(), QStringLiteral("ユーザー情報変更"));
    EXPECT_EQ(regist.windowTitle(), QStringLiteral("ユーザー登録"));
    EXPECT_EQ(regist.btnSkip()->text(), QStringLiteral("スキップ"));
    EXPECT_EQ(regist.command2()->text(), QStringLiteral("終了"));
    // Loading either dialog makes the settings file when it is missing.
    EXPECT_TRUE(QFile::exists(SettingsFilePath()));
}

TEST_F(RegionDialogs, ChangeOkWithoutAChoiceAsksAndKeepsTheDialogOpen)
{
    UserInfoChangeDialog dialog(ui_);
    const QByteArray before = readAll(SettingsFilePath());
    dialog.btnOK()->click();
    expectTheChoiceAsked();
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(readAll(SettingsFilePath()), before);
    EXPECT_TRUE(sandbox_.logMessages().isEmpty());
}

TEST_F(RegionDialogs, ChangeOkKeepsTheIndexLogsAndCloses)
{
    UserInfoChangeDialog dialog(ui_);
    dialog.cmbLocationSelect()->setCurrentIndex(5);  // 関西地方
    dialog.btnOK()->click();
    EXPECT_TRUE(ui_.boxes.isEmpty());
    EXPECT_EQ(data("USER_LOCATION"), QStringLiteral("5"));
    EXPECT_EQ(data("INITIAL_BOOT"), QStringLiteral("False"));
    EXPECT_EQ(GetINIValue(QStringLiteral("Design"), QStringLiteral("FORM_SKIN")), QStringLiteral("Dark"));
    EXPECT_EQ(sandbox_.logMessages(), QStringList{QStringLiteral("□Eve：ユーザー情報更新")});
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));

    // Opened again, it asks afresh rather than showing the stored region.
    UserInfoChangeDialog again(ui_);
    EXPECT_EQ(again.cmbLocationSelect()->currentIndex(), -1);
}

TEST_F(RegionDialogs, ChangeCancelWritesNothing)
{
    UserInfoChangeDialog dialog(ui_);
    const QByteArray before = readAll(SettingsFilePath());
    dialog.cmbLocationSelect()->setCurrentIndex(2);
    dialog.btnCancel()->click();
    EXPECT_EQ(dialog.result(), int(QDialog::Rejected));
    EXPECT_EQ(readAll(SettingsFilePath()), before);
    EXPECT_TRUE(sandbox_.logMessages().isEmpty());
}

TEST_F(RegionDialogs, FirstRunOkKeepsTheIndexWithoutALogLine)
{
    UserRegistDialog dialog(ui_);
    dialog.command1()->click();
    expectTheChoiceAsked();
    EXPECT_EQ(data("USER_LOCATION"), QStringLiteral("ERROR"));
    dialog.cmbLocationSelect()->setCurrentIndex(0);
    dialog.command1()->click();
    EXPECT_EQ(data("USER_LOCATION"), QStringLiteral("0"));
    EXPECT_EQ(data("INITIAL_BOOT"), QStringLiteral("False"));
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    EXPECT_TRUE(sandbox_.logMessages().isEmpty());
}

TEST_F(RegionDialogs, FirstRunSkipKeepsTen)
{
    UserRegistDialog dialog(ui_);
    dialog.cmbLocationSelect()->setCurrentIndex(9);
    dialog.btnSkip()->click();
    EXPECT_EQ(data("USER_LOCATION"), QStringLiteral("10"));
    EXPECT_EQ(data("INITIAL_BOOT"), QStringLiteral("False"));
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    EXPECT_TRUE(ui_.boxes.isEmpty());
}

TEST_F(RegionDialogs, FirstRunEndEndsTheProgramWritingNothing)
{
    UserRegistDialog dialog(ui_);
    int ended = 0;
    dialog.setEndProgram([&] { ++ended; });
    const QByteArray before = readAll(SettingsFilePath());
    dialog.cmbLocationSelect()->setCurrentIndex(3);
    dialog.command2()->click();
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(dialog.result(), UserRegistDialog::kEndProgram);
    EXPECT_EQ(readAll(SettingsFilePath()), before);
    EXPECT_TRUE(sandbox_.logMessages().isEmpty());
}

}  // namespace
}  // namespace tolvane::test
