#pragma once
// Reading the small comma-separated text files this program exchanges (the
// message file, the spring data files). They are code page 932.

#include <QList>
#include <QString>
#include <QStringList>

namespace tolvane {

// Every line of the file without its line end (CR LF or LF). An empty file
// gives one empty line; a missing or unreadable file, anything but a regular
// file, or one of more than 32767 lines gives no lines and one error line in
// the log.
QStringList ReadTextFile(const QString& path);

// Each line split at every comma: no quoting, no trimming, empty fields kept;
// an empty line gives no fields. No lines gives no rows and an error line.
QList<QStringList> CreateDataArray(const QStringList& lines);

// One line split at every comma; an empty line gives two empty fields.
QStringList DivideStrings(const QString& line);

}  // namespace tolvane
