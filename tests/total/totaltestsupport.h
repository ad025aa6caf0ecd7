#pragma once
// A scripted user and spring data files for the total output tests.

#include "services/cp932.h"
#include "services/ui.h"
#include "support/sandbox.h"
#include "support/scripted_ui.h"

#include <QDir>
#include <QList>

namespace tolvane::test {

using FakeUi = ScriptedUi;

// A data file as the diagram output writes it: the marker and ten values on
// the first line, then an empty line and the notes.
inline QString writeVorn(const QString& folder, const QString& name, const QString& firstLine)
{
    const QString path = folder + QLatin1Char('/') + name;
    writeAll(path, encodeCp932(firstLine + QStringLiteral("\r\n\r\n※このファイルは合計圧力線図の作成に使います。\r\n")));
    return path;
}

// kind, free, initial compression, stroke, set, compressed, initial load, start load, final load, start distance
inline QString vornLine(const QStringList& tenValues)
{
    return QStringLiteral("CreatedByVORN,") + tenValues.join(QLatin1Char(','));
}

inline QStringList allKind(const QString& initialLoad = QStringLiteral("12.5"),
                           const QString& startLoad = QStringLiteral("40"),
                           const QString& finalLoad = QStringLiteral("100"),
                           const QString& startDistance = QStringLiteral("12"))
{
    return QStringList{QStringLiteral("All"), QStringLiteral("50"), QStringLiteral("5"), QStringLiteral("20"),
                       QStringLiteral("45"), QStringLiteral("25")}
           << initialLoad << startLoad << finalLoad << startDistance;
}

}  // namespace tolvane::test
