#pragma once
// The printed report laid out in character cells, the page every copy of
// the program prints: the start-up date at row 3, the header at row 4, the
// report from row 6 in column 7, one empty row, then the footer. Built in
// memory: nothing is spooled through a file.

#include "frame/ports.h"

namespace tolvane {

PrintJob reportPrintJob(const QString& startDate, const QString& reportText, const QString& footerAddress);

// Splits a job's rows onto pages of rowsPerPage rows: rows that do not fit
// go on to the next page, starting again at topRow.
QList<QList<PrintedText>> paginate(const QList<PrintedText>& items, int rowsPerPage, int topRow = 3);

}  // namespace tolvane
