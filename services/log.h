#pragma once
// The daily event and error log: one line per call, the file opened, written
// and closed each time, so another program can read it between lines.

#include <QString>

namespace tolvane {

class VbError;

// "□Eve：YYYY/MM/DD HH:MM:SS － message"
void WriteEventLog(const QString& message);
// "■Err：YYYY/MM/DD HH:MM:SS － text：エラー番号 -> number"
void WriteErrorLog(const QString& text, int number);
// The error convention: the procedure's label, the error's description and number.
void logError(const QString& label, const VbError& error);
// Deletes the daily logs ("Vorn-YYYY-MM-DD.log", a file or a link of that
// name, never what a link points at) whose last change lies more than seven
// calendar days back; every other file in the log folder stays.
void DeleteOldLog();

// "[" + owner + "]-[" + procedure + "()]："
QString errorLabel(const QString& owner, const QString& procedure);

}  // namespace tolvane
