#pragma once
// A main window in a sandbox: private folders, the program's pictures copied
// beside a stand-in program, scripted message boxes and file dialogs, and a
// printer, clipboard and calculator that only record.

#include "frame/mainwindow.h"
#include "frame/ports.h"
#include "frame/widgets.h"
#include "services/inifile.h"
#include "support/sandbox.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

#include <deque>
#include <memory>

namespace tolvane::test {

struct WindowBox {
    QString prompt;
    int style = 0;
    QString title;
};

class WindowUi final : public UserInterface {
public:
    int msgBox(const QString& prompt, int style, const QString& title) override
    {
        boxes.push_back({prompt, style, title});
        if (answers.empty())
            return kIdOk;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    void beep() override { ++beeps; }
    std::optional<QString> askSaveFile(const FileDialogRequest& request) override
    {
        saveRequests.push_back(request);
        if (saveAnswers.empty())
            return std::nullopt;
        const std::optional<QString> a = saveAnswers.front();
        saveAnswers.pop_front();
        return a;
    }
    std::optional<QStringList> askOpenFiles(const FileDialogRequest&) override { return std::nullopt; }
    bool openUrl(const QString& url) override
    {
        opened.append(url);
        return true;
    }

    std::vector<WindowBox> boxes;
    std::deque<int> answers;
    std::deque<std::optional<QString>> saveAnswers;
    std::vector<FileDialogRequest> saveRequests;
    QStringList opened;
    int beeps = 0;
};

class RecordingPrinter final : public PrinterPort {
public:
    QStringList printerNames() override { return names; }
    void setup(QWidget*) override { ++setups; }
    bool print(const PrintJob& job) override
    {
        jobs.push_back(job);
        return true;
    }
    QStringList names = {QStringLiteral("Office")};
    std::vector<PrintJob> jobs;
    int setups = 0;
};

class FakeClipboard final : public ClipboardPort {
public:
    void clear() override
    {
        text.reset();
        ++clears;
    }
    void setText(const QString& t) override { text = t; }
    std::optional<QString> text;
    int clears = 0;
};

class FakeCalculator final : public CalculatorPort {
public:
    bool start() override
    {
        ++starts;
        return found;
    }
    bool found = true;
    int starts = 0;
};

// The pictures, help page and an empty catalogue file beside a program.
inline void layOutProgramFolder(const QString& programFolder, bool withCatalogue = true)
{
    QDir().mkpath(programFolder + QStringLiteral("/materials"));
    const QDir source(QStringLiteral(TOLVANE_SOURCE_DIR "/materials"));
    for (const QString& f : source.entryList(QDir::Files))
        QFile::copy(source.filePath(f), programFolder + QStringLiteral("/materials/") + f);
    QDir().mkpath(programFolder + QStringLiteral("/html"));
    QFile::copy(QStringLiteral(TOLVANE_SOURCE_DIR "/html/siyou.html"), programFolder + QStringLiteral("/html/siyou.html"));
    if (withCatalogue) {
        QFile db(programFolder + QStringLiteral("/ZEKA.mdb"));
        if (!db.exists() && db.open(QIODevice::WriteOnly))
            db.close();
    }
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SkinName().clear();
        layOutProgramFolder(ProgramFolder());
    }

    FramePorts ports()
    {
        FramePorts p;
        p.ui = &ui;
        p.printer = &printer;
        p.clipboard = &clipboard;
        p.calculator = &calculator;
        p.lockFilePath = sandbox.root() + QStringLiteral("/tolvane.lock");
        p.splashWait = false;
        p.hooks.showDxfDialog = [this](MainWindow&, const SpringRecord&, bool) {
            ++dxfDialogs;
            return false;
        };
        p.hooks.showTotalDialog = [this](MainWindow&) { ++totalDialogs; };
        p.hooks.showVersionDialog = [this](MainWindow&) { ++versionDialogs; };
        return p;
    }

    MainWindow& makeWindow()
    {
        window = std::make_unique<MainWindow>(ports());
        return *window;
    }
    MainWindow& started()
    {
        makeWindow();
        EXPECT_EQ(window->startUp(), StartResult::Run);
        return *window;
    }

    Form& form() { return window->form(); }
    QAction* menu(const char* name) { return window->menuAction(QString::fromLatin1(name)); }
    template <typename W = QWidget>
    W* widget(const char* name)
    {
        return qobject_cast<W*>(window->control(QString::fromLatin1(name)));
    }
    QString pictureOf(const char* name)
    {
        auto* b = widget<PictureButton>(name);
        return b ? b->pictureFile() : QString();
    }
    // A report put straight into the result box, as the report would leave it.
    void putReport(const QString& text)
    {
        form().setText(Ctl::Text1, text);
        form().setEnabled(Ctl::imgSelectAll, true);
        form().setPicture(Ctl::imgSelectAll, QStringLiteral("materials/select_all_off.gif"));
        form().setEnabled(Ctl::imgOutputDXF, true);
        form().setPicture(Ctl::imgOutputDXF, QStringLiteral("materials/output_dxf_off.gif"));
        for (Ctl m : {Ctl::mnuAllsel, Ctl::mnuPrint, Ctl::mnuSave2, Ctl::mnuDxf})
            form().setEnabled(m, true);
    }

    Sandbox sandbox;
    WindowUi ui;
    RecordingPrinter printer;
    FakeClipboard clipboard;
    FakeCalculator calculator;
    int dxfDialogs = 0;
    int totalDialogs = 0;
    int versionDialogs = 0;
    std::unique_ptr<MainWindow> window;
};

}  // namespace tolvane::test
