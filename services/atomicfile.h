#pragma once

#include "services/vberror.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace tolvane {

// Writes the whole file through a temporary file beside it and a rename, so
// a failed save never damages the file that was there. A link (or a chain
// of links) stays: the file it finally points at is the one replaced. The
// data reaches the disk before the rename, and the rename before success is
// reported. Nothing on success; on failure the reason as the system gave it
// (see systemError).
std::optional<VbError> saveFileAtomic(const QString& path, const QByteArray& data);

// As saveFileAtomic, except where the name is there already and is no
// regular file (a device such as /dev/full, a pipe): the rename would put a
// plain file in its place, so the data is written into it as it is, every
// write and the close checked. A pipe no one reads fails at once, one whose
// reader goes away fails the write.
std::optional<VbError> saveFileAtomicOrInto(const QString& path, const QByteArray& data);

// Puts a file that is already written (by another process, say) in place of
// target as a save does: its data on the disk (file is open on it), the
// rename of written to target, both named within the folder open as folder,
// and the folder on the disk. False, with errno set, when it is not in
// place; the written file is then still the caller's.
bool moveIntoPlace(int folder, int file, const char* written, const char* target);

// The call that makes an open file, and then its folder, reach the disk:
// fsync, unless a test puts another in its place (nullptr: fsync again).
using SyncCall = int (*)(int fd);
void setSyncCall(SyncCall call);

// Without it a write past the user's file-size limit (ulimit -f) ends the
// program on the spot, leaving its temporary file behind; ignored, the write
// fails with its reason like a full disk. Called once at start-up.
void ignoreFileSizeSignal();

// The same where only success matters.
inline bool writeFileAtomic(const QString& path, const QByteArray& data)
{
    return !saveFileAtomic(path, data);
}

}  // namespace tolvane
