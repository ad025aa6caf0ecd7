#include "total/totalallvalues.h"

#include "services/embedded.h"
#include "services/log.h"
#include "services/vberror.h"

// The embedded symbols live in the global namespace, so they are named outside ours.
static QByteArray allValuesDrawingBytes()
{
    return TOLVANE_EMBEDDED(total_all_values_dxf);
}

namespace tolvane {

const DxfTemplate& totalAllValuesTemplate()
{
    static const DxfTemplate drawing(allValuesDrawingBytes());
    return drawing;
}

QString CreateDxfDataA(const QStringList& totalValues, const QString& diagramName)
{
    const QString label = errorLabel(QStringLiteral("modDxfDataCreater"), QStringLiteral("CreateDxfDataA"));
    if (totalValues.size() != 9) {
        logError(label, VbError(kErrSubscript));
        return {};
    }
    const QStringList& v = totalValues;
    const QHash<QString, QString> rows{
        {QStringLiteral("TOTAL_NAME"), diagramName},
        {QStringLiteral("TOTAL_FINAL_LOAD"), v.at(7)},
        {QStringLiteral("TOTAL_INITIAL_LOAD"), v.at(5)},
        {QStringLiteral("TOTAL_FREE_LENGTH"), QStringLiteral("FREE LENGTH ") + v.at(0)},
        {QStringLiteral("TOTAL_SET_LENGTH"), QStringLiteral("SET LENGTH ") + v.at(3)},
        {QStringLiteral("TOTAL_COMP_LENGTH"), QStringLiteral("COMP.LENGTH ") + v.at(4)},
        {QStringLiteral("TOTAL_STROKE"), v.at(2) + QStringLiteral(" ST")},
        {QStringLiteral("TOTAL_INITIAL_COMPRESSION"), v.at(1)},
        {QStringLiteral("TOTAL_START_LOAD"), v.at(6)},
        {QStringLiteral("TOTAL_START_DISTANCE"), v.at(8)},
    };
    QString why;
    const auto text = totalAllValuesTemplate().render(rows, &why);
    if (!text) {
        logError(label, VbError(kErrInvalidCall, vbErrorDescription(kErrInvalidCall) + QStringLiteral("（") + why
                                                     + QStringLiteral("）")));
        return {};
    }
    return *text;
}

}  // namespace tolvane
