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

namespace {

// Where each drawn total stands in TotalDiagramValues, with the fixed text
// before or after it in its row.
struct TotalRow {
    const char* placeholder;
    int index;
    const char* prefix;
    const char* suffix;
};

constexpr TotalRow kTotalRows[] = {
    {"TOTAL_FINAL_LOAD", 7, "", ""},
    {"TOTAL_INITIAL_LOAD", 5, "", ""},
    {"TOTAL_FREE_LENGTH", 0, "FREE LENGTH ", ""},
    {"TOTAL_SET_LENGTH", 3, "SET LENGTH ", ""},
    {"TOTAL_COMP_LENGTH", 4, "COMP.LENGTH ", ""},
    {"TOTAL_STROKE", 2, "", " ST"},
    {"TOTAL_INITIAL_COMPRESSION", 1, "", ""},
    {"TOTAL_START_LOAD", 6, "", ""},
    {"TOTAL_START_DISTANCE", 8, "", ""},
};

}  // namespace

const DxfTemplate& totalAllValuesTemplate()
{
    static const DxfTemplate drawing(allValuesDrawingBytes());
    return drawing;
}

QHash<QString, QString> totalDrawingRows(const QStringList& totalValues, const QString& diagramName)
{
    QHash<QString, QString> rows;
    rows.insert(QStringLiteral("TOTAL_NAME"), diagramName);
    for (const TotalRow& row : kTotalRows) {
        if (row.index < totalValues.size()) {
            rows.insert(QString::fromLatin1(row.placeholder), QString::fromLatin1(row.prefix)
                                                                  + totalValues.at(row.index)
                                                                  + QString::fromLatin1(row.suffix));
        }
    }
    return rows;
}

QString CreateDxfDataA(const QStringList& totalValues, const QString& diagramName)
{
    const QString label = errorLabel(QStringLiteral("modDxfDataCreater"), QStringLiteral("CreateDxfDataA"));
    if (totalValues.size() != 9) {
        logError(label, VbError(kErrSubscript));
        return {};
    }
    QString why;
    const auto text = totalAllValuesTemplate().render(totalDrawingRows(totalValues, diagramName), &why);
    if (!text) {
        logError(label, VbError(kErrInvalidCall, vbErrorDescription(kErrInvalidCall) + QStringLiteral("（") + why
                                                     + QStringLiteral("）")));
        return {};
    }
    return *text;
}

}  // namespace tolvane
