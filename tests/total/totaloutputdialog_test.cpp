#include "total/totaloutputdialog.h"

#include "calc/springrecord.h"
#include "services/folders.h"
#include "totaltestsupport.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace tolvane;
using namespace tolvane::test;

namespace {

const QString kMixed = QStringLiteral(
    "選択されたファイルには、\r\nTolvane で、「全ての数値を入力して出力した物」と、\r\n"
    "「スプリング圧力のみを計算して出力した物」が混在しています。\r\nどちらかに統一してください。");
const QString kMismatch = QStringLiteral(
    "選択されたファイルは、\r\n「自由長」「設置長」「圧縮長」「初圧」「ストローク」\r\nのいずれかが統一されていません。");

QString notOurs(const QString& path)
{
    return QStringLiteral("選択されたファイル【　") + path
           + QStringLiteral("　】は、\r\nTolvane 以外のソフトで作成されたものです。\r\n本機能は、Tolvane で出力されたファイルのみ対応します。");
}

// A dialog with its files chosen and its name typed.
struct Fixture {
    Sandbox box;
    FakeUi ui;
    TotalOutputDialog dialog{ui};
    QString docs = DocumentsFolder();

    Fixture()
    {
        ExistLogFolder();
        totalDiagramValues().clear();
        dialog.Form_Load();
    }
    void choose(const QStringList& paths)
    {
        ui.openAnswers.append(paths);
        dialog.imgSelectFiles_Click();
    }
    QString vorn(const QString& name, const QStringList& ten) { return writeVorn(docs, name, vornLine(ten)); }
    QString out(const QString& name = QStringLiteral("total.dxf")) { return box.root() + QLatin1Char('/') + name; }
    int savedRows(const QString& path)
    {
        const QByteArray bytes = readAll(path);
        return static_cast<int>(bytes.count("\r\n"));
    }
};

}  // namespace

TEST(TotalOutputDialog, StartsCompactAndNeedsTwoFiles)
{
    Fixture f;
    EXPECT_FALSE(f.dialog.outputEnabled());
    EXPECT_EQ(f.dialog.height(), 2600);
    EXPECT_EQ(f.dialog.cancelTop(), 1680);
    EXPECT_TRUE(QFile::exists(SettingFolder() + QStringLiteral("/Settings.ini")));

    // The very first open dialog cancelled, then one file: the message each time.
    f.dialog.imgSelectFiles_Click();
    f.choose({f.vorn(QStringLiteral("a.vorn"), allKind())});
    ASSERT_EQ(f.ui.boxes.size(), 2);
    for (const auto& b : f.ui.boxes) {
        EXPECT_EQ(b.prompt, QStringLiteral("ファイルは2つ以上選択してください。"));
        EXPECT_EQ(b.style, kMbOk);
        EXPECT_EQ(b.title, QStringLiteral("Information"));
    }
    EXPECT_TRUE(f.dialog.listRows().isEmpty());
    EXPECT_FALSE(f.dialog.outputEnabled());
    const FileDialogRequest& r = f.ui.openRequests.first();
    EXPECT_EQ(r.title, QStringLiteral("Vornファイル選択（複数選択可）"));
    EXPECT_EQ(r.filter, QStringLiteral("Vornファイル(*.vorn)|*.vorn"));
    EXPECT_EQ(r.initialDir, f.docs);
}

TEST(TotalOutputDialog, ListsThreeChosenFilesAndKeepsThemWhenTheDialogIsCancelled)
{
    Fixture f;
    const QString a = f.vorn(QStringLiteral("a.vorn"), allKind());
    const QString b = f.vorn(QStringLiteral("b.vorn"), allKind());
    const QString c = f.vorn(QStringLiteral("c.vorn"), allKind());
    f.choose({a, b, c});
    const QStringList expected{QStringLiteral("--------　選択したファイルのパス　--------"),
                               QString(),
                               f.docs,
                               QString(),
                               QStringLiteral("-----------　選択したファイル　-----------"),
                               QString(),
                               QStringLiteral("a.vorn"),
                               QStringLiteral("b.vorn"),
                               QStringLiteral("c.vorn")};
    EXPECT_EQ(f.dialog.listRows(), expected);
    EXPECT_TRUE(f.dialog.outputEnabled());
    EXPECT_EQ(f.dialog.height(), 5970);
    EXPECT_EQ(f.dialog.cancelTop(), 5040);

    f.dialog.imgSelectFiles_Click();  // cancelled
    EXPECT_EQ(f.dialog.listRows(), expected);
    EXPECT_TRUE(f.dialog.outputEnabled());
    EXPECT_TRUE(f.ui.boxes.isEmpty());

    f.choose({a});  // fewer than two: compact again
    EXPECT_FALSE(f.dialog.outputEnabled());
    EXPECT_EQ(f.dialog.height(), 2600);
}

TEST(TotalOutputDialog, AsksForANameFirst)
{
    Fixture f;
    f.choose({f.vorn(QStringLiteral("a.vorn"), allKind()), f.vorn(QStringLiteral("b.vorn"), allKind())});
    f.dialog.imgOutputDXF_Click();
    ASSERT_EQ(f.ui.boxes.size(), 1);
    EXPECT_EQ(f.ui.boxes.at(0).prompt, QStringLiteral("作成するスプリング線図の名称を入力してください。"));
    EXPECT_EQ(f.ui.boxes.at(0).style, kMbOk | kMbExclamation);
    EXPECT_TRUE(f.dialog.takeNameFocusRequest());
    EXPECT_FALSE(f.dialog.takeNameFocusRequest());
    EXPECT_TRUE(f.ui.saveRequests.isEmpty());
    EXPECT_TRUE(f.box.logMessages().isEmpty());
}

TEST(TotalOutputDialog, TotalsChecksWritesAndSavesTheDrawing)
{
    Fixture f;
    f.choose({f.vorn(QStringLiteral("a.vorn"), allKind(QStringLiteral("12.5"), QStringLiteral("0.1"), QStringLiteral("100"))),
              f.vorn(QStringLiteral("b.vorn"), allKind(QStringLiteral("7.5"), QStringLiteral("0.2"), QStringLiteral("23.45"),
                                                       QStringLiteral("99")))});
    f.dialog.setDiagramName(QStringLiteral("  金型A"));
    f.ui.saveAnswers.append(f.out());
    f.dialog.imgOutputDXF_Click();

    EXPECT_EQ(totalDiagramValues(),
              (QStringList{QStringLiteral("50"), QStringLiteral("5"), QStringLiteral("20"), QStringLiteral("45"),
                           QStringLiteral("25"), QStringLiteral("20"), QStringLiteral("0.3"), QStringLiteral("123.45"),
                           QStringLiteral("12")}));
    ASSERT_EQ(f.ui.saveRequests.size(), 1);
    const FileDialogRequest& s = f.ui.saveRequests.first();
    EXPECT_EQ(s.title, QStringLiteral("Select the destination file "));
    EXPECT_EQ(s.filter, QStringLiteral("All files (*.*)|*.*|dxf files (*.dxf)|*.dxf"));
    EXPECT_EQ(s.filterIndex, 2);
    EXPECT_TRUE(s.fileName.isEmpty());

    ASSERT_EQ(f.ui.boxes.size(), 1);
    EXPECT_EQ(f.ui.boxes.at(0).prompt, f.out() + QStringLiteral(" ：ファイルを保存しました。"));
    EXPECT_EQ(f.ui.boxes.at(0).title, QStringLiteral("保存完了"));
    EXPECT_EQ(f.ui.boxes.at(0).style, kMbOk);
    EXPECT_TRUE(f.dialog.closeRequested());
    EXPECT_EQ(f.box.logMessages(),
              (QStringList{QStringLiteral("□Eve：合計データ計算開始"), QStringLiteral("□Eve：合計データ計算完了"),
                           QStringLiteral("□Eve：合計スプリング線図 [  金型A] のデータ生成開始"),
                           QStringLiteral("□Eve：合計スプリング線図 [  金型A] のデータ生成完了"),
                           QStringLiteral("□Eve：") + f.out() + QStringLiteral(" ：合計スプリング線図 [  金型A] を作成・保存")}));

    const QByteArray bytes = readAll(f.out());
    EXPECT_EQ(f.savedRows(f.out()), 3642);
    EXPECT_TRUE(bytes.endsWith("  0\r\nEOF\r\n"));
    EXPECT_TRUE(bytes.contains(QByteArray("\r\n  1\r\n") + encodeCp932(QStringLiteral("  金型A")) + "\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nFREE LENGTH 50\r\n"));
    EXPECT_TRUE(bytes.contains("\r\n123.45\r\n"));
    EXPECT_TRUE(bytes.contains("\r\n20 ST\r\n"));
}

TEST(TotalOutputDialog, RefusesFilesOfOtherProgramsNamingThePath)
{
    Fixture f;
    const QString a = f.vorn(QStringLiteral("a.vorn"), allKind());
    const QString empty = writeVorn(f.docs, QStringLiteral("empty.vorn"), QString());
    const QString later = f.vorn(QStringLiteral("z.vorn"), {QStringLiteral("SppOnly")});
    f.choose({a, empty, later});
    f.dialog.setDiagramName(QStringLiteral("x"));
    f.dialog.imgOutputDXF_Click();
    ASSERT_EQ(f.ui.boxes.size(), 1);
    EXPECT_EQ(f.ui.boxes.at(0).prompt, notOurs(empty));
    EXPECT_EQ(f.ui.boxes.at(0).style, kMbOk | kMbExclamation);
    EXPECT_EQ(f.ui.boxes.at(0).title, QStringLiteral("Information"));
    EXPECT_TRUE(f.ui.saveRequests.isEmpty());
    EXPECT_TRUE(f.box.logMessages().isEmpty());
    EXPECT_FALSE(f.dialog.closeRequested());
    EXPECT_TRUE(f.dialog.outputEnabled());  // back in Ready with the same selection
}

TEST(TotalOutputDialog, RefusesMixedKindsAtTheFirstDifferentFile)
{
    Fixture f;
    QStringList spp = allKind(QStringLiteral("1"), QString());
    spp[0] = QStringLiteral("SppOnly");
    QStringList lower = allKind();
    lower[0] = QStringLiteral("all");
    QStringList noKind = allKind();
    noKind[0] = QString();

    struct Case {
        QList<QStringList> files;
        QString expected;
    };
    const QList<Case> cases{
        {{allKind(), allKind(), spp}, kMixed},
        {{spp, allKind(), allKind()}, kMixed},
        {{allKind(), lower}, kMixed},
        {{allKind(), noKind}, kMixed},
    };
    int n = 0;
    for (const Case& c : cases) {
        f.ui.boxes.clear();
        QStringList paths;
        for (const QStringList& ten : c.files)
            paths.append(f.vorn(QStringLiteral("m%1.vorn").arg(n++), ten));
        f.choose(paths);
        f.dialog.setDiagramName(QStringLiteral("x"));
        f.dialog.imgOutputDXF_Click();
        ASSERT_EQ(f.ui.boxes.size(), 1) << n;
        EXPECT_EQ(f.ui.boxes.at(0).prompt, c.expected) << n;
    }
    EXPECT_TRUE(f.ui.saveRequests.isEmpty());

    // An empty kind first lets the next file set it: accepted as "All".
    f.ui.boxes.clear();
    f.choose({f.vorn(QStringLiteral("e1.vorn"), noKind), f.vorn(QStringLiteral("e2.vorn"), allKind())});
    f.ui.saveAnswers.append(f.out());
    f.dialog.imgOutputDXF_Click();
    EXPECT_EQ(f.dialog.referenceKind(), QStringLiteral("All"));
    EXPECT_EQ(f.savedRows(f.out()), 3642);
}

TEST(TotalOutputDialog, RefusesLengthsThatDifferAsText)
{
    Fixture f;
    QStringList other = allKind();
    other[1] = QStringLiteral("50.0");
    f.choose({f.vorn(QStringLiteral("a.vorn"), allKind()), f.vorn(QStringLiteral("b.vorn"), other)});
    f.dialog.setDiagramName(QStringLiteral("x"));
    f.dialog.imgOutputDXF_Click();
    ASSERT_EQ(f.ui.boxes.size(), 1);
    EXPECT_EQ(f.ui.boxes.at(0).prompt, kMismatch);
    EXPECT_EQ(f.ui.boxes.at(0).style, kMbOk | kMbExclamation);

    // A new selection that agrees passes: nothing of the refused one is remembered.
    f.ui.boxes.clear();
    f.choose({f.vorn(QStringLiteral("c.vorn"), other), f.vorn(QStringLiteral("d.vorn"), other)});
    f.ui.saveAnswers.append(f.out());
    f.dialog.imgOutputDXF_Click();
    ASSERT_EQ(f.ui.boxes.size(), 1);
    EXPECT_EQ(f.ui.boxes.at(0).title, QStringLiteral("保存完了"));
    EXPECT_EQ(totalDiagramValues().at(0), QStringLiteral("50.0"));
}

TEST(TotalOutputDialog, ASecondOutputAfterACancelledSaveHoldsOneDrawing)
{
    Fixture f;
    f.choose({f.vorn(QStringLiteral("a.vorn"), allKind()), f.vorn(QStringLiteral("b.vorn"), allKind())});
    f.dialog.setDiagramName(QStringLiteral("線図"));
    f.dialog.imgOutputDXF_Click();  // save cancelled
    EXPECT_EQ(f.box.logMessages().last(), QStringLiteral("□Eve：スプリング線図 [線図] のDXF出力をキャンセル"));
    EXPECT_FALSE(f.dialog.closeRequested());
    EXPECT_TRUE(f.ui.boxes.isEmpty());

    f.ui.saveAnswers.append(f.out());
    f.dialog.imgOutputDXF_Click();
    EXPECT_EQ(f.savedRows(f.out()), 3642);
    EXPECT_EQ(readAll(f.out()).count("EOF"), 1);
    EXPECT_TRUE(f.dialog.closeRequested());
}

TEST(TotalOutputDialog, RefusesANonNumberLoadAndSavesNothing)
{
    Fixture f;
    const QString bad = f.vorn(QStringLiteral("b.vorn"), allKind(QStringLiteral("12.5"), QString(), QStringLiteral("abc")));
    f.choose({f.vorn(QStringLiteral("a.vorn"), allKind()), bad});
    f.dialog.setDiagramName(QStringLiteral("x"));
    f.ui.saveAnswers.append(f.out());
    totalDiagramValues() = QStringList(9, QStringLiteral("old"));
    f.dialog.imgOutputDXF_Click();
    ASSERT_EQ(f.ui.boxes.size(), 1);
    EXPECT_TRUE(f.ui.boxes.at(0).prompt.startsWith(QStringLiteral("選択されたファイル【　") + bad + QStringLiteral("　】は、")));
    EXPECT_TRUE(f.ui.boxes.at(0).prompt.contains(QStringLiteral("数値ではない")));
    EXPECT_TRUE(f.ui.saveRequests.isEmpty());
    EXPECT_FALSE(QFile::exists(f.out()));
    EXPECT_TRUE(totalDiagramValues().isEmpty());
    EXPECT_EQ(f.box.logMessages(),
              (QStringList{QStringLiteral("□Eve：合計データ計算開始"),
                           QStringLiteral("■Err：[frmSelectFile]-[CalcData()]：型が一致しません。：エラー番号 -> 13")}));
}

TEST(TotalOutputDialog, ReadsTheZeroSignAsAZeroLoad)
{
    Fixture f;
    f.choose({f.vorn(QStringLiteral("a.vorn"), allKind(QStringLiteral("---"), QStringLiteral("---"))),
              f.vorn(QStringLiteral("b.vorn"), allKind(QStringLiteral("3"), QStringLiteral("4")))});
    f.dialog.setDiagramName(QStringLiteral("x"));
    f.ui.saveAnswers.append(f.out());
    f.dialog.imgOutputDXF_Click();
    EXPECT_EQ(totalDiagramValues().at(5), QStringLiteral("3"));
    EXPECT_EQ(totalDiagramValues().at(6), QStringLiteral("4"));
    EXPECT_EQ(f.savedRows(f.out()), 3642);
}

TEST(TotalOutputDialog, RefusesShortAndOverlongLinesNamingTheFile)
{
    Fixture f;
    const QString a = f.vorn(QStringLiteral("a.vorn"), allKind());
    const QString markerOnly = writeVorn(f.docs, QStringLiteral("m.vorn"), QStringLiteral("CreatedByVORN"));
    const QString six = f.vorn(QStringLiteral("s.vorn"), allKind().mid(0, 5));
    const QString nine = f.vorn(QStringLiteral("n.vorn"), allKind().mid(0, 8));
    const QString longLine = writeVorn(f.docs, QStringLiteral("l.vorn"), vornLine(allKind()) + QString(70000, QLatin1Char('0')));
    for (const QString& bad : {markerOnly, six, nine, longLine}) {
        f.ui.boxes.clear();
        f.choose({a, bad});
        f.dialog.setDiagramName(QStringLiteral("x"));
        f.dialog.imgOutputDXF_Click();
        ASSERT_EQ(f.ui.boxes.size(), 1) << bad.toStdString();
        EXPECT_TRUE(f.ui.boxes.at(0).prompt.startsWith(QStringLiteral("選択されたファイル【　") + bad + QStringLiteral("　】")))
            << bad.toStdString();
    }
    EXPECT_TRUE(f.ui.saveRequests.isEmpty());
    const QStringList log = f.box.logMessages();
    EXPECT_TRUE(log.contains(QStringLiteral("■Err：[frmSelectFile]-[imgOutputDXF_Click()]：インデックスが有効範囲にありません。：エラー番号 -> 9")));
    EXPECT_TRUE(log.contains(QStringLiteral("■Err：[frmSelectFile]-[CheckSpData()]：インデックスが有効範囲にありません。：エラー番号 -> 9")));
    EXPECT_TRUE(log.contains(QStringLiteral("■Err：[frmSelectFile]-[CalcData()]：インデックスが有効範囲にありません。：エラー番号 -> 9")));
}

TEST(TotalOutputDialog, RefusesAnUnknownKindAndSavesNothing)
{
    Fixture f;
    QStringList none(10, QString());
    f.choose({f.vorn(QStringLiteral("a.vorn"), none), f.vorn(QStringLiteral("b.vorn"), none)});
    f.dialog.setDiagramName(QStringLiteral("x"));
    f.ui.saveAnswers.append(f.out());
    f.dialog.imgOutputDXF_Click();
    ASSERT_EQ(f.ui.boxes.size(), 1);
    EXPECT_TRUE(f.ui.boxes.at(0).prompt.contains(QStringLiteral("記録されていません")));
    EXPECT_TRUE(f.ui.saveRequests.isEmpty());
    EXPECT_FALSE(QFile::exists(f.out()));
}

TEST(TotalOutputDialog, SaysWhichFileCouldNotBeRead)
{
    Fixture f;
    const QString a = f.vorn(QStringLiteral("a.vorn"), allKind());
    const QString gone = f.docs + QStringLiteral("/gone.vorn");
    f.choose({a, gone});
    f.dialog.setDiagramName(QStringLiteral("x"));
    f.dialog.imgOutputDXF_Click();
    ASSERT_EQ(f.ui.boxes.size(), 1);
    EXPECT_TRUE(f.ui.boxes.at(0).prompt.startsWith(QStringLiteral("選択されたファイル【　") + gone
                                                    + QStringLiteral("　】を読み込めませんでした。")));
    EXPECT_EQ(f.box.logMessages(),
              QStringList{QStringLiteral("■Err：[modDataEditor]-[ReadTextFile()]：ファイルが見つかりません。：エラー番号 -> 53")});
    EXPECT_TRUE(f.ui.saveRequests.isEmpty());
}

TEST(TotalOutputDialog, AFailedSaveKeepsTheOldFileAndSaysSo)
{
    Fixture f;
    f.choose({f.vorn(QStringLiteral("a.vorn"), allKind()), f.vorn(QStringLiteral("b.vorn"), allKind())});
    f.dialog.setDiagramName(QStringLiteral("x"));
    // The target is a folder: it cannot be replaced by a file.
    const QString target = f.out(QStringLiteral("taken.dxf"));
    ASSERT_TRUE(QDir().mkpath(target));
    writeAll(target + QStringLiteral("/keep.txt"), QByteArray("mine"));
    f.ui.saveAnswers.append(target);
    f.dialog.imgOutputDXF_Click();
    ASSERT_EQ(f.ui.boxes.size(), 1);
    EXPECT_TRUE(f.ui.boxes.at(0).prompt.startsWith(QStringLiteral("ファイル【　") + target
                                                    + QStringLiteral("　】を保存できませんでした。")));
    EXPECT_EQ(f.ui.boxes.at(0).style, kMbOk | kMbCritical);
    EXPECT_EQ(readAll(target + QStringLiteral("/keep.txt")), QByteArray("mine"));
    EXPECT_FALSE(f.dialog.closeRequested());
    const QStringList log = f.box.logMessages();
    EXPECT_TRUE(log.last().startsWith(QStringLiteral("■Err：[frmSelectFile]-[SaveTextControl()]：書き込みできません。")));
    EXPECT_FALSE(log.join(QLatin1Char('\n')).contains(QStringLiteral("キャンセル")));
}

TEST(TotalOutputDialog, MakesTheNameOneRowInCodePage932)
{
    Fixture f;
    f.choose({f.vorn(QStringLiteral("a.vorn"), allKind()), f.vorn(QStringLiteral("b.vorn"), allKind())});
    f.dialog.setDiagramName(QStringLiteral("上型\r\n下型\t😀"));
    f.ui.saveAnswers.append(f.out());
    f.dialog.imgOutputDXF_Click();
    const QByteArray bytes = readAll(f.out());
    EXPECT_EQ(f.savedRows(f.out()), 3642);
    EXPECT_TRUE(bytes.contains(QByteArray("\r\n  1\r\n") + encodeCp932(QStringLiteral("上型  下型 ?")) + "\r\n"));
    EXPECT_TRUE(f.box.logMessages().contains(QStringLiteral("□Eve：合計スプリング線図 [上型  下型 😀] のデータ生成開始")));
}

TEST(TotalOutputDialog, CancelClosesAndUnloadForgetsTheSelection)
{
    Fixture f;
    f.choose({f.vorn(QStringLiteral("a.vorn"), allKind()), f.vorn(QStringLiteral("b.vorn"), allKind())});
    f.dialog.imgCancel_Click();
    EXPECT_TRUE(f.dialog.closeRequested());
    f.dialog.Form_Unload();
    EXPECT_TRUE(f.dialog.selectedPaths().isEmpty());
    f.dialog.Form_Load();
    EXPECT_FALSE(f.dialog.closeRequested());
    EXPECT_TRUE(f.dialog.listRows().isEmpty());
    EXPECT_FALSE(f.dialog.outputEnabled());
}
