#include "services/folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace tolvane {
namespace {

QString& programOverride()
{
    static QString folder;
    return folder;
}

QString& documentsOverride()
{
    static QString folder;
    return folder;
}

QString& cacheOverride()
{
    static QString folder;
    return folder;
}

}  // namespace

QString ProgramFolder()
{
    if (!programOverride().isEmpty())
        return programOverride();
    return QCoreApplication::applicationDirPath();
}

void setProgramFolder(const QString& folder) { programOverride() = folder; }

// The desktop's own folder of that kind, else the usual one in the home folder.
static QString standardFolder(QStandardPaths::StandardLocation kind, const QString& inHome)
{
    const QString folder = QStandardPaths::writableLocation(kind);
    return folder.isEmpty() ? QDir::homePath() + inHome : folder;
}

QString DocumentsFolder()
{
    if (!documentsOverride().isEmpty())
        return documentsOverride();
    return standardFolder(QStandardPaths::DocumentsLocation, QStringLiteral("/Documents"));
}

void setDocumentsFolder(const QString& folder) { documentsOverride() = folder; }

QString CacheFolder()
{
    if (!cacheOverride().isEmpty())
        return cacheOverride();
    return standardFolder(QStandardPaths::GenericCacheLocation, QStringLiteral("/.cache")) + QStringLiteral("/Tolvane");
}

void setCacheFolder(const QString& folder) { cacheOverride() = folder; }

QString SettingFolder() { return DocumentsFolder() + QStringLiteral("/Tolvane"); }
QString LogFolder() { return SettingFolder() + QStringLiteral("/Log"); }
QString MaterialsFolder() { return ProgramFolder() + QStringLiteral("/materials"); }

// The documents folder may not exist on a fresh account; without the whole
// path every setting and log line would be lost, so make all of it.
void ExistSettingFolder() { QDir().mkpath(SettingFolder()); }
void ExistLogFolder() { QDir().mkpath(LogFolder()); }

bool ExistMaterialsFolder() { return QDir(MaterialsFolder()).exists(); }

void DeleteFileQuietly(const QString& path) { QFile::remove(path); }

}  // namespace tolvane
