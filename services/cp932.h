#pragma once
// Code page 932 (Japanese Windows), the encoding of every file this program
// exchanges with other copies of itself or with CAD programs.

#include <QByteArray>
#include <QString>

namespace tolvane {

// A character that code page 932 cannot hold becomes "?".
QByteArray encodeCp932(const QString& text);

// A byte sequence that is not code page 932 becomes "?".
QString decodeCp932(const QByteArray& bytes);

}  // namespace tolvane
