#include "services/textfile.h"

#include "services/cp932.h"
#include "services/log.h"
#include "services/vberror.h"

#include <QFile>
#include <QFileInfo>

namespace tolvane {
namespace {
const QString kOwner = QStringLiteral("modDataEditor");
}

QStringList ReadTextFile(const QString& path)
{
    try {
        QFile file(path);
        if (!file.exists())
            throw VbError(kErrFileNotFound);
        // Opening a named pipe or a device would wait, or read, for ever.
        if (!QFileInfo(path).isFile())
            throw VbError(kErrPathFileAccess, QStringLiteral("通常のファイルではありません。"));
        if (!file.open(QIODevice::ReadOnly))
            throw VbError(kErrPermissionDenied);
        const QByteArray data = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw VbError(kErrPathFileAccess);
        QStringList lines;
        if (data.isEmpty()) {
            lines.append(QString());
            return lines;
        }
        qsizetype start = 0;
        while (start < data.size()) {
            // Lines are counted in a 16-bit integer, so a longer file
            // overflows instead of being read in part.
            if (lines.size() >= 32767)
                throw VbError(kErrOverflow);
            qsizetype nl = data.indexOf('\n', start);
            qsizetype end = nl < 0 ? data.size() : nl;
            qsizetype textEnd = end;
            if (nl >= 0 && textEnd > start && data[textEnd - 1] == '\r')
                --textEnd;
            lines.append(decodeCp932(data.mid(start, textEnd - start)));
            start = nl < 0 ? data.size() : nl + 1;
        }
        return lines;
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("ReadTextFile")), e);
        return {};
    }
}

QList<QStringList> CreateDataArray(const QStringList& lines)
{
    if (lines.isEmpty()) {
        logError(errorLabel(kOwner, QStringLiteral("CreateDataArray")), VbError(kErrSubscript));
        return {};
    }
    QList<QStringList> rows;
    rows.reserve(lines.size());
    for (const QString& line : lines)
        rows.append(line.isEmpty() ? QStringList() : line.split(u','));
    return rows;
}

QStringList DivideStrings(const QString& line)
{
    if (line.isEmpty())
        return {QString(), QString()};
    return line.split(u',');
}

}  // namespace tolvane
