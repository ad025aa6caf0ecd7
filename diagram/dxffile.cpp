#include "diagram/dxffile.h"

#include "services/atomicfile.h"
#include "services/cp932.h"
#include "services/log.h"

#include <QDir>

namespace tolvane {

QString dxfSafeText(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return out;
}

FileDialogRequest dxfSaveRequest()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Select the destination file ");
    request.filter = QStringLiteral("All files (*.*)|*.*|dxf files (*.dxf)|*.dxf");
    request.filterIndex = 2;
    // A bare name gets ".txt" here, as the spring diagram's dialog always
    // gave it; the total output asks for "dxf" instead.
    request.defaultExt = QStringLiteral("txt");
    request.overwritePrompt = true;
    return request;
}

bool saveDxf(const QString& path, const QString& text, QString* error)
{
    return writeFileAtomic(path, encodeCp932(text), error);
}

void showDxfWarning(UserInterface& ui, const QString& text)
{
    ui.msgBox(text, kMbOk | kMbExclamation, QStringLiteral("Information"));
}

void logDxfNotSaved(const QString& diagramName)
{
    WriteEventLog(QStringLiteral("スプリング線図 [") + diagramName + QStringLiteral("] のDXF出力をキャンセル"));
}

int showDxfSaved(UserInterface& ui, const QString& path)
{
    return ui.msgBox(QDir::toNativeSeparators(path) + QStringLiteral(" ：ファイルを保存しました。"), kMbOk,
                     QStringLiteral("保存完了"));
}

}  // namespace tolvane
