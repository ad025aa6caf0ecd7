// The toolbar and menu commands: which buttons and entries each one
// switches, the clipboard, the links, the calculator and the dialogs.
#include "frame/frametest.h"

#include "calc/spdata.h"
#include "calc/springrecord.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>

namespace tolvane::test {
namespace {

const QString kReport = QStringLiteral("SWM20-50\r\nL = 50\r\nkg/mm = 1.03\r\nST = 10  ( 使用回数 50万回 )");

class CommandTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        started();
    }
    void selectInReport(int start, int end)
    {
        auto* box = widget<QPlainTextEdit>("Text1");
        QTextCursor c = box->textCursor();
        c.setPosition(start);
        c.setPosition(end, QTextCursor::KeepAnchor);
        box->setTextCursor(c);
    }
    bool on(const char* name) { return widget(name)->isEnabled(); }
    bool menuOn(const char* name) { return menu(name)->isEnabled(); }
};

TEST_F(CommandTest, SelectAllEnablesCopyButNeverItself)
{
    putReport(kReport);
    window->imgSelectAll_Click();
    EXPECT_EQ(window->selectedReportText(), kReport);
    EXPECT_TRUE(on("imgCopy"));
    EXPECT_EQ(pictureOf("imgCopy"), QStringLiteral("materials/copy_off.gif"));
    EXPECT_TRUE(menuOn("mnuCopy"));
    EXPECT_TRUE(menuOn("mnuCut"));
    EXPECT_EQ(pictureOf("imgSelectAll"), QStringLiteral("materials/select_all_off.gif"));
}

TEST_F(CommandTest, SelectAllFromTheMenuLogsUnderItsOwnName)
{
    putReport(kReport);
    QFile::remove(MaterialsFolder() + QStringLiteral("/copy_off.gif"));
    window->mnuAllsel_Click();
    EXPECT_EQ(sandbox.logMessages().last(),
              QStringLiteral("■Err：[frmMain]-[mnuAllsel_Click()]：ファイルが見つかりません。：エラー番号 -> 53"));
    // The button was switched on before its picture failed; the menus were not.
    EXPECT_TRUE(on("imgCopy"));
    EXPECT_FALSE(menuOn("mnuCopy"));
}

TEST_F(CommandTest, SelectAllOnAnEmptyReportEnablesNothing)
{
    window->mnuAllsel_Click();
    EXPECT_EQ(window->focusWidget(), widget("Text1"));
    EXPECT_FALSE(on("imgCopy"));
    EXPECT_FALSE(menuOn("mnuCopy"));
    EXPECT_FALSE(menuOn("mnuCut"));
}

TEST_F(CommandTest, CopyPutsTheSelectionOnTheClipboardAndSwitchesOff)
{
    putReport(kReport);
    window->imgSelectAll_Click();
    selectInReport(0, 11);  // "SWM20-50" and its line end and "L "
    window->imgCopy_Click();
    EXPECT_EQ(clipboard.clears, 1);
    EXPECT_EQ(clipboard.text, QStringLiteral("SWM20-50\r\nL "));
    EXPECT_FALSE(on("imgCopy"));
    EXPECT_EQ(pictureOf("imgCopy"), QStringLiteral("materials/copy_disable.gif"));
    EXPECT_FALSE(on("imgSelectAll"));
    EXPECT_EQ(pictureOf("imgSelectAll"), QStringLiteral("materials/select_all_disable.gif"));
    for (const char* m : {"mnuCopy", "mnuCut", "mnuAllsel"})
        EXPECT_FALSE(menuOn(m)) << m;
    EXPECT_EQ(form().text(Ctl::Text1), kReport);
    // The print and save entries follow the report, not the copy.
    EXPECT_TRUE(menuOn("mnuPrint"));
    EXPECT_TRUE(menuOn("mnuSave2"));
}

TEST_F(CommandTest, CopyWithNothingSelectedStillEmptiesTheClipboardAndSwitchesOff)
{
    putReport(kReport);
    form().setEnabled(Ctl::imgCopy, true);
    form().setEnabled(Ctl::mnuCopy, true);
    selectInReport(0, 0);
    window->imgCopy_Click();
    EXPECT_EQ(clipboard.text, QString());
    EXPECT_FALSE(on("imgCopy"));
    EXPECT_FALSE(on("imgSelectAll"));
    EXPECT_FALSE(menuOn("mnuAllsel"));
}

TEST_F(CommandTest, MenuCopyLeavesTheSameButtonsOff)
{
    putReport(kReport);
    window->mnuAllsel_Click();
    window->mnuCopy_Click();
    EXPECT_EQ(clipboard.text, kReport);
    EXPECT_FALSE(on("imgCopy"));  // through the model's com3_syori
    EXPECT_FALSE(on("imgSelectAll"));
    for (const char* m : {"mnuCopy", "mnuCut", "mnuAllsel"})
        EXPECT_FALSE(menuOn(m)) << m;
}

TEST_F(CommandTest, CutTakesTheSelectionAndLeavesTheDxfEntryAlone)
{
    putReport(kReport);
    window->imgSelectAll_Click();
    selectInReport(0, 9);  // the first line and its line end
    window->mnuCut_Click();
    EXPECT_EQ(clipboard.clears, 0);
    EXPECT_EQ(clipboard.text, QStringLiteral("SWM20-50\r\n"));
    EXPECT_EQ(form().text(Ctl::Text1), kReport.mid(10));
    EXPECT_FALSE(on("imgOutputDXF"));
    EXPECT_EQ(pictureOf("imgOutputDXF"), QStringLiteral("materials/output_dxf_disable.gif"));
    EXPECT_TRUE(menuOn("mnuDxf"));
    EXPECT_FALSE(on("imgSelectAll"));
    EXPECT_FALSE(on("imgCopy"));
    for (const char* m : {"mnuCopy", "mnuCut", "mnuAllsel"})
        EXPECT_FALSE(menuOn(m)) << m;
}

TEST_F(CommandTest, ClearDataKeepsTheListsClearAllEmptiesThem)
{
    putReport(kReport);
    form().setItems(Ctl::List1, {QStringLiteral("SWM20-50")});
    form().setItems(Ctl::List2, {QStringLiteral("20")});
    window->imgClearData_Click();
    EXPECT_EQ(widget<QListWidget>("List1")->count(), 1);
    EXPECT_EQ(widget<QListWidget>("List2")->count(), 1);
    EXPECT_FALSE(on("imgOutputDXF"));
    EXPECT_EQ(pictureOf("imgOutputDXF"), QStringLiteral("materials/output_dxf_disable.gif"));
    for (const char* m : {"mnuDxf", "mnuAllsel", "mnuCopy", "mnuCut"})
        EXPECT_FALSE(menuOn(m)) << m;

    window->imgAllClear_Click();
    EXPECT_EQ(widget<QListWidget>("List1")->count(), 0);
    EXPECT_EQ(widget<QListWidget>("List2")->count(), 0);
}

TEST_F(CommandTest, AClearDoesNotReloadTheDisabledDxfPicture)
{
    // A DXF button already off keeps whatever it shows.
    form().setPicture(Ctl::imgOutputDXF, QStringLiteral("materials/output_dxf_on.gif"));
    window->imgClearData_Click();
    EXPECT_EQ(pictureOf("imgOutputDXF"), QStringLiteral("materials/output_dxf_on.gif"));
    window->mnuCria_Click();
    EXPECT_EQ(pictureOf("imgOutputDXF"), QStringLiteral("materials/output_dxf_on.gif"));
}

TEST_F(CommandTest, AClearGoesOnPastAMissingPicture)
{
    putReport(kReport);
    form().setItems(Ctl::List1, {QStringLiteral("SWM20-50")});
    QFile::remove(MaterialsFolder() + QStringLiteral("/output_dxf_disable.gif"));
    window->imgAllClear_Click();
    EXPECT_FALSE(on("imgOutputDXF"));
    EXPECT_EQ(pictureOf("imgOutputDXF"), QStringLiteral("materials/output_dxf_off.gif"));
    EXPECT_FALSE(menuOn("mnuDxf"));
    EXPECT_EQ(widget<QListWidget>("List1")->count(), 0);
    EXPECT_TRUE(sandbox.logMessages().filter(QStringLiteral("■Err")).isEmpty());
}

TEST_F(CommandTest, OnlyTheToolbarsClearAllResetsTheSeriesPictures)
{
    form().setPicture(Ctl::imgSWB, QStringLiteral("materials/SWB_on.gif"));
    window->mnuCria_Click();
    EXPECT_EQ(pictureOf("imgSWB"), QStringLiteral("materials/SWB_on.gif"));
    window->imgAllClear_Click();
    EXPECT_EQ(pictureOf("imgSWB"), QStringLiteral("materials/SWB_off.gif"));
    EXPECT_EQ(pictureOf("imgSquare1Sp"), QStringLiteral("materials/square_sp1_on.gif"));
}

TEST_F(CommandTest, ClearingAReportSwitchesPrintAndSaveOff)
{
    putReport(kReport);
    window->imgClearData_Click();
    EXPECT_TRUE(form().text(Ctl::Text1).isEmpty());
    EXPECT_FALSE(menuOn("mnuPrint"));
    EXPECT_FALSE(menuOn("mnuSave2"));
    EXPECT_FALSE(on("imgSelectAll"));
}

TEST_F(CommandTest, PressAndReleaseShowTheirPictures)
{
    auto* b = widget<PictureButton>("imgClearData");
    emit b->pressed();
    EXPECT_EQ(pictureOf("imgClearData"), QStringLiteral("materials/clear_data_on.gif"));
    emit b->released();
    EXPECT_EQ(pictureOf("imgClearData"), QStringLiteral("materials/clear_data_off.gif"));

    QFile::remove(MaterialsFolder() + QStringLiteral("/all_clear_on.gif"));
    emit widget<PictureButton>("imgAllClear")->pressed();
    EXPECT_EQ(pictureOf("imgAllClear"), QStringLiteral("materials/all_clear_off.gif"));
    EXPECT_EQ(sandbox.logMessages().last(),
              QStringLiteral("■Err：[frmMain]-[imgAllClear_MouseDown()]：ファイルが見つかりません。：エラー番号 -> 53"));
}

TEST_F(CommandTest, AnyMouseButtonPressesAndReleasesButOnlyTheLeftOneClicks)
{
    putReport(kReport);
    auto* all = widget<PictureButton>("imgSelectAll");
    auto send = [&](QEvent::Type type, Qt::MouseButton button) {
        QMouseEvent e(type, QPointF(5, 5), all->mapToGlobal(QPointF(5, 5)), button,
                      type == QEvent::MouseButtonPress ? button : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(all, &e);
    };
    send(QEvent::MouseButtonPress, Qt::RightButton);
    EXPECT_EQ(pictureOf("imgSelectAll"), QStringLiteral("materials/select_all_on.gif"));
    send(QEvent::MouseButtonRelease, Qt::RightButton);
    EXPECT_EQ(pictureOf("imgSelectAll"), QStringLiteral("materials/select_all_off.gif"));
    EXPECT_FALSE(on("imgCopy"));  // no click
    send(QEvent::MouseButtonPress, Qt::MiddleButton);
    EXPECT_EQ(pictureOf("imgSelectAll"), QStringLiteral("materials/select_all_on.gif"));
    send(QEvent::MouseButtonRelease, Qt::MiddleButton);
    EXPECT_FALSE(on("imgCopy"));
}

TEST_F(CommandTest, ADisabledButtonTakesNoClick)
{
    putReport(kReport);
    auto* copy = widget<PictureButton>("imgCopy");
    ASSERT_FALSE(copy->isEnabled());
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), copy->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), copy->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(copy, &press);
    QApplication::sendEvent(copy, &release);
    EXPECT_EQ(pictureOf("imgCopy"), QStringLiteral("materials/copy_disable.gif"));
    EXPECT_EQ(clipboard.clears, 0);
}

TEST_F(CommandTest, AClickOnAPictureButtonPressesReleasesAndRuns)
{
    putReport(kReport);
    auto* all = widget<PictureButton>("imgSelectAll");
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), all->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(all, &press);
    EXPECT_EQ(pictureOf("imgSelectAll"), QStringLiteral("materials/select_all_on.gif"));
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), all->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(all, &release);
    EXPECT_EQ(pictureOf("imgSelectAll"), QStringLiteral("materials/select_all_off.gif"));
    EXPECT_TRUE(on("imgCopy"));
}

TEST_F(CommandTest, DxfOutputFillsTheRecordOnlyWhileTheDialogIsOpen)
{
    form().setText(Ctl::Label24, QStringLiteral("50"));
    form().setText(Ctl::Text9, QStringLiteral("3"));
    form().setText(Ctl::Text3, QStringLiteral("10"));
    form().setText(Ctl::Label46, QStringLiteral("24"));
    form().setText(Ctl::Label49, QStringLiteral("---"));
    form().setText(Ctl::Label47, QStringLiteral("104"));
    totalDiagramValues() = QStringList(9, QStringLiteral("1"));
    QStringList seen;
    window->hooks().showDxfDialog = [&](MainWindow& owner, const SpringRecord& record, bool complete) {
        EXPECT_EQ(&owner, window.get());
        EXPECT_TRUE(complete);
        seen = record.fields();
        return false;
    };
    window->imgOutputDXF_Click();
    EXPECT_EQ(seen, (QStringList{QStringLiteral("SppOnly"), QStringLiteral("50"), QStringLiteral("3"), QStringLiteral("10"),
                                 QStringLiteral("47"), QStringLiteral("37"), QStringLiteral("24"), QString(),
                                 QStringLiteral("104"), QString()}));
    EXPECT_EQ(springRecord().fields(), QStringList(10));
    EXPECT_TRUE(totalDiagramValues().isEmpty());

    seen.clear();
    window->mnuDxf_Click();
    EXPECT_EQ(seen.value(0), QStringLiteral("SppOnly"));
    EXPECT_EQ(springRecord().fields(), QStringList(10));
}

TEST_F(CommandTest, ConfirmingTheDxfDialogSwitchesTheDxfCommandsOff)
{
    putReport(kReport);
    form().setText(Ctl::Label49, QStringLiteral("---"));
    bool confirm = false;
    window->hooks().showDxfDialog = [&](MainWindow&, const SpringRecord&, bool complete) {
        EXPECT_FALSE(complete);  // no free length: the record could not be filled
        return confirm;
    };
    window->imgOutputDXF_Click();  // closed without OK
    EXPECT_TRUE(widget("imgOutputDXF")->isEnabled());
    EXPECT_TRUE(menu("mnuDxf")->isEnabled());
    confirm = true;
    window->mnuDxf_Click();
    EXPECT_FALSE(widget("imgOutputDXF")->isEnabled());
    EXPECT_EQ(pictureOf("imgOutputDXF"), QStringLiteral("materials/output_dxf_disable.gif"));
    EXPECT_FALSE(menu("mnuDxf")->isEnabled());
    EXPECT_EQ(springRecord().fields(), QStringList(10));
}

TEST_F(CommandTest, ADxfDialogThatCannotOpenLeavesTheRecordFilled)
{
    form().setText(Ctl::Label24, QStringLiteral("50"));
    form().setText(Ctl::Text9, QStringLiteral("3"));
    form().setText(Ctl::Text3, QStringLiteral("10"));
    form().setText(Ctl::Label49, QStringLiteral("---"));
    window->hooks().showDxfDialog = {};
    window->imgOutputDXF_Click();
    EXPECT_TRUE(sandbox.logMessages().last().startsWith(QStringLiteral("■Err：[frmMain]-[imgOutputDXF_Click()]：")));
    EXPECT_EQ(springRecord().FreeLength, QStringLiteral("50"));
    ClearGlobalValue();
}

TEST_F(CommandTest, TheOtherDialogsOpenThroughTheirHooks)
{
    window->imgTotalOutput_Click();
    window->mnuVer_Click();
    EXPECT_EQ(totalDialogs, 1);
    EXPECT_EQ(versionDialogs, 1);
    EXPECT_EQ(dxfDialogs, 0);
}

TEST_F(CommandTest, LinksAndTheHelpPage)
{
    window->imgHowToUse_Click();
    window->mnuHome_Click();
    window->mnuProgram_Click();
    ASSERT_EQ(ui.opened.size(), 3);
    EXPECT_TRUE(ui.opened[0].startsWith(QStringLiteral("http://")));
    EXPECT_TRUE(ui.opened[0].endsWith(QStringLiteral("/vorn/siyou.html")));
    EXPECT_TRUE(ui.opened[1].endsWith(QStringLiteral("/vorn/")));
    EXPECT_EQ(ui.opened[2], ProgramFolder() + QStringLiteral("/html/siyou.html"));

    QFile::remove(ProgramFolder() + QStringLiteral("/html/siyou.html"));
    window->mnuProgram_Click();
    EXPECT_EQ(ui.opened.size(), 3);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].prompt, QStringLiteral("ヘルプファイルがインストールされていません。"));
    EXPECT_EQ(ui.boxes[0].style, 0);
    EXPECT_EQ(ui.boxes[0].title, QStringLiteral("Tolvane"));
}

TEST_F(CommandTest, TheCalculatorWritesItsErrorLineWhenNoneIsFound)
{
    window->mnuDentaku_Click();
    EXPECT_EQ(calculator.starts, 1);
    EXPECT_TRUE(sandbox.logMessages().filter(QStringLiteral("■Err")).isEmpty());
    calculator.found = false;
    window->mnuDentaku_Click();
    EXPECT_EQ(sandbox.logMessages().last(),
              QStringLiteral("■Err：[frmMain]-[mnuDentaku_Click()]：ファイルが見つかりません。：エラー番号 -> 53"));
}

TEST_F(CommandTest, PrinterSetupGoesToThePrinter)
{
    window->mnuPrinter_Click();
    EXPECT_EQ(printer.setups, 1);
}

TEST_F(CommandTest, EnterMovesAlongTheInputBoxes)
{
    window->show();
    auto enterIn = [&](const char* box) {
        QWidget* w = widget(box);
        w->setFocus();
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(w, &key);
        return window->focusWidget() ? window->focusWidget()->objectName() : QString();
    };
    EXPECT_EQ(enterIn("Text2"), QStringLiteral("Text4"));
    EXPECT_EQ(enterIn("Text4"), QStringLiteral("Text5"));
    EXPECT_EQ(enterIn("Text5"), QStringLiteral("Text8"));
    EXPECT_EQ(enterIn("Text8"), QStringLiteral("Text9"));
    EXPECT_EQ(enterIn("Text9"), QStringLiteral("Text3"));
    EXPECT_EQ(enterIn("Text3"), QStringLiteral("Text10"));
    EXPECT_EQ(enterIn("Text10"), QStringLiteral("Text11"));
    EXPECT_EQ(enterIn("Text11"), QStringLiteral("Text11"));
    window->model().InputMode = QStringLiteral("part");
    form().setEnabled(Ctl::Text12, true);
    EXPECT_EQ(enterIn("Text10"), QStringLiteral("Text12"));
    EXPECT_EQ(enterIn("Text12"), QStringLiteral("Text12"));
}

TEST_F(CommandTest, ABoxSelectsItsTextWhenItGetsTheFocus)
{
    window->show();
    auto* factor = widget<QLineEdit>("Text5");
    factor->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(factor->selectedText(), QStringLiteral("35"));
}

}  // namespace
}  // namespace tolvane::test
