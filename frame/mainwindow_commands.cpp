// The main window's toolbar and menu commands.
#include "frame/mainwindow.h"

#include "calc/spdata.h"
#include "calc/springrecord.h"
#include "frame/mainwindow_detail.h"
#include "frame/printlayout.h"
#include "frame/webservers.h"
#include "services/atomicfile.h"
#include "services/folders.h"
#include "services/inifile.h"
#include "services/log.h"

#include <QFileInfo>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextCursor>

#include <optional>

namespace tolvane {

using namespace mainwindowdetail;

// ============================================================================
// Toolbar
// ============================================================================

void MainWindow::runStep(const std::function<void()>& step)
{
    // The clear commands go on past a failing step, without a line.
    try {
        step();
    } catch (const VbError&) {
    }
}

void MainWindow::selectAllSteps()
{
    report_->setFocus(Qt::OtherFocusReason);
    const QString& text = form().text(Ctl::Text1);
    form().setSelection(Ctl::Text1, 0, int(text.size()));
    if (!text.isEmpty()) {
        setButton(Ctl::imgCopy, true, QStringLiteral("copy"));
        form().setEnabled(Ctl::mnuCopy, true);
        form().setEnabled(Ctl::mnuCut, true);
    }
}

void MainWindow::imgSelectAll_Click()
{
    try {
        selectAllSteps();
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("imgSelectAll_Click")), e);
    }
}

void MainWindow::imgCopy_Click()
{
    try {
        ports_.clipboard->clear();
        ports_.clipboard->setText(selectedReportText());
        setButton(Ctl::imgCopy, false, QStringLiteral("copy"));
        if (form()[Ctl::imgSelectAll].enabled)
            setButton(Ctl::imgSelectAll, false, QStringLiteral("select_all"));
        form().setEnabled(Ctl::mnuCopy, false);
        form().setEnabled(Ctl::mnuCut, false);
        if (form()[Ctl::mnuAllsel].enabled)
            form().setEnabled(Ctl::mnuAllsel, false);
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("imgCopy_Click")), e);
    }
}

// The three clear commands share their steps. Clearing all also empties the
// spring's lists and values and resets the bars and the title panel; the
// toolbar's clear-all then resets the series pictures, the menu's does not.
void MainWindow::clearCommand(bool all, bool resetSeriesPictures)
{
    runStep([this] { model_->inpTextboxClar(); });
    runStep([this] { model_->Textbox1Clar(); });
    runStep([this] {
        if (form()[Ctl::imgOutputDXF].enabled)
            setButton(Ctl::imgOutputDXF, false, QStringLiteral("output_dxf"));
    });
    runStep([this] {
        if (form()[Ctl::mnuDxf].enabled)
            form().setEnabled(Ctl::mnuDxf, false);
    });
    if (all) {
        runStep([this] {
            form().setItems(Ctl::List1, {});
            form().setItems(Ctl::List2, {});
        });
        runStep([this] { model_->DataClear(); });
        runStep([this] { model_->GrafuSet(); });
        runStep([this] { model_->Picture_on(); });
        if (resetSeriesPictures)
            runStep([this] { model_->ResetImage(); });
    }
    runStep([this] {
        form().setEnabled(Ctl::mnuAllsel, false);
        form().setEnabled(Ctl::mnuCopy, false);
        form().setEnabled(Ctl::mnuCut, false);
    });
}

void MainWindow::imgClearData_Click() { clearCommand(false, false); }

void MainWindow::imgAllClear_Click() { clearCommand(true, true); }

void MainWindow::showDxfDialog(const QString& procedure)
{
    try {
        // What the report refuses is not drawn either, with the report's
        // message: a box that is no number, or no spring. No dialog opens.
        if (!model_->readyToDraw())
            return;
        const bool complete = setSpData(form(), model_->InputMode);
        if (!ports_.hooks.showDxfDialog)
            throw objectRequired();
        if (ports_.hooks.showDxfDialog(*this, springRecord(), complete))
            model_->setDxfCommandsEnabled(false);
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, procedure), e);
        return;
    }
    ClearGlobalValue();
}

void MainWindow::imgOutputDXF_Click() { showDxfDialog(QStringLiteral("imgOutputDXF_Click")); }

void MainWindow::imgTotalOutput_Click()
{
    try {
        if (!ports_.hooks.showTotalDialog)
            throw objectRequired();
        ports_.hooks.showTotalDialog(*this);
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("imgTotalOutput_Click")), e);
    }
}

void MainWindow::imgHowToUse_Click() { ports_.ui->openUrl(howToUseUrl()); }

// ============================================================================
// Menus
// ============================================================================

void MainWindow::mnuSave2_Click()
{
    // The dialog as it was last set up, by the window or by the shutdown's save.
    const std::optional<QString> path = ports_.ui->askSaveFile(saveDialog_);
    if (!path)
        return;  // nothing written, so the result stays unsaved
    saveDialog_.fileName = *path;
    const QString text = form().text(Ctl::Text1) + QStringLiteral("\r\n");
    if (const std::optional<VbError> failure = saveFileAtomic(*path, text.toUtf8())) {
        logError(errorLabel(kOwner, QStringLiteral("mnuSave2_Click")), *failure);
        ports_.ui->msgBox(QStringLiteral("計算結果を保存できませんでした。") + QStringLiteral("\r") + *path +
                              QStringLiteral("\r") + failure->description(),
                          kMbCritical, QStringLiteral("保存エラー"));
        return;
    }
    model_->SaveState = QStringLiteral("SaveOK");
}

void MainWindow::mnuDxf_Click() { showDxfDialog(QStringLiteral("mnuDxf_Click")); }

void MainWindow::mnuPrinter_Click() { ports_.printer->setup(this); }

void MainWindow::mnuPrint_Click()
{
    const QString message = QStringLiteral("プリンター エラーです！") + QStringLiteral("\r") +
                            QStringLiteral("使用できるプリンターが見つかりません、プリンターをインストールしてから 再度実行してください。");
    auto* printers = findChild<QListWidget*>(QStringLiteral("List3"));
    printers->clear();
    const QStringList names = ports_.printer->printerNames();
    printers->addItems(names);
    // A destination chosen in the printer setup (a printer or a PDF file)
    // counts too. A print that cannot come out (a PDF file whose folder is
    // gone or that cannot be written whole, a printer that refuses the job
    // or ends it in an error) is told as no printer is, nothing came out
    // either way; its reason goes to the log.
    if (names.isEmpty() && !ports_.printer->destinationChosen()) {
        ports_.ui->msgBox(message, kMbCritical, QStringLiteral("プリント エラー"));
        return;
    }
    if (const std::optional<VbError> failure =
            ports_.printer->print(reportPrintJob(startDate_, form().text(Ctl::Text1), productPageUrl()))) {
        logError(errorLabel(kOwner, QStringLiteral("mnuPrint_Click")), *failure);
        ports_.ui->msgBox(message, kMbCritical, QStringLiteral("プリント エラー"));
    }
}

void MainWindow::mnuEnd_Click()
{
    try {
        askToEnd();
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("mnuEnd_Click")), e);
    }
}

void MainWindow::mnuTEXT_Click()
{
    try {
        model_->imgDisplayTxt_Click();
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("mnuTEXT_Click")), e);
    }
}

void MainWindow::mnuCria_Click() { clearCommand(true, false); }

void MainWindow::mnuCut_Click()
{
    try {
        const QString selected = selectedReportText();
        ports_.clipboard->setText(selected);
        const QTextCursor cursor = report_->textCursor();
        const QString text = form().text(Ctl::Text1);
        const int start = toModelPos(text, cursor.selectionStart());
        const int end = toModelPos(text, cursor.selectionEnd());
        form().setText(Ctl::Text1, text.left(start) + text.mid(end));
        form().setEnabled(Ctl::mnuCopy, false);
        form().setEnabled(Ctl::mnuCut, false);
        if (form()[Ctl::imgSelectAll].enabled)
            setButton(Ctl::imgSelectAll, false, QStringLiteral("select_all"));
        if (form()[Ctl::imgOutputDXF].enabled)
            setButton(Ctl::imgOutputDXF, false, QStringLiteral("output_dxf"));
        if (form()[Ctl::mnuAllsel].enabled)
            form().setEnabled(Ctl::mnuAllsel, false);
        model_->com3_syori();
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("mnuCut_Click")), e);
    }
}

void MainWindow::mnuCopy_Click()
{
    try {
        ports_.clipboard->clear();
        ports_.clipboard->setText(selectedReportText());
        form().setEnabled(Ctl::mnuCopy, false);
        form().setEnabled(Ctl::mnuCut, false);
        if (form()[Ctl::imgSelectAll].enabled)
            setButton(Ctl::imgSelectAll, false, QStringLiteral("select_all"));
        if (form()[Ctl::mnuAllsel].enabled)
            form().setEnabled(Ctl::mnuAllsel, false);
        model_->com3_syori();
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("mnuCopy_Click")), e);
    }
}

void MainWindow::mnuAllsel_Click()
{
    try {
        selectAllSteps();
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("mnuAllsel_Click")), e);
    }
}

void MainWindow::mnuDentaku_Click()
{
    try {
        if (!ports_.calculator->start())
            throw VbError(kErrFileNotFound);
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("mnuDentaku_Click")), e);
    }
}

void MainWindow::switchSkin(const QString& skin)
{
    try {
        ExistSettingFolder();
        ExistIniFile();
        SetINIValue(QStringLiteral("Design"), QStringLiteral("FORM_SKIN"), skin);
        ReadIniFile();
        SelectSkin();
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("mnu") + skin + QStringLiteral("_Click")), e);
    }
}

void MainWindow::mnuLight_Click() { switchSkin(QStringLiteral("Light")); }

void MainWindow::mnuDark_Click() { switchSkin(QStringLiteral("Dark")); }

void MainWindow::mnuProgram_Click()
{
    const QString page = ProgramFolder() + QStringLiteral("/html/siyou.html");
    if (QFileInfo(page).isFile())
        ports_.ui->openUrl(page);
    else
        ports_.ui->msgBox(QStringLiteral("ヘルプファイルがインストールされていません。"), kMbOk, kProgramTitle);
}

void MainWindow::mnuHome_Click() { ports_.ui->openUrl(messageHomeUrl()); }

void MainWindow::mnuVer_Click()
{
    try {
        if (!ports_.hooks.showVersionDialog)
            throw objectRequired();
        ports_.hooks.showVersionDialog(*this);
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("mnuVer_Click")), e);
    }
}

}  // namespace tolvane
