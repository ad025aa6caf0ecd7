#pragma once
// A main window in a sandbox: private folders, the program's pictures copied
// beside a stand-in program, scripted message boxes and file dialogs, and a
// printer, clipboard and calculator that only record.

#include "support/scripted_ui.h"
#include "frame/mainwindow.h"
#include "frame/ports.h"
#include "frame/widgets.h"
#include "services/inifile.h"
#include "support/sandbox.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <memory>

namespace tolvane::test {

using WindowUi = ScriptedUi;

class RecordingPrinter final : public PrinterPort {
public:
    QStringList printerNames() override { return names; }
    void setup(QWidget*) override { ++setups; }
    bool destinationChosen() override { return chosen; }
    std::optional<VbError> print(const PrintJob& job) override { return jobs.push_back(job), std::nullopt; }
    QStringList names = {QStringLiteral("Office")};
    std::vector<PrintJob> jobs;
    int setups = 0;
    bool chosen = false;
};

class FakeClipboard final : public ClipboardPort {
public:
    void clear() override { text.reset(), ++clears; }
    void setText(const QString& t) override { text = t; }
    std::optional<QString> text;
    int clears = 0;
};

class FakeCalculator final : public CalculatorPort {
public:
    bool start() override { return ++starts, found; }
    bool found = true;
    int starts = 0;
};

// Message boxes compare whole, so one expectation names all three parts.
using Boxes = QList<MsgBoxCall>;

// The log's end line, as the log's messages show it.
inline const QString kEnd =
    QStringLiteral("□Eve：■----------------------------- Tolvane 終了 -----------------------------■");

inline void sendMouse(QWidget* w, QEvent::Type type, Qt::MouseButton button = Qt::NoButton, QPointF at = {5, 5})
{
    QMouseEvent e(type, at, w->mapToGlobal(at), button, type == QEvent::MouseButtonPress ? button : Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
// A press and a release of one button over the same point.
inline void click(QWidget* w, Qt::MouseButton button = Qt::LeftButton, QPointF at = {5, 5})
{
    sendMouse(w, QEvent::MouseButtonPress, button, at);
    sendMouse(w, QEvent::MouseButtonRelease, button, at);
}

// Pictures in the materials folder. The readers go by the content, so a PNG
// stands in for the GIFs Qt cannot write.
inline void writePictures(std::initializer_list<const char*> names, QSize size = {16, 16}, QColor colour = Qt::gray)
{
    QDir().mkpath(MaterialsFolder());
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    for (const char* name : names)
        ASSERT_TRUE(image.save(MaterialsFolder() + u'/' + QLatin1String(name), "PNG"));
}

// "a,,b" as the fields {"a", "", "b"}.
inline QStringList fields(const char* commaSeparated) { return QString::fromUtf8(commaSeparated).split(u','); }

// The window's printer setup on the desktop's printer (Qt's own dialog),
// confirmed with the PDF entry and this text in its file box; a page size
// given is chosen in its properties, turned landscape.
inline void choosePdfInPrinterSetup(MainWindow& window, const QString& fileBox, const QString& landscapePage = {})
{
    QTimer::singleShot(0, [&] {
        QPrintDialog* setup = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            setup = setup ? setup : qobject_cast<QPrintDialog*>(w);
        ASSERT_TRUE(setup);
        auto* destinations = setup->findChild<QComboBox*>(QStringLiteral("printers"));
        auto* file = setup->findChild<QLineEdit*>(QStringLiteral("filename"));
        if (!destinations || !file) {
            setup->reject();
            FAIL() << "no destination list or file name";
        }
        destinations->setCurrentIndex(destinations->count() - 1);  // the PDF file, after any printers
        file->setText(fileBox);
        if (!landscapePage.isEmpty()) {
            QTimer::singleShot(0, [&] {
                auto* properties = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                ASSERT_TRUE(properties);
                auto* sizes = properties->findChild<QComboBox*>(QStringLiteral("pageSizeCombo"));
                auto* landscape = properties->findChild<QRadioButton*>(QStringLiteral("landscape"));
                if (sizes && landscape)
                    sizes->setCurrentIndex(sizes->findText(landscapePage)), landscape->click();
                properties->accept();
            });
            setup->findChild<QPushButton*>(QStringLiteral("properties"))->click();
        }
        setup->accept();
    });
    window.mnuPrinter_Click();
}

class WindowTest : public ::testing::Test {
protected:
    // The pictures, help page and an empty catalogue file beside the program.
    void SetUp() override
    {
        SkinName().clear();
        const QString program = ProgramFolder();
        QDir().mkpath(program + QStringLiteral("/materials"));
        const QDir source(QStringLiteral(TOLVANE_SOURCE_DIR "/materials"));
        for (const QString& f : source.entryList(QDir::Files))
            QFile::copy(source.filePath(f), program + QStringLiteral("/materials/") + f);
        QDir().mkpath(program + QStringLiteral("/html"));
        QFile::copy(QStringLiteral(TOLVANE_SOURCE_DIR "/html/siyou.html"), program + QStringLiteral("/html/siyou.html"));
        writeAll(program + QStringLiteral("/ZEKA.mdb"), QByteArray());
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
        p.hooks.showDxfDialog = [](MainWindow&, const SpringRecord&, bool) { return false; };
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
    void selectInReport(int start, int end)
    {
        auto* box = widget<QPlainTextEdit>("Text1");
        QTextCursor c = box->textCursor();
        c.setPosition(start);
        c.setPosition(end, QTextCursor::KeepAnchor);
        box->setTextCursor(c);
    }
    // A report put straight into the result box, as the report would leave it.
    void putReport(const QString& text)
    {
        form().setText(field::ReportText, text);
        const std::pair<Ctl, const char*> buttons[] = {{Ctl::imgSelectAll, "select_all"}, {Ctl::imgOutputDXF, "output_dxf"}};
        for (const auto& [c, picture] : buttons) {
            form().setEnabled(c, true);
            form().setPicture(c, QStringLiteral("materials/%1_off.gif").arg(QLatin1String(picture)));
        }
        for (Ctl m : {Ctl::mnuAllsel, Ctl::mnuPrint, Ctl::mnuSave2, Ctl::mnuDxf})
            form().setEnabled(m, true);
    }

    Sandbox sandbox;
    WindowUi ui;
    RecordingPrinter printer;
    FakeClipboard clipboard;
    FakeCalculator calculator;
    int totalDialogs = 0;
    int versionDialogs = 0;
    std::unique_ptr<MainWindow> window;
};

}  // namespace tolvane::test
