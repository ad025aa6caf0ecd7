// The toolbar and menu commands: which buttons and entries each one
// switches, the clipboard, the links, the calculator and the dialogs.
#include "frame/frametest.h"

#include "calc/spdata.h"
#include "calc/springrecord.h"
#include "frame/webservers.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

namespace tolvane::test {
namespace {

const QString kReport = QStringLiteral("SWM20-50\r\nL = 50\r\nkg/mm = 1.03\r\nST = 10  ( 使用回数 50万回 )");
const QString kMissing = QStringLiteral("()]：ファイルが見つかりません。：エラー番号 -> 53");

class CommandTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        started();
        putReport(kReport);
    }
    bool on(const char* name) { return widget(name)->isEnabled(); }
    bool menuOn(const char* name) { return menu(name)->isEnabled(); }
    // After a copy or a cut: the selection commands are all off.
    void expectSelectionCommandsOff()
    {
        EXPECT_FALSE(on("imgCopy"));
        EXPECT_EQ(pictureOf("imgCopy"), QStringLiteral("materials/copy_disable.gif"));
        EXPECT_FALSE(on("imgSelectAll"));
        EXPECT_EQ(pictureOf("imgSelectAll"), QStringLiteral("materials/select_all_disable.gif"));
        for (const char* m : {"mnuCopy", "mnuCut", "mnuAllsel"})
            EXPECT_FALSE(menuOn(m)) << m;
    }
};

// Select all switches the copy commands on, never itself; both copies put
// the selection on the clipboard and switch the selection commands off.
TEST_F(CommandTest, SelectAllAndBothCopiesSwitchTheSelectionCommands)
{
    for (const bool fromMenu : {false, true}) {
        const QString selectAllPicture = pictureOf("imgSelectAll");
        fromMenu ? window->mnuAllsel_Click() : window->imgSelectAll_Click();
        EXPECT_EQ(window->selectedReportText(), kReport);
        EXPECT_TRUE(on("imgCopy"));
        EXPECT_EQ(pictureOf("imgCopy"), QStringLiteral("materials/copy_off.gif"));
        EXPECT_TRUE(menuOn("mnuCopy"));
        EXPECT_TRUE(menuOn("mnuCut"));
        EXPECT_EQ(pictureOf("imgSelectAll"), selectAllPicture);

        selectInReport(0, 11);  // "SWM20-50", its line end and "L "
        clipboard.clears = 0;
        fromMenu ? window->mnuCopy_Click() : window->imgCopy_Click();
        EXPECT_EQ(clipboard.clears, 1);
        EXPECT_EQ(clipboard.text, QStringLiteral("SWM20-50\r\nL "));
        expectSelectionCommandsOff();
        EXPECT_EQ(form().text(field::ReportText), kReport);
        // The print and save entries follow the report, not the copy.
        EXPECT_TRUE(menuOn("mnuPrint"));
        EXPECT_TRUE(menuOn("mnuSave2"));
        form().setEnabled(Ctl::imgSelectAll, true);
    }
    // Nothing selected still empties the clipboard.
    selectInReport(0, 0);
    window->imgCopy_Click();
    EXPECT_EQ(clipboard.text, QString());

    // On an empty report select all switches nothing on.
    window->imgClearData_Click();
    window->mnuAllsel_Click();
    EXPECT_FALSE(on("imgCopy"));
    EXPECT_FALSE(menuOn("mnuCopy"));
}

TEST_F(CommandTest, CutTakesTheSelectionAndLeavesTheDxfEntryAlone)
{
    window->imgSelectAll_Click();
    selectInReport(0, 9);  // the first line and its line end
    window->mnuCut_Click();
    EXPECT_EQ(clipboard.clears, 0);
    EXPECT_EQ(clipboard.text, QStringLiteral("SWM20-50\r\n"));
    EXPECT_EQ(form().text(field::ReportText), kReport.mid(10));
    EXPECT_FALSE(on("imgOutputDXF"));
    EXPECT_EQ(pictureOf("imgOutputDXF"), QStringLiteral("materials/output_dxf_disable.gif"));
    EXPECT_TRUE(menuOn("mnuDxf"));
    expectSelectionCommandsOff();
}

TEST_F(CommandTest, ClearDataKeepsTheListsClearAllEmptiesThemAndResetsTheSeries)
{
    form().setItems(field::SizeList, {QStringLiteral("SWM20-50")});
    form().setPicture(Ctl::imgSWB, QStringLiteral("materials/SWB_on.gif"));
    window->imgClearData_Click();
    EXPECT_TRUE(form().text(field::ReportText).isEmpty());
    EXPECT_EQ(widget<QListWidget>("List1")->count(), 1);
    EXPECT_FALSE(on("imgOutputDXF"));
    EXPECT_FALSE(on("imgSelectAll"));
    EXPECT_EQ(pictureOf("imgOutputDXF"), QStringLiteral("materials/output_dxf_disable.gif"));
    for (const char* m : {"mnuDxf", "mnuAllsel", "mnuCopy", "mnuCut", "mnuPrint", "mnuSave2"})
        EXPECT_FALSE(menuOn(m)) << m;

    // The menu's clear all empties the lists but keeps the series pictures.
    window->mnuCria_Click();
    EXPECT_EQ(widget<QListWidget>("List1")->count(), 0);
    EXPECT_EQ(pictureOf("imgSWB"), QStringLiteral("materials/SWB_on.gif"));
    window->imgAllClear_Click();
    EXPECT_EQ(pictureOf("imgSWB"), QStringLiteral("materials/SWB_off.gif"));
    EXPECT_EQ(pictureOf("imgSquare1Sp"), QStringLiteral("materials/square_sp1_on.gif"));
}

TEST_F(CommandTest, AClearGoesOnPastAMissingPictureAndLeavesAnOffDxfButtonAsItIs)
{
    form().setItems(field::SizeList, {QStringLiteral("SWM20-50")});
    QFile::remove(MaterialsFolder() + QStringLiteral("/output_dxf_disable.gif"));
    window->imgAllClear_Click();
    EXPECT_FALSE(on("imgOutputDXF"));
    EXPECT_EQ(pictureOf("imgOutputDXF"), QStringLiteral("materials/output_dxf_off.gif"));
    EXPECT_FALSE(menuOn("mnuDxf"));
    EXPECT_EQ(widget<QListWidget>("List1")->count(), 0);
    EXPECT_TRUE(sandbox.logMessages().filter(QStringLiteral("■Err")).isEmpty());

    form().setPicture(Ctl::imgOutputDXF, QStringLiteral("materials/output_dxf_on.gif"));
    window->imgClearData_Click();
    EXPECT_EQ(pictureOf("imgOutputDXF"), QStringLiteral("materials/output_dxf_on.gif"));
}

TEST_F(CommandTest, AnyMouseButtonPressesAndReleasesButOnlyTheLeftOneClicks)
{
    auto* all = widget<PictureButton>("imgSelectAll");
    for (const Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton, Qt::LeftButton}) {
        sendMouse(all, QEvent::MouseButtonPress, button);
        EXPECT_EQ(pictureOf("imgSelectAll"), QStringLiteral("materials/select_all_on.gif"));
        sendMouse(all, QEvent::MouseButtonRelease, button);
        EXPECT_EQ(pictureOf("imgSelectAll"), QStringLiteral("materials/select_all_off.gif"));
        EXPECT_EQ(on("imgCopy"), button == Qt::LeftButton);
    }
    // A disabled button takes no click at all.
    window->imgCopy_Click();
    auto* copy = widget<PictureButton>("imgCopy");
    sendMouse(copy, QEvent::MouseButtonPress, Qt::LeftButton);
    sendMouse(copy, QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_EQ(pictureOf("imgCopy"), QStringLiteral("materials/copy_disable.gif"));
    EXPECT_EQ(clipboard.clears, 1);
}

TEST_F(CommandTest, DxfOutputFillsTheRecordOnlyWhileTheDialogIsOpen)
{
    for (const auto& [c, text] : {std::pair{field::SpringNo, "SWM20-50"}, {field::FreeLength, "50"},
                                  {field::InitialCompression, "3"},
                                  {field::Stroke, "10"}, {field::InitialLoadKgf, "24"}, {field::StartLoadKgf, "---"},
                                  {field::FinalLoadKgf, "104"}})
        form().setText(c, QString::fromLatin1(text));
    totalDiagramValues() = QStringList(9, QStringLiteral("1"));
    QStringList seen;
    bool confirm = false;
    window->hooks().showDxfDialog = [&](MainWindow& owner, const SpringRecord& record, bool complete) {
        EXPECT_EQ(&owner, window.get());
        EXPECT_TRUE(complete);
        seen = record.fields();
        return confirm;
    };
    window->imgOutputDXF_Click();  // closed without OK
    EXPECT_EQ(seen, fields("SppOnly,50,3,10,47,37,24,,104,"));
    EXPECT_EQ(springRecord().fields(), QStringList(10));
    EXPECT_TRUE(totalDiagramValues().isEmpty());
    EXPECT_TRUE(on("imgOutputDXF"));
    EXPECT_TRUE(menuOn("mnuDxf"));

    confirm = true;
    window->mnuDxf_Click();
    EXPECT_FALSE(on("imgOutputDXF"));
    EXPECT_EQ(pictureOf("imgOutputDXF"), QStringLiteral("materials/output_dxf_disable.gif"));
    EXPECT_FALSE(menuOn("mnuDxf"));
    EXPECT_EQ(springRecord().fields(), QStringList(10));
}

// The drawing refuses what the report refuses, with its message and an
// error line: no dialog opens, so nothing is drawn or saved.
TEST_F(CommandTest, ABoxThatIsNoNumberIsNamedAndNothingIsDrawn)
{
    int dialogs = 0;
    window->hooks().showDxfDialog = [&](MainWindow&, const SpringRecord&, bool) { return ++dialogs, false; };
    form().setText(field::SpringNo, QStringLiteral("SWM20-50"));
    const std::tuple<Ctl, const char*, Ctl> boxes[] = {
        {field::PlateThickness, "板厚 (T)", Ctl::Option1},
        {field::InitialCompression, "初圧 (mm)", Ctl::Option1},
        {field::Stroke, "ストローク (mm)", Ctl::Option1},
        {field::Bite, "カミアイ", Ctl::Option1},
        {field::StartBeforeBottom, "下死点手前 m/m", Ctl::Option2}};
    for (const auto& [box, caption, mode] : boxes) {
        // The rules read "\r\n2" as 0; the last three hold a line break
        // that would cut the data file's record in two.
        for (const char* bad : {"1.2.3", "-", "\r\n2", "\n2", "1.6\n", "2\r\n"}) {
            SCOPED_TRACE(controlName(box).toStdString() + " " + bad);
            window->model().userClickedOption(mode);
            window->model().userTyped(box, QString::fromLatin1(bad));
            ui.boxes.clear();
            window->imgOutputDXF_Click();
            EXPECT_EQ(ui.boxes, (Boxes{{QStringLiteral("「") + QString::fromUtf8(caption)
                                            + QStringLiteral("」に入力された値は、計算できる数値ではありません。\r入力し直してください。"),
                                        kMbOk | kMbExclamation, QStringLiteral("警告")}}));
            EXPECT_EQ(sandbox.logMessages().last(),
                      QStringLiteral("■Err：[frmMain]-[imgOutputDXF_Click()]：型が一致しません。：エラー番号 -> 13"));
            window->model().userTyped(box, QString());
        }
    }
    EXPECT_EQ(dialogs, 0);
    window->mnuDxf_Click();
    EXPECT_EQ(dialogs, 1);
}

// Without a spring there is nothing to draw: both DXF commands say so with
// the report's message, open no dialog and fill no record.
TEST_F(CommandTest, WithoutASpringNothingIsDrawn)
{
    int dialogs = 0;
    window->hooks().showDxfDialog = [&](MainWindow&, const SpringRecord&, bool) { return ++dialogs, false; };
    form().setText(field::FreeLength, QStringLiteral("50"));
    window->imgOutputDXF_Click();
    window->mnuDxf_Click();
    EXPECT_EQ(dialogs, 0);
    const MsgBoxCall none{QStringLiteral("スプリングが選択されていません。"), kMbInformation, QStringLiteral("警告")};
    EXPECT_EQ(ui.boxes, (Boxes{none, none}));
    EXPECT_EQ(springRecord().fields(), QStringList(10));
    EXPECT_TRUE(sandbox.logMessages().filter(QStringLiteral("■Err")).isEmpty());
}

TEST_F(CommandTest, AnIncompleteRecordIsSaidSo)
{
    bool complete = true;
    window->hooks().showDxfDialog = [&](MainWindow&, const SpringRecord&, bool c) { return complete = c, false; };
    form().setText(field::SpringNo, QStringLiteral("SWM20-50"));
    window->imgOutputDXF_Click();
    EXPECT_FALSE(complete);  // no free length
}

TEST_F(CommandTest, DialogsLinksHelpCalculatorAndPrinterSetup)
{
    window->imgTotalOutput_Click();
    window->mnuVer_Click();
    EXPECT_EQ(totalDialogs, 1);
    EXPECT_EQ(versionDialogs, 1);
    window->mnuPrinter_Click();
    EXPECT_EQ(printer.setups, 1);

    window->imgHowToUse_Click();
    window->mnuHome_Click();
    window->mnuProgram_Click();
    const QStringList opened{howToUseUrl(), messageHomeUrl(), ProgramFolder() + QStringLiteral("/html/siyou.html")};
    EXPECT_EQ(ui.opened, opened);
    QFile::remove(ProgramFolder() + QStringLiteral("/html/siyou.html"));
    window->mnuProgram_Click();
    EXPECT_EQ(ui.opened, opened);
    EXPECT_EQ(ui.boxes, (Boxes{{QStringLiteral("ヘルプファイルがインストールされていません。"), 0, QStringLiteral("Tolvane")}}));

    window->mnuDentaku_Click();
    EXPECT_EQ(calculator.starts, 1);
    EXPECT_TRUE(sandbox.logMessages().filter(QStringLiteral("■Err")).isEmpty());
    calculator.found = false;
    window->mnuDentaku_Click();
    EXPECT_EQ(sandbox.logMessages().last(), QStringLiteral("■Err：[frmMain]-[mnuDentaku_Click") + kMissing);
}

TEST_F(CommandTest, EnterMovesAlongTheInputBoxesAndABoxSelectsItsTextOnFocus)
{
    window->show();
    auto enterIn = [&](const char* box) {
        QWidget* w = widget(box);
        w->setFocus();
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(w, &key);
        return window->focusWidget() ? window->focusWidget()->objectName().toStdString() : std::string();
    };
    const QStringList order = fields("Text2,Text4,Text5,Text8,Text9,Text3,Text10,Text11,Text11");
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        EXPECT_EQ(enterIn(order[i].toLatin1().constData()), order[i + 1].toStdString()) << order[i].toStdString();
    window->model().InputMode = QStringLiteral("part");
    form().setEnabled(field::StartBeforeBottom, true);
    EXPECT_EQ(enterIn("Text10"), "Text12");
    EXPECT_EQ(enterIn("Text12"), "Text12");

    auto* factor = widget<QLineEdit>("Text5");
    factor->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(factor->selectedText(), QStringLiteral("35"));
}

// A paste into a box, by the keys, the context menu or the middle button, or
// a drop brings its text up to the first line break and without the blanks
// and tabs around it, as a spreadsheet's cell comes; the rules get what the
// box shows.
TEST_F(CommandTest, APasteOrADropIntoABoxKeepsItsFirstLine)
{
    window->show();
    auto* box = widget<QLineEdit>("Text9");
    box->setFocus();
    auto expectShown = [&](const char* kept) {
        EXPECT_EQ(box->text(), QString::fromLatin1(kept));
        EXPECT_EQ(form().text(field::InitialCompression), QString::fromLatin1(kept));
    };
    auto keys = [&] {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
        QApplication::sendEvent(box, &key);
    };
    auto menu = [&] {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), box->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(box, &event);
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_TRUE(popup);
        QAction* paste = nullptr;
        for (QAction* a : popup->actions())
            paste = a->text().startsWith(QStringLiteral("&Paste")) ? a : paste;
        ASSERT_TRUE(paste);
        paste->trigger();
        popup->close();
    };
    const std::pair<const char*, const char*> pastes[] = {{"2\n", "2"}, {"2\r\n", "2"}, {"\n2", ""}, {"1.6\n3", "1.6"}, {"12", "12"},
                                                          {"\t2", "2"}, {"2\t\r\n", "2"}, {" 1.6\t \n3", "1.6"}};
    for (const auto& paste : {std::function<void()>(keys), std::function<void()>(menu)}) {
        for (const auto& [pasted, kept] : pastes) {
            SCOPED_TRACE(pasted);
            window->model().userTyped(field::InitialCompression, QStringLiteral("9"));
            box->selectAll();
            QGuiApplication::clipboard()->setText(QString::fromLatin1(pasted));
            paste();
            expectShown(kept);
        }
        // At the cursor, the text on either side kept.
        window->model().userTyped(field::InitialCompression, QStringLiteral("12"));
        box->setCursorPosition(1);
        QGuiApplication::clipboard()->setText(QStringLiteral("3\r\n4"));
        paste();
        expectShown("132");
    }

    // The middle button pastes the desktop's selection.
    static QString selection;
    OneLineBox::setSelectionSource([] { return std::optional<QString>(selection); });
    for (const auto& [pasted, kept] : pastes) {
        SCOPED_TRACE(pasted);
        selection = QString::fromLatin1(pasted);
        window->model().userTyped(field::InitialCompression, QString());
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), box->mapToGlobal(QPointF(5, 5)), Qt::MiddleButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(box, &release);
        expectShown(kept);
    }
    OneLineBox::setSelectionSource(nullptr);

    window->model().userTyped(field::InitialCompression, QString());
    QMimeData dropped;
    dropped.setText(QStringLiteral("7\r\n8"));
    // The drop goes where the drag came in.
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &drop);
    EXPECT_TRUE(drop.isAccepted());
    expectShown("7");
}

}  // namespace
}  // namespace tolvane::test
