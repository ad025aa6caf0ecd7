#include "services/log.h"

#include "services/clock.h"
#include "services/folders.h"
#include "services/vberror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// Only the files the writers above make: "Vorn-YYYY-MM-DD.log" with a real
// date. Anything else in the folder is someone's own and stays.
bool isDailyLogName(const QString& name)
{
    static const QString prefix = QStringLiteral("Vorn-"), suffix = QStringLiteral(".log");
    if (name.size() != prefix.size() + 10 + suffix.size() || !name.startsWith(prefix) || !name.endsWith(suffix))
        return false;
    return QDate::fromString(name.mid(prefix.size(), 10), QStringLiteral("yyyy-MM-dd")).isValid();
}

}  // namespace

void DeleteOldLog()
{
    const QString label = errorLabel(QStringLiteral("modLogManager"), QStringLiteral("DeleteOldLog"));
    try {
        const QDate today = clock().now().date();
        QDir folder(LogFolder());
        if (!folder.exists())
            throw VbError(kErrPathNotFound);
        const QStringList names = folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                                   QDir::Name);
        for (const QString& name : names) {
            if (!isDailyLogName(name))
                continue;
            // A link is judged and removed as a link: what it points at may
            // be anything of the user's.
            const QString path = folder.filePath(name);
            const QByteArray native = QFile::encodeName(path);
            struct stat entry {};
            if (::lstat(native.constData(), &entry) != 0 || !(S_ISREG(entry.st_mode) || S_ISLNK(entry.st_mode)))
                continue;
            const qint64 days = QDateTime::fromSecsSinceEpoch(entry.st_mtime).date().daysTo(today);
            if (days > 7) {
                if (::unlink(native.constData()) != 0)
                    throw VbError(kErrPermissionDenied);
                WriteEventLog(QStringLiteral("保存期間を超過したログファイル [ ") + QDir::toNativeSeparators(path)
                              + QStringLiteral(" ]を削除"));
            }
        }
    } catch (const VbError& e) {
        logError(label, e);
    }
}

}  // namespace tolvane
