#include "frame/dxfdialog.h"

#include "diagram/dxffile.h"
#include "frame/desktop.h"

#include "services/folders.h"
#include "services/inifile.h"
#include "frame/frametest.h"
#include "total/totaltestsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>

#include <gtest/gtest.h>

namespace tolvane::test {
namespace {

// Plays the user once the modal dialog shows: a name, then OK and/or Cancel.
void whenShown(const char* name, bool ok, bool cancel)
{
    QTimer::singleShot(0, [=] {
        auto* d = qobject_cast<DxfDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        d->nameBox()->setText(QString::fromUtf8(name));
        if (ok)
            click(d->okButton());
        if (cancel)
            click(d->cancelButton());
    });
}

class DxfDialogTest : public ::testing::Test {
protected:
    DxfDialogTest()
    {
        ExistLogFolder();
        QDir().mkpath(MaterialsFolder());
        SkinName() = QStringLiteral("Dark");
    }

    Sandbox box;
    FakeUi ui;
    DiagramInputs inputs;
};

TEST_F(DxfDialogTest, OpensEmptyWithTheDataFileBoxChecked)
{
    DxfDialog bare(inputs, SpringRecord{}, true, ui);  // its buttons still work: the other tests click them bare
    EXPECT_EQ(box.logMessages(),
              QStringList{QStringLiteral("■Err：[frmOutputDXF]-[InitializeImageControls()]：ファイルが見つかりません。：エラー番号 -> 53")});
    writePictures({"OK_outputDxf_off.gif", "OK_outputDxf_on.gif", "cancel_outputDxf_off.gif", "cancel_outputDxf_on.gif"},
                  {113, 25});

    DxfDialog dialog(inputs, SpringRecord{}, true, ui);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("DXF出力"));
    EXPECT_TRUE(dialog.nameBox()->text().isEmpty());
    EXPECT_TRUE(dialog.vornCheckBox()->isChecked());
    EXPECT_EQ(dialog.vornCheckBox()->text(), QStringLiteral("Vornファイルを作成する"));
    EXPECT_EQ(dialog.progressBar()->value(), 0);
    EXPECT_FALSE(dialog.okButton()->pixmap().isNull());
    EXPECT_TRUE(QFileInfo::exists(SettingsFilePath()));
    EXPECT_EQ(box.logMessages().size(), 1);
}

// The name box is one line, as the window's boxes are: a paste keeps its
// first line.
TEST_F(DxfDialogTest, TheNameBoxKeepsAPastesFirstLine)
{
    DxfDialog dialog(inputs, SpringRecord{}, true, ui);
    QGuiApplication::clipboard()->setText(QStringLiteral("線図\r\n2"));
    QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
    QApplication::sendEvent(dialog.nameBox(), &paste);
    EXPECT_EQ(dialog.nameBox()->text(), QStringLiteral("線図"));
}

TEST_F(DxfDialogTest, WhileWritingTheButtonsAreOffAndACloseWaitsForTheEnd)
{
    DxfDialog dialog(inputs, SpringRecord{}, true, ui);
    dialog.show();
    dialog.nameBox()->setText(QStringLiteral("線図"));
    dialog.vornCheckBox()->setChecked(false);
    EXPECT_FALSE(dialog.output().createVornFile());
    // Any mouse button presses the picture (its missing pictures logged); only the left one clicks.
    click(dialog.okButton(), Qt::RightButton);
    const QString err = QStringLiteral("()]：ファイルが見つかりません。：エラー番号 -> 53");
    EXPECT_EQ(box.logMessages().mid(1), (QStringList{QStringLiteral("■Err：[frmOutputDXF]-[imgOk_MouseDown") + err,
                                                     QStringLiteral("■Err：[frmOutputDXF]-[imgOk_MouseUp") + err}));
    EXPECT_TRUE(ui.boxes.isEmpty() && ui.saveRequests.isEmpty());
    bool checked = false;
    QTimer::singleShot(0, [&] {  // runs inside the first progress run
        EXPECT_FALSE(dialog.okButton()->isEnabled());
        EXPECT_FALSE(dialog.cancelButton()->isEnabled());
        EXPECT_FALSE(dialog.close());  // waits
        EXPECT_TRUE(dialog.isVisible());
        checked = true;
    });
    click(dialog.okButton());  // the save dialog is cancelled
    EXPECT_TRUE(checked);
    ASSERT_EQ(ui.saveRequests.size(), 1);
    EXPECT_EQ(box.logMessages().last(), QStringLiteral("□Eve：スプリング線図 [線図] のDXF出力をキャンセル"));
    EXPECT_FALSE(dialog.isVisible());  // the waiting close, carried out
}

// The main window switches its DXF commands off after every OK.
TEST_F(DxfDialogTest, ShowingReportsWhetherOkWasPressed)
{
    whenShown("", false, true);
    EXPECT_FALSE(showDxfDialog(nullptr, inputs, SpringRecord{}, true, ui));
    whenShown("a", true, true);  // the save dialog cancelled
    EXPECT_TRUE(showDxfDialog(nullptr, inputs, SpringRecord{}, true, ui));

    const QString dxf = box.root() + QStringLiteral("/a.dxf");
    ui.saveAnswers = {dxf};
    whenShown("a", true, false);  // a save closes the dialog
    EXPECT_TRUE(showDxfDialog(nullptr, inputs, SpringRecord{}, true, ui));
    EXPECT_TRUE(QFileInfo::exists(dxf));
    EXPECT_TRUE(QFileInfo::exists(box.root() + QStringLiteral("/a.vorn")));
}

// Both drawings are saved through this dialog: a name typed without an
// extension must become a file that CAD programs list.
TEST_F(DxfDialogTest, ANameTypedWithoutExtensionIsSavedAsADrawing)
{
    QtUserInterface desktop;
    FileDialogRequest request = dxfSaveRequest();
    request.initialDir = box.root();
    QTimer::singleShot(0, [] {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        d->selectFile(QStringLiteral("press1"));
        QMetaObject::invokeMethod(d, "accept");
    });
    EXPECT_EQ(desktop.askSaveFile(request), box.root() + QStringLiteral("/press1.dxf"));
}

}  // namespace
}  // namespace tolvane::test
