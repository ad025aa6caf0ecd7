#pragma once

#include "services/vberror.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace tolvane {

// Writes the whole file through a temporary file beside it and a rename, so
// a failed save never damages the file that was there. Nothing on success;
// on failure the reason as the system gave it (see systemError).
std::optional<VbError> saveFileAtomic(const QString& path, const QByteArray& data);

// The same where only success matters.
inline bool writeFileAtomic(const QString& path, const QByteArray& data)
{
    return !saveFileAtomic(path, data);
}

}  // namespace tolvane
