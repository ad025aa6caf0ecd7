// The version dialog: its looks, its OK picture button and its two links.

#include "banner_fakes.h"

#include "frame/banner_widgets.h"
#include "frame/versiondialog.h"
#include "frame/webservers.h"
#include "services/folders.h"
#include "services/inifile.h"
#include "support/sandbox.h"

#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace tolvane::test {
namespace {

using banner::RecordingUi;
using namespace bannerui;

class SkinGuard {
public:
    explicit SkinGuard(const QString& skin) : saved_(SkinName()) { SkinName() = skin; }
    ~SkinGuard() { SkinName() = saved_; }

private:
    QString saved_;
};

void mouse(QWidget* w, QEvent::Type type, QPointF at = {3, 3}, Qt::MouseButton button = Qt::NoButton)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::MouseButtons();
    QMouseEvent event(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

void click(QWidget* w)
{
    mouse(w, QEvent::MouseButtonPress, {3, 3}, Qt::LeftButton);
    mouse(w, QEvent::MouseButtonRelease, {3, 3}, Qt::LeftButton);
}

void writePicture(const QString& name, QSize size)
{
    QDir().mkpath(MaterialsFolder());
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::green);
    // Qt writes no GIF; the reader finds the format by the content.
    ASSERT_TRUE(image.save(MaterialsFolder() + u'/' + name, "PNG"));
}

struct SkinCase {
    const char* skin;
    bool light;
};

class VersionDialogSkin : public ::testing::TestWithParam<SkinCase> {};

TEST_P(VersionDialogSkin, TakesTheColoursOfItsLook)
{
    banner::LoggedSandbox sandbox;
    SkinGuard skin(QString::fromUtf8(GetParam().skin));
    RecordingUi ui;
    VersionDialog dialog(ui);
    const bool light = GetParam().light;
    const quint32 face = light ? 0x8000000Fu : 0x303030u;
    const quint32 text = light ? 0x80000008u : 0xFFFFFFu;

    EXPECT_EQ(vbBackColor(&dialog), face);
    for (int n : {1, 2, 3})
        EXPECT_EQ(vbBackColor(dialog.frame(n)), face) << n;
    for (int n : {1, 3, 8, 11})
        EXPECT_EQ(vbForeColor(dialog.label(n)), text) << n;
    EXPECT_EQ(vbForeColor(dialog.label(2)), 0xFF0000u);
    EXPECT_EQ(vbForeColor(dialog.label(4)), light ? 0xFF8080u : 0xFFFFFFu);
    // The links are not part of the look.
    EXPECT_EQ(vbForeColor(dialog.label(7)), 0xFF8080u);
    EXPECT_EQ(vbForeColor(dialog.label(12)), 0xFF8080u);

    // What is painted: the system's button face and text in the Light look.
    EXPECT_EQ(dialog.palette().color(QPalette::Window),
              light ? QApplication::palette().color(QPalette::Button) : QColor(0x30, 0x30, 0x30));
    EXPECT_EQ(dialog.label(1)->palette().color(QPalette::WindowText),
              light ? QApplication::palette().color(QPalette::WindowText) : QColor(255, 255, 255));
    EXPECT_EQ(dialog.label(2)->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(dialog.label(7)->palette().color(QPalette::WindowText), QColor(0x80, 0x80, 0xFF));
}

INSTANTIATE_TEST_SUITE_P(Skins, VersionDialogSkin,
                         ::testing::Values(SkinCase{"Light", true}, SkinCase{"Dark", false}, SkinCase{"ERROR", false},
                                           SkinCase{"light", false}, SkinCase{"", false}));

TEST(VersionDialog, ShowsItsNameVersionAndLinks)
{
    banner::LoggedSandbox sandbox;
    RecordingUi ui;
    VersionDialog dialog(ui);
    EXPECT_EQ(dialog.objectName(), QStringLiteral("frmVirsionInfo"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("バージョン情報"));
    EXPECT_EQ(dialog.label(2)->text(), QStringLiteral("Tolvane"));
    EXPECT_EQ(dialog.label(4)->text(), QStringLiteral("Tolvane"));
    EXPECT_TRUE(dialog.label(1)->text().endsWith(QStringLiteral("Ver 2.0.3")));
    EXPECT_EQ(dialog.label(11)->text(), QStringLiteral("e-mail"));
    EXPECT_EQ(dialog.label(8)->text(), QStringLiteral("URL"));
    EXPECT_EQ(dialog.label(7)->text(), productPageUrl());
    EXPECT_TRUE(dialog.label(7)->font().underline());
    EXPECT_TRUE(dialog.label(12)->font().bold());
    // The back layer of the title sits up and to the left of the front.
    EXPECT_LT(dialog.label(2)->x(), dialog.label(4)->x());
    EXPECT_LT(dialog.label(2)->y(), dialog.label(4)->y());
    // Loading the dialog makes the settings file when it is missing.
    EXPECT_TRUE(QFile::exists(SettingsFilePath()));
}

TEST(VersionDialog, ClickingALinkHandsItsAddressToTheDesktop)
{
    banner::LoggedSandbox sandbox;
    writePicture(QStringLiteral("OK_verInfo_off.gif"), QSize(80, 30));
    RecordingUi ui;
    VersionDialog dialog(ui);
    click(dialog.label(7));
    click(dialog.label(12));
    EXPECT_EQ(ui.opened, (QStringList{productPageUrl(), contactMailUrl()}));
    EXPECT_TRUE(contactMailUrl().startsWith(QStringLiteral("mailto:")));
    EXPECT_TRUE(productPageUrl().endsWith(QStringLiteral("/vorn/")));
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_TRUE(sandbox.logMessages().isEmpty());
}

TEST(VersionDialog, PointedLinksStayBlueUntilTheMouseCrossesTheirFrame)
{
    banner::LoggedSandbox sandbox;
    RecordingUi ui;
    VersionDialog dialog(ui);
    QLabel* web = dialog.label(7);
    QLabel* mail = dialog.label(12);
    int repaints = 0;
    struct Counter : QObject {
        int* n;
        explicit Counter(int* c) : n(c) {}
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::PaletteChange)
                ++*n;
            return false;
        }
    } counter(&repaints);
    web->installEventFilter(&counter);

    mouse(web, QEvent::MouseMove);
    EXPECT_EQ(vbForeColor(web), 0xFF0000u);
    EXPECT_EQ(vbForeColor(mail), 0xFF8080u);
    mouse(web, QEvent::MouseMove, {5, 5});
    EXPECT_EQ(repaints, 1) << "a second move over the link wrote its colour again";

    mouse(mail, QEvent::MouseMove);
    EXPECT_EQ(vbForeColor(web), 0xFF0000u);
    EXPECT_EQ(vbForeColor(mail), 0xFF0000u);

    // Another label on the frame is not the frame: the links stay blue.
    mouse(dialog.label(3), QEvent::MouseMove);
    mouse(dialog.frame(2), QEvent::MouseMove);
    EXPECT_EQ(vbForeColor(web), 0xFF0000u);
    EXPECT_EQ(vbForeColor(mail), 0xFF0000u);

    mouse(dialog.frame(1), QEvent::MouseMove, {2, 2});
    EXPECT_EQ(vbForeColor(web), 0xFF8080u);
    EXPECT_EQ(vbForeColor(mail), 0xFF8080u);
    EXPECT_EQ(web->palette().color(QPalette::WindowText), QColor(0x80, 0x80, 0xFF));
}

TEST(VersionDialog, TheOkButtonShowsItsPressedPictureAndCloses)
{
    banner::LoggedSandbox sandbox;
    writePicture(QStringLiteral("OK_verInfo_off.gif"), QSize(80, 30));
    writePicture(QStringLiteral("OK_verInfo_on.gif"), QSize(78, 28));
    RecordingUi ui;
    VersionDialog dialog(ui);
    QLabel* ok = dialog.imgOK();
    EXPECT_EQ(ok->pixmap().size(), QSize(80, 30));
    mouse(ok, QEvent::MouseButtonPress, {3, 3}, Qt::LeftButton);
    EXPECT_EQ(ok->pixmap().size(), QSize(78, 28));
    EXPECT_EQ(dialog.result(), 0);
    mouse(ok, QEvent::MouseButtonRelease, {3, 3}, Qt::LeftButton);
    EXPECT_EQ(ok->pixmap().size(), QSize(80, 30));
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    EXPECT_TRUE(sandbox.logMessages().isEmpty());
}

TEST(VersionDialog, MissingPicturesLeaveTheDesignButtonAndLogTheirProcedure)
{
    banner::LoggedSandbox sandbox;
    SkinGuard skin(QStringLiteral("Light"));
    RecordingUi ui;
    VersionDialog dialog(ui);
    QLabel* ok = dialog.imgOK();
    EXPECT_TRUE(ok->pixmap().isNull());
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    // The look was applied before the picture failed.
    EXPECT_EQ(vbBackColor(&dialog), 0x8000000Fu);
    click(ok);
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    EXPECT_EQ(sandbox.logMessages(),
              (QStringList{
                  QStringLiteral("■Err：[frmVirsionInfo]-[Form_Load()]：ファイルが見つかりません。：エラー番号 -> 53"),
                  QStringLiteral("■Err：[frmVirsionInfo]-[imgOK_MouseDown()]：ファイルが見つかりません。：エラー番号 -> 53"),
                  QStringLiteral("■Err：[frmVirsionInfo]-[imgOK_MouseUp()]：ファイルが見つかりません。：エラー番号 -> 53")}));
}

}  // namespace
}  // namespace tolvane::test
