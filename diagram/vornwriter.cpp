#include "diagram/vornwriter.h"

#include "services/atomicfile.h"
#include "services/cp932.h"
#include "services/log.h"
#include "services/numtext.h"
#include "services/vberror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <unistd.h>

namespace tolvane {

QString CreateVornData(const SpringRecord& record)
{
    QString data = kVornMarker;
    // A number is written without the blanks and tabs around it, which the
    // reading allows but the total, comparing the lengths as texts, would
    // not: a 2 pasted with a tab beside it totals with a 2 typed plainly.
    for (const QString& field : record.fields()) {
        data += QLatin1Char(',');
        data += withoutBlanksAround(field);
    }
    data += QStringLiteral("\r\n\r\n");
    data += QStringLiteral("本ファイルは【 Tolvane 】によって生成されたものです。\r\n");
    data += QStringLiteral("【 Tolvane 】でスプリングの圧力線図をDXFファイル出力する際に、\r\n");
    data += QStringLiteral("DXFファイルと同じ出力先に同じ名称で作成されます。\r\n");
    data += QStringLiteral("複数の圧力線図から、合計圧力線図をDXFファイル出力する際に使用します。");
    return data;
}

QString DripFileName(const QString& path)
{
    return QFileInfo(path).completeBaseName();
}

QString DripFolderName(const QString& path)
{
    if (path.isEmpty())
        return {};
    return QFileInfo(path).absolutePath();
}

QString vornFilePath(const QString& fileName, const QString& folderName)
{
    return QDir(folderName).filePath(fileName + QStringLiteral(".vorn"));
}

namespace {

bool samePath(const QString& a, const QString& b)
{
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists())
        return fa.canonicalFilePath() == fb.canonicalFilePath();
    return QDir::cleanPath(fa.absoluteFilePath()) == QDir::cleanPath(fb.absoluteFilePath());
}

}  // namespace

std::optional<VbError> CreateVornFile(const QString& data, const QString& fileName, const QString& folderName,
                                      const QString& diagramName, const QString& dxfPath)
{
    const QString label = errorLabel(QStringLiteral("frmOutputDXF"), QStringLiteral("CreateVornFile"));
    const QString path = vornFilePath(fileName, folderName);
    try {
        if (!dxfPath.isEmpty() && samePath(path, dxfPath))
            throw VbError(58, QStringLiteral("VornファイルのパスがDXFファイルと同じです。"));
        if (std::optional<VbError> failure = saveFileAtomic(path, encodeCp932(data)))
            throw *failure;
    } catch (const VbError& e) {
        logError(label, e);
        return e;
    }
    WriteEventLog(QDir::toNativeSeparators(path) + QStringLiteral(" ：スプリング線図 [") + diagramName
                  + QStringLiteral("]のVornファイルを作成・保存"));
    return std::nullopt;
}

bool olderVornFileExists(const QString& fileName, const QString& folderName, const QString& dxfPath)
{
    const QString path = vornFilePath(fileName, folderName);
    return QFileInfo(path).isFile() && !samePath(path, dxfPath);
}

StaleVornFile removeStaleVornFile(const QString& fileName, const QString& folderName, const QString& dxfPath)
{
    const QString path = vornFilePath(fileName, folderName);
    if (!olderVornFileExists(fileName, folderName, dxfPath))
        return StaleVornFile::None;
    // One its owner made read-only is theirs to remove; the save that could
    // not replace it has already said why.
    if (::access(QFile::encodeName(path).constData(), W_OK) != 0)
        return StaleVornFile::Kept;
    if (::unlink(QFile::encodeName(path).constData()) != 0) {
        logError(errorLabel(QStringLiteral("frmOutputDXF"), QStringLiteral("CreateVornFile")), systemError(errno));
        return StaleVornFile::Kept;
    }
    WriteEventLog(QDir::toNativeSeparators(path) + QStringLiteral(" ：古いVornファイルを削除"));
    return StaleVornFile::Removed;
}

}  // namespace tolvane
