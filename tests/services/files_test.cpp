#include "services/atomicfile.h"
#include "services/cp932.h"
#include "services/textfile.h"
#include "support/pipe.h"
#include "support/sandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/resource.h>

#include <csignal>

using namespace tolvane;
using tolvane::test::Sandbox;

TEST(Folders, WholePathIsMadeEvenWithoutDocuments)
{
    Sandbox box;
    QDir(box.root()).rmdir(QStringLiteral("Documents"));
    ExistSettingFolder();
    ExistLogFolder();
    EXPECT_TRUE(QFileInfo(LogFolder()).isDir());
    EXPECT_EQ(LogFolder(), box.root() + QStringLiteral("/Documents/Tolvane/Log"));
    EXPECT_FALSE(ExistMaterialsFolder());
    QDir(ProgramFolder()).mkdir(QStringLiteral("materials"));
    EXPECT_TRUE(ExistMaterialsFolder());
    DeleteFileQuietly(box.root() + QStringLiteral("/no-such-file"));
}

TEST(TextFiles, LinesAndFields)
{
    Sandbox box;
    ExistLogFolder();
    const QString path = box.root() + QStringLiteral("/a.csv");

    test::writeAll(path, "a,b\r\n\r\nc");
    QStringList lines = ReadTextFile(path);
    EXPECT_EQ(lines, (QStringList{QStringLiteral("a,b"), QString(), QStringLiteral("c")}));
    const QList<QStringList> rows = CreateDataArray(lines);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0], (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_TRUE(rows[1].isEmpty());
    EXPECT_EQ(rows[2], QStringList{QStringLiteral("c")});

    test::writeAll(path, "x,\ny\n");
    lines = ReadTextFile(path);
    EXPECT_EQ(lines, (QStringList{QStringLiteral("x,"), QStringLiteral("y")}));
    EXPECT_EQ(CreateDataArray(lines)[0], (QStringList{QStringLiteral("x"), QString()}));
    EXPECT_EQ(DivideStrings(QStringLiteral("a,,b,")), (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b"), QString()}));
    EXPECT_EQ(DivideStrings(QString()), (QStringList{QString(), QString()}));

    test::writeAll(path, "");
    EXPECT_EQ(ReadTextFile(path), QStringList{QString()});

    test::writeAll(path, QByteArray("\x83\x8C\x83\x43,1\r\n"));
    EXPECT_EQ(ReadTextFile(path), QStringList{QStringLiteral("レイ,1")});

    EXPECT_TRUE(box.logMessages().isEmpty());
    EXPECT_TRUE(ReadTextFile(box.root() + QStringLiteral("/missing.csv")).isEmpty());
    EXPECT_TRUE(CreateDataArray({}).isEmpty());
    const QStringList log = box.logMessages();
    ASSERT_EQ(log.size(), 2);
    EXPECT_EQ(log[0], QStringLiteral("■Err：[modDataEditor]-[ReadTextFile()]：ファイルが見つかりません。：エラー番号 -> 53"));
    EXPECT_TRUE(log[1].startsWith(QStringLiteral("■Err：[modDataEditor]-[CreateDataArray()]：")));
}

TEST(TextFiles, ANamedPipeIsRefusedWithoutWaiting)
{
    Sandbox box;
    ExistLogFolder();
    QStringList lines{QStringLiteral("old")};
    EXPECT_TRUE(test::readsPipeWithoutWaiting(box.root() + QStringLiteral("/pipe.csv"),
                                              [&] { lines = ReadTextFile(box.root() + QStringLiteral("/pipe.csv")); }));
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_EQ(box.logMessages(),
              QStringList{QStringLiteral("■Err：[modDataEditor]-[ReadTextFile()]：通常のファイルではありません。：エラー番号 -> 75")});
}

TEST(TextFiles, TooManyLinesForTheLineCounter)
{
    Sandbox box;
    ExistLogFolder();
    const QString path = box.root() + QStringLiteral("/big.csv");
    test::writeAll(path, QByteArray("x\n").repeated(32767));
    EXPECT_EQ(ReadTextFile(path).size(), 32767);
    test::writeAll(path, QByteArray("x\n").repeated(32768));
    EXPECT_TRUE(ReadTextFile(path).isEmpty());
    EXPECT_EQ(box.logMessages().size(), 1);
}

TEST(CodePage932, RoundTripAndUnmappable)
{
    const QByteArray bytes = encodeCp932(QStringLiteral("レイアウト1"));
    EXPECT_EQ(bytes, QByteArray::fromHex("838c834383418345836731"));
    EXPECT_EQ(decodeCp932(bytes), QStringLiteral("レイアウト1"));
    EXPECT_EQ(encodeCp932(QStringLiteral("a😀b€c")), QByteArray("a?b?c"));
    EXPECT_EQ(encodeCp932(QStringLiteral("初圧 = 0mm")), QByteArray::fromHex("8f8988b3203d20306d6d"));
    EXPECT_EQ(decodeCp932(QByteArray("a\x80" "b")), QStringLiteral("a?b"));
    EXPECT_EQ(encodeCp932(QString()), QByteArray());
}

TEST(AtomicSave, AFailedSaveLeavesTheOldFile)
{
    Sandbox box;
    const QString path = box.root() + QStringLiteral("/report.txt");
    ASSERT_TRUE(writeFileAtomic(path, "old"));
    ASSERT_TRUE(writeFileAtomic(path, "new"));
    EXPECT_EQ(test::readAll(path), QByteArray("new"));

    // A folder where the file should be cannot be replaced.
    const QString blocked = box.root() + QStringLiteral("/blocked");
    QDir(box.root()).mkdir(QStringLiteral("blocked"));
    QString why;
    EXPECT_FALSE(writeFileAtomic(blocked, "x", &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_TRUE(QFileInfo(blocked).isDir());

    EXPECT_FALSE(writeFileAtomic(box.root() + QStringLiteral("/no/such/folder/f.txt"), "x"));

}

TEST(AtomicSave, AWriteThatFailsHalfwayKeepsTheOldFile)
{
    Sandbox box;
    const QString path = box.root() + QStringLiteral("/report.txt");
    const QByteArray old = QByteArray("old report ").repeated(10);
    ASSERT_TRUE(writeFileAtomic(path, old));
    // A file-size limit makes the write fail part way, whatever the rights of
    // the user running the test (a full disk does the same).
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString why;
    const bool wrote = writeFileAtomic(path, QByteArray(4096, 'x'), &why);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(wrote);
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(test::readAll(path), old);
    EXPECT_EQ(QDir(box.root()).entryList(QDir::Files), QStringList{QStringLiteral("report.txt")});
}
