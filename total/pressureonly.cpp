#include "total/pressureonly.h"

#include "diagram/dxffile.h"
#include "services/embedded.h"
#include "services/log.h"
#include "services/vberror.h"

#include <QHash>

// The embedded file's symbols live outside any namespace.
static QByteArray pressureOnlyFile()
{
    return TOLVANE_EMBEDDED(total_pressure_only_dxf);
}

namespace tolvane {

namespace {

// Index of each drawn total in TotalDiagramValues, with the fixed text that
// goes before or after it in its row.
struct ValueRow {
    const char* placeholder;
    int index;
    const char* prefix;
    const char* suffix;
};

constexpr ValueRow kValueRows[] = {
    {"TOTAL_FINAL_LOAD", 7, "", ""},
    {"TOTAL_INITIAL_LOAD", 5, "", ""},
    {"TOTAL_FREE_LENGTH", 0, "FREE LENGTH ", ""},
    {"TOTAL_SET_LENGTH", 3, "SET LENGTH ", ""},
    {"TOTAL_COMP_LENGTH", 4, "COMP.LENGTH ", ""},
    {"TOTAL_STROKE", 2, "", " ST"},
    {"TOTAL_INITIAL_COMPRESSION", 1, "", ""},
};

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

        QHash<QString, QString> values;
        for (const ValueRow& row : kValueRows) {
            values.insert(QString::fromLatin1(row.placeholder),
                          QString::fromLatin1(row.prefix) + dxfSafeText(totalValues.at(row.index)) +
                              QString::fromLatin1(row.suffix));
        }
        values.insert(QStringLiteral("TOTAL_NAME"), dxfSafeText(diagramName));

        QString error;
        const auto text = pressureOnlyTemplate().render(values, &error);
        if (!text)
            throw VbError(kErrInvalidCall, error);
        return *text;
    } catch (const VbError& e) {
        logError(label(), e);
        return {};
    }
}

}  // namespace tolvane
