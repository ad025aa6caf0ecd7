#include "diagram/dxffile.h"

#include "services/atomicfile.h"
#include "services/cp932.h"
#include "services/log.h"

#include <QDir>

#include <algorithm>

namespace tolvane {

namespace {
// The control characters (general category Cc, fixed by Unicode for good).
bool isControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}
}  // namespace

QString dxfSafeText(const QString& text)
{
    // Nearly every value is clean: share it rather than copy it.
    const auto firstControl = std::find_if(text.utf16(), text.utf16() + text.size(), isControl);
    if (firstControl == text.utf16() + text.size())
        return text;
    QString out = text;
    for (qsizetype i = firstControl - text.utf16(); i < out.size(); ++i) {
        if (isControl(out.at(i).unicode()))
            out[i] = QLatin1Char(' ');
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
