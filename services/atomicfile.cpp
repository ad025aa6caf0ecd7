#include "services/atomicfile.h"

#include <QSaveFile>

namespace tolvane {

bool writeFileAtomic(const QString& path, const QByteArray& data, QString* errorText)
{
    QSaveFile file(path);
    // A directory's write permission is what matters for the rename; fall
    // back to writing in place only where no temporary file can be made.
    file.setDirectWriteFallback(false);
    bool ok = file.open(QIODevice::WriteOnly);
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
