// The region dialogs and what they keep in Settings.ini.

#include "banner_fakes.h"

#include "frame/regiondialog.h"

#include <QComboBox>
#include <QPushButton>

namespace tolvane::test {
namespace {

class RegionDialogs : public ::testing::Test {
protected:
    QString data(const char* key) { return GetINIValue(QStringLiteral("Data"), QString::fromLatin1(key)); }
    const Boxes choiceAsked{{QStringLiteral("お住いの地域を選択してください。"), 48, QStringLiteral("Information")}};

    banner::LoggedSandbox sandbox_;
    WindowUi ui_;
};

TEST_F(RegionDialogs, ChangeAsksWithoutAChoiceThenKeepsTheIndexAndLogs)
{
    UserInfoChangeDialog dialog(ui_);
    EXPECT_EQ(dialog.cmbLocationSelect()->count(), 10);
    EXPECT_EQ(dialog.cmbLocationSelect()->itemText(5), QStringLiteral("関西地方"));
    EXPECT_EQ(dialog.cmbLocationSelect()->currentIndex(), -1);
    const QByteArray before = readAll(SettingsFilePath());  // loading made the file
    dialog.btnOK()->click();
    EXPECT_EQ(ui_.boxes, choiceAsked);
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(readAll(SettingsFilePath()), before);

    dialog.cmbLocationSelect()->setCurrentIndex(5);
    dialog.btnOK()->click();
    EXPECT_EQ(data("USER_LOCATION"), QStringLiteral("5"));
    EXPECT_EQ(data("INITIAL_BOOT"), QStringLiteral("False"));
    EXPECT_EQ(sandbox_.logMessages(), QStringList{QStringLiteral("□Eve：ユーザー情報更新")});
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
}

TEST_F(RegionDialogs, ChangeCancelAndFirstRunEndWriteNothing)
{
    UserInfoChangeDialog change(ui_);
    const QByteArray before = readAll(SettingsFilePath());
    change.cmbLocationSelect()->setCurrentIndex(2);
    change.btnCancel()->click();
    EXPECT_EQ(change.result(), int(QDialog::Rejected));

    UserRegistDialog regist(ui_);
    int ended = 0;
    regist.setEndProgram([&] { ++ended; });
    regist.cmbLocationSelect()->setCurrentIndex(3);
    regist.command2()->click();
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(regist.result(), UserRegistDialog::kEndProgram);
    EXPECT_EQ(readAll(SettingsFilePath()), before);
    EXPECT_TRUE(sandbox_.logMessages().isEmpty());
}

TEST_F(RegionDialogs, FirstRunOkKeepsTheIndexWithoutALogLineAndSkipKeepsTen)
{
    UserRegistDialog dialog(ui_);
    dialog.command1()->click();
    EXPECT_EQ(ui_.boxes, choiceAsked);
    EXPECT_EQ(data("USER_LOCATION"), QStringLiteral("ERROR"));
    dialog.cmbLocationSelect()->setCurrentIndex(0);
    dialog.command1()->click();
    EXPECT_EQ(data("USER_LOCATION"), QStringLiteral("0"));
    EXPECT_EQ(data("INITIAL_BOOT"), QStringLiteral("False"));
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    EXPECT_TRUE(sandbox_.logMessages().isEmpty());

    SetINIValue(QStringLiteral("Data"), QStringLiteral("INITIAL_BOOT"), QStringLiteral("True"));
    UserRegistDialog skipped(ui_);
    skipped.cmbLocationSelect()->setCurrentIndex(9);
    skipped.btnSkip()->click();
    EXPECT_EQ(data("USER_LOCATION"), QStringLiteral("10"));
    EXPECT_EQ(data("INITIAL_BOOT"), QStringLiteral("False"));
    EXPECT_EQ(skipped.result(), int(QDialog::Accepted));
    EXPECT_EQ(ui_.boxes, choiceAsked);
}

}  // namespace
}  // namespace tolvane::test
