#pragma once
// What the main window needs of the desktop besides message boxes and file
// dialogs (services/ui.h): the printer, the clipboard, a calculator, the
// lock that keeps a second copy from starting, and the dialogs that other
// parts of the program provide. Tests replace each of them.

#include "calc/springrecord.h"
#include "services/ui.h"
#include "services/vberror.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

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
    // True once the setup has been confirmed with a destination, an
    // installed printer or a PDF file that names a file; a later confirmed
    // setup decides anew, a cancelled one changes nothing.
    virtual bool destinationChosen() = 0;
    // Sends the job to the chosen printer. Nothing when it came out; else
    // why not, in the system's words where it gave some (a PDF file that
    // could not be written).
    virtual std::optional<VbError> print(const PrintJob& job) = 0;
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
// them only through these, so wiring the real ones is a few lines in main().
struct FrameHooks {
    // The DXF output dialog, shown modally while the spring record is filled
    // (recordComplete: every field its kind needs is there). True when its
    // OK was used: the window's DXF button and menu entry then go off.
    std::function<bool(MainWindow& window, const SpringRecord& record, bool recordComplete)> showDxfDialog;
    std::function<void(MainWindow& window)> showTotalDialog;
    std::function<void(MainWindow& window)> showVersionDialog;

    // The message banner, made with the window and put in the banner's
    // place. The picture loader asks it for its background and its link
    // pointer (each throws VbError for a missing or bad file), the start-up
    // for its first tick and then its start-up step, the shutdown for its
    // cleaning up. Without it the window shows a plain label.
    std::function<QWidget*(MainWindow& window)> makeBanner;
    std::function<void()> loadBannerBackground;
    std::function<void()> loadBannerCursor;
    std::function<void()> startBannerTicks;
    std::function<void(MainWindow& window)> initMsgBanner;
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
