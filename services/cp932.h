#pragma once
// Code page 932 (Japanese Windows), the encoding of every file this program
// exchanges with other copies of itself or with CAD programs.

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace tolvane {

// A character that code page 932 cannot hold becomes "?". Thread-safe, and
// nothing to set up: the table is part of the program.
QByteArray encodeCp932(QStringView text);

// A byte sequence that is not code page 932 becomes "?".
QString decodeCp932(const QByteArray& bytes);

}  // namespace tolvane
