#include "total/vornreader.h"

#include "diagram/vornwriter.h"
#include "services/cp932.h"
#include "services/numtext.h"
#include "services/vberror.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace tolvane {

VornLineStatus readVornFirstLine(const QString& path, QString* line)
{
    line->clear();
    const QFileInfo info(path);
    if (!info.exists())
        return VornLineStatus::Missing;
    QFile file(path);
    // A named pipe or a device would hold the dialog: only regular files are read.
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return VornLineStatus::Unreadable;
    // One byte more than a line may hold tells a long line from a full one.
    const QByteArray head = file.read(kMaxVornLineBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return VornLineStatus::Unreadable;
    qsizetype end = 0;
    while (end < head.size() && head.at(end) != '\r' && head.at(end) != '\n')
        ++end;
    if (end > kMaxVornLineBytes)
        return VornLineStatus::TooLong;
    // No trail byte of code page 932 is a CR or LF, so cutting bytes is safe.
    *line = decodeCp932(head.left(end));
    return VornLineStatus::Ok;
}

namespace {

double loadValue(const QString& field)
{
    if (field == QStringLiteral("---"))
        return 0.0;
    return cdbl(field);
}

void addTo(double& sum, double value)
{
    sum += value;
    if (!std::isfinite(sum))
        throw VbError(kErrOverflow);
}

}  // namespace

VornTotals CalcData(const QList<QStringList>& dataFileFields)
{
    VornTotals out;
    if (dataFileFields.isEmpty()) {
        out.errorNumber = kErrSubscript;
        return out;
    }
    double initial = 0.0;
    double start = 0.0;
    double final = 0.0;
    for (int i = 0; i < dataFileFields.size(); ++i) {
        const QStringList& f = dataFileFields.at(i);
        try {
            // The first file also gives the start distance.
            if (f.size() < (i == 0 ? kVornFieldCount : kVornStartDistance))
                throw VbError(kErrSubscript);
            addTo(initial, loadValue(f.at(kVornInitialLoad)));
            if (!f.at(kVornStartLoad).isEmpty())
                addTo(start, loadValue(f.at(kVornStartLoad)));
            addTo(final, loadValue(f.at(kVornFinalLoad)));
        } catch (const VbError& e) {
            out.failedFile = i;
            out.errorNumber = e.number();
            return out;
        }
    }
    const QStringList& first = dataFileFields.first();
    out.values = {first.at(kVornFreeLength), first.at(kVornInitialCompression), first.at(kVornStroke),
                  first.at(kVornSetLength), first.at(kVornCompressedLength), dblText(initial), dblText(start),
                  dblText(final), first.at(kVornStartDistance)};
    out.ok = true;
    return out;
}

}  // namespace tolvane
