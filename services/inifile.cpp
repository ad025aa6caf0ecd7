#include "services/inifile.h"

#include "services/atomicfile.h"
#include "services/folders.h"
#include "services/log.h"
#include "services/vberror.h"

#include <QFile>
#include <QFileInfo>
#include <QList>

#include <optional>

namespace tolvane {
namespace {

const QString kOwner = QStringLiteral("modIniFileRW");

// A line of the file with its own line end, so untouched lines are written
// back byte for byte.
struct Line {
    QByteArray text;
    QByteArray end;
};

QList<Line> splitLines(const QByteArray& data)
{
    QList<Line> lines;
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype nl = data.indexOf('\n', start);
        Line line;
        if (nl < 0) {
            line.text = data.mid(start);
            start = data.size();
        } else {
            qsizetype textEnd = nl;
            if (textEnd > start && data[textEnd - 1] == '\r')
                --textEnd;
            line.text = data.mid(start, textEnd - start);
            line.end = data.mid(textEnd, nl + 1 - textEnd);
            start = nl + 1;
        }
        lines.append(line);
    }
    return lines;
}

// The name of a section line ("[Design]"), nothing for any other line.
std::optional<QString> sectionName(const QByteArray& line)
{
    const QString t = QString::fromUtf8(line).trimmed();
    const auto close = t.indexOf(u']');
    if (!t.startsWith(u'[') || close <= 0)
        return std::nullopt;
    return t.mid(1, close - 1).trimmed();
}

// The key of a key line, empty for anything else.
QString keyName(const QByteArray& line)
{
    const QString t = QString::fromUtf8(line);
    const auto eq = t.indexOf(u'=');
    if (eq <= 0 || t.trimmed().startsWith(u';'))
        return {};
    return t.left(eq).trimmed();
}

QString valueOf(const QByteArray& line)
{
    const QString t = QString::fromUtf8(line);
    QString v = t.mid(t.indexOf(u'=') + 1).trimmed();
    if (v.size() >= 2 && ((v.startsWith(u'"') && v.endsWith(u'"')) || (v.startsWith(u'\'') && v.endsWith(u'\''))))
        v = v.mid(1, v.size() - 2);
    return v.left(254);
}

bool sameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// The file holds a few short lines. Anything far larger, or anything but a
// regular file (a named pipe would hold the program for good), is no
// settings file of ours and is never read.
constexpr qint64 kMaxSettingsBytes = 1024 * 1024;

// The whole file, or nothing when there is none; VbError when it cannot be
// read or is no settings file.
std::optional<QByteArray> readSettings(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    if (!info.isFile())
        throw VbError(kErrPathFileAccess, QStringLiteral("通常のファイルではありません。"));
    const VbError tooLarge(kErrPathFileAccess, QStringLiteral("ファイルが大きすぎます。"));
    if (info.size() > kMaxSettingsBytes)
        throw tooLarge;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw VbError(kErrPermissionDenied);
    // It may have grown since it was looked at.
    QByteArray data = file.read(kMaxSettingsBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw VbError(kErrPathFileAccess);
    if (data.size() > kMaxSettingsBytes)
        throw tooLarge;
    return data;
}

}  // namespace

QString SettingsFilePath() { return SettingFolder() + QStringLiteral("/Settings.ini"); }

QString GetINIValue(const QString& section, const QString& key)
{
    std::optional<QByteArray> data;
    try {
        data = readSettings(SettingsFilePath());
    } catch (const VbError& e) {
        // Read as a missing file: every setting takes its default.
        logError(errorLabel(kOwner, QStringLiteral("GetINIValue")), e);
    }
    if (!data)
        return QStringLiteral("ERROR");
    bool inSection = false;
    for (const Line& line : splitLines(*data)) {
        if (const auto name = sectionName(line.text)) {
            inSection = sameName(*name, section);
            continue;
        }
        if (inSection && sameName(keyName(line.text), key))
            return valueOf(line.text);
    }
    return QStringLiteral("ERROR");
}

bool SetINIValue(const QString& section, const QString& key, const QString& value)
{
    const QString path = SettingsFilePath();
    if (!QFileInfo(QFileInfo(path).absolutePath()).isDir())
        return false;
    QByteArray data;
    try {
        // A file that cannot be read is left as it is, never replaced.
        data = readSettings(path).value_or(QByteArray());
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("SetINIValue")), e);
        return false;
    }
    QList<Line> lines = splitLines(data);
    const QByteArray keyLine = (key + u'=' + value).toUtf8();
    const QByteArray crlf("\r\n");

    qsizetype sectionAt = -1;
    qsizetype lastInSection = -1;  // the last non-empty line of the section
    qsizetype keyAt = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (const auto name = sectionName(lines[i].text)) {
            if (sectionAt >= 0)
                break;
            if (sameName(*name, section)) {
                sectionAt = i;
                lastInSection = i;
            }
            continue;
        }
        if (sectionAt < 0)
            continue;
        if (!lines[i].text.trimmed().isEmpty())
            lastInSection = i;
        if (sameName(keyName(lines[i].text), key)) {
            keyAt = i;
            break;
        }
    }

    auto ensureEnd = [&](qsizetype i) {
        if (i >= 0 && lines[i].end.isEmpty())
            lines[i].end = crlf;
    };
    if (keyAt >= 0) {
        lines[keyAt].text = keyLine;
    } else if (sectionAt >= 0) {
        ensureEnd(lastInSection);
        lines.insert(lastInSection + 1, Line{keyLine, crlf});
    } else {
        ensureEnd(lines.size() - 1);
        lines.append(Line{(u'[' + section + u']').toUtf8(), crlf});
        lines.append(Line{keyLine, crlf});
    }

    QByteArray out;
    for (const Line& line : lines)
        out += line.text + line.end;
    return writeFileAtomic(path, out);
}

void ExistIniFile()
{
    if (!QFileInfo::exists(SettingsFilePath()))
        CreateIniFile();
}

void CreateIniFile()
{
    try {
        if (!writeFileAtomic(SettingsFilePath(), QByteArrayLiteral("[Design]\r\n\r\nFORM_SKIN=Dark")))
            throw VbError(kErrPathNotFound);
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("CreateIniFile")), e);
    }
}

void ReadIniFile() { SkinName() = GetINIValue(QStringLiteral("Design"), QStringLiteral("FORM_SKIN")); }

QString& SkinName()
{
    static QString name;
    return name;
}

}  // namespace tolvane
