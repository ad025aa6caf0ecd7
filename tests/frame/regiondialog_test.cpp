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

// Without a choice OK asks and writes nothing, nor does Cancel; OK then keeps
// the index and logs.
TEST_F(RegionDialogs, ChangeAsksWithoutAChoiceCancelsQuietlyAndKeepsTheIndex)
{
    UserInfoChangeDialog dialog(ui_);
    EXPECT_EQ(dialog.cmbLocationSelect()->count(), 10);
    EXPECT_EQ(dialog.cmbLocationSelect()->itemText(5), QStringLiteral("関西地方"));
    EXPECT_EQ(dialog.cmbLocationSelect()->currentIndex(), -1);
    const QByteArray before = readAll(SettingsFilePath());  // loading made the file
    dialog.btnOK()->click();
    EXPECT_EQ(ui_.boxes, choiceAsked);
    EXPECT_EQ(dialog.result(), 0);
    dialog.cmbLocationSelect()->setCurrentIndex(2);
    dialog.btnCancel()->click();
    EXPECT_EQ(dialog.result(), int(QDialog::Rejected));
    EXPECT_EQ(readAll(SettingsFilePath()), before);

    dialog.cmbLocationSelect()->setCurrentIndex(5);
    dialog.btnOK()->click();
    EXPECT_EQ(data("USER_LOCATION"), QStringLiteral("5"));
    EXPECT_EQ(data("INITIAL_BOOT"), QStringLiteral("False"));
    EXPECT_EQ(sandbox_.logMessages(), QStringList{QStringLiteral("□Eve：ユーザー情報更新")});
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
}

// The first run: without a choice it asks, End ends the program writing
// nothing, OK keeps the index without a log line, Skip keeps ten.
TEST_F(RegionDialogs, FirstRunAsksEndsKeepsTheIndexAndSkipKeepsTen)
{
    UserRegistDialog dialog(ui_);
    int ended = 0;
    dialog.setEndProgram([&] { ++ended; });
    const QByteArray before = readAll(SettingsFilePath());
    dialog.command1()->click();
    EXPECT_EQ(ui_.boxes, choiceAsked);
    dialog.cmbLocationSelect()->setCurrentIndex(3);
    dialog.command2()->click();
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(dialog.result(), UserRegistDialog::kEndProgram);
    EXPECT_EQ(readAll(SettingsFilePath()), before);

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
