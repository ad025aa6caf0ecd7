// Printing the report from memory in character cells.
#include "frame/frametest.h"
#include "frame/printlayout.h"

#include "frame/desktop.h"
#include "frame/webservers.h"

#include <QListWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>

#include <cerrno>
#include <optional>

#include <sys/stat.h>

namespace tolvane::test {
namespace {

TEST(PrintLayout, DateHeaderReportAndFooterInTheirCells)
{
    const PrintJob job = reportPrintJob(QStringLiteral("2026/12/06 9:05:07"), QStringLiteral("a\r\n\r\nb"),
                                        QStringLiteral("http://www.example.org/vorn/"));
    EXPECT_EQ(job.pointSize, 12);
    const QList<PrintedText> expected = {
        {3, 3, QStringLiteral("2026/12/06 9:05:07")},
        {3, 4, QStringLiteral("---------------------- Tolvane ----------------------")},
        {7, 6, QStringLiteral("a")},
        {7, 7, QString()},
        {7, 8, QStringLiteral("b")},
        {7, 9, QString()},
        {3, 11, QStringLiteral("----------------- http://www.example.org/vorn/ -----------------")},
    };
    EXPECT_EQ(job.items, expected);  // k = 3 lines: the footer at row 8 + k

    // A report ending in a line end gets no second empty line; nothing at all still gets one.
    EXPECT_EQ(reportPrintJob(QStringLiteral("d"), QStringLiteral("a\r\n"), QStringLiteral("u")).items.last().row, 8 + 1);
    EXPECT_EQ(reportPrintJob(QStringLiteral("d"), QString(), QStringLiteral("u")).items.size(), 4);
}

TEST(PrintLayout, RowsThatDoNotFitGoOnTheNextPageBelowTheTopMargin)
{
    QList<PrintedText> items;
    for (int row = 3; row < 30; ++row)
        items.append({7, row, QString::number(row)});
    const auto pages = paginate(items, 10);
    ASSERT_EQ(pages.size(), 4);
    EXPECT_EQ(pages[0].size(), 7);  // rows 3 to 9
    EXPECT_EQ(pages[1].first(), (PrintedText{7, 3, QStringLiteral("10")}));
    EXPECT_EQ(pages[1].last(), (PrintedText{7, 9, QStringLiteral("16")}));
    EXPECT_EQ(pages[3].last(), (PrintedText{7, 8, QStringLiteral("29")}));
}

using PrintTest = WindowTest;

const Boxes kNoPrinter = {{QStringLiteral("プリンター エラーです！\r使用できるプリンターが見つかりません、プリンターをインストールしてから 再度実行してください。"),
                           16, QStringLiteral("プリント エラー")}};

TEST_F(PrintTest, TheMenuPrintsTheReportAndSpoolsNothing)
{
    started();
    putReport(QStringLiteral("L = 50\r\nST = 10"));
    // A file of the old spool's name belongs to the user and stays as it is.
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(sandbox.root()));
    writeAll(QStringLiteral("tmp.txt"), "mine");
    printer.names = {QStringLiteral("Office"), QStringLiteral("Lab")};
    window->mnuPrint_Click();
    const QByteArray after = readAll(QStringLiteral("tmp.txt"));
    QDir::setCurrent(cwd);
    EXPECT_EQ(after, QByteArray("mine"));

    ASSERT_EQ(printer.jobs.size(), 1u);
    EXPECT_EQ(printer.jobs[0].items,
              (QList<PrintedText>{{3, 3, QStringLiteral("2026/12/06 9:05:07")},
                                  {3, 4, QStringLiteral("---------------------- Tolvane ----------------------")},
                                  {7, 6, QStringLiteral("L = 50")},
                                  {7, 7, QStringLiteral("ST = 10")},
                                  {7, 8, QString()},
                                  {3, 10, QStringLiteral("----------------- http://www.example.org/vorn/ -----------------")}}));
    EXPECT_EQ(widget<QListWidget>("List3")->count(), 2);
    EXPECT_TRUE(ui.boxes.empty());

    // Without a printer only the message is shown.
    printer.names.clear();
    window->mnuPrint_Click();
    EXPECT_EQ(printer.jobs.size(), 1u);
    EXPECT_EQ(ui.boxes, kNoPrinter);

    // A destination chosen in the printer setup is a printer too.
    printer.chosen = true;
    ui.boxes.clear();
    window->mnuPrint_Click();
    EXPECT_EQ(printer.jobs.size(), 2u);
    EXPECT_TRUE(ui.boxes.empty());
}

// The window on the desktop's printer, whose setup dialog is the real one.
class DesktopPrintTest : public PrintTest {
protected:
    void SetUp() override
    {
        PrintTest::SetUp();
        FramePorts p = ports();
        p.printer = &desktop;
        window = std::make_unique<MainWindow>(p);
        ASSERT_EQ(window->startUp(), StartResult::Run);
    }

    QStringList errorLines() const { return sandbox.logMessages().filter(QStringLiteral("■Err")); }
    // The log line of a print the system refused.
    static QString printFailure(int errnoValue)
    {
        const VbError e = systemError(errnoValue);
        return QStringLiteral("■Err：[frmMain]-[mnuPrint_Click()]：%1：エラー番号 -> %2").arg(e.description()).arg(e.number());
    }
    void choosePdf(const QString& fileBox, const QString& landscapePage = {})
    {
        choosePdfInPrinterSetup(*window, fileBox, landscapePage);
    }

    QtPrinterPort desktop;
};

// On the desktop: a PDF file chosen in the printer setup is where the print
// command prints, though no printer is installed, on the page chosen there.
TEST_F(DesktopPrintTest, APdfFileChosenInThePrinterSetupTakesThePrint)
{
    const QString pdf = sandbox.root() + QStringLiteral("/報告.pdf");
    choosePdf(pdf, QStringLiteral("A3"));
    EXPECT_TRUE(desktop.destinationChosen());

    putReport(QStringLiteral("SWM20-50\r\nL = 50\r\n圧縮長 = 37mm"));
    window->mnuPrint_Click();
    EXPECT_TRUE(ui.boxes.empty());
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(60000)) << "pdftotext (poppler-utils) is needed";
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    for (const QString& line : {QStringLiteral("---------------------- Tolvane ----------------------"),
                                QStringLiteral("圧縮長 = 37mm"),
                                QStringLiteral("----------------- ") + productPageUrl() + QStringLiteral(" -----------------")})
        EXPECT_TRUE(printed.contains(line)) << line.toStdString() << " in:\n" << printed.toStdString();
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    ASSERT_TRUE(info.waitForFinished(60000));
    const QRegularExpressionMatch size = QRegularExpression(QStringLiteral("Page size: +([0-9.]+) x ([0-9.]+) pts \\(A3\\)"))
                                             .match(QString::fromUtf8(info.readAllStandardOutput()));
    ASSERT_TRUE(size.hasMatch());
    EXPECT_GT(size.captured(1).toDouble(), size.captured(2).toDouble());  // landscape
}

// A print that cannot come out says so as a missing printer does: an empty
// file box (the dialog then gives a folder) is no destination, and a file
// whose folder is gone cannot be written, which the log says.
TEST_F(DesktopPrintTest, APdfFileThatCannotBeWrittenIsToldAsNoPrinter)
{
    putReport(QStringLiteral("L = 50"));

    choosePdf(QString());
    EXPECT_FALSE(desktop.destinationChosen());
    window->mnuPrint_Click();
    EXPECT_EQ(ui.boxes, kNoPrinter);
    EXPECT_EQ(errorLines(), QStringList());  // nothing was tried

    const QString folder = sandbox.root() + QStringLiteral("/図面");
    const QString pdf = folder + QStringLiteral("/報告.pdf");
    ASSERT_TRUE(QDir().mkpath(folder));
    choosePdf(pdf);
    EXPECT_TRUE(desktop.destinationChosen());
    ASSERT_TRUE(QDir(folder).removeRecursively());
    ui.boxes.clear();
    window->mnuPrint_Click();
    EXPECT_EQ(ui.boxes, kNoPrinter);
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_EQ(errorLines(), QStringList{printFailure(ENOENT)});

    // With its folder back the same choice prints without a word.
    ASSERT_TRUE(QDir().mkpath(folder));
    ui.boxes.clear();
    window->mnuPrint_Click();
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_GT(QFileInfo(pdf).size(), 0);
}

// Writes that fail are told too, their reason logged: past the file-size
// limit (as on a full disk) an earlier PDF of that name stays as it was, and
// a device takes the PDF as it is, never replaced by a file of its name.
TEST_F(DesktopPrintTest, AFailedWriteIsToldAndKeepsTheEarlierPdf)
{
    const QString pdf = sandbox.root() + QStringLiteral("/報告.pdf");
    choosePdf(pdf);
    putReport(QStringLiteral("L = 50"));
    window->mnuPrint_Click();
    ASSERT_TRUE(ui.boxes.empty());
    const QByteArray earlier = readAll(pdf);
    ASSERT_GT(earlier.size(), 1024);

    putReport(QStringLiteral("L = 60"));
    {
        const FileSizeLimit limit(1024);
        window->mnuPrint_Click();
    }
    EXPECT_EQ(ui.boxes, kNoPrinter);
    EXPECT_EQ(errorLines(), QStringList{printFailure(EFBIG)});
    EXPECT_EQ(readAll(pdf), earlier);
    EXPECT_EQ(QDir(sandbox.root()).entryList({QStringLiteral("*.pdf*")}, QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("報告.pdf")});

    if (!QFileInfo(QStringLiteral("/dev/full")).exists())
        GTEST_SKIP() << "no /dev/full";
    ui.boxes.clear();
    choosePdf(QStringLiteral("/dev/full"));
    window->mnuPrint_Click();
    EXPECT_EQ(ui.boxes, kNoPrinter);
    EXPECT_EQ(errorLines(), (QStringList{printFailure(EFBIG), printFailure(ENOSPC)}));
    struct stat device {};
    EXPECT_TRUE(::stat("/dev/full", &device) == 0 && S_ISCHR(device.st_mode));
}

// A printer that ends the document in an error printed nothing the window
// can count on; its state is asked once the document has ended. The failure
// is an error for the window to tell and log, as a printer that cannot
// begin the document is.
TEST(PrinterEndState, AnErrorAtTheEndFailsThePrint)
{
    Sandbox box;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);  // stands in for an installed printer
    printer.setOutputFileName(box.root() + QStringLiteral("/printer.pdf"));
    const PrintJob job = reportPrintJob(QStringLiteral("d"), QStringLiteral("L = 50"), QStringLiteral("u"));
    EXPECT_EQ(printOnPrinter(printer, job, printerEndedInError), std::nullopt);

    static std::optional<QPrinter::PrinterState> askedIn;
    const std::optional<VbError> failed = printOnPrinter(printer, job, [](const QPrinter& p) {
        askedIn = p.printerState();
        return true;
    });
    ASSERT_TRUE(askedIn);
    EXPECT_NE(*askedIn, QPrinter::Active);
    EXPECT_EQ(failed ? failed->number() : 0, kErrDeviceIo);

    printer.setOutputFileName(box.root() + QStringLiteral("/no/such/folder/printer.pdf"));
    const std::optional<VbError> notBegun = printOnPrinter(printer, job, printerEndedInError);
    EXPECT_EQ(notBegun ? notBegun->number() : 0, kErrDeviceIo);
}

}  // namespace
}  // namespace tolvane::test
