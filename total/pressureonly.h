#pragma once
// The total pressure diagram of the pressure-only kind: the fixed 3214-row
// drawing for data files of the kind "SppOnly", with the title and seven of
// the totals in its eight text rows.

#include "total/dxftemplate.h"

#include <QString>
#include <QStringList>

namespace tolvane {

// The whole drawing text (rows ended by CR LF) for the nine totals and the
// diagram's name, or an empty text when it cannot be made (the reason is in
// the log). The name and the values go in as given, except that a control
// character (a row break above all) becomes a blank, so every text stays in
// its own row.
// Elements 6 and 8 (the working-point load and distance) are not drawn, so
// eight elements are enough.
QString CreateDxfDataB(const QStringList& totalValues, const QString& diagramName);

// The drawing as it is kept in the program, placeholders and all.
const DxfTemplate& pressureOnlyTemplate();

}  // namespace tolvane
