#pragma once
// The data file beside a spring pressure diagram: the spring record on one
// line, for the total pressure diagram to read back, and four note lines
// for a person who opens it.

#include "calc/springrecord.h"
#include "services/vberror.h"

#include <QString>

#include <optional>

namespace tolvane {

// The first field of a data file's first line: the file is one of ours.
inline const QString kVornMarker = QStringLiteral("CreatedByVORN");

// Where each field stands on the first line: the marker, then the spring
// record in the order of SpringRecord::fields().
enum VornField : int {
    kVornMarkerField,
    kVornKind,
    kVornFreeLength,
    kVornInitialCompression,
    kVornStroke,
    kVornSetLength,
    kVornCompressedLength,
    kVornInitialLoad,
    kVornStartLoad,
    kVornFinalLoad,
    kVornStartDistance,
    kVornFieldCount
};

// The whole content: the marker and the ten fields, an empty line, the
// notes; CR LF between lines, none after the last.
QString CreateVornData(const SpringRecord& record);

// The file name of the last component of path without its extension (the
// last "." and what follows): "/a/b.c.dxf" gives "b.c".
QString DripFileName(const QString& path);
// The folder that holds the last component of path: "/a/b.dxf" gives "/a".
QString DripFolderName(const QString& path);
// folder + "/" + name + ".vorn", without doubling the separator of a root.
QString vornFilePath(const QString& fileName, const QString& folderName);

// Writes data (code page 932) as the data file, replacing one that is
// there, and logs the line of a saved file. A data file that would replace
// the drawing it belongs to (dxfPath, when it ends in ".vorn") is not
// written. Failures write an error line; nothing when the file was written,
// else why not.
std::optional<VbError> CreateVornFile(const QString& data, const QString& fileName, const QString& folderName,
                                      const QString& diagramName, const QString& dxfPath);

// A data file of the drawing's name beside it that is not the drawing itself.
bool olderVornFileExists(const QString& fileName, const QString& folderName, const QString& dxfPath);

// After a drawing was saved without its data file: a data file of that name
// from an earlier save would be totalled with loads the new drawing does
// not show, so it is removed (never the drawing itself, nor one the user
// made read-only). Logs what it did.
enum class StaleVornFile { None, Removed, Kept };
StaleVornFile removeStaleVornFile(const QString& fileName, const QString& folderName, const QString& dxfPath);

}  // namespace tolvane
