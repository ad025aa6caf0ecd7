// Every window in both skins, rendered and looked at pixel by pixel: faces in
// the skin's colour, texts that stand out from what is behind them and are
// not cut, pictures shown as drawn.
#include "frame/frametest.h"
#include "frame/pixels.h"

#include "diagram/dxffile.h"
#include "diagram/fromcalc.h"
#include "frame/desktop.h"
#include "frame/dxfdialog.h"
#include "frame/look.h"
#include "frame/qtdialogs.h"
#include "frame/regiondialog.h"
#include "frame/totaldialog.h"
#include "frame/versiondialog.h"

#include <QDeadlineTimer>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLibraryInfo>
#include <QListWidget>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QTranslator>
#include <QTreeView>

#include <functional>

namespace tolvane::test {
namespace {

bool japanese(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x3000; });
}

// Qt's Japanese texts for as long as a test holds it. As in the program, no
// dialog made after it is told of a change of language.
struct QtInJapanese {
    QTranslator* translator = look::installQtJapanese(*qApp);
    QtInJapanese() { QCoreApplication::processEvents(); }
    ~QtInJapanese()
    {
        QCoreApplication::removeTranslator(translator);
        delete translator;
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, false);
    }
};

// The lines a message box shows, each checked as Japanese text is set:
// within the box, none starting with a closing mark or ending with an
// opening one; and the box as tall as its lines, not as its text was before
// they were broken.
QStringList expectBrokenAsJapanese(const QMessageBox& message)
{
    const auto* label = message.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (!label) {
        ADD_FAILURE() << "no text in the box";
        return {};
    }
    const QStringList lines = message.text().split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        EXPECT_LE(label->fontMetrics().horizontalAdvance(lines[i]), label->contentsRect().width()) << i;
        if (lines[i].isEmpty())
            continue;
        EXPECT_FALSE(QStringView(u"、。，．：；！？」』）").contains(lines[i].front())) << i;
        EXPECT_FALSE(QStringView(u"「『（").contains(lines[i].back())) << i;
    }
    EXPECT_LE(label->geometry().bottom(), message.height());
    EXPECT_EQ(label->height(), label->heightForWidth(label->width()));
    return lines;
}

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
    // The window made again on Qt's message boxes (and the given printer),
    // shown in the skin of the test.
    void onTheDesktop(QtUserInterface& desktop, PrinterPort* printer = nullptr)
    {
        FramePorts p = ports();
        p.ui = &desktop;
        if (printer)
            p.printer = printer;
        window.reset();
        window = std::make_unique<MainWindow>(p);
        ASSERT_EQ(window->startUp(), StartResult::Run);
        desktop.setOwner(window.get());
        useSkin(skin == QStringLiteral("Light"));
        window->show();
        window->activateWindow();
        QApplication::processEvents();
    }
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
                // The progress bar is a bar: at rest a frame on the dialog's
                // face, no white field; half way its left half filled.
                QProgressBar* bar = dxf->progressBar();
                const QRect r = shownRect(bar, dxf);
                EXPECT_EQ(commonest(image, r).name(), face.name());
                EXPECT_GE(strongestContrast(image, QRect(r.center().x(), r.top(), 1, r.height()), face), 3.0);
                bar->setRange(0, 100);
                bar->setValue(50);
                const QImage half = shoot(dxf, QStringLiteral("frmOutputDXF_half_") + skin);
                EXPECT_GE(contrast(QColor(half.pixel(r.left() + r.width() / 4, r.center().y())), face), 3.0);
                EXPECT_EQ(QColor(half.pixel(r.right() - r.width() / 4, r.center().y())).name(), face.name());
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
    const QColor desktop = QApplication::palette().color(QPalette::Window);
    for (QDialog* dialog : std::initializer_list<QDialog*>{&change, &regist})
        expectLegible(dialog, shoot(dialog, dialog->objectName() + u'_' + skin), desktop);
    // The first-run dialog's picture is the program's icon, as in the version dialog.
    const QRect picture = shownRect(regist.findChild<QWidget*>(QStringLiteral("Picture1")), &regist).adjusted(4, 4, -4, -4);
    EXPECT_GE(strongestContrast(regist.grab().toImage(), picture, desktop), 3.0);
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

// In the pressure-only mode the die's data are off: their boxes show their
// values in one grey that reads on their grey face.
TEST_P(ScreensTest, BoxesTheModeTurnsOffShowTheirValuesInOneReadableGrey)
{
    window->model().userClickedOption(Ctl::Option2);
    const QImage image = shootWindow("pressure-only");
    expectLegible(window.get(), image, face);
    QList<QColor> texts;
    for (const char* name : {"Text5", "Text8", "Text11"}) {
        auto* box = widget<QLineEdit>(name);
        ASSERT_FALSE(box->isEnabled()) << name;
        const QRect inside = shownRect(box, window.get()).adjusted(3, 3, -3, -3);
        QRgb darkest = qRgb(255, 255, 255);
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x)
                darkest = qGray(image.pixel(x, y)) < qGray(darkest) ? image.pixel(x, y) : darkest;
        texts << QColor(darkest);
        EXPECT_GE(contrast(texts.last(), commonest(image, inside)), 3.0) << name;
    }
    for (const QColor& text : texts)  // one grey, but for the edges of a glyph
        EXPECT_LT(contrast(text, texts[0]), 1.1) << text.name().toStdString();
}

// A list with the keyboard focus shows it by a ring on its frame, plain
// against the list's white and the skin around it, with nothing chosen.
TEST_P(ScreensTest, AListWithTheFocusWearsAPlainRing)
{
    window->show();
    window->activateWindow();
    QApplication::processEvents();
    auto* list = widget<QListWidget>("List1");
    auto ring = [&](const QImage& image) {
        const QRect r = shownRect(list, window.get());
        return commonest(image, r, {r.adjusted(1, 1, -1, -1)});
    };
    const QColor without = ring(shootWindow("list"));
    list->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(list->hasFocus());
    const QColor with = ring(shootWindow("list-focused"));
    EXPECT_NE(with.name(), without.name());
    EXPECT_GE(contrast(with, face), 3.0);
    EXPECT_GE(contrast(with, Qt::white), 3.0);
}

// A message breaks its lines as Japanese text breaks, a long path's too (a
// long folder name, a long Japanese one, one with blanks): no colon starts a
// line. One shown before the window, as the start-up's are, stands at the
// centre of the screen by the size it really has.
TEST_P(ScreensTest, AMessageBreaksAsJapaneseTextAndStandsAtTheCentreOfTheScreen)
{
    QWidget unshown;  // the main window during the start-up
    QtUserInterface desktop;
    window->show();
    const QString saved = QStringLiteral("/スプリング線図.dxf ：ファイルを保存しました。");
    // The prompt, and whether the window is shown (then as a saved drawing's message, with no icon).
    const std::pair<QString, bool> prompts[] = {
        {QStringLiteral("すでに「Tolvane」は起動されています。"), false},
        {QStringLiteral("/home/user/") + QString(180, u'a')
             + QStringLiteral("内に、\rmaterialsフォルダが存在しない為、Tolvaneを起動できません。\r"
                              "フォルダ（及びフォルダ内のファイル）を正しく配置するか、本ソフトウェアを再インストールしてください。\r"),
         false},
        {QStringLiteral("/home/user/") + QString(180, u'a') + saved, true},
        {QStringLiteral("/home/user/") + QString(60, u'図') + saved, true},
        {QStringLiteral("/home/user/my drawings/press line 1/upper die of the first stage") + saved, true}};
    for (const auto& [prompt, shown] : prompts) {
        SCOPED_TRACE(prompt.toStdString());
        desktop.setOwner(shown ? static_cast<QWidget*>(window.get()) : &unshown);
        QRect frame, screen;
        QStringList lines;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_TRUE(box);
            frame = box->frameGeometry();
            screen = box->screen()->availableGeometry();
            lines = expectBrokenAsJapanese(*box);
            shoot(box, (prompt == prompts[0].first ? QStringLiteral("QMessageBox_") : QStringLiteral("QMessageBox_long_")) + skin);
            box->close();
        });
        desktop.msgBox(prompt, shown ? kMbOk : kMbExclamation, kProgramTitle);
        EXPECT_TRUE(shown || (frame.center() - screen.center()).manhattanLength() <= 2) << frame.x() << ',' << frame.y();
        EXPECT_EQ(lines.join(QString()), QString(prompt).remove(u'\r'));
    }
}

// Qt's file dialog, as the total's file choice and every save show it: the
// list's sizes, types and dates in Japanese, every column whole beside a
// drawing's name of fair length.
TEST_P(ScreensTest, TheFileDialogListsInJapaneseWithEveryColumnWhole)
{
    const QtInJapanese japaneseTexts;
    const QString folder = sandbox.root() + QStringLiteral("/図面");
    QDir().mkpath(folder + QStringLiteral("/金型"));
    writeAll(folder + QStringLiteral("/スプリング線図 プレス1号機 上型.dxf"), QByteArray(289, '0'));
    writeAll(folder + QStringLiteral("/メモ.txt"), QByteArray(13800, 'a'));
    FileDialogRequest request = dxfSaveRequest();
    request.filterIndex = 1;  // all files
    request.initialDir = folder;
    QFileDialog dialog(window.get());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    prepareFileDialog(dialog, request);
    dialog.show();
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_TRUE(list);
    const QAbstractItemModel* files = list->model();
    for (QDeadlineTimer listed(60000); files->rowCount(list->rootIndex()) < 3 && !listed.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(files->rowCount(list->rootIndex()), 3);
    shoot(&dialog, QStringLiteral("QFileDialog_") + skin);

    const QHeaderView* header = list->header();
    for (int column = 0; column < 4; ++column) {
        EXPECT_TRUE(japanese(files->headerData(column, Qt::Horizontal).toString())) << column;
        EXPECT_LE(header->sectionSizeHint(column), header->sectionSize(column)) << column;
        EXPECT_LE(header->sectionViewportPosition(column) + header->sectionSize(column), list->viewport()->width());
    }
    const QRegularExpression date(QStringLiteral("^\\d{4}/\\d{2}/\\d{2} \\d{1,2}:\\d{2}$"));
    for (int row = 0; row < 3; ++row) {
        const QModelIndex name = files->index(row, 0, list->rootIndex());
        for (int column = 0; column < 4; ++column) {
            const QModelIndex cell = name.siblingAtColumn(column);
            EXPECT_LE(list->sizeHintForIndex(cell).width(), header->sectionSize(column))
                << "cut: " << (name.data().toString() + u' ' + cell.data().toString()).toStdString();
        }
        const bool drawing = name.data().toString().endsWith(QStringLiteral(".dxf"));
        const QString size = name.siblingAtColumn(1).data().toString();
        EXPECT_TRUE(drawing ? japanese(size) : !size.contains(QStringLiteral("bytes"))) << size.toStdString();
        EXPECT_TRUE(japanese(name.siblingAtColumn(2).data().toString())) << row;
        EXPECT_TRUE(date.match(name.siblingAtColumn(3).data().toString()).hasMatch()) << row;
    }
}

// The printer setup speaks Japanese, its options too, and confirms with OK:
// it prints nothing.
TEST_P(ScreensTest, ThePrinterSetupSpeaksJapaneseAndConfirmsWithOk)
{
    const QtInJapanese japaneseTexts;
    QPrinter printer;
    QPrintDialog dialog(&printer, window.get());
    preparePrintSetup(dialog);
    dialog.show();
    for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
        if (b->text().contains(QStringLiteral(">>")))
            b->click();
    }
    shoot(&dialog, QStringLiteral("QPrintDialog_") + skin);
    QStringList english;
    for (QWidget* w : dialog.findChildren<QWidget*>()) {
        const QString text = shownText(w);
        if (w->isVisibleTo(&dialog) && !qobject_cast<QLineEdit*>(w) && !text.isEmpty() && !japanese(text)
            && text != QStringLiteral("OK") && text != QStringLiteral("..."))
            english << text;
    }
    EXPECT_EQ(english, QStringList());
    EXPECT_EQ(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->text(), QStringLiteral("OK"));
}

// A print that cannot come out (its PDF file's folder is not there) is told
// in a message over the window, as a missing printer is.
TEST_P(ScreensTest, APrintThatCannotComeOutIsToldOverTheWindow)
{
    QtUserInterface desktop;
    QtPrinterPort printer;
    ASSERT_NO_FATAL_FAILURE(onTheDesktop(desktop, &printer));
    choosePdfInPrinterSetup(*window, sandbox.root() + QStringLiteral("/ない/報告.pdf"));
    putReport(QStringLiteral("L = 50"));
    QString title, text;
    QTimer::singleShot(0, [&] {
        auto* message = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_TRUE(message);
        title = message->windowTitle();
        text = message->text();
        EXPECT_EQ(message->parentWidget(), window.get());
        EXPECT_EQ(message->icon(), QMessageBox::Critical);
        expectLegible(message, shoot(message, QStringLiteral("print-error_") + skin),
                      QApplication::palette().color(QPalette::Window));
        message->close();
    });
    window->mnuPrint_Click();
    EXPECT_EQ(title, QStringLiteral("プリント エラー"));
    // As shown: a line too long for the box is broken between phrases.
    EXPECT_TRUE(text.startsWith(QStringLiteral("プリンター エラーです！\n")));
    EXPECT_EQ(text.remove(u'\n'), QStringLiteral("プリンター エラーです！使用できるプリンターが見つかりません、プリンターをインストールしてから 再度実行してください。"));
    shootWindow("print-error");
}

// A number the report refuses: Qt's message box names the box by the
// caption above it on the window (a value the rules could not compute, by
// the boxes it is worked out from), and then the focus is in that box with
// its text selected to be typed over.
TEST_P(ScreensTest, ARefusedNumberIsNamedByItsCaptionAndTakesTheFocus)
{
    QtUserInterface desktop;
    ASSERT_NO_FATAL_FAILURE(onTheDesktop(desktop));
    struct Case {
        const char* typed;
        QString text;
        const char* refused;  // the box named, and where the focus goes
        bool pressureOnly = false;
        bool spring = false;
    };
    const Case cases[] = {{"Text2", QStringLiteral("1.2.3"), "Text2"},
                          {"Text3", QStringLiteral("1..2"), "Text3"},
                          {"Text4", QStringLiteral("1") + QString(40, u'0'), "Text4"},  // a pressure too large to round
                          {"Text12", QStringLiteral("-"), "Text12", true},
                          {"Text11", QStringLiteral("1") + QString(39, u'0'), "Text11", false, true}};  // loads too large
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        if (c.pressureOnly)
            window->model().userClickedOption(Ctl::Option2);
        if (c.spring) {
            window->model().userClickedOption(Ctl::Option1);
            for (const auto& [label, value] : {std::pair(field::SpringNo, "SWB20-100"), std::pair(field::RateN, "20"),
                                               std::pair(field::RateKgf, "2")})
                window->model().form().setText(label, QString::fromLatin1(value));
        }
        window->model().userTyped(field::PlateThickness, QStringLiteral("2"));
        const Ctl typed = *controlByName(QString::fromLatin1(c.typed));
        window->model().userTyped(typed, c.text);
        auto* box = widget<QLineEdit>(c.refused);
        QString caption;
        for (QLabel* l : box->parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
            if (l->x() == box->x() && l->geometry().bottom() + 1 == box->y())
                caption = l->text();
        widget("Text10")->setFocus();
        QString prompt;
        QTimer::singleShot(0, [&] {
            auto* message = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_TRUE(message);
            prompt = message->text();
            shoot(message, QStringLiteral("refused_%1_%2").arg(QLatin1String(c.refused), skin));
            // The box breaks its lines between phrases, never inside a word
            // or a box's name: it has none of its own to wrap.
            const QStringList lines = expectBrokenAsJapanese(*message);
            for (qsizetype i = 0; i + 1 < lines.size(); ++i)
                EXPECT_TRUE(lines[i].endsWith(u'、') || lines[i].endsWith(u'。') || lines[i + 1].startsWith(u'「')) << i;
            message->close();
        });
        window->mnuTEXT_Click();
        EXPECT_FALSE(caption.isEmpty());
        EXPECT_TRUE(prompt.contains(QStringLiteral("「") + caption + QStringLiteral("」"))) << prompt.toStdString();
        QApplication::processEvents();
        EXPECT_EQ(window->focusWidget(), box);
        EXPECT_EQ(box->selectedText(), box->text());
        EXPECT_FALSE(box->text().isEmpty());
        expectLegible(window.get(), shootWindow(c.refused), face);
        window->model().userTyped(typed, QString());
    }
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
    const QtInJapanese japaneseTexts;
    ASSERT_NE(japaneseTexts.translator, nullptr) << "Qt's Japanese texts are missing from "
                                                 << QLibraryInfo::path(QLibraryInfo::TranslationsPath).toStdString();
    EXPECT_TRUE(QCoreApplication::testAttribute(Qt::AA_DontUseNativeDialogs));
    const std::pair<const char*, const char*> texts[] = {
        {"QFileDialog", "%1 already exists.\nDo you want to replace it?"},
        {"QFileDialog", "%1\nFile not found.\nPlease verify the correct file name was given."},
        {"QFileDialog", "&Save"},
        {"QPrintDialog", "Print"},
        {"QPlatformTheme", "Cancel"}};
    for (const auto& [context, source] : texts)
        EXPECT_TRUE(japanese(QCoreApplication::translate(context, source))) << source;
    EXPECT_EQ(QLocale().name(), before.name());
    EXPECT_EQ(QLocale().decimalPoint(), before.decimalPoint());
}

}  // namespace
}  // namespace tolvane::test
