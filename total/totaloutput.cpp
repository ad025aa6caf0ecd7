#include "total/totaloutput.h"

#include "calc/springrecord.h"
#include "diagram/dxffile.h"
#include "diagram/vornwriter.h"
#include "services/folders.h"
#include "services/inifile.h"
#include "services/log.h"
#include "services/textfile.h"
#include "services/vberror.h"
#include "total/pressureonly.h"
#include "total/totalallvalues.h"
#include "total/vornreader.h"

#include <QDir>
#include <QFileInfo>

namespace tolvane {

namespace {

const QString kOwner = QStringLiteral("frmSelectFile");
const QString kInformation = QStringLiteral("Information");
const QString kCrLf = QStringLiteral("\r\n");
const QString kKindAll = QStringLiteral("All");
const QString kKindPressureOnly = QStringLiteral("SppOnly");
const QString kTooFewFields = QStringLiteral("データが不足しているため、合計できません。");

QString label(const char* procedure)
{
    return errorLabel(kOwner, QString::fromLatin1(procedure));
}

// "選択されたファイル【　path　】" with ideographic spaces inside the brackets.
QString namedFile(const QString& path)
{
    return QStringLiteral("選択されたファイル【　") + QDir::toNativeSeparators(path) + QStringLiteral("　】");
}

}  // namespace

TotalOutput::TotalOutput(UserInterface& ui) : ui_(ui)
{
    resetOutputState();
}

void TotalOutput::Form_Load()
{
    try {
        ExistSettingFolder();
        ExistIniFile();
        diagramName_.clear();
        listRows_.clear();
        closeRequested_ = false;
        applyLayout();
    } catch (const VbError& e) {
        logError(label("Form_Load"), e);
    }
}

void TotalOutput::Form_Unload()
{
    folder_.clear();
    fileNames_.clear();
    selectedPaths_.clear();
    resetOutputState();
}

void TotalOutput::resetOutputState()
{
    referenceKind_.clear();
    referenceLengths_ = QStringList(5, QString());
    dataFileFields_.clear();
}

void TotalOutput::applyLayout()
{
    const bool ready = !listRows_.isEmpty();
    outputEnabled_ = ready;
    cancelTop_ = ready ? kCancelTopExpanded : kCancelTopCompact;
    height_ = ready ? kExpandedHeight : kCompactHeight;
}

bool TotalOutput::takeNameFocusRequest()
{
    const bool wanted = nameFocusRequested_;
    nameFocusRequested_ = false;
    return wanted;
}

void TotalOutput::imgSelectFiles_Click()
{
    try {
        SelectFile();
        applyLayout();
    } catch (const VbError& e) {
        logError(label("imgSelectFiles_Click"), e);
    }
}

void TotalOutput::SelectFile()
{
    try {
        listRows_.clear();
        FileDialogRequest request;
        request.title = QStringLiteral("Vornファイル選択（複数選択可）");
        request.filter = QStringLiteral("Vornファイル(*.vorn)|*.vorn");
        request.filterIndex = 1;
        request.initialDir = DocumentsFolder();
        request.overwritePrompt = false;
        // A cancelled dialog keeps the files chosen before: cancelling changes nothing.
        if (const auto chosen = ui_.askOpenFiles(request)) {
            folder_.clear();
            fileNames_.clear();
            selectedPaths_.clear();
            for (const QString& path : *chosen) {
                const QFileInfo info(path);
                if (folder_.isEmpty())
                    folder_ = info.absolutePath();
                fileNames_.append(info.fileName());
                selectedPaths_.append(info.absoluteFilePath());
            }
        }
        if (selectedPaths_.size() >= 2) {
            listRows_ << QStringLiteral("--------　選択したファイルのパス　--------") << QString()
                      << QDir::toNativeSeparators(folder_) << QString()
                      << QStringLiteral("-----------　選択したファイル　-----------") << QString() << fileNames_;
        } else {
            ui_.msgBox(QStringLiteral("ファイルは2つ以上選択してください。"), kMbOk, kInformation);
        }
    } catch (const VbError& e) {
        listRows_.clear();
        logError(label("SelectFile"), e);
    }
}

void TotalOutput::imgCancel_Click()
{
    closeRequested_ = true;
}

void TotalOutput::refuseFile(const QString& path, const QString& why)
{
    showDxfWarning(ui_, namedFile(path) + QStringLiteral("は、") + kCrLf + why);
}

bool TotalOutput::CheckVornFile(const QString& marker, const QString& path)
{
    if (marker == kVornMarker)
        return true;
    showDxfWarning(ui_, namedFile(path) + QStringLiteral("は、") + kCrLf
                            + QStringLiteral("Tolvane 以外のソフトで作成されたものです。") + kCrLf + QStringLiteral("本機能は、Tolvane で出力されたファイルのみ対応します。"));
    return false;
}

bool TotalOutput::CheckDxfKind(const QString& kind)
{
    if (referenceKind_.isEmpty()) {
        referenceKind_ = kind;
        return true;
    }
    if (kind == referenceKind_)
        return true;
    showDxfWarning(ui_, QStringLiteral("選択されたファイルには、") + kCrLf
                            + QStringLiteral("Tolvane で、「全ての数値を入力して出力した物」と、") + kCrLf
                            + QStringLiteral("「スプリング圧力のみを計算して出力した物」が混在しています。") + kCrLf
                            + QStringLiteral("どちらかに統一してください。"));
    return false;
}

bool TotalOutput::CheckSpData(const QStringList& fields)
{
    if (fields.size() <= kVornCompressedLength) {
        logError(label("CheckSpData"), VbError(kErrSubscript));
        return false;
    }
    const QStringList lengths = fields.mid(kVornFreeLength, kVornCompressedLength - kVornFreeLength + 1);
    bool noneYet = true;
    for (const QString& r : referenceLengths_)
        noneYet = noneYet && r.isEmpty();
    if (noneYet) {
        referenceLengths_ = lengths;
        return true;
    }
    if (lengths == referenceLengths_)
        return true;
    showDxfWarning(ui_, QStringLiteral("選択されたファイルは、") + kCrLf
                            + QStringLiteral("「自由長」「設置長」「圧縮長」「初圧」「ストローク」") + kCrLf
                            + QStringLiteral("のいずれかが統一されていません。"));
    return false;
}

bool TotalOutput::readAndCheck(const QString& path)
{
    QString line;
    const VornLineStatus status = readVornFirstLine(path, &line);
    switch (status) {
    case VornLineStatus::Ok:
        break;
    case VornLineStatus::Missing:
    case VornLineStatus::Unreadable: {
        const bool missing = status == VornLineStatus::Missing;
        logError(errorLabel(QStringLiteral("modDataEditor"), QStringLiteral("ReadTextFile")),
                 VbError(missing ? kErrFileNotFound : kErrPermissionDenied));
        // The reader gave no line at all, so the output stops for want of the first one.
        logError(label("imgOutputDXF_Click"), VbError(kErrSubscript));
        showDxfWarning(ui_, namedFile(path) + QStringLiteral("を読み込めませんでした。") + kCrLf
                                + (missing ? QStringLiteral("ファイルが見つかりません。")
                                           : QStringLiteral("ファイルを読み取る権限があるか確認してください。")));
        return false;
    }
    case VornLineStatus::TooLong:
        logError(label("imgOutputDXF_Click"), VbError(kErrBadFileMode));
        refuseFile(path, QStringLiteral("Tolvane のデータファイルとして読み込めません（1行目が長すぎます）。"));
        return false;
    }

    const QStringList fields = DivideStrings(line);
    if (!CheckVornFile(fields.at(kVornMarkerField), path))
        return false;
    // A data file always holds the marker and ten values; fewer cannot be totalled.
    if (fields.size() <= kVornKind) {
        logError(label("imgOutputDXF_Click"), VbError(kErrSubscript));
        refuseFile(path, kTooFewFields);
        return false;
    }
    if (!CheckDxfKind(fields.at(kVornKind)))
        return false;
    if (fields.size() <= kVornCompressedLength) {
        CheckSpData(fields);  // logs the short line under its own name
        refuseFile(path, kTooFewFields);
        return false;
    }
    if (!CheckSpData(fields))
        return false;
    dataFileFields_.append(fields);
    return true;
}

void TotalOutput::imgOutputDXF_Click()
{
    try {
        if (diagramName_.isEmpty()) {
            showDxfWarning(ui_, QStringLiteral("作成するスプリング線図の名称を入力してください。"));
            nameFocusRequested_ = true;
            return;
        }
        // Every output starts afresh: the checks compare only this selection's
        // files.
        resetOutputState();
        for (const QString& path : selectedPaths_) {
            if (!readAndCheck(path))
                return;
        }
        if (dataFileFields_.isEmpty())
            return;
        if (referenceKind_ != kKindAll && referenceKind_ != kKindPressureOnly) {
            showDxfWarning(ui_, QStringLiteral("選択されたファイルには、出力の種類（「全ての数値を入力して出力した物」か、") + kCrLf
                                    + QStringLiteral("「スプリング圧力のみを計算して出力した物」か）が記録されていません。") + kCrLf
                                    + QStringLiteral("Tolvane で出力し直したファイルを選択してください。"));
            return;
        }

        // The name and the values become rows of the drawing; nothing in them may break a row.
        const QString name = dxfSafeText(diagramName_);
        WriteEventLog(QStringLiteral("合計データ計算開始"));
        const VornTotals totals = CalcData(dataFileFields_);
        if (!totals.ok) {
            totalDiagramValues().clear();
            logError(label("CalcData"), VbError(totals.errorNumber));
            const QString path = selectedPaths_.value(totals.failedFile);
            QString why;
            if (totals.errorNumber == kErrOverflow)
                why = QStringLiteral("荷重の合計が大きすぎるため、合計できません。");
            else if (totals.errorNumber == kErrSubscript)
                why = kTooFewFields;
            else
                why = QStringLiteral("荷重の値が数値ではないため、合計できません。");
            refuseFile(path, why);
            return;
        }
        totalDiagramValues() = totals.values;
        WriteEventLog(QStringLiteral("合計データ計算完了"));
        WriteEventLog(QStringLiteral("合計スプリング線図 [") + name + QStringLiteral("] のデータ生成開始"));
        QStringList values;
        for (const QString& v : totals.values)
            values.append(dxfSafeText(v));
        const QString text = referenceKind_ == kKindAll ? CreateDxfDataA(values, name) : CreateDxfDataB(values, name);
        if (text.isEmpty()) {
            ui_.msgBox(QStringLiteral("合計スプリング線図のデータを作成できませんでした。"), kMbOk | kMbCritical,
                       kInformation);
            return;
        }
        WriteEventLog(QStringLiteral("合計スプリング線図 [") + name + QStringLiteral("] のデータ生成完了"));
        DxfSave(name, text);
    } catch (const VbError& e) {
        logError(label("imgOutputDXF_Click"), e);
    }
}

void TotalOutput::DxfSave(const QString& name, const QString& text)
{
    try {
        const auto path = ui_.askSaveFile(dxfSaveRequest());
        if (!path) {
            logDxfNotSaved(name);
            return;
        }
        if (const std::optional<VbError> failure = saveDxf(*path, text)) {
            logError(label("SaveTextControl"), *failure);
            logDxfNotSaved(name);
            ui_.msgBox(QStringLiteral("ファイル【　") + QDir::toNativeSeparators(*path)
                           + QStringLiteral("　】を保存できませんでした。") + kCrLf + failure->description(),
                       kMbOk | kMbCritical, kInformation);
            return;
        }
        const int answer = showDxfSaved(ui_, *path);
        WriteEventLog(QDir::toNativeSeparators(*path) + QStringLiteral(" ：合計スプリング線図 [") + name
                      + QStringLiteral("] を作成・保存"));
        if (answer == kIdOk)
            closeRequested_ = true;
    } catch (const VbError& e) {
        logError(label("DxfSave"), e);
    }
}

}  // namespace tolvane
