#include "total/pressureonly.h"

#include "diagram/dxffile.h"
#include "services/embedded.h"
#include "services/log.h"
#include "services/vberror.h"
#include "total/totalallvalues.h"

// The embedded file's symbols live outside any namespace.
static QByteArray pressureOnlyFile()
{
    return TOLVANE_EMBEDDED(total_pressure_only_dxf);
}

namespace tolvane {

namespace {

constexpr int kValuesNeeded = 8;  // elements 0 to 7; element 8 is not drawn

const QString& label()
{
    static const QString text = errorLabel(QStringLiteral("modDxfDataCreater"), QStringLiteral("CreateDxfDataB"));
    return text;
}

}  // namespace

const DxfTemplate& pressureOnlyTemplate()
{
    static const DxfTemplate drawing(pressureOnlyFile());
    return drawing;
}

QString CreateDxfDataB(const QStringList& totalValues, const QString& diagramName)
{
    try {
        // Without the totals there is nothing to draw: a drawing with holes
        // where the loads belong would be saved as if it were complete.
        if (totalValues.size() < kValuesNeeded)
            throw VbError(kErrSubscript);

        QStringList safeValues;
        for (const QString& value : totalValues)
            safeValues.append(dxfSafeText(value));

        QString error;
        const auto text = pressureOnlyTemplate().render(totalDrawingRows(safeValues, dxfSafeText(diagramName)), &error);
        if (!text)
            throw VbError(kErrInvalidCall, error);
        return *text;
    } catch (const VbError& e) {
        logError(label(), e);
        return {};
    }
}

}  // namespace tolvane
