#include "services/atomicfile.h"
#include "services/cp932.h"
#include "services/textfile.h"
#include "support/pipe.h"
#include "support/sandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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
}

TEST(TextFiles, LinesAndFields)
{
    Sandbox box;
    ExistLogFolder();
    const QString path = box.root() + QStringLiteral("/a.csv");
    // Any line end; a last line without one; code page 932.
    const std::pair<QByteArray, QStringList> files[] = {
        {"a,b\r\n\r\nc", {"a,b", "", "c"}}, {"x,\ny\n", {"x,", "y"}}, {"", {""}},
        {"\x83\x8C\x83\x43,1\r\n", {"レイ,1"}}};
    for (const auto& [bytes, lines] : files) {
        test::writeAll(path, bytes);
        EXPECT_EQ(ReadTextFile(path), lines) << bytes.toStdString();
    }
    EXPECT_EQ(CreateDataArray({"a,b", "", "x,"}), (QList<QStringList>{{"a", "b"}, {}, {"x", ""}}));
    EXPECT_EQ(DivideStrings(QStringLiteral("a,,b,")), (QStringList{"a", "", "b", ""}));
    EXPECT_EQ(DivideStrings(QString()), (QStringList{QString(), QString()}));

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
    EXPECT_EQ(decodeCp932(QByteArray::fromHex("838c834383418345836731")), QStringLiteral("レイアウト1"));
    EXPECT_EQ(decodeCp932(QByteArray("a\x80" "b")), QStringLiteral("a?b"));
    const std::pair<QString, const char*> encoded[] = {
        {QString(), ""},
        {QStringLiteral("レイアウト1"), "838c834383418345836731"},
        {QStringLiteral("初圧 = 0mm"), "8f8988b3203d20306d6d"},
        {QStringLiteral("a😀b€c"), "613f623f63"},                  // beyond the code page: "?"
        {QStringLiteral("ｱ¥‾\t\r\n"), "b15c7e090d0a"},             // one byte each; controls stay
        {QString(QChar(0xD800)) + u'a' + QChar(0xDC00), "3f613f"},  // a lone half of a pair
        {QString::fromUcs4(U"a\U000E0041b"), "6162"},             // a tag character leaves nothing
    };
    for (const auto& [text, hex] : encoded)
        EXPECT_EQ(encodeCp932(text).toHex(), QByteArray(hex)) << text.toStdString();
    // Runs of ASCII are copied whole: a character beyond it anywhere in or
    // between them still becomes its own bytes.
    for (int at = 0; at < 40; ++at) {
        QString text(40, u'x');
        text[at] = u'線';
        EXPECT_EQ(encodeCp932(text), QByteArray(at, 'x') + QByteArray::fromHex("90fc") + QByteArray(39 - at, 'x')) << at;
    }
}

// A failed save keeps the old file, leaves no temporary file and names the
// real reason with its own error number.
TEST(AtomicSave, AFailedSaveKeepsTheOldFileAndSaysWhy)
{
    Sandbox box;
    const QString path = box.root() + QStringLiteral("/report.txt");
    const QByteArray old = QByteArray("old report ").repeated(10);
    ASSERT_TRUE(writeFileAtomic(path, old));
    QDir(box.root()).mkdir(QStringLiteral("blocked"));
    test::writeAll(box.root() + QStringLiteral("/file"), "x");

    // The reason in Japanese, whatever the system's language.
    struct Case {
        const char* what;
        QString path;
        int number;
        int errnoValue;
        const char* words;
    };
    const Case cases[] = {
        {"a folder where the file should be", box.root() + QStringLiteral("/blocked"), kErrPathFileAccess, EISDIR,
         "ディレクトリです"},
        {"a missing folder", box.root() + QStringLiteral("/no/such/f.txt"), kErrPathNotFound, ENOENT,
         "そのようなファイルやディレクトリはありません"},
        {"a file used as a folder", box.root() + QStringLiteral("/file/f.txt"), kErrPathNotFound, ENOTDIR,
         "ディレクトリではありません"},
        {"no room for the whole file", path, kErrDiskFull, EFBIG, "ファイルが大きすぎます"},
        {"data that never reached the disk", path, kErrDeviceIo, EIO, "入出力エラーです"},
        {"a disk that turned read-only", path, kErrPermissionDenied, EROFS, "読み込み専用のファイルシステムです"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::optional<test::FileSizeLimit> limit;
        if (c.errnoValue == EFBIG)
            limit.emplace(64);
        static int syncFailure;
        syncFailure = c.errnoValue;
        if (c.errnoValue == EIO || c.errnoValue == EROFS)
            setSyncCall([](int) { return errno = syncFailure, -1; });
        const std::optional<VbError> failure = saveFileAtomic(c.path, QByteArray(4096, 'x'));
        limit.reset();
        setSyncCall(nullptr);
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->number(), c.number);
        EXPECT_EQ(failure->description(),
                  vbErrorDescription(c.number) + QStringLiteral("（") + QString::fromUtf8(c.words) + QStringLiteral("）"));
    }
    EXPECT_EQ(test::readAll(path), old);
    EXPECT_TRUE(QFileInfo(box.root() + QStringLiteral("/blocked")).isDir());
    EXPECT_EQ(QDir(box.root()).entryList(QDir::Files), (QStringList{QStringLiteral("file"), QStringLiteral("report.txt")}));
}

TEST(AtomicSave, AReplacedFileKeepsItsRightsAndALinkStaysALink)
{
    Sandbox box;
    const QString path = box.root() + QStringLiteral("/report.txt");
    test::writeAll(path, "old");
    QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    const QString link = box.root() + QStringLiteral("/link.txt");
    ASSERT_TRUE(QFile::link(path, link));
    ASSERT_TRUE(writeFileAtomic(link, "new"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(test::readAll(path), QByteArray("new"));
    EXPECT_EQ(QFile(path).permissions() & QFile::Permissions(0x7077), QFile::ReadOwner | QFile::WriteOwner);
}

TEST(AtomicSave, AChainOfLinksReplacesTheFileAtItsEndAndALoopFails)
{
    Sandbox box;
    const QString root = box.root() + QStringLiteral("/chain/");
    QDir(box.root()).mkpath(QStringLiteral("chain/real"));
    test::writeAll(root + "real/c", "old");
    auto link = [&](const char* target, const char* name) {
        ASSERT_EQ(::symlink(target, QFile::encodeName(root + name).constData()), 0);
    };
    link("real/c", "b");  // read from the folder that holds the link
    link(QFile::encodeName(root + "b").constData(), "a");
    ASSERT_TRUE(writeFileAtomic(root + "a", "new"));
    EXPECT_TRUE(QFileInfo(root + "a").isSymLink() && QFileInfo(root + "b").isSymLink());
    EXPECT_EQ(test::readAll(root + "real/c"), QByteArray("new"));

    link("y", "x");
    link("x", "y");
    const std::optional<VbError> failure = saveFileAtomic(root + "x", "new");
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->description(), systemError(ELOOP).description());
    EXPECT_EQ(QDir(root).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name),
              (QStringList{"a", "b", "real", "x", "y"}));
}

// The data is on the disk before the rename puts it in the file's place,
// and the folder, which holds the new name, after it.
TEST(AtomicSave, TheFileIsSyncedBeforeTheRenameAndItsFolderAfter)
{
    Sandbox box;
    static QString path;
    static QList<std::pair<QString, QByteArray>> synced;  // what was synced, and the file's content then
    path = box.root() + QStringLiteral("/report.txt");
    test::writeAll(path, "old");
    setSyncCall([](int fd) {
        char name[PATH_MAX] = {};
        const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
        const ssize_t n = ::readlink(link.constData(), name, sizeof name - 1);
        synced.append({QFile::decodeName(QByteArray(name, n > 0 ? int(n) : 0)), test::readAll(path)});
        return ::fsync(fd);
    });
    const bool saved = writeFileAtomic(path, "new");
    setSyncCall(nullptr);
    ASSERT_TRUE(saved);
    ASSERT_EQ(synced.size(), 2);
    EXPECT_TRUE(synced[0].first.startsWith(path + u'.') && synced[0].first.endsWith(QStringLiteral(".tmp")));
    EXPECT_EQ(synced[0].second, QByteArray("old"));
    EXPECT_EQ(synced[1], (std::pair<QString, QByteArray>{box.root(), "new"}));
}

// Under a file-size limit the save fails with its reason and leaves no
// temporary file, instead of the signal ending the program.
TEST(AtomicSave, AFileSizeLimitFailsTheSaveInsteadOfEndingTheProgram)
{
    Sandbox box;
    const QString path = box.root() + QStringLiteral("/big.txt");
    auto save = [&] {
        std::signal(SIGXFSZ, SIG_DFL);
        ignoreFileSizeSignal();
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &limit);
        const std::optional<VbError> failure = saveFileAtomic(path, QByteArray(65536, 'x'));
        const bool clean = failure && failure->number() == kErrDiskFull
                           && QDir(box.root()).entryList(QDir::Files | QDir::Hidden).isEmpty();
        std::_Exit(clean ? 0 : 1);
    };
    EXPECT_EXIT(save(), ::testing::ExitedWithCode(0), "");
}

// A device or a pipe in the file's place is written into, never replaced by
// a file of its name: every write is checked, a pipe that no one reads
// fails without waiting, and one read slowly is waited for. A device is tried as a user who could not replace it.
TEST(AtomicSave, ADeviceOrAPipeIsWrittenIntoNotReplaced)
{
    Sandbox box;
    const QString pipe = box.root() + QStringLiteral("/pipe.pdf");
    std::optional<VbError> failure;
    EXPECT_TRUE(test::readsPipeWithoutWaiting(pipe, [&] { failure = saveFileAtomicOrInto(pipe, "x"); }));
    EXPECT_TRUE(failure);
    struct stat entry {};
    EXPECT_TRUE(::stat(QFile::encodeName(pipe).constData(), &entry) == 0 && S_ISFIFO(entry.st_mode));

    // A reader that goes away once the write has begun fails it, not the program.
    const int reader = ::open(QFile::encodeName(pipe).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    failure.reset();
    std::thread writer([&] { failure = saveFileAtomicOrInto(pipe, QByteArray(1 << 20, 'x')); });
    int queued = 0;
    for (int wait = 0; wait < 12000 && (::ioctl(reader, FIONREAD, &queued) != 0 || queued == 0); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ::close(reader);
    writer.join();
    EXPECT_GT(queued, 0);
    EXPECT_TRUE(failure);

    // A reader that comes only once the pipe is full still gets it all: the
    // writes wait for it, as for a slow disk.
    const int late = ::open(QFile::encodeName(pipe).constData(), O_RDONLY | O_NONBLOCK);
    std::atomic<bool> done{false};
    std::thread slowWriter([&] { failure = saveFileAtomicOrInto(pipe, QByteArray(1 << 20, 'x')), done = true; });
    for (int wait = 0, full = 0; wait < 12000 && !done && full < 40; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        full = ::ioctl(late, FIONREAD, &queued) == 0 && queued >= ::fcntl(late, F_GETPIPE_SZ) ? full + 1 : 0;
    }
    ::fcntl(late, F_SETFL, 0);  // reading on until the writer closes
    qsizetype got = 0;
    char buffer[65536];
    for (ssize_t n; (n = ::read(late, buffer, sizeof buffer)) > 0;)
        got += n;
    ::close(late);
    slowWriter.join();
    EXPECT_FALSE(failure);
    EXPECT_EQ(got, 1 << 20);

    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full";
    test::expectAsNonRoot(box.root(), [] {
        const std::optional<VbError> full = saveFileAtomicOrInto(QStringLiteral("/dev/full"), QByteArray(4096, 'x'));
        struct stat device {};
        return full && full->number() == kErrDiskFull && ::stat("/dev/full", &device) == 0 && S_ISCHR(device.st_mode);
    });
}

TEST(AtomicSave, AReadOnlyFileIsNotReplaced)
{
    Sandbox box;
    const QString path = box.root() + QStringLiteral("/kept.txt");
    test::writeAll(path, "mine");
    ASSERT_TRUE(QFile(path).setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    test::expectAsNonRoot(box.root(), [&] {
        const std::optional<VbError> failure = saveFileAtomic(path, "new");
        return failure && failure->number() == kErrPermissionDenied && test::readAll(path) == "mine"
               && QDir(box.root()).entryList(QDir::Files) == QStringList{QStringLiteral("kept.txt")};
    });
}
