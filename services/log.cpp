#include "services/log.h"

#include "services/clock.h"
#include "services/folders.h"
#include "services/vberror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tolvane {
namespace {

QString timestamp(const QDateTime& t) { return t.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")); }

void appendLine(const QString& line)
{
    // The file's date is read from the clock apart from the line's time, so a
    // line written at midnight may carry the old day into the new file.
    const QString path = LogFolder() + QStringLiteral("/Vorn-")
        + clock().now().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".log");
    QFile file(path);
    // Neither writer makes a folder: without the log folder the line is lost.
    if (!QFileInfo(LogFolder()).isDir())
        return;
    // A named pipe in the file's place would hold the program until someone reads it.
    const QFileInfo target(path);
    if (target.exists() && !target.isFile())
        return;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write((line + QStringLiteral("\r\n")).toUtf8());
}

}  // namespace

void WriteEventLog(const QString& message)
{
    appendLine(QStringLiteral("□Eve：") + timestamp(clock().now()) + QStringLiteral(" － ") + message);
}

void WriteErrorLog(const QString& text, int number)
{
    appendLine(QStringLiteral("■Err：") + timestamp(clock().now()) + QStringLiteral(" － ") + text
               + QStringLiteral("：エラー番号 -> ") + QString::number(number));
}

void logError(const QString& label, const VbError& error)
{
    WriteErrorLog(label + error.description(), error.number());
}

QString errorLabel(const QString& owner, const QString& procedure)
{
    return QStringLiteral("[") + owner + QStringLiteral("]-[") + procedure + QStringLiteral("()]：");
}

void DeleteOldLog()
{
    const QString label = errorLabel(QStringLiteral("modLogManager"), QStringLiteral("DeleteOldLog"));
    try {
        const QDate today = clock().now().date();
        QDir folder(LogFolder());
        if (!folder.exists())
            throw VbError(kErrPathNotFound);
        const auto files = folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
        for (const QFileInfo& info : files) {
            const qint64 days = info.lastModified().date().daysTo(today);
            if (days > 7) {
                const QString path = QDir::toNativeSeparators(info.absoluteFilePath());
                if (!QFile::remove(info.absoluteFilePath()))
                    throw VbError(kErrPermissionDenied);
                WriteEventLog(QStringLiteral("保存期間を超過したログファイル [ ") + path + QStringLiteral(" ]を削除"));
            }
        }
    } catch (const VbError& e) {
        logError(label, e);
    }
}

}  // namespace tolvane
