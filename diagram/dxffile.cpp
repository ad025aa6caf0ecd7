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
    // Nearly every value is clean: share it rather than copy it. The view
    // reads the characters where they are; QString::utf16() first copies a
    // text that does not own its data, a literal for one.
    const QStringView view(text);
    const char16_t* const end = view.utf16() + view.size();
    const char16_t* const firstControl = std::find_if(view.utf16(), end, isControl);
    if (firstControl == end)
        return text;
    QString out = text;
    for (qsizetype i = firstControl - view.utf16(); i < out.size(); ++i) {
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
    // A name typed without an extension becomes a drawing that CAD programs
    // list, whichever filter is chosen.
    request.defaultExt = QStringLiteral("dxf");
    request.overwritePrompt = true;
    return request;
}

std::optional<VbError> saveDxf(const QString& path, const QString& text)
{
    return saveFileAtomic(path, encodeCp932(text));
}

void showDxfWarning(UserInterface& ui, const QString& text)
{
    ui.msgBox(text, kMbOk | kMbExclamation, QStringLiteral("Information"));
}

void logDxfNotSaved(const QString& diagramName)
{
    WriteEventLog(QStringLiteral("スプリング線図 [") + diagramName + QStringLiteral("] のDXF出力をキャンセル"));
}

int showDxfSaved(UserInterface& ui, const QString& path, const QString& note)
{
    const QString saved = QDir::toNativeSeparators(path) + QStringLiteral(" ：ファイルを保存しました。");
    if (note.isEmpty())
        return ui.msgBox(saved, kMbOk, QStringLiteral("保存完了"));
    return ui.msgBox(saved + QLatin1Char('\r') + note, kMbOk | kMbExclamation, QStringLiteral("保存完了"));
}

}  // namespace tolvane
