// The version dialog: its looks, its OK picture button and its two links.

#include "banner_fakes.h"

#include "frame/look.h"
#include "frame/versiondialog.h"
#include "frame/webservers.h"

#include <QFrame>
#include <QImage>

namespace tolvane::test {
namespace {

using namespace look;

class VersionDialogTest : public ::testing::Test {
protected:
    void SetUp() override { SkinName().clear(); }
    void TearDown() override { SkinName().clear(); }
    banner::LoggedSandbox sandbox;
    WindowUi ui;
};

TEST_F(VersionDialogTest, LightTakesTheSystemColoursEverythingElseIsDark)
{
    for (const QString& skin : {QStringLiteral("Light"), QStringLiteral("Dark"), QStringLiteral("ERROR")}) {
        SkinName() = skin;
        VersionDialog dialog(ui);
        const bool light = skin == QStringLiteral("Light");
        const quint32 face = light ? 0x8000000Fu : 0x303030u;
        const quint32 text = light ? 0x80000008u : 0xFFFFFFu;
        EXPECT_EQ(vbBackColor(&dialog), face) << skin.toStdString();
        EXPECT_EQ(vbBackColor(dialog.frame(3)), face);
        for (int n : {1, 3, 8, 11})
            EXPECT_EQ(vbForeColor(dialog.label(n)), text) << n;
        EXPECT_EQ(vbForeColor(dialog.label(2)), 0xFF0000u);
        EXPECT_EQ(vbForeColor(dialog.label(4)), light ? 0xFF8080u : 0xFFFFFFu);
        // The links are not part of the look.
        EXPECT_EQ(vbForeColor(dialog.label(12)), 0xFF8080u);
    }
}

TEST_F(VersionDialogTest, ItsPictureIsTheIconTheDesktopEntryNames)
{
    VersionDialog dialog(ui);
    const auto* picture = dialog.findChild<QLabel*>(QStringLiteral("Picture1"));
    ASSERT_TRUE(picture);
    const QImage icon(QStringLiteral(TOLVANE_SOURCE_DIR "/icons/tolvane-48.png"));
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(picture->pixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
              icon.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

TEST_F(VersionDialogTest, PointedLinksStayBlueUntilTheMouseCrossesTheirFrameAndAClickOpensThem)
{
    VersionDialog dialog(ui);
    QLabel* web = dialog.label(7);
    QLabel* mail = dialog.label(12);
    sendMouse(web, QEvent::MouseMove);
    EXPECT_EQ(vbForeColor(web), 0xFF0000u);
    EXPECT_EQ(vbForeColor(mail), 0xFF8080u);
    sendMouse(mail, QEvent::MouseMove);
    // Another label on the frame is not the frame: the links stay blue.
    sendMouse(dialog.label(3), QEvent::MouseMove);
    sendMouse(dialog.frame(2), QEvent::MouseMove);
    EXPECT_EQ(vbForeColor(web), 0xFF0000u);
    EXPECT_EQ(vbForeColor(mail), 0xFF0000u);
    sendMouse(dialog.frame(1), QEvent::MouseMove);
    EXPECT_EQ(vbForeColor(web), 0xFF8080u);
    EXPECT_EQ(vbForeColor(mail), 0xFF8080u);
    EXPECT_EQ(web->palette().color(QPalette::WindowText), QColor(0x80, 0x80, 0xFF));

    click(web);
    click(mail);
    EXPECT_EQ(ui.opened, (QStringList{productPageUrl(), contactMailUrl()}));
    EXPECT_EQ(dialog.result(), 0);
}

TEST_F(VersionDialogTest, TheOkButtonShowsItsPressedPictureAndCloses)
{
    writePictures({"OK_verInfo_off.gif"}, {80, 30});
    writePictures({"OK_verInfo_on.gif"}, {78, 28});
    VersionDialog dialog(ui);
    QLabel* ok = dialog.imgOK();
    EXPECT_EQ(ok->pixmap().size(), QSize(80, 30));
    sendMouse(ok, QEvent::MouseButtonPress, Qt::LeftButton);
    EXPECT_EQ(ok->pixmap().size(), QSize(78, 28));
    EXPECT_EQ(dialog.result(), 0);
    sendMouse(ok, QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_EQ(ok->pixmap().size(), QSize(80, 30));
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    EXPECT_TRUE(sandbox.logMessages().isEmpty());
}

// Any mouse button presses the OK button (and logs its missing pictures);
// only the left one closes.
TEST_F(VersionDialogTest, MissingPicturesLeaveTheDesignButtonAndLogTheirProcedure)
{
    SkinName() = QStringLiteral("Light");
    VersionDialog dialog(ui);
    EXPECT_EQ(dialog.imgOK()->text(), QStringLiteral("OK"));
    EXPECT_EQ(vbBackColor(&dialog), 0x8000000Fu);  // the look came before the failing picture
    click(dialog.imgOK(), Qt::RightButton);
    EXPECT_EQ(dialog.result(), 0);
    click(dialog.imgOK());
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    const QString err = QStringLiteral("]：ファイルが見つかりません。：エラー番号 -> 53");
    const QString down = QStringLiteral("■Err：[frmVirsionInfo]-[imgOK_MouseDown()") + err;
    const QString up = QStringLiteral("■Err：[frmVirsionInfo]-[imgOK_MouseUp()") + err;
    EXPECT_EQ(sandbox.logMessages(), (QStringList{QStringLiteral("■Err：[frmVirsionInfo]-[Form_Load()") + err, down, up, down, up}));
}

}  // namespace
}  // namespace tolvane::test
