#include "services/log.h"
#include "services/vberror.h"
#include "support/pipe.h"
#include "support/sandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>

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

namespace {

void makeFile(const QString& path, const QDateTime& modified)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
    f.flush();
    ASSERT_TRUE(f.setFileTime(modified, QFileDevice::FileModificationTime));
}

// A link of its own age, whatever the age of what it points at.
void makeLink(const QString& target, const QString& link, const QDateTime& modified)
{
    ASSERT_TRUE(QFile::link(target, link));
    const timespec times[2] = {{modified.toSecsSinceEpoch(), 0}, {modified.toSecsSinceEpoch(), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(link).constData(), times, AT_SYMLINK_NOFOLLOW), 0);
}

}  // namespace

// Only the program's own daily logs go, by their own age; a link goes as a
// link; nothing else of the user's in the folder is touched.
TEST(Log, OnlyDailyLogsGoAfterSevenDays)
{
    Sandbox box;
    ExistLogFolder();
    const QString log = LogFolder() + u'/', outside = box.root() + u'/';
    const QDate today(2026, 12, 6);
    const QDateTime old(today.addDays(-30), QTime(12, 0)), recent(today, QTime(8, 0));
    makeFile(log + "Vorn-2026-11-29.log", QDateTime(today.addDays(-7), QTime(0, 0, 0)));
    makeFile(log + "Vorn-2026-11-28.log", QDateTime(today.addDays(-8), QTime(23, 59, 59)));
    for (const char* mine : {"notes.txt", "vorn-2026-11-01.log", "Vorn-2026-11-01.log.txt", "Vorn-2026-13-01.log"})
        makeFile(log + mine, old);
    makeFile(log + "future.log", QDateTime(today.addDays(3), QTime(12, 0)));
    makeFile(outside + "paper.txt", recent);
    makeFile(outside + "old paper.txt", old);
    makeLink(outside + "paper.txt", log + "Vorn-2026-10-01.log", old);
    makeLink(outside + "old paper.txt", log + "Vorn-2026-12-05.log", recent);
    ASSERT_TRUE(QDir().mkdir(log + "Vorn-2026-10-02.log"));

    DeleteOldLog();

    EXPECT_EQ(QDir(LogFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name),
              (QStringList{"Vorn-2026-10-02.log", "Vorn-2026-11-01.log.txt", "Vorn-2026-11-29.log", "Vorn-2026-12-05.log",
                           "Vorn-2026-12-06.log", "Vorn-2026-13-01.log", "future.log", "notes.txt", "vorn-2026-11-01.log"}));
    EXPECT_TRUE(QFileInfo::exists(outside + "paper.txt"));
    EXPECT_EQ(box.logMessages(), (QStringList{"□Eve：保存期間を超過したログファイル [ " + log + "Vorn-2026-10-01.log ]を削除",
                                              "□Eve：保存期間を超過したログファイル [ " + log + "Vorn-2026-11-28.log ]を削除"}));

    // A log folder that is a link to a folder of papers leaves the papers.
    ASSERT_TRUE(QDir(LogFolder()).removeRecursively());
    QDir(box.root()).mkdir("papers");
    makeFile(outside + "papers/thesis.docx", old);
    makeFile(outside + "papers/Vorn-2026-11-01.log", old);
    ASSERT_TRUE(QFile::link(outside + "papers", LogFolder()));
    DeleteOldLog();
    EXPECT_EQ(QDir(outside + "papers").entryList(QDir::Files, QDir::Name), (QStringList{"Vorn-2026-12-06.log", "thesis.docx"}));
}

TEST(Log, DeletingWithoutTheFolderWritesOneErrorLine)
{
    Sandbox box;
    box.clock().makeLogFolderFromReading(2);  // after the scan has read today's date
    DeleteOldLog();
    EXPECT_EQ(box.logMessages(),
              QStringList{QStringLiteral("■Err：[modLogManager]-[DeleteOldLog()]：パスが見つかりません。：エラー番号 -> 76")});
}
