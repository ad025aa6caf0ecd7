#pragma once
// The desktop's implementations of the window's ports: Qt message boxes and
// file dialogs, the CUPS printers through Qt Print Support, the clipboard
// and the first desktop calculator installed.

#include "frame/ports.h"
#include "services/ui.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QPrinter;

namespace tolvane {

class QtUserInterface final : public UserInterface {
public:
    void setOwner(QWidget* owner) { owner_ = owner; }
    int msgBox(const QString& prompt, int style, const QString& title) override;
    void beep() override;
    std::optional<QString> askSaveFile(const FileDialogRequest& request) override;
    std::optional<QStringList> askOpenFiles(const FileDialogRequest& request) override;
    bool openUrl(const QString& url) override;
    void setWaitCursor(bool on) override;

private:
    QPointer<QWidget> owner_;
    bool waiting_ = false;
};

// Paints the job on a printer and ends the document. Nothing when it came
// out: every page was painted and the printer, asked through endedInError
// once the document ended, is in no error; else the failed print's error
// (57), for the window to tell and log: a printer says only that it
// failed, never why.
std::optional<VbError> printOnPrinter(QPrinter& printer, const PrintJob& job,
                                      bool (*endedInError)(const QPrinter&));
bool printerEndedInError(const QPrinter& printer);

// A PDF file is made in memory and written by the program itself, through a
// temporary file beside it (saveFileAtomicOrInto): Qt's own PDF output
// drops a failed write without a word.
class QtPrinterPort final : public PrinterPort {
public:
    QtPrinterPort();
    ~QtPrinterPort() override;
    QStringList printerNames() override;
    void setup(QWidget* owner) override;
    bool destinationChosen() override { return chosen_; }
    std::optional<VbError> print(const PrintJob& job) override;

private:
    std::unique_ptr<QPrinter> printer_;
    bool chosen_ = false;
};

class QtClipboardPort final : public ClipboardPort {
public:
    void clear() override;
    void setText(const QString& text) override;
};

class DesktopCalculator final : public CalculatorPort {
public:
    static const QStringList& candidates();
    // The first candidate found on the search path, or empty.
    static QString find();
    bool start() override;
};

// The desktop's ports, made after the application object and kept until
// the program ends.
struct DesktopPorts {
    QtUserInterface ui;
    QtPrinterPort printer;
    QtClipboardPort clipboard;
    DesktopCalculator calculator;
    FramePorts ports();
};

}  // namespace tolvane
