#pragma once
// Qt's own file and printer dialogs as the program shows them: in Japanese
// like its own windows, with a file list whose every column reads whole.
// Only the dialogs take the Japanese locale; the program's numbers never
// pass through a locale.

#include "services/ui.h"

#include <QLocale>
#include <QStringList>

class QFileDialog;
class QPrintDialog;

namespace tolvane {

QLocale japaneseLocale();

// "Text files|*.txt|All|*.*" as a Qt name filter list.
QStringList nameFilters(const QString& vbFilter);

// Title, filters (the request's one chosen), default suffix, folder and
// file name; the list in detail view with its sizes, types and dates in
// Japanese, wide enough for each of them.
void prepareFileDialog(QFileDialog& dialog, const FileDialogRequest& request);

// The printer setup prints nothing: its confirm button says OK.
void preparePrintSetup(QPrintDialog& dialog);

}  // namespace tolvane
