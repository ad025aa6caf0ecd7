#include "services/atomicfile.h"

#include <QSaveFile>

namespace tolvane {

bool writeFileAtomic(const QString& path, const QByteArray& data, QString* errorText)
{
    QSaveFile file(path);
    // A directory's write permission is what matters for the rename; fall
    // back to writing in place only where no temporary file can be made.
    file.setDirectWriteFallback(false);
    // Unbuffered, so a short write (a full disk) shows in write()'s count;
    // a buffered flush would pass a truncated file on to the rename.
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (ok)
        ok = file.write(data) == data.size();
    if (ok)
        ok = file.commit();
    else
        file.cancelWriting();
    if (!ok && errorText)
        *errorText = file.errorString();
    return ok;
}

}  // namespace tolvane
