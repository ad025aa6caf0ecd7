#include "frame/frametest.h"
#include "frame/totaldialog.h"

#include "services/folders.h"
#include "services/inifile.h"
#include "total/totaltestsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>

#include <gtest/gtest.h>

using namespace tolvane;
using namespace tolvane::test;

namespace {

struct Fixture {
    Sandbox box;
    FakeUi ui;
    Fixture()
    {
        ExistLogFolder();
        writePictures({"selectFiles_on.gif", "selectFiles_off.gif", "output_dxf_total_large_on.gif",
                       "output_dxf_total_large_off.gif", "cancel_selectSpDiagram_on.gif", "cancel_selectSpDiagram_off.gif"});
    }
};

}  // namespace

TEST(TotalDialogWindow, OpensCompactExpandsForTwoFilesAndClosesAfterTheSave)
{
    Fixture f;
    TotalDialog dialog(nullptr, f.ui);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("合計スプリング線図出力"));
    EXPECT_EQ(dialog.size(), QSize(4125 / 15, 2600 / 15));
    EXPECT_FALSE(dialog.outputButton()->isVisible());
    EXPECT_EQ(dialog.focusWidget(), dialog.nameBox());
    EXPECT_EQ(dialog.outputButton()->currentPicture(), QStringLiteral("output_dxf_total_large_off.gif"));

    f.ui.openAnswers.append(QStringList{writeVorn(DocumentsFolder(), QStringLiteral("a.vorn"), vornLine(allKind())),
                                        writeVorn(DocumentsFolder(), QStringLiteral("b.vorn"), vornLine(allKind()))});
    click(dialog.selectFilesButton());
    EXPECT_EQ(dialog.size(), QSize(4125 / 15, 5970 / 15));
    EXPECT_EQ(dialog.cancelButton()->y(), 5040 / 15);
    EXPECT_TRUE(dialog.outputButton()->isVisible());
    ASSERT_EQ(dialog.fileList()->count(), 8);
    EXPECT_EQ(dialog.fileList()->item(7)->text(), QStringLiteral("b.vorn"));

    // No name yet: the message, and the name box gets the focus back.
    dialog.cancelButton()->setFocus();
    click(dialog.outputButton());
    ASSERT_EQ(f.ui.boxes.size(), 1);
    EXPECT_EQ(dialog.focusWidget(), dialog.nameBox());

    dialog.nameBox()->setText(QStringLiteral("合計"));
    const QString out = f.box.root() + QStringLiteral("/total.dxf");
    f.ui.saveAnswers.append(out);
    click(dialog.outputButton());
    EXPECT_TRUE(QFile::exists(out));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(f.box.logMessages().filter(QStringLiteral("■Err")).isEmpty());
}

// The name box is one line, as the window's boxes are: a paste keeps its
// first line.
TEST(TotalDialogWindow, TheNameBoxKeepsAPastesFirstLine)
{
    Fixture f;
    TotalDialog dialog(nullptr, f.ui);
    QGuiApplication::clipboard()->setText(QStringLiteral("合計\n2"));
    QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
    QApplication::sendEvent(dialog.nameBox(), &paste);
    EXPECT_EQ(dialog.nameBox()->text(), QStringLiteral("合計"));
}

TEST(TotalDialogWindow, ShowsThePressedPictureWhileAButtonIsHeldAndLogsAMissingOne)
{
    Fixture f;
    QFile::remove(MaterialsFolder() + QStringLiteral("/cancel_selectSpDiagram_off.gif"));
    TotalDialog dialog(nullptr, f.ui);
    EXPECT_EQ(f.box.logMessages(),
              QStringList{QStringLiteral("■Err：[frmSelectFile]-[InitializeImageControls()]：ファイルが見つかりません。：エラー番号 -> 53")});
    TotalPictureButton* b = dialog.selectFilesButton();
    sendMouse(b, QEvent::MouseButtonPress, Qt::RightButton);
    EXPECT_EQ(b->currentPicture(), QStringLiteral("selectFiles_on.gif"));
    sendMouse(b, QEvent::MouseButtonRelease, Qt::RightButton);
    EXPECT_EQ(b->currentPicture(), QStringLiteral("selectFiles_off.gif"));
    EXPECT_TRUE(f.ui.openRequests.isEmpty());  // only a left click is a click
    click(dialog.cancelButton(), Qt::RightButton);
    EXPECT_EQ(f.box.logMessages().last(),
              QStringLiteral("■Err：[frmSelectFile]-[imgCancel_MouseUp()]：ファイルが見つかりません。：エラー番号 -> 53"));
}
