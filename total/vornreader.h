#pragma once
// Reading the spring data files (".vorn") that the total diagram adds up.
// Only the first line matters: the marker and the ten values of the spring.

#include <QString>
#include <QStringList>

namespace tolvane {

// A longer first line is no data file of ours, however it ends.
constexpr qint64 kMaxVornLineBytes = 64 * 1024;

enum class VornLineStatus { Ok, Missing, Unreadable, TooLong };

// The first line of the file without its line end (CR LF, LF or CR alone),
// decoded from code page 932. An empty file gives an empty line; anything
// but a regular file is Unreadable.
VornLineStatus readVornFirstLine(const QString& path, QString* line);

// What adding up the data files gave: the nine texts of the total diagram,
// or the index of the first file that could not be added, and why (an error
// number: 9 a missing field, 13 a load that is not a number, 6 a sum beyond
// the range of numbers).
struct VornTotals {
    bool ok = false;
    QStringList values;
    int failedFile = -1;
    int errorNumber = 0;
};

// Lengths and start distance of the first file, the loads summed over all
// files (the start load only where given; "0" when none is). Loads are read
// with "." as decimal point whatever the locale; the program's own sign for
// a zero load, "---", reads 0; an empty initial or final load is no number.
VornTotals CalcData(const QList<QStringList>& dataFileFields);

}  // namespace tolvane
