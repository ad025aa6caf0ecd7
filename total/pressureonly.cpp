#include "total/pressureonly.h"

namespace tolvane {

// Stand-in until the pressure-only drawing is written: no drawing yet.
QString CreateDxfDataB(const QStringList& totalValues, const QString& diagramName)
{
    Q_UNUSED(totalValues);
    Q_UNUSED(diagramName);
    return {};
}

}  // namespace tolvane
