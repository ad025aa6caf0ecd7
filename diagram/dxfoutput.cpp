#include "diagram/dxfoutput.h"

#include "diagram/dxffile.h"
#include "diagram/springdiagram.h"
#include "diagram/vornwriter.h"
#include "services/folders.h"
#include "services/inifile.h"
#include "services/log.h"

#include <QDir>

namespace tolvane {
namespace {

const QString kForm = QStringLiteral("frmOutputDXF");

QString drawingLine(const QString& name, const QString& what)
{
    return QStringLiteral("スプリング線図 [") + name + what;
}

}  // namespace

DxfOutput::DxfOutput(DiagramInputs inputs, SpringRecord record, bool recordComplete, UserInterface& ui,
                     DxfOutputView& view)
    : inputs_(std::move(inputs)), record_(std::move(record)), recordComplete_(recordComplete), ui_(ui), view_(view)
{
}

void DxfOutput::formLoad()
{
    ExistSettingFolder();
    ExistIniFile();
    view_.setProgressValue(0);
}

void DxfOutput::imgOk_Click()
{
    if (writing_ || closed_)
        return;
    writing_ = true;
    view_.setWriting(true);

    if (diagramName_.isEmpty()) {
        showDxfWarning(ui_, QStringLiteral("スプリング線図の名称が入力されていません。\rもう一度 正しく入力してください。"));
        view_.focusDiagramName();
    } else {
        WriteEventLog(drawingLine(diagramName_, QStringLiteral("] のデータ生成開始")));
        if (const std::optional<QString> text = buildDrawing()) {
            WriteEventLog(drawingLine(diagramName_, QStringLiteral("] のデータ生成完了")));
            DxfSave(*text);
        }
    }
    dxfCommandsOff_ = true;

    writing_ = false;
    if (!closed_) {
        view_.setWriting(false);
        if (closePending_)
            close();
    }
    closePending_ = false;
}

std::optional<QString> DxfOutput::buildDrawing()
{
    // Every value and every choice is settled before the first row, so a
    // value that cannot be drawn leaves no half-written file behind.
    try {
        const SpringDiagram diagram(inputs_, diagramName_);
        const auto& steps = diagramSteps();
        QString text;
        for (int i = 0; i < kDiagramStepCount; ++i) {
            text += diagram.stepText(i);
            progressRun(steps[static_cast<std::size_t>(i)].progressSteps);
            view_.setProgressValue(0);
        }
        return text;
    } catch (const DiagramError& e) {
        logError(errorLabel(kForm, e.writer), e.error);
        showDxfWarning(ui_, QStringLiteral("スプリング線図のデータを作成できませんでした。\r入力値を確認してください。"));
        return std::nullopt;
    }
}

void DxfOutput::progressRun(int steps)
{
    view_.setProgressRange(0, steps);
    for (int i = 0; i <= steps; ++i) {
        view_.setProgressValue(i);
        view_.processEvents();
    }
}

void DxfOutput::DxfSave(const QString& text)
{
    const std::optional<QString> chosen = ui_.askSaveFile(dxfSaveRequest());

    bool saved = false;
    QString path;
    if (chosen && !chosen->isEmpty()) {
        path = *chosen;
        if (const std::optional<VbError> failure = saveDxf(path, text)) {
            logError(errorLabel(kForm, QStringLiteral("SaveTextControl")), *failure);
            showDxfWarning(ui_, QDir::toNativeSeparators(path) + QStringLiteral(" ：ファイルを保存できませんでした。")
                                    + QLatin1Char('\r') + failure->description());
        } else {
            saved = true;
        }
    }
    if (!saved) {
        logDxfNotSaved(diagramName_);
        return;
    }

    QString note;
    if (createVornFile_)
        note = writeVornFile(path);
    else if (olderVornFileExists(DripFileName(path), DripFolderName(path), path))
        // Kept, as the user asked for no data file; but beside the new
        // drawing it would pass for this one's.
        note = QStringLiteral("同じ名前の古いVornファイルが残っています。この線図のデータではないため、合計圧力線図には使用しないでください。");
    progressRun(200);

    // Its answer does not matter: the box has only OK, and even Escape
    // closes the dialog.
    showDxfSaved(ui_, path, note);
    WriteEventLog(QDir::toNativeSeparators(path) + QStringLiteral(" ：")
                  + drawingLine(diagramName_, QStringLiteral("] をDXF形式で作成・保存")));
    close();
}

QString DxfOutput::writeVornFile(const QString& path)
{
    const QString base = DripFileName(path);
    const QString folder = DripFolderName(path);
    WriteEventLog(drawingLine(diagramName_, QStringLiteral("]のVornデータ生成開始")));
    std::optional<VbError> failure;
    if (!recordComplete_) {
        // Filling the record failed: a data file from it would carry empty
        // or stale fields that the total diagram would add up.
        failure = VbError(kErrInvalidCall, QStringLiteral("スプリングデータが揃っていません。"));
        logError(errorLabel(QStringLiteral("modDataEditor"), QStringLiteral("CreateVornData")), *failure);
    } else {
        const QString data = CreateVornData(record_);
        WriteEventLog(drawingLine(diagramName_, QStringLiteral("]のVornデータ生成完了")));
        failure = CreateVornFile(data, base, folder, diagramName_, path);
    }
    if (!failure)
        return {};

    // The person who saved must learn that no data file belongs to this
    // drawing, and one from an earlier save must not pass for it.
    QString note = QStringLiteral("Vornファイルは作成されていません。\r理由：") + failure->description();
    switch (removeStaleVornFile(base, folder, path)) {
    case StaleVornFile::None: break;
    case StaleVornFile::Removed: note += QStringLiteral("\r同じ名前の古いVornファイルは削除しました。"); break;
    case StaleVornFile::Kept:
        note += QStringLiteral("\r同じ名前の古いVornファイルを削除できませんでした。合計圧力線図には使用しないでください。");
        break;
    }
    return note;
}

void DxfOutput::imgCancel_Click()
{
    if (writing_ || closed_)
        return;
    close();
}

bool DxfOutput::requestClose()
{
    if (closed_)
        return true;
    if (writing_) {
        closePending_ = true;
        return false;
    }
    closed_ = true;
    return true;
}

void DxfOutput::close()
{
    if (closed_)
        return;
    closed_ = true;
    view_.closeDialog();
}

}  // namespace tolvane
