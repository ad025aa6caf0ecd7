#pragma once
// The program folder and the per-user folders. Paths are asked anew on every
// call: nothing is cached, so a folder removed while the program runs is
// simply made again by the next caller that needs it.

#include <QString>

namespace tolvane {

// The folder that holds the executable (materials/, html/, the catalogue).
QString ProgramFolder();
void setProgramFolder(const QString& folder);  // empty: the executable's folder again

// The user's documents folder (XDG), else $HOME/Documents.
QString DocumentsFolder();
void setDocumentsFolder(const QString& folder);  // empty: the platform's again

// The user's cache folder ($XDG_CACHE_HOME, else ~/.cache) + "/Tolvane":
// what the program can always make again from its own files.
QString CacheFolder();
void setCacheFolder(const QString& folder);  // empty: the platform's again

QString SettingFolder();   // documents + "/Tolvane"
QString LogFolder();       // SettingFolder + "/Log"
QString MaterialsFolder(); // ProgramFolder + "/materials"

// Make the folder when missing, with every missing parent.
void ExistSettingFolder();
void ExistLogFolder();
bool ExistMaterialsFolder();

// Deletes the file when it can; never reports.
void DeleteFileQuietly(const QString& path);

}  // namespace tolvane
