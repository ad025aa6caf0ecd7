#pragma once
// The total pressure diagram of the all-values kind: one fixed AutoCAD 2000
// drawing whose ten text rows carry the diagram's name and the totals.

#include "total/dxftemplate.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace tolvane {

// The embedded drawing, read once.
const DxfTemplate& totalAllValuesTemplate();

// The text rows of both total drawings, by placeholder name: the diagram's
// name and the totals (TotalDiagramValues) with their fixed words. A drawing
// fills the rows it holds; a total the list does not reach gives no row.
QHash<QString, QString> totalDrawingRows(const QStringList& totalValues, const QString& diagramName);

// The whole drawing text (every row ended by CR LF) for the nine totals
// (TotalDiagramValues, index 0..8) and the name. An empty text, and one
// error line in the log, when the totals are not nine or a text would break
// its row; the caller makes the texts safe with dxfSafeText first.
QString CreateDxfDataA(const QStringList& totalValues, const QString& diagramName);

}  // namespace tolvane
