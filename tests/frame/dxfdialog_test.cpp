#include "frame/dxfdialog.h"

#include "services/folders.h"
#include "services/inifile.h"
#include "support/printers.h"
#include "support/sandbox.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace tolvane {
namespace {

// Its own fake: another fake of the same name lives in this test program.
class ScriptedUi final : public UserInterface {
public:
    int msgBox(const QString& prompt, int, const QString&) override
    {
        boxes << prompt;
        return kIdOk;
    }
    void beep() override {}
    std::optional<QString> askSaveFile(const FileDialogRequest&) override
    {
        ++saves;
        if (onSave)
            onSave();
        return answer.isNull() ? std::nullopt : std::optional<QString>(answer);
    }
    std::optional<QStringList> askOpenFiles(const FileDialogRequest&) override { return std::nullopt; }
    bool openUrl(const QString&) override { return true; }

    QStringList boxes;
    int saves = 0;
    QString answer;  // null: the user cancels
    std::function<void()> onSave;
};

void click(QWidget* w)
{
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
}

class DxfDialogTest : public ::testing::Test {
protected:
    DxfDialogTest()
    {
        ExistLogFolder();
        QDir().mkpath(MaterialsFolder());
        SkinName() = QStringLiteral("Dark");
    }
    void writePictures()
    {
        QImage picture(113, 25, QImage::Format_RGB32);
        picture.fill(Qt::gray);
        for (const char* name : {"OK_outputDxf_off.gif", "OK_outputDxf_on.gif", "cancel_outputDxf_off.gif",
                                 "cancel_outputDxf_on.gif"})
            ASSERT_TRUE(picture.save(MaterialsFolder() + QLatin1Char('/') + QLatin1String(name), "PNG"));
    }

    test::Sandbox box;
    ScriptedUi ui;
    DiagramInputs inputs;
};

TEST_F(DxfDialogTest, OpensEmptyWithTheDataFileBoxCheckedInTheDarkLook)
{
    writePictures();
    DxfDialog dialog(inputs, SpringRecord{}, true, ui);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("DXF出力"));
    EXPECT_TRUE(dialog.nameBox()->text().isEmpty());
    EXPECT_TRUE(dialog.vornCheckBox()->isChecked());
    EXPECT_EQ(dialog.vornCheckBox()->text(), QStringLiteral("Vornファイルを作成する"));
    EXPECT_EQ(dialog.progressBar()->value(), 0);
    EXPECT_FALSE(dialog.okButton()->pixmap().isNull());
    EXPECT_EQ(dialog.palette().color(QPalette::Window), QColor(48, 48, 48));
    EXPECT_EQ(dialog.vornCheckBox()->palette().color(QPalette::WindowText), QColor(255, 255, 255));
    EXPECT_TRUE(QFileInfo::exists(SettingsFilePath()));
    EXPECT_TRUE(box.logMessages().isEmpty());

    SkinName() = QStringLiteral("Light");
    DxfDialog light(inputs, SpringRecord{}, true, ui);
    EXPECT_EQ(light.palette().color(QPalette::Window), QApplication::palette().color(QPalette::Button));
}

TEST_F(DxfDialogTest, MissingPicturesAreLoggedAndCancelStillCloses)
{
    DxfDialog dialog(inputs, SpringRecord{}, true, ui);
    EXPECT_EQ(box.logMessages(),
              QStringList{QStringLiteral("■Err：[frmOutputDXF]-[InitializeImageControls()]：ファイルが見つかりません。：エラー番号 -> 53")});
    dialog.show();
    click(dialog.cancelButton());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.output().dxfCommandsOff());
}

TEST_F(DxfDialogTest, WhileWritingTheButtonsAreOffAndACloseWaitsForTheEnd)
{
    writePictures();
    DxfDialog dialog(inputs, SpringRecord{}, true, ui);
    dialog.show();
    click(dialog.okButton());  // no name yet
    ASSERT_EQ(ui.boxes.size(), 1);
    EXPECT_TRUE(ui.boxes[0].startsWith(QStringLiteral("スプリング線図の名称が入力されていません。")));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.okButton()->isEnabled());

    dialog.nameBox()->setText(QStringLiteral("線図"));
    dialog.vornCheckBox()->setChecked(false);
    EXPECT_FALSE(dialog.output().createVornFile());
    ui.onSave = [&] {
        EXPECT_FALSE(dialog.okButton()->isEnabled());
        EXPECT_FALSE(dialog.cancelButton()->isEnabled());
        EXPECT_FALSE(dialog.close());  // waits
        EXPECT_TRUE(dialog.isVisible());
    };
    click(dialog.okButton());  // the save dialog is cancelled
    ASSERT_EQ(ui.saves, 1);
    EXPECT_EQ(box.logMessages().last(), QStringLiteral("□Eve：スプリング線図 [線図] のDXF出力をキャンセル"));
    EXPECT_FALSE(dialog.isVisible());  // the waiting close, carried out
}

TEST_F(DxfDialogTest, ShowingReportsWhetherOkWasPressed)
{
    writePictures();
    QTimer::singleShot(0, [] { click(qobject_cast<DxfDialog*>(QApplication::activeModalWidget())->cancelButton()); });
    EXPECT_FALSE(showDxfDialog(nullptr, inputs, SpringRecord{}, true, ui));

    QTimer::singleShot(0, [] {  // OK with the save dialog cancelled, then Cancel
        auto* d = qobject_cast<DxfDialog*>(QApplication::activeModalWidget());
        d->nameBox()->setText(QStringLiteral("a"));
        click(d->okButton());
        click(d->cancelButton());
    });
    EXPECT_TRUE(showDxfDialog(nullptr, inputs, SpringRecord{}, true, ui));

    const QString dxf = box.root() + QStringLiteral("/a.dxf");
    ui.answer = dxf;
    QTimer::singleShot(0, [] {  // a save closes the dialog
        auto* d = qobject_cast<DxfDialog*>(QApplication::activeModalWidget());
        d->nameBox()->setText(QStringLiteral("a"));
        click(d->okButton());
    });
    EXPECT_TRUE(showDxfDialog(nullptr, inputs, SpringRecord{}, true, ui));
    EXPECT_TRUE(QFileInfo::exists(dxf));
    EXPECT_TRUE(QFileInfo::exists(box.root() + QStringLiteral("/a.vorn")));
}

}  // namespace
}  // namespace tolvane
