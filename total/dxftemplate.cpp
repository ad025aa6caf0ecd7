#include "total/dxftemplate.h"

namespace tolvane {

namespace {
const QString kMark = QStringLiteral("@@");
}

DxfTemplate::DxfTemplate(const QByteArray& fileBytes)
{
    const QString text = QString::fromUtf8(fileBytes);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        qsizetype rowEnd = end;
        if (rowEnd > start && text.at(rowEnd - 1) == QLatin1Char('\r'))
            --rowEnd;
        rows_.append(text.mid(start, rowEnd - start));
        start = end + 1;
    }
}

bool DxfTemplate::isPlaceholderRow(const QString& row)
{
    return row.size() > 2 * kMark.size() && row.startsWith(kMark) && row.endsWith(kMark);
}

QString DxfTemplate::placeholderName(const QString& row)
{
    return isPlaceholderRow(row) ? row.mid(kMark.size(), row.size() - 2 * kMark.size()) : QString();
}

QStringList DxfTemplate::placeholders() const
{
    QStringList names;
    for (const QString& row : rows_) {
        const QString name = placeholderName(row);
        if (!name.isEmpty() && !names.contains(name))
            names.append(name);
    }
    return names;
}

std::optional<QString> DxfTemplate::render(const QHash<QString, QString>& values, QString* error) const
{
    // Check first, build after: a refused value leaves no half drawing.
    for (const QString& name : placeholders()) {
        const auto it = values.constFind(name);
        if (it == values.constEnd()) {
            if (error)
                *error = QStringLiteral("no value for %1").arg(name);
            return std::nullopt;
        }
        if (it->contains(QLatin1Char('\r')) || it->contains(QLatin1Char('\n'))) {
            if (error)
                *error = QStringLiteral("the value for %1 holds a row break").arg(name);
            return std::nullopt;
        }
    }

    qsizetype length = 0;
    for (const QString& row : rows_)
        length += row.size() + 2;
    QString out;
    out.reserve(length + 256);
    const QString crlf = QStringLiteral("\r\n");
    for (const QString& row : rows_) {
        if (isPlaceholderRow(row))
            out += values.value(placeholderName(row));
        else
            out += row;
        out += crlf;
    }
    return out;
}

}  // namespace tolvane
