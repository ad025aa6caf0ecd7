#include "total/totaloutput.h"

#include "calc/springrecord.h"
#include "services/folders.h"
#include "services/vberror.h"
#include "total/totalallvalues.h"
#include "totaltestsupport.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cerrno>

using namespace tolvane;
using namespace tolvane::test;

namespace {

// A dialog with its log folder ready and a scripted user.
struct Fixture {
    Sandbox box;
    FakeUi ui;
    TotalOutput dialog{ui};
    QString docs = DocumentsFolder();
    QString out = box.root() + QStringLiteral("/total.dxf");

    Fixture()
    {
        ExistLogFolder();
        totalDiagramValues().clear();
        dialog.Form_Load();
    }
    QString vorn(const QString& name, const QStringList& ten) { return writeVorn(docs, name, vornLine(ten)); }
    // Chooses the files, names the diagram and outputs, answering the save dialog with `saveAs`.
    void output(const QStringList& paths, const QString& name, const std::optional<QString>& saveAs)
    {
        ui.openAnswers.append(paths);
        dialog.imgSelectFiles_Click();
        dialog.setDiagramName(name);
        ui.saveAnswers.append(saveAs.value_or(QString()));
        dialog.imgOutputDXF_Click();
    }
    QStringList twoFiles() { return {vorn(QStringLiteral("a.vorn"), allKind()), vorn(QStringLiteral("b.vorn"), allKind())}; }
};

QStringList withKind(const QString& kind, QStringList ten = allKind())
{
    ten[0] = kind;
    return ten;
}

}  // namespace

TEST(TotalOutput, ListsTwoOrMoreChosenFilesKeepsThemWhenTheDialogIsCancelledAndForgetsThemOnUnload)
{
    Fixture f;
    EXPECT_EQ(f.dialog.height(), 2600);
    f.dialog.imgSelectFiles_Click();  // cancelled with nothing chosen yet
    ASSERT_EQ(f.ui.boxes.size(), 1);
    EXPECT_EQ(f.ui.boxes.at(0).prompt, QStringLiteral("ファイルは2つ以上選択してください。"));
    EXPECT_EQ(f.ui.openRequests.at(0).title, QStringLiteral("Vornファイル選択（複数選択可）"));
    EXPECT_EQ(f.ui.openRequests.at(0).filter, QStringLiteral("Vornファイル(*.vorn)|*.vorn"));
    EXPECT_EQ(f.ui.openRequests.at(0).initialDir, f.docs);

    const QString c = f.vorn(QStringLiteral("c.vorn"), allKind());
    f.ui.openAnswers.append(f.twoFiles() << c);
    f.dialog.imgSelectFiles_Click();
    const QStringList expected{"--------　選択したファイルのパス　--------", "", f.docs, "",
                               "-----------　選択したファイル　-----------", "", "a.vorn", "b.vorn", "c.vorn"};
    EXPECT_EQ(f.dialog.listRows(), expected);
    EXPECT_TRUE(f.dialog.outputEnabled());
    EXPECT_EQ(f.dialog.height(), 5970);
    EXPECT_EQ(f.dialog.cancelTop(), 5040);

    f.dialog.imgSelectFiles_Click();  // cancelled
    EXPECT_EQ(f.dialog.listRows(), expected);
    f.ui.openAnswers.append(QStringList{c});  // one file: compact again
    f.dialog.imgSelectFiles_Click();
    EXPECT_FALSE(f.dialog.outputEnabled());
    EXPECT_EQ(f.dialog.cancelTop(), 1680);
    EXPECT_EQ(f.ui.boxes.size(), 2);

    f.dialog.imgCancel_Click();
    EXPECT_TRUE(f.dialog.closeRequested());
    f.dialog.Form_Unload();
    EXPECT_TRUE(f.dialog.selectedPaths().isEmpty());
    f.dialog.Form_Load();
    EXPECT_FALSE(f.dialog.closeRequested());
}

TEST(TotalOutput, TotalsWritesAndSavesTheDrawing)
{
    Fixture f;
    f.output(f.twoFiles(), QStringLiteral("  金型A\r\n😀"), f.out);
    EXPECT_EQ(totalDiagramValues().mid(5, 3), (QStringList{"25", "80", "200"}));
    // A row break in the name becomes blanks; what code page 932 lacks, "?".
    const QByteArray bytes = readAll(f.out);
    EXPECT_EQ(bytes, encodeCp932(CreateDxfDataA(totalDiagramValues(), QStringLiteral("  金型A  😀"))));
    EXPECT_TRUE(bytes.contains(QByteArray("\r\n  1\r\n") + encodeCp932(QStringLiteral("  金型A  ?")) + "\r\n"));
    // The spring diagram's save dialog: "press1" is saved as "press1.dxf".
    ASSERT_EQ(f.ui.saveRequests.size(), 1);
    EXPECT_EQ(f.ui.saveRequests.at(0).defaultExt, QStringLiteral("dxf"));
    EXPECT_EQ(f.ui.boxes, (QList<MsgBoxCall>{{f.out + QStringLiteral(" ：ファイルを保存しました。"), kMbOk, "保存完了"}}));
    EXPECT_TRUE(f.dialog.closeRequested());
    EXPECT_EQ(f.box.logMessages(),
              (QStringList{QStringLiteral("□Eve：合計データ計算開始"), QStringLiteral("□Eve：合計データ計算完了"),
                           QStringLiteral("□Eve：合計スプリング線図 [  金型A  😀] のデータ生成開始"),
                           QStringLiteral("□Eve：合計スプリング線図 [  金型A  😀] のデータ生成完了"),
                           QStringLiteral("□Eve：") + f.out + QStringLiteral(" ：合計スプリング線図 [  金型A  😀] を作成・保存")}));
}

TEST(TotalOutput, RefusesFilesItCannotTotalNamingThemAndSavesNothing)
{
    const QString named = QStringLiteral("選択されたファイル【　%1　】");
    const QString mixed = QStringLiteral(
        "選択されたファイルには、\r\nTolvane で、「全ての数値を入力して出力した物」と、\r\n"
        "「スプリング圧力のみを計算して出力した物」が混在しています。\r\nどちらかに統一してください。");
    const QString indexError = QStringLiteral("インデックスが有効範囲にありません。：エラー番号 -> 9");
    QStringList fiftyPointZero = allKind();
    fiftyPointZero[1] = QStringLiteral("50.0");
    QStringList otherCompressedLength = allKind();
    otherCompressedLength[5] = QStringLiteral("24");
    const QString lengthsDiffer = QStringLiteral(
        "選択されたファイルは、\r\n「自由長」「設置長」「圧縮長」「初圧」「ストローク」\r\nのいずれかが統一されていません。");
    const QString tooShort = named + QStringLiteral("は、\r\nデータが不足しているため、合計できません。");

    // The second file is the bad one; without a line there is no such file.
    const struct {
        const char* what;
        std::optional<QString> line;
        QString prompt;
        QStringList log;
    } cases[] = {
        {"not ours", QString(),
         named + QStringLiteral("は、\r\nTolvane 以外のソフトで作成されたものです。\r\n本機能は、Tolvane で出力されたファイルのみ対応します。"),
         {}},
        {"other kind", vornLine(withKind(QStringLiteral("SppOnly"))), mixed, {}},
        {"kind in other case", vornLine(withKind(QStringLiteral("all"))), mixed, {}},
        {"no kind", vornLine(withKind(QString())), mixed, {}},
        {"lengths differ as text", vornLine(fiftyPointZero), lengthsDiffer, {}},
        {"compressed length differs", vornLine(otherCompressedLength), lengthsDiffer, {}},
        {"marker only", QStringLiteral("CreatedByVORN"), tooShort,
         {QStringLiteral("■Err：[frmSelectFile]-[imgOutputDXF_Click()]：") + indexError}},
        {"five values", vornLine(allKind().mid(0, 5)), tooShort,
         {QStringLiteral("■Err：[frmSelectFile]-[CheckSpData()]：") + indexError}},
        {"eight values", vornLine(allKind().mid(0, 8)), tooShort,
         {QStringLiteral("□Eve：合計データ計算開始"), QStringLiteral("■Err：[frmSelectFile]-[CalcData()]：") + indexError}},
        {"load no number", vornLine(allKind(QStringLiteral("12.5"), QString(), QStringLiteral("abc"))),
         named + QStringLiteral("は、\r\n荷重の値が数値ではないため、合計できません。"),
         {QStringLiteral("□Eve：合計データ計算開始"),
          QStringLiteral("■Err：[frmSelectFile]-[CalcData()]：型が一致しません。：エラー番号 -> 13")}},
        {"line too long", vornLine(allKind()) + QString(70000, QLatin1Char('0')),
         named + QStringLiteral("は、\r\nTolvane のデータファイルとして読み込めません（1行目が長すぎます）。"),
         {QStringLiteral("■Err：[frmSelectFile]-[imgOutputDXF_Click()]：") + vbErrorDescription(kErrBadFileMode)
          + QStringLiteral("：エラー番号 -> 54")}},
        {"missing", std::nullopt, named + QStringLiteral("を読み込めませんでした。\r\nファイルが見つかりません。"),
         {QStringLiteral("■Err：[modDataEditor]-[ReadTextFile()]：ファイルが見つかりません。：エラー番号 -> 53"),
          QStringLiteral("■Err：[frmSelectFile]-[imgOutputDXF_Click()]：") + indexError}},
        {"a folder", QStringLiteral("/"),
         named + QStringLiteral("を読み込めませんでした。\r\nファイルを読み取る権限があるか確認してください。"),
         {QStringLiteral("■Err：[modDataEditor]-[ReadTextFile()]：") + vbErrorDescription(kErrPermissionDenied)
              + QStringLiteral("：エラー番号 -> 70"),
          QStringLiteral("■Err：[frmSelectFile]-[imgOutputDXF_Click()]：") + indexError}},
    };
    // One dialog for all: each output starts afresh, whatever the last one refused.
    Fixture f;
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString bad = f.docs + QStringLiteral("/bad%1.vorn").arg(n++);
        if (c.line == QStringLiteral("/"))
            ASSERT_TRUE(QDir().mkpath(bad));
        else if (c.line)
            writeVorn(f.docs, QFileInfo(bad).fileName(), *c.line);
        const int logged = static_cast<int>(f.box.logMessages().size());
        f.ui.boxes.clear();
        f.output({f.vorn(QStringLiteral("good.vorn"), allKind()), bad}, QStringLiteral("x"), f.out);
        const QString prompt = c.prompt.contains(QStringLiteral("%1")) ? c.prompt.arg(bad) : c.prompt;
        EXPECT_EQ(f.ui.boxes, (QList<MsgBoxCall>{{prompt, kMbOk | kMbExclamation, "Information"}}));
        EXPECT_EQ(f.box.logMessages().mid(logged), c.log);
        EXPECT_TRUE(f.ui.saveRequests.isEmpty());
        EXPECT_TRUE(f.dialog.outputEnabled());
        f.ui.saveAnswers.clear();
    }
    EXPECT_FALSE(QFile::exists(f.out));

    // Neither kind recorded in any file.
    f.ui.boxes.clear();
    f.output({f.vorn(QStringLiteral("n1.vorn"), QStringList(10, QString())), f.vorn(QStringLiteral("n2.vorn"), QStringList(10, QString()))},
             QStringLiteral("x"), f.out);
    ASSERT_EQ(f.ui.boxes.size(), 1);
    EXPECT_TRUE(f.ui.boxes.at(0).prompt.startsWith(QStringLiteral("選択されたファイルには、出力の種類")));
    EXPECT_TRUE(f.ui.saveRequests.isEmpty());

    // Agreeing files that were refused beside others pass on their own.
    f.output({f.vorn(QStringLiteral("c.vorn"), fiftyPointZero), f.vorn(QStringLiteral("d.vorn"), fiftyPointZero)},
             QStringLiteral("x"), f.out);
    EXPECT_EQ(totalDiagramValues().at(0), QStringLiteral("50.0"));
    EXPECT_TRUE(QFile::exists(f.out));
}

TEST(TotalOutput, AsksForANameAndASecondOutputAfterACancelledSaveHoldsOneDrawing)
{
    Fixture f;
    f.output(f.twoFiles(), QString(), std::nullopt);
    ASSERT_EQ(f.ui.boxes.size(), 1);
    EXPECT_EQ(f.ui.boxes.at(0).prompt, QStringLiteral("作成するスプリング線図の名称を入力してください。"));
    EXPECT_TRUE(f.dialog.takeNameFocusRequest());
    EXPECT_FALSE(f.dialog.takeNameFocusRequest());
    EXPECT_TRUE(f.ui.saveRequests.isEmpty());

    f.ui.boxes.clear();
    f.dialog.setDiagramName(QStringLiteral("線図"));
    f.dialog.imgOutputDXF_Click();  // the save dialog is cancelled
    EXPECT_EQ(f.box.logMessages().last(), QStringLiteral("□Eve：スプリング線図 [線図] のDXF出力をキャンセル"));
    EXPECT_FALSE(f.dialog.closeRequested());
    EXPECT_TRUE(f.ui.boxes.isEmpty());
    f.ui.saveAnswers.append(f.out);
    f.dialog.imgOutputDXF_Click();
    EXPECT_EQ(readAll(f.out).count("\r\n"), 3642);
    EXPECT_TRUE(f.dialog.closeRequested());
}

// A failed save keeps what was there, names the real reason in the message
// and the log, and is logged as an output that did not happen.
TEST(TotalOutput, AFailedSaveKeepsTheOldFileAndSaysWhy)
{
    Fixture f;
    const QString target = f.box.root() + QStringLiteral("/taken.dxf");
    writeAll(target, QByteArray("mine"));
    {
        FileSizeLimit fullDisk(8192);  // room for the log, not for the drawing
        f.output(f.twoFiles(), QStringLiteral("x"), target);
    }
    const QString why = vbErrorDescription(kErrDiskFull) + QStringLiteral("（") + systemErrorWords(EFBIG) + QStringLiteral("）");
    const QString prompt = QStringLiteral("ファイル【　") + target + QStringLiteral("　】を保存できませんでした。\r\n") + why;
    EXPECT_EQ(f.ui.boxes, (QList<MsgBoxCall>{{prompt, kMbOk | kMbCritical, "Information"}}));
    EXPECT_EQ(readAll(target), QByteArray("mine"));
    EXPECT_FALSE(f.dialog.closeRequested());
    const QStringList log = f.box.logMessages();
    EXPECT_EQ(log.mid(log.size() - 2),
              (QStringList{QStringLiteral("■Err：[frmSelectFile]-[SaveTextControl()]：") + why + QStringLiteral("：エラー番号 -> 61"),
                           QStringLiteral("□Eve：スプリング線図 [x] のDXF出力をキャンセル")}));
}
