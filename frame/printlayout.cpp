#include "frame/printlayout.h"

namespace tolvane {

PrintJob reportPrintJob(const QString& startDate, const QString& reportText, const QString& footerAddress)
{
    PrintJob job;
    job.pointSize = 12;
    job.items.append(PrintedText{3, 3, startDate});
    job.items.append(PrintedText{3, 4, QStringLiteral("---------------------- Tolvane ----------------------")});
    // The report's lines, then one empty line for the line end added after
    // it. A line end that closes the report's last line starts no new line.
    QStringList lines;
    if (!reportText.isEmpty()) {
        lines = reportText.split(QStringLiteral("\r\n"));
        if (reportText.endsWith(QStringLiteral("\r\n")))
            lines.removeLast();
    }
    lines.append(QString());
    int row = 6;
    for (const QString& line : lines) {
        job.items.append(PrintedText{7, row, line});
        ++row;
    }
    ++row;
    const QString dashes(17, QLatin1Char('-'));
    job.items.append(PrintedText{3, row, dashes + QLatin1Char(' ') + footerAddress + QLatin1Char(' ') + dashes});
    return job;
}

QList<QList<PrintedText>> paginate(const QList<PrintedText>& items, int rowsPerPage, int topRow)
{
    QList<QList<PrintedText>> pages;
    if (rowsPerPage <= topRow)
        rowsPerPage = topRow + 1;
    const int perFollowingPage = rowsPerPage - topRow;
    for (const PrintedText& item : items) {
        int page = 0;
        int row = item.row;
        if (row >= rowsPerPage) {
            page = 1 + (row - rowsPerPage) / perFollowingPage;
            row = topRow + (row - rowsPerPage) % perFollowingPage;
        }
        while (pages.size() <= page)
            pages.append(QList<PrintedText>());
        pages[page].append(PrintedText{item.column, row, item.text});
    }
    return pages;
}

}  // namespace tolvane
