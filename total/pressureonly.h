#pragma once
// The total pressure diagram of the pressure-only kind.

#include <QString>
#include <QStringList>

namespace tolvane {

// The whole drawing text (rows ended by CR LF) for the nine totals and the
// diagram's name, or an empty text when it cannot be made (the reason is in
// the log). The name is used as given; the caller has made it safe.
QString CreateDxfDataB(const QStringList& totalValues, const QString& diagramName);

}  // namespace tolvane
