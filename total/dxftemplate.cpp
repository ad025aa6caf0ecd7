#include "total/dxftemplate.h"

namespace tolvane {

namespace {
const QString kMark = QStringLiteral("@@");
}

DxfTemplate::DxfTemplate(const QByteArray& fileBytes)
{
    const QString text = QString::fromUtf8(fileBytes);
    QStringList rows;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        qsizetype rowEnd = end;
        if (rowEnd > start && text.at(rowEnd - 1) == QLatin1Char('\r'))
            --rowEnd;
        rows.append(text.mid(start, rowEnd - start));
        start = end + 1;
    }
    // Every drawing renders the same rows: join the runs between the
    // placeholders once, CR LF included.
    QString run;
    for (const QString& row : rows) {
        const QString name = placeholderName(row);
        if (name.isEmpty()) {
            run += row;
            run += u"\r\n";
            continue;
        }
        runs_.append(run);
        run.clear();
        placeholderRows_.append(name);
        if (!names_.contains(name))
            names_.append(name);
    }
    runs_.append(run);
}

bool DxfTemplate::isPlaceholderRow(const QString& row)
{
    return row.size() > 2 * kMark.size() && row.startsWith(kMark) && row.endsWith(kMark);
}

QString DxfTemplate::placeholderName(const QString& row)
{
    return isPlaceholderRow(row) ? row.mid(kMark.size(), row.size() - 2 * kMark.size()) : QString();
}

std::optional<QString> DxfTemplate::render(const QHash<QString, QString>& values, QString* error) const
{
    // Check first, build after: a refused value leaves no half drawing.
    QList<const QString*> filled;
    filled.reserve(placeholderRows_.size());
    qsizetype length = 0;
    for (const QString& name : placeholderRows_) {
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
        filled.append(&*it);
        length += it->size() + 2;
    }
    for (const QString& run : runs_)
        length += run.size();

    QString out;
    out.reserve(length);
    for (qsizetype i = 0; i < filled.size(); ++i) {
        out += runs_[i];
        out += *filled[i];
        out += u"\r\n";
    }
    out += runs_.last();
    return out;
}

}  // namespace tolvane
