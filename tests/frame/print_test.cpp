// Printing the report from memory in character cells.
#include "frame/frametest.h"
#include "frame/printlayout.h"

#include <QListWidget>

namespace tolvane::test {
namespace {

const QString kFooter = QStringLiteral("----------------- http://www.example.org/vorn/ -----------------");

TEST(PrintLayout, DateHeaderReportAndFooterInTheirCells)
{
    const PrintJob job = reportPrintJob(QStringLiteral("2026/12/06 9:05:07"), QStringLiteral("a\r\nb\r\nc"),
                                        QStringLiteral("http://www.example.org/vorn/"));
    EXPECT_EQ(job.pointSize, 12);
    const QList<PrintedText> expected = {
        {3, 3, QStringLiteral("2026/12/06 9:05:07")},
        {3, 4, QStringLiteral("---------------------- Tolvane ----------------------")},
        {7, 6, QStringLiteral("a")},
        {7, 7, QStringLiteral("b")},
        {7, 8, QStringLiteral("c")},
        {7, 9, QString()},
        {3, 11, kFooter},
    };
    EXPECT_EQ(job.items, expected);  // k = 3 lines: the footer at row 8 + k
}

// The report's lines as printed in column 7, and the footer's row.
std::pair<QStringList, int> printedLines(const QString& report)
{
    const PrintJob job = reportPrintJob(QStringLiteral("d"), report, QStringLiteral("u"));
    QStringList lines;
    for (const PrintedText& t : job.items)
        if (t.column == 7)
            lines.append(t.text);
    return {lines, job.items.last().row};
}

TEST(PrintLayout, EmptyLinesOfTheReportArePrintedToo)
{
    // Three lines, each ending in a line end: the one line end added after
    // the report gives one empty printed line, not two.
    const auto [lines, footerRow] = printedLines(QStringLiteral("a\r\n\r\nb\r\n"));
    EXPECT_EQ(lines, (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b"), QString()}));
    EXPECT_EQ(footerRow, 8 + 3);

    // A report cut down to its line ends.
    EXPECT_EQ(printedLines(QStringLiteral("\r\n\r\n")), std::make_pair(QStringList(3), 8 + 2));
    // Nothing at all still prints the one empty line before the footer.
    EXPECT_EQ(printedLines(QString()), std::make_pair(QStringList(1), 8));
}

TEST(PrintLayout, RowsThatDoNotFitGoOnTheNextPageBelowTheTopMargin)
{
    QList<PrintedText> items;
    for (int row = 3; row < 30; ++row)
        items.append({7, row, QString::number(row)});
    const auto pages = paginate(items, 10);
    ASSERT_EQ(pages.size(), 4);
    EXPECT_EQ(pages[0].size(), 7);  // rows 3 to 9
    EXPECT_EQ(pages[0].last().row, 9);
    EXPECT_EQ(pages[1].first(), (PrintedText{7, 3, QStringLiteral("10")}));
    EXPECT_EQ(pages[1].last(), (PrintedText{7, 9, QStringLiteral("16")}));
    EXPECT_EQ(pages[2].first(), (PrintedText{7, 3, QStringLiteral("17")}));
    EXPECT_EQ(pages[3].last(), (PrintedText{7, 8, QStringLiteral("29")}));
}

using PrintTest = WindowTest;

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
    const QList<PrintedText>& items = printer.jobs[0].items;
    ASSERT_EQ(items.size(), 6);
    EXPECT_EQ(items[0], (PrintedText{3, 3, window->startDate()}));
    EXPECT_EQ(items[2], (PrintedText{7, 6, QStringLiteral("L = 50")}));
    EXPECT_EQ(items[3], (PrintedText{7, 7, QStringLiteral("ST = 10")}));
    EXPECT_EQ(items[5], (PrintedText{3, 10, kFooter}));
    auto* list = widget<QListWidget>("List3");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("Lab"));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(PrintTest, WithoutAPrinterOnlyTheMessageIsShown)
{
    started();
    putReport(QStringLiteral("L = 50"));
    printer.names.clear();
    window->mnuPrint_Click();
    EXPECT_TRUE(printer.jobs.empty());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].title, QStringLiteral("プリント エラー"));
    EXPECT_EQ(ui.boxes[0].style, 16);
    EXPECT_EQ(ui.boxes[0].prompt,
              QStringLiteral("プリンター エラーです！\r使用できるプリンターが見つかりません、プリンターをインストールしてから 再度実行してください。"));
}

}  // namespace
}  // namespace tolvane::test
