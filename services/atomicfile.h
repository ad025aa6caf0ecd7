#pragma once

#include <QByteArray>
#include <QString>

namespace tolvane {

// Writes the whole file through a temporary file beside it and a rename, so
// a failed save never damages the file that was there. On failure returns
// false and, when asked, says why.
bool writeFileAtomic(const QString& path, const QByteArray& data, QString* errorText = nullptr);

}  // namespace tolvane
