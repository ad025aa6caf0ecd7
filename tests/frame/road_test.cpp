// One use of the window from start to end, through its widgets: kind,
// series, diameter, size, the die's data, the report, the DXF command and
// the end, on the shipped sample catalogue.
#include "frame/frametest.h"

#include "calc/springrecord.h"
#include "catalogue/catalogue.h"
#include "catalogue/copies.h"
#include "frame/look.h"
#include "frame/pixels.h"
#include "support/catalogue_reader.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QKeyEvent>
#include <QListWidget>
#include <QSet>

namespace tolvane::test {
namespace {

class RoadTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        for (const char* db : {"/ZEKA.mdb", "/ZEKA_D.mdb"}) {
            const QString shipped = QStringLiteral(TOLVANE_APP_DIR) + QString::fromLatin1(db);
            ASSERT_TRUE(QFileInfo::exists(shipped)) << "build the catalogue first";
            QFile::remove(ProgramFolder() + QString::fromLatin1(db));
            ASSERT_TRUE(QFile::copy(shipped, ProgramFolder() + QString::fromLatin1(db)));
        }
        started();
    }
    void click(const char* button) { emit widget<PictureButton>(button)->clicked(); }
    void type(const char* box, const QString& text)
    {
        auto* e = widget<QLineEdit>(box);
        e->setText(text);
        emit e->textEdited(text);
    }
    void pick(const char* list, const QString& entry)
    {
        auto* l = widget<QListWidget>(list);
        const auto found = l->findItems(entry, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << entry.toStdString();
        // A press and a release of the left button on the entry.
        l->scrollToItem(found.first());
        const QPointF at = l->visualItemRect(found.first()).center();
        ASSERT_TRUE(l->viewport()->rect().contains(at.toPoint())) << entry.toStdString();
        sendMouse(l->viewport(), QEvent::MouseButtonPress, Qt::LeftButton, at);
        sendMouse(l->viewport(), QEvent::MouseButtonRelease, Qt::LeftButton, at);
    }
    QString shown(const char* label) { return widget<QLabel>(label)->text(); }
};

TEST_F(RoadTest, FromKindToReportToTheEnd)
{
    // Kind: round wire and back to square wire 1; each shows its own frame.
    click("imgRoundSp");
    EXPECT_FALSE(widget("Frame5")->isHidden());
    EXPECT_TRUE(widget("Frame4")->isHidden());
    click("imgSquare1Sp");
    EXPECT_FALSE(widget("Frame4")->isHidden());

    // Series: its sizes and diameters are listed, the title panel slides away.
    click("imgSWM");
    EXPECT_EQ(pictureOf("imgSWM"), QStringLiteral("materials/SWM_on.gif"));
    EXPECT_TRUE(widget("Picture6")->isHidden());
    EXPECT_GT(widget<QListWidget>("List1")->count(), 10);

    // Diameter narrows the sizes; a size fills the spring's data.
    pick("List2", QStringLiteral("20"));
    for (int i = 0; i < widget<QListWidget>("List1")->count(); ++i)
        EXPECT_TRUE(widget<QListWidget>("List1")->item(i)->text().startsWith(QStringLiteral("SWM20-")));
    pick("List1", QStringLiteral("SWM20-50"));
    EXPECT_EQ(shown("Label21"), QStringLiteral("SWM20-50"));
    EXPECT_EQ(shown("Label24"), QStringLiteral("50"));
    EXPECT_EQ(shown("Label29"), QStringLiteral("14.4"));
    // The bars: 16 / 50 and 14.4 / 50 of 2460 twips, rounded up.
    EXPECT_EQ(widget("Label32")->height(), (788 + 7) / 15);
    EXPECT_EQ(widget("Label54")->height(), (709 + 7) / 15);

    // The die's data; a stray letter is taken out again.
    type("Text2", QStringLiteral("2x"));
    EXPECT_EQ(widget<QLineEdit>("Text2")->text(), QStringLiteral("2"));
    EXPECT_EQ(ui.beeps, 1);
    type("Text4", QStringLiteral("100"));
    EXPECT_EQ(shown("Label43"), QStringLiteral("7000 kgf"));
    type("Text9", QStringLiteral("3"));
    type("Text3", QStringLiteral("10"));
    widget<SpinArrows>("UpDown4")->stepUp();
    EXPECT_EQ(widget<QLineEdit>("Text11")->text(), QStringLiteral("1"));
    EXPECT_EQ(shown("Label46"), QStringLiteral("12.33"));
    EXPECT_EQ(shown("Label49"), QStringLiteral("41.1"));
    EXPECT_EQ(shown("Label61"), QStringLiteral("523.9"));
    EXPECT_EQ(shown("Label83"), QStringLiteral("37"));
    EXPECT_TRUE(ui.boxes.empty());  // within the allowed deflection

    // The report; which commands it switches on is the model's to show.
    click("imgDisplayTxt");
    const QString report = widget<QPlainTextEdit>("Text1")->toPlainText();
    EXPECT_TRUE(report.startsWith(QStringLiteral("加工長 = 100m/m\n板厚 = t2\n")));
    EXPECT_TRUE(report.contains(QStringLiteral("加工開始 = 10mm --> 41.1kgX1=41.1kg")));
    EXPECT_TRUE(report.endsWith(QStringLiteral("ST = 10  ( 使用回数 50万回 )")));
    EXPECT_EQ(form().text(field::ReportText), QString(report).replace(QStringLiteral("\n"), QStringLiteral("\r\n")));
    EXPECT_FALSE(widget("imgCopy")->isEnabled());

    // A selection made with the mouse in the result box switches copy on.
    selectInReport(0, 4);
    sendMouse(widget<QPlainTextEdit>("Text1")->viewport(), QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_TRUE(widget("imgCopy")->isEnabled());
    EXPECT_TRUE(menu("mnuCopy")->isEnabled());

    // The DXF command hands the spring record to its dialog.
    QStringList record;
    window->hooks().showDxfDialog = [&](MainWindow&, const SpringRecord& r, bool complete) {
        EXPECT_TRUE(complete);
        record = r.fields();
        return true;
    };
    click("imgOutputDXF");
    EXPECT_EQ(record, fields("All,50,3,10,47,37,12.33,41.1,53.43,3"));

    // Every text reads and the faces wear the skin in both looks, now that
    // the report, the values and their highlights are all there.
    for (const bool light : {true, false}) {
        light ? window->mnuLight_Click() : window->mnuDark_Click();
        expectLegible(window.get(), shoot(window.get(), QStringLiteral("road_") + QLatin1String(light ? "Light" : "Dark")),
                      light ? look::vbColor(look::kVbButtonFace) : QColor(48, 48, 48));
    }

    // Pressure only: the record carries the distance before bottom dead centre.
    emit widget<QRadioButton>("Option2")->clicked();  // without it the record would lack the plate
    type("Text9", QStringLiteral("5"));
    type("Text3", QStringLiteral("5"));
    type("Text12", QStringLiteral("3"));
    click("imgDisplayTxt");
    click("imgOutputDXF");
    EXPECT_EQ(record.value(0), QStringLiteral("All"));
    EXPECT_EQ(record.value(7), shown("Label49"));
    EXPECT_EQ(record.value(9), QStringLiteral("3"));

    // The end: the unsaved report is asked about.
    ui.answers = {kIdNo};
    window->mnuEnd_Click();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_TRUE(window->ended());
    EXPECT_TRUE(sandbox.logMessages().filter(QStringLiteral("■Err")).isEmpty());

    // Clear all brings the title panel back to its place.
    window->imgAllClear_Click();
    EXPECT_FALSE(widget("Picture6")->isHidden());
    EXPECT_EQ(widget("Label55")->x(), (135 + 7) / 15);
}

// The slide of the title panel is shown after the click has returned, every
// place one after the other, by the window's timer (its pace is timed in
// bench_frame_series_click).
TEST_F(RoadTest, TheTitlePanelSlidesAwayAfterTheClickThroughEveryPlace)
{
    window->show();
    QApplication::processEvents();
    struct Places : QObject {
        QList<int> name, version;
        QEventLoop slid;
        bool eventFilter(QObject* watched, QEvent* e) override
        {
            const QString who = watched->objectName();
            if (e->type() == QEvent::Move && who != QStringLiteral("Picture6"))
                (who == QStringLiteral("Label55") ? name : version) << static_cast<QWidget*>(watched)->x();
            if (e->type() == QEvent::Hide)
                slid.quit();
            return false;
        }
    } places;
    for (const char* w : {"Label55", "Label56", "Picture6"})
        widget(w)->installEventFilter(&places);
    click("imgSWM");
    EXPECT_EQ(form()[Ctl::Label55].left, 3000);
    EXPECT_FALSE(widget("Picture6")->isHidden());
    EXPECT_TRUE(places.name.isEmpty());
    QTimer::singleShot(60000, &places.slid, &QEventLoop::quit);  // only so a broken slide cannot hang the run
    places.slid.exec();
    ASSERT_TRUE(widget("Picture6")->isHidden());
    QList<int> name, version;
    for (int x = (135 + 7) / 15 + 1; x <= (3000 + 7) / 15; ++x)
        name << x;
    for (int x = (1080 + 7) / 15 - 1; x >= (-1100 + 7) / 15; --x)
        version << x;
    EXPECT_EQ(places.name, name);
    EXPECT_EQ(places.version, version);
}

// Shift+Tab from the plate thickness passes through both lists: the focus
// arriving chooses nothing; the arrow keys and Enter then do.
TEST_F(RoadTest, TheFocusComingIntoAListChoosesNothing)
{
    window->show();
    window->activateWindow();
    QApplication::processEvents();
    ASSERT_TRUE(window->isActiveWindow());
    click("imgSWM");
    type("Text9", QStringLiteral("3"));
    type("Text3", QStringLiteral("10"));
    auto* sizes = widget<QListWidget>("List1");
    auto* diameters = widget<QListWidget>("List2");
    const int allSizes = sizes->count();
    const auto press = [](int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, QWidget* to = nullptr) {
        QKeyEvent e(QEvent::KeyPress, key, modifiers);
        QWidget* target = to ? to : QApplication::focusWidget();
        ASSERT_TRUE(target);
        QApplication::sendEvent(target, &e);
    };
    widget("Text2")->setFocus(Qt::OtherFocusReason);
    QSet<QWidget*> lists;
    for (int i = 0; i < 40 && lists.size() < 2; ++i) {
        press(Qt::Key_Backtab, Qt::ShiftModifier);
        if (QApplication::focusWidget() == sizes || QApplication::focusWidget() == diameters)
            lists.insert(QApplication::focusWidget());
    }
    ASSERT_EQ(lists.size(), 2);
    EXPECT_TRUE(shown("Label21").isEmpty());
    EXPECT_EQ(sizes->count(), allSizes);
    EXPECT_EQ(widget<QLineEdit>("Text9")->text(), QStringLiteral("3"));
    EXPECT_EQ(widget<QLineEdit>("Text3")->text(), QStringLiteral("10"));

    // The arrow keys choose as a click does; Enter and a click on the
    // chosen entry choose it again.
    sizes->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Down, Qt::NoModifier, sizes);
    EXPECT_EQ(shown("Label21"), sizes->item(0)->text());
    press(Qt::Key_Down, Qt::NoModifier, sizes);
    EXPECT_EQ(shown("Label21"), sizes->item(1)->text());
    const QString freeLength = shown("Label24");
    ASSERT_FALSE(freeLength.isEmpty());
    form().setText(Ctl::Label24, QStringLiteral("x"));
    press(Qt::Key_Return, Qt::NoModifier, sizes);
    EXPECT_EQ(shown("Label24"), freeLength);
    form().setText(Ctl::Label24, QStringLiteral("x"));
    pick("List1", sizes->item(1)->text());
    EXPECT_EQ(shown("Label24"), freeLength);

    // A diameter chosen by key narrows the sizes as a click would.
    diameters->setFocus();
    pick("List2", QStringLiteral("20"));
    press(Qt::Key_Down, Qt::NoModifier, diameters);
    ASSERT_EQ(diameters->currentItem()->text(), QStringLiteral("22"));
    for (int i = 0; i < sizes->count(); ++i)
        EXPECT_TRUE(sizes->item(i)->text().startsWith(QStringLiteral("SWM22-"))) << sizes->item(i)->text().toStdString();
}

// The first look at a maker's catalogue file waits for its copy to be made,
// under the wait cursor; the next look reads the copy and shows none.
TEST_F(RoadTest, AMakersCatalogueIsReadUnderTheWaitCursorOnce)
{
    for (const char* db : {"/ZEKA.mdb", "/ZEKA_D.mdb"}) {
        QFile::remove(ProgramFolder() + QLatin1String(db));
        ASSERT_TRUE(QFile::copy(QStringLiteral(TOLVANE_JET_CATALOGUE) + QLatin1String(db), ProgramFolder() + QLatin1String(db)));
    }
    useCatalogueReader(QStringLiteral(TOLVANE_APP_DIR "/tolvane-catalogue"));
    click("imgSWM");
    click("imgSWL");
    EXPECT_GT(widget<QListWidget>("List1")->count(), 10);
    EXPECT_EQ(ui.waitCursor, (QList<bool>{true, false, true, false}));  // ZEKA.mdb, then ZEKA_D.mdb
}

}  // namespace
}  // namespace tolvane::test
