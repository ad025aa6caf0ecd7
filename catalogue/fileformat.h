#pragma once
// What a catalogue file is: an existing regular file at the path a query
// names, of the kind its own header says, whatever its name.

#include "catalogue/common.h"

#include <QString>

#include <sys/stat.h>

#include <string>

namespace tolvane::catalogue {

enum class FileFormat { Sqlite, Jet3, Jet4, Unknown };

// The file's own header says what it is, whatever its name; a header that
// cannot be read is no format: Unknown, with the system's reason in *error
// (else 0).
FileFormat headerFormat(int fd, int* error);
// As above; a header that cannot be read makes the file one that cannot be
// opened (3051), with the system's reason, as a file the user may not read.
FileFormat headerFormat(int fd, const QString& shown);

// The catalogue file at file, opened to be read: whatever the path names by
// now (someone may have put a FIFO or a device there since it was looked
// at), the open never waits, and the handle is used only when it is a
// regular file, which st then describes; else the engine's error, as
// existingFile() gives it.
catalogue::Fd openCatalogueFile(const std::string& file, const QString& shown, struct stat& st);

// The absolute name of an existing regular file, with what the one stat of
// the query said of it; else the engine's error for a missing file, a
// missing folder, or a file that cannot be opened (3051), with the system's
// reason or what it is instead of a file.
std::string existingFile(const QString& path, struct stat& st);

// The file's path without links or dots: one file has one copy, whatever
// spelling of its path a query used.
std::string resolvedPath(const std::string& file, const QString& shown);

}  // namespace tolvane::catalogue
