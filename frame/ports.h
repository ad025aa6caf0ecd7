#pragma once
// What the main window needs of the desktop besides message boxes and file
// dialogs (services/ui.h): the printer, the clipboard, a calculator, the
// lock that keeps a second copy from starting, and the dialogs that other
// parts of the program provide. Tests replace each of them.

#include "services/ui.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace tolvane {

class MainWindow;

// One text placed in character cells: a column is 1/12 inch across, a row
// 1/6 inch down, both counted from the top left of the printable area.
struct PrintedText {
    int column = 0;
    int row = 0;
    QString text;
    friend bool operator==(const PrintedText&, const PrintedText&) = default;
};

struct PrintJob {
    int pointSize = 12;
    QList<PrintedText> items;  // rows counted across pages, as laid out
};

class PrinterPort {
public:
    virtual ~PrinterPort() = default;
    virtual QStringList printerNames() = 0;
    // The printer setup dialog; what the user picks applies to later prints.
    virtual void setup(QWidget* owner) = 0;
    // Sends the job to the chosen printer; false when it could not.
    virtual bool print(const PrintJob& job) = 0;
};

class ClipboardPort {
public:
    virtual ~ClipboardPort() = default;
    virtual void clear() = 0;
    virtual void setText(const QString& text) = 0;
};

class CalculatorPort {
public:
    virtual ~CalculatorPort() = default;
    // Starts a desktop calculator without waiting; false when none could be.
    virtual bool start() = 0;
};

// The dialogs and the banner live in their own files; the window reaches
// them only through these, so wiring a real one is a line in main().
struct FrameHooks {
    std::function<void(QWidget* owner)> showDxfDialog;
    std::function<void(QWidget* owner)> showTotalDialog;
    std::function<void(QWidget* owner)> showVersionDialog;
    // Start-up step 16: download, banner rows, first message.
    std::function<void(MainWindow& window)> initMsgBanner;
    // Shutdown: stop the banner timer and forget its rows.
    std::function<void()> cleanUpBanner;
};

struct FramePorts {
    UserInterface* ui = nullptr;
    PrinterPort* printer = nullptr;
    ClipboardPort* clipboard = nullptr;
    CalculatorPort* calculator = nullptr;
    QString lockFilePath;     // empty: the per-user default
    bool splashWait = true;   // the splash's one-second paced wait
    FrameHooks hooks;
};

}  // namespace tolvane
