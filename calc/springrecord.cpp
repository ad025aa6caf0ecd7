#include "calc/springrecord.h"

namespace tolvane {

SpringRecord& springRecord()
{
    static SpringRecord record;
    return record;
}

QStringList& totalDiagramValues()
{
    static QStringList values;
    return values;
}

}  // namespace tolvane
