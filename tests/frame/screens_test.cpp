// Every window in both skins, rendered and looked at pixel by pixel: faces in
// the skin's colour, texts that stand out from what is behind them and are
// not cut, pictures shown as drawn. With TOLVANE_SCREENSHOT_DIR set the
// pictures are saved there too (tools/screenshot.sh, on a virtual X display).
#include "frame/frametest.h"

#include "diagram/fromcalc.h"
#include "frame/dxfdialog.h"
#include "frame/look.h"
#include "frame/regiondialog.h"
#include "frame/totaldialog.h"
#include "frame/versiondialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QGroupBox>
#include <QHash>
#include <QImage>
#include <QLibraryInfo>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTimer>
#include <QTranslator>

#include <cmath>
#include <functional>

namespace tolvane::test {
namespace {

// --- looking at pixels -------------------------------------------------------

// Relative luminance and contrast ratio as the accessibility guidelines
// define them: 1 for equal colours, 21 for black on white.
double luminance(QColor c)
{
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

double contrast(QColor a, QColor b)
{
    const double x = luminance(a) + 0.05;
    const double y = luminance(b) + 0.05;
    return std::max(x, y) / std::min(x, y);
}

// The part of w that shows, in window coordinates: its parents clip it.
QRect shownRect(const QWidget* w, const QWidget* window)
{
    if (w == window)
        return window->rect();
    QRect r(w->mapTo(window, QPoint(0, 0)), w->size());
    for (const QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
        r &= QRect(p->mapTo(window, QPoint(0, 0)), p->size());
    return r & window->rect();
}

// The colour most pixels of the rectangle have, leaving out what the listed
// children cover: the face behind a control's text.
QColor commonest(const QImage& image, const QRect& r, const QList<QRect>& leaveOut = {})
{
    QHash<QRgb, int> counts;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (std::none_of(leaveOut.begin(), leaveOut.end(), [&](const QRect& c) { return c.contains(x, y); }))
                ++counts[image.pixel(x, y)];
    QRgb best = 0;
    int most = -1;
    for (auto it = counts.begin(); it != counts.end(); ++it)
        if (it.value() > most)
            best = it.key(), most = it.value();
    return QColor(best);
}

double strongestContrast(const QImage& image, const QRect& r, QColor against)
{
    double best = 1;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            best = std::max(best, contrast(QColor(image.pixel(x, y)), against));
    return best;
}

// Colours the same but for the style's faint shading of a frame's panel.
bool nearly(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) <= 4 && std::abs(a.green() - b.green()) <= 4 && std::abs(a.blue() - b.blue()) <= 4;
}

// The face of a control: its commonest colour outside its visible children.
QColor faceOf(const QImage& image, const QWidget* w, const QWidget* window)
{
    QList<QRect> children;
    for (const QWidget* c : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (c->isVisibleTo(window))
            children << shownRect(c, window);
    return commonest(image, shownRect(w, window), children);
}

QString shownText(const QWidget* w)
{
    if (const auto* l = qobject_cast<const QLabel*>(w))
        return l->pixmap().isNull() ? l->text() : QString();
    if (const auto* b = qobject_cast<const QAbstractButton*>(w)) {
        // A check box or option narrowed to its indicator shows no text.
        QStyleOptionButton o;
        o.initFrom(b);
        const auto contents = qobject_cast<const QRadioButton*>(w) ? QStyle::SE_RadioButtonContents
                                                                    : QStyle::SE_CheckBoxContents;
        const bool narrowed = qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w)
                                  ? b->style()->subElementRect(contents, &o, b).width() <= 0
                                  : false;
        return narrowed ? QString() : b->text();
    }
    if (const auto* g = qobject_cast<const QGroupBox*>(w))
        return g->title();
    if (const auto* e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    return {};
}

QImage shoot(QWidget* w, const QString& name)
{
    w->show();
    QApplication::processEvents();
    const QImage image = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (const QString dir = qEnvironmentVariable("TOLVANE_SCREENSHOT_DIR"); !dir.isEmpty()) {
        QDir().mkpath(dir);
        image.save(dir + u'/' + name + QStringLiteral(".png"));
    }
    return image;
}

// White on light grey is 1.15, an unseen text 1. The weakest pair by design is
// the links' fixed light blue on the light face, 2.8.
constexpr double kReadable = 2.5;

// What every window must show: its face in the expected colour, each text
// readable against what is behind it (a disabled one, meant to read as off,
// only there at all) and a one-line caption whole inside the part of its
// control that shows.
void expectLegible(QWidget* window, const QImage& image, QColor face)
{
    const QWidget* surface = qobject_cast<QMainWindow*>(window) ? static_cast<QMainWindow*>(window)->centralWidget()
                                                                : window;
    EXPECT_EQ(faceOf(image, surface, window).name(), face.name()) << window->objectName().toStdString();
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const QString text = shownText(w);
        if (text.trimmed().isEmpty() || !w->isVisibleTo(window))
            continue;
        const std::string what = (window->objectName() + u'.' + w->objectName() + u' ' + text).toStdString();
        const QRect shown = shownRect(w, window);
        const QColor behind = commonest(image, shown);
        EXPECT_GE(strongestContrast(image, shown, behind), w->isEnabled() ? kReadable : 1.4) << what;

        const auto* label = qobject_cast<QLabel*>(w);
        if (label && !label->wordWrap() && !text.contains(u'\n') && !qobject_cast<VerticalLabel*>(w)) {
            const QSize need(label->fontMetrics().horizontalAdvance(text), label->fontMetrics().height());
            const QRect at = QStyle::alignedRect(label->layoutDirection(), label->alignment(), need, label->contentsRect())
                                 .translated(label->mapTo(window, QPoint(0, 0)));
            EXPECT_TRUE(at.left() >= shown.left() && at.right() <= shown.right()) << "cut: " << what;
        }
        if (qobject_cast<QCheckBox*>(w) || qobject_cast<QPushButton*>(w)) {
            EXPECT_LE(w->sizeHint().width(), w->width()) << "cut: " << what;
        }
    }
}

class ScreensTest : public WindowTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        QApplication::setFont(look::programFont());
        started();
        skin = QString::fromLatin1(GetParam());
        skin == QStringLiteral("Light") ? window->mnuLight_Click() : window->mnuDark_Click();
        face = skin == QStringLiteral("Light") ? look::vbColor(look::kVbButtonFace) : QColor(48, 48, 48);
    }
    void TearDown() override { QApplication::setFont(QFont()); }
    QImage shootWindow(const char* state) { return shoot(window.get(), QStringLiteral("frmMain_%1_%2").arg(QLatin1String(state), skin)); }

    QString skin;
    QColor face;
};

TEST_P(ScreensTest, TheMainWindowWearsTheSkinAndReadsWell)
{
    const QImage image = shootWindow("start");
    expectLegible(window.get(), image, face);
    for (const char* name : {"Frame1", "Frame2", "Frame3", "Frame4", "Frame7", "Option1", "Option2", "Option13",
                             "Option14", "Option15"})
        EXPECT_TRUE(nearly(faceOf(image, widget(name), window.get()), face)) << name;
    EXPECT_EQ(faceOf(image, widget<QPlainTextEdit>("Text1")->viewport(), window.get()).name(),
              (skin == QStringLiteral("Light") ? QColor(Qt::white) : face).name());
}

TEST_P(ScreensTest, EveryDialogWearsTheSkinAndReadsWell)
{
    const QColor desktop = QApplication::palette().color(QPalette::Window);
    DxfDialog dxf(diagramInputs(window->model()), SpringRecord{}, true, ui, window.get());
    TotalDialog total(window.get(), ui);
    VersionDialog version(ui, window.get());
    UserInfoChangeDialog change(ui, window.get());
    UserRegistDialog regist(ui, window.get());
    // The region dialogs have no skin: they keep the desktop's face.
    const std::pair<QDialog*, QColor> dialogs[] = {
        {&dxf, face}, {&total, face}, {&version, face}, {&change, desktop}, {&regist, desktop}};
    for (const auto& [dialog, expected] : dialogs)
        expectLegible(dialog, shoot(dialog, dialog->objectName() + u'_' + skin), expected);

    // The data-file check box: the dialog's face, and a tick that shows.
    const QImage image = shoot(&dxf, QStringLiteral("frmOutputDXF_") + skin);
    QCheckBox* box = dxf.vornCheckBox();
    ASSERT_TRUE(box->isChecked());
    EXPECT_EQ(faceOf(image, box, &dxf).name(), face.name());
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect tickBox = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    const QRect inside = tickBox.adjusted(3, 3, -3, -3).translated(box->mapTo(&dxf, QPoint(0, 0)));
    EXPECT_GE(strongestContrast(image, inside, commonest(image, inside)), 3.0);
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
    form().setEnabled(Ctl::Option14, false);
    form().setEnabled(Ctl::Option15, true);
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

// Each dialog reads the skin when it is shown, so a switch in between shows.
TEST_F(WindowTest, EveryDialogTakesTheSkinOfTheMomentItIsShown)
{
    started();
    QStringList faces;
    auto seeAndClose = [&](const std::function<void()>& show) {
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            faces << faceOf(shoot(dialog, QStringLiteral("%1_shown%2").arg(dialog->objectName()).arg(faces.size())), dialog, dialog).name();
            dialog->close();
        });
        show();
    };
    for (bool light : {false, true, false}) {
        light ? window->mnuLight_Click() : window->mnuDark_Click();
        seeAndClose([&] { showDxfDialog(window.get(), diagramInputs(window->model()), SpringRecord{}, true, ui); });
        seeAndClose([&] { showTotalDialog(window.get(), ui); });
        seeAndClose([&] { showVersionDialog(window.get(), ui); });
    }
    const QString dark = QColor(48, 48, 48).name();
    const QString light = look::vbColor(look::kVbButtonFace).name();
    EXPECT_EQ(faces, (QStringList{dark, dark, dark, light, light, light, dark, dark, dark}));
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
    QFileDialog save;
    save.setAcceptMode(QFileDialog::AcceptSave);
    QStringList buttons;
    for (const QPushButton* b : save.findChildren<QPushButton*>())
        buttons << b->text();
    EXPECT_TRUE(buttons.contains(QStringLiteral("保存(&S)"))) << buttons.join(u' ').toStdString();
    EXPECT_EQ(QLocale().name(), before.name());
    EXPECT_EQ(QLocale().decimalPoint(), before.decimalPoint());
    QCoreApplication::removeTranslator(japanese);
    delete japanese;
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, false);
}

}  // namespace
}  // namespace tolvane::test
