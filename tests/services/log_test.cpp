#include "services/log.h"
#include "services/vberror.h"
#include "support/pipe.h"
#include "support/sandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace tolvane;
using tolvane::test::Sandbox;

TEST(Log, LineFormsWithTheirSeparatorsAndCrLf)
{
    Sandbox box;
    ExistSettingFolder();
    ExistLogFolder();
    WriteEventLog(QStringLiteral("設定読込完了"));
    WriteErrorLog(QStringLiteral("[modDataEditor]-[ReadTextFile()]：ファイルが見つかりません。"), 53);
    WriteErrorLog(QStringLiteral("[x]-[y()]："), -2147467259);
    logError(errorLabel(QStringLiteral("frmMain"), QStringLiteral("mnuEnd_Click")), VbError(kErrTypeMismatch));

    const QByteArray raw = test::readAll(LogFolder() + QStringLiteral("/Vorn-2026-12-06.log"));
    EXPECT_EQ(QString::fromUtf8(raw),
              QStringLiteral("□Eve：2026/12/06 09:05:07 － 設定読込完了\r\n"
                             "■Err：2026/12/06 09:05:07 － [modDataEditor]-[ReadTextFile()]：ファイルが見つかりません。：エラー番号 -> 53\r\n"
                             "■Err：2026/12/06 09:05:07 － [x]-[y()]：：エラー番号 -> -2147467259\r\n"
                             "■Err：2026/12/06 09:05:07 － [frmMain]-[mnuEnd_Click()]：型が一致しません。：エラー番号 -> 13\r\n"));
}

TEST(Log, EachLineGoesToItsOwnDaysFile)
{
    Sandbox box;
    ExistLogFolder();
    WriteEventLog(QStringLiteral("a"));
    box.clock().set(QDateTime(QDate(2026, 12, 7), QTime(0, 0, 1)));
    WriteEventLog(QStringLiteral("b"));
    EXPECT_TRUE(box.logText(QDate(2026, 12, 6)).endsWith(QStringLiteral("a\r\n")));
    EXPECT_TRUE(box.logText(QDate(2026, 12, 7)).endsWith(QStringLiteral("b\r\n")));
}

TEST(Log, WithoutTheFolderOrWithAPipeForTheFileALineIsLostQuietly)
{
    Sandbox box;
    WriteEventLog(QStringLiteral("lost"));
    WriteErrorLog(QStringLiteral("lost"), 1);
    EXPECT_FALSE(QFileInfo::exists(LogFolder()));

    ExistLogFolder();
    EXPECT_TRUE(test::readsPipeWithoutWaiting(LogFolder() + QStringLiteral("/Vorn-2026-12-06.log"),
                                              [] { WriteEventLog(QStringLiteral("lost")); }));
}

TEST(Log, OldFilesGoAfterSevenDays)
{
    Sandbox box;
    ExistLogFolder();
    auto makeFile = [](const QString& name, const QDateTime& modified) {
        QFile f(LogFolder() + u'/' + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
        f.flush();
        ASSERT_TRUE(f.setFileTime(modified, QFileDevice::FileModificationTime));
    };
    const QDate today(2026, 12, 6);
    makeFile(QStringLiteral("Vorn-2026-11-29.log"), QDateTime(today.addDays(-7), QTime(0, 0, 0)));
    makeFile(QStringLiteral("Vorn-2026-11-28.log"), QDateTime(today.addDays(-8), QTime(23, 59, 59)));
    makeFile(QStringLiteral("notes.txt"), QDateTime(today.addDays(-30), QTime(12, 0)));
    makeFile(QStringLiteral("future.log"), QDateTime(today.addDays(3), QTime(12, 0)));

    DeleteOldLog();

    QStringList left = QDir(LogFolder()).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(left, (QStringList{QStringLiteral("Vorn-2026-11-29.log"), QStringLiteral("Vorn-2026-12-06.log"),
                                 QStringLiteral("future.log")}));
    const QStringList lines = box.logMessages();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("□Eve：保存期間を超過したログファイル [ ") + LogFolder()
                            + QStringLiteral("/Vorn-2026-11-28.log ]を削除"));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("notes.txt ]を削除")));
}

TEST(Log, DeletingWithoutTheFolderWritesOneErrorLine)
{
    Sandbox box;
    box.clock().makeLogFolderFromReading(2);  // after the scan has read today's date
    DeleteOldLog();
    EXPECT_EQ(box.logMessages(),
              QStringList{QStringLiteral("■Err：[modLogManager]-[DeleteOldLog()]：パスが見つかりません。：エラー番号 -> 76")});
}
