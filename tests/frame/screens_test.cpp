// Every window in both skins, rendered and looked at pixel by pixel: faces in
// the skin's colour, texts that stand out from what is behind them and are
// not cut, pictures shown as drawn.
#include "frame/frametest.h"
#include "frame/pixels.h"

#include "diagram/fromcalc.h"
#include "frame/dxfdialog.h"
#include "frame/look.h"
#include "frame/regiondialog.h"
#include "frame/totaldialog.h"
#include "frame/versiondialog.h"

#include <QDialog>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>

#include <functional>

namespace tolvane::test {
namespace {

class ScreensTest : public WindowTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        QApplication::setFont(look::programFont());
        started();
        useSkin(GetParam() == std::string("Light"));
    }
    void useSkin(bool light)
    {
        light ? window->mnuLight_Click() : window->mnuDark_Click();
        skin = light ? QStringLiteral("Light") : QStringLiteral("Dark");
        face = light ? look::vbColor(look::kVbButtonFace) : QColor(48, 48, 48);
    }
    void TearDown() override { QApplication::setFont(QFont()); }
    QImage shootWindow(const char* state)
    {
        return shoot(window.get(), QStringLiteral("frmMain_%1_%2").arg(QLatin1String(state), skin));
    }

    QString skin;
    QColor face;
};

TEST_P(ScreensTest, TheMainWindowWearsTheSkinAndReadsWell)
{
    const QImage image = shootWindow("start");
    expectLegible(window.get(), image, face);
    for (const char* name : {"Frame1", "Frame2", "Frame3", "Frame4", "Frame7", "Option1", "Option2", "Option13",
                             "Option14", "Option15"})
        EXPECT_LT(contrast(faceOf(image, widget(name), window.get()), face), 1.05) << name;  // frames shade faintly
    EXPECT_EQ(faceOf(image, widget<QPlainTextEdit>("Text1")->viewport(), window.get()).name(),
              (skin == QStringLiteral("Light") ? QColor(Qt::white) : face).name());
}

// Each dialog reads the skin when it is shown, so a switch in between shows.
TEST_P(ScreensTest, EveryDialogWearsTheSkinOfTheMomentItIsShownAndReadsWell)
{
    int seen = 0;
    auto seeAndClose = [&](const std::function<void()>& show) {
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            ++seen;
            const QImage image = shoot(dialog, dialog->objectName() + u'_' + skin);
            expectLegible(dialog, image, face);
            if (auto* dxf = qobject_cast<DxfDialog*>(dialog)) {
                // The data-file check box: the dialog's face, and a tick that shows.
                QCheckBox* box = dxf->vornCheckBox();
                EXPECT_TRUE(box->isChecked());
                EXPECT_EQ(faceOf(image, box, dxf).name(), face.name());
                QStyleOptionButton option;
                option.initFrom(box);
                const QRect tickBox = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
                const QRect inside = tickBox.adjusted(3, 3, -3, -3).translated(box->mapTo(dxf, QPoint(0, 0)));
                EXPECT_GE(strongestContrast(image, inside, commonest(image, inside)), 3.0);
            }
            dialog->close();
        });
        show();
    };
    for (const bool switched : {false, true}) {
        if (switched)
            useSkin(skin != QStringLiteral("Light"));
        seeAndClose([&] { showDxfDialog(window.get(), diagramInputs(window->model()), SpringRecord{}, true, ui); });
        seeAndClose([&] { showTotalDialog(window.get(), ui); });
        seeAndClose([&] { showVersionDialog(window.get(), ui); });
    }
    EXPECT_EQ(seen, 6);
}

// The region dialogs have no skin: they keep the desktop's face.
TEST_P(ScreensTest, TheRegionDialogsKeepTheDesktopsFace)
{
    UserInfoChangeDialog change(ui, window.get());
    UserRegistDialog regist(ui, window.get());
    for (QDialog* dialog : std::initializer_list<QDialog*>{&change, &regist})
        expectLegible(dialog, shoot(dialog, dialog->objectName() + u'_' + skin), QApplication::palette().color(QPalette::Window));
}

// The "_disable" pictures are drawn to be seen as they are, not greyed again.
TEST_P(ScreensTest, DisabledPictureButtonsShowTheirPictureAsDrawn)
{
    const QImage image = shootWindow("start");
    for (const char* name : {"imgSelectAll", "imgCopy", "imgOutputDXF"}) {
        auto* button = widget<PictureButton>(name);
        ASSERT_FALSE(button->isEnabled()) << name;
        const QImage drawn = QImage(ProgramFolder() + u'/' + button->pictureFile()).convertToFormat(QImage::Format_ARGB32);
        const QPoint at = button->mapTo(window.get(), QPoint(0, 0));
        int differing = 0;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x)
                if (qAlpha(drawn.pixel(x, y)) == 255 && image.pixel(at + QPoint(x, y)) != (drawn.pixel(x, y) | 0xFF000000))
                    ++differing;
        EXPECT_EQ(differing, 0) << name;
    }
}

// A use count the series does not offer shows a circle that reads as off:
// unlike the white one of an option that can be chosen, yet not lost in the
// face around it.
TEST_P(ScreensTest, UseCountsThatCannotBeChosenLookOff)
{
    form().setEnabled(field::UseCount50, false);
    form().setEnabled(field::UseCount30, true);
    const QImage image = shootWindow("fifty-off");
    auto middle = [&](const char* name) {
        auto* option = widget<QRadioButton>(name);
        QStyleOptionButton o;
        o.initFrom(option);
        const QRect circle = option->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &o, option);
        return QColor(image.pixel(option->mapTo(window.get(), circle.center())));
    };
    EXPECT_EQ(middle("Option15").name(), QColor(Qt::white).name());
    EXPECT_GE(contrast(middle("Option14"), Qt::white), 2.0);
    EXPECT_GE(contrast(middle("Option14"), face), 2.0);
}

// The version text keeps clear of the panel's edge at start and where it
// rests once the panel has slid away and back.
TEST_P(ScreensTest, TheVersionTextFitsTheTitlePanel)
{
    auto* version = widget<QLabel>("Label56");
    auto room = [&] {
        return version->parentWidget()->width() - version->x() -
               version->fontMetrics().horizontalAdvance(version->text());
    };
    EXPECT_GE(room(), 2);
    window->model().Picture_off();
    window->model().Picture_on();
    EXPECT_EQ(version->x(), (1380 + 7) / 15);
    EXPECT_GE(room(), 2);
    expectLegible(window.get(), shootWindow("cleared"), face);
}

INSTANTIATE_TEST_SUITE_P(Skins, ScreensTest, ::testing::Values("Light", "Dark"),
                         [](const auto& info) { return std::string(info.param); });

// Each allowed deflection carries the catalogue's caption beside it.
TEST_F(WindowTest, TheAllowedDeflectionsCarryTheirCatalogueCaptions)
{
    started();
    const std::pair<const char*, const char*> rows[] = {
        {"Label28", "Fmm/100万回"}, {"Label29", "Fmm/50万回"}, {"Label30", "Fmm/30万回"}};
    for (const auto& [value, caption] : rows) {
        const QRect v = widget(value)->geometry();
        QStringList beside;
        for (QLabel* l : widget(value)->parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
            if (l->geometry().right() < v.left() && v.left() - l->geometry().right() <= 4 && l->y() == v.y())
                beside << l->text();
        EXPECT_EQ(beside, QStringList{QString::fromUtf8(caption)}) << value;
    }
}

// Qt's own dialogs and questions speak Japanese; numbers stay as they were.
TEST(QtJapaneseTest, QtsOwnDialogsSpeakJapaneseAndTheLocaleStays)
{
    const QLocale before;
    QTranslator* japanese = look::installQtJapanese(*qApp);
    ASSERT_NE(japanese, nullptr) << "Qt's Japanese texts are missing from "
                                 << QLibraryInfo::path(QLibraryInfo::TranslationsPath).toStdString();
    EXPECT_TRUE(QCoreApplication::testAttribute(Qt::AA_DontUseNativeDialogs));
    const std::pair<const char*, const char*> texts[] = {
        {"QFileDialog", "%1 already exists.\nDo you want to replace it?"},
        {"QFileDialog", "%1\nFile not found.\nPlease verify the correct file name was given."},
        {"QFileDialog", "&Save"},
        {"QPrintDialog", "Print"},
        {"QPlatformTheme", "Cancel"}};
    for (const auto& [context, source] : texts) {
        const QString shown = QCoreApplication::translate(context, source);
        EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [](QChar c) { return c.unicode() >= 0x3000; })) << source;
    }
    EXPECT_EQ(QLocale().name(), before.name());
    EXPECT_EQ(QLocale().decimalPoint(), before.decimalPoint());
    QCoreApplication::removeTranslator(japanese);
    delete japanese;
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, false);
}

}  // namespace
}  // namespace tolvane::test
