// The copies of the maker's Jet files that the program keeps: read from and
// written to only a folder of the user's own, never through a link, made
// whole before they are named, checked by content while the file's times
// cannot tell a change, one per file, cleaned up at start; and the reader
// that makes them dies with the program.
#include "support/catalogue_files.h"
#include "support/jet_catalogue.h"

#include "services/atomicfile.h"
#include "support/error_of.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <tuple>

using namespace tolvane;
using namespace tolvane::test;

namespace {

const QString kTable1 = QStringLiteral("SELECT * FROM [Table1];");

QString nativeName(const QString& path) { return QDir::toNativeSeparators(path); }

// The name of the file's copy, and of its half-made copies but for their end.
QString copyStem(const QString& file)
{
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(file).constData(), &st), 0);
    return jetcopy::keyText(QFile::encodeName(QFileInfo(file).canonicalFilePath()).toStdString(), jetcopy::keyOf(st));
}

// Copies someone else put where the user's copies may be: in a cache
// folder of theirs, and in the runtime folder that everyone shares. Neither
// is read, nor written; both are passed over with a line in the log, and the
// user's copy goes to a folder the user made. Root plants them here, for
// another user; what that user can write lies in "user".
TEST_F(JetCatalogue, ACopyPlantedByAnotherUserIsNeverRead)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root, to be the other user";
    const QString root = sandbox.root();
    const QString file = copyOf(QStringLiteral("ZEKA.mdb"), readAll(fixture("V2000_no-password")));
    ASSERT_EQ(runCatalogueQuery(file, kConnect, kTable1).column(u"Data"), (QStringList{"One", "Two", "Three"}));
    const QString cache = CacheFolder() + QStringLiteral("/catalogue");
    const QString name = copies().value(0);
    makeDatabase(cache + QLatin1Char('/') + name, QStringLiteral("UPDATE Table1 SET Data = 'made up';"));
    const QString shared = root + QStringLiteral("/user/shared/tolvane-catalogue");
    ASSERT_TRUE(QDir().mkpath(shared) && QDir().mkpath(root + QStringLiteral("/user/free")) &&
                QFile::copy(cache + QLatin1Char('/') + name, shared + QLatin1Char('/') + name));
    for (const QString& planted : {cache + QLatin1Char('/') + name, shared + QLatin1Char('/') + name})
        ::chmod(QFile::encodeName(planted).constData(), 0644);
    closeCatalogues();
    for (const QString& folder : {root, CacheFolder(), cache, LogFolder()})
        ::chmod(QFile::encodeName(folder).constData(), folder == LogFolder() ? 0777 : 0755);

    expectAsNonRoot(root + QStringLiteral("/user"), [&] {
        const auto read = [&](const QString& cacheFolder, const QString& runtime) {
            setCacheFolder(cacheFolder);
            setRuntimeFolder(runtime);
            closeCatalogues();
            return runCatalogueQuery(file, kConnect, kTable1).column(u"Data") == QStringList{"One", "Two", "Three"};
        };
        return read(root + QStringLiteral("/cache"), root + QStringLiteral("/user/free")) &&
               read(root + QStringLiteral("/user/mine"), root + QStringLiteral("/user/shared"));
    });
    EXPECT_EQ(QDir(cache).entryList(QDir::Files), QStringList{name});
    EXPECT_EQ(QDir(shared).entryList(QDir::Files), QStringList{name});
    EXPECT_EQ(QDir(root + QStringLiteral("/user/free/tolvane-catalogue")).entryList(QDir::Files), QStringList{name});
    EXPECT_EQ(QDir(root + QStringLiteral("/user/mine/catalogue")).entryList(QDir::Files), QStringList{name});
    for (const QString& folder : {cache, shared})
        EXPECT_TRUE(logged(nativeName(folder) + QStringLiteral(" をコピーのフォルダに使いません (ほかのユーザーのフォルダです)")))
            << sandbox.logText().toStdString();
}

// A cache folder that is a link is passed over, and what it points at is
// left as it was, its rights too; so is one that others may write, and a
// copy someone put there is not read.
TEST_F(JetCatalogue, ACacheFolderThatIsALinkOrOpenToOthersIsPassedOver)
{
    const QString file = copyOf(QStringLiteral("ZEKA.mdb"), readAll(fixture("V2000_no-password")));
    ASSERT_EQ(catalogueTables(file), QStringList{"Table1"});
    const QString name = copies().value(0);
    const QString cache = CacheFolder() + QStringLiteral("/catalogue");
    makeDatabase(cache + QLatin1Char('/') + name, QStringLiteral("UPDATE Table1 SET Data = 'made up';"));
    ASSERT_EQ(::chmod(QFile::encodeName(cache).constData(), 0777), 0);
    setRuntimeFolder(sandbox.root());
    closeCatalogues();
    EXPECT_EQ(runCatalogueQuery(file, kConnect, kTable1).column(u"Data"), (QStringList{"One", "Two", "Three"}));
    EXPECT_TRUE(logged(nativeName(cache) + QStringLiteral(" をコピーのフォルダに使いません (ほかのユーザーも書き込めます)")));

    const QString mine = sandbox.root() + QStringLiteral("/mine");
    ASSERT_TRUE(QDir().mkpath(mine) && QDir(cache).removeRecursively() && QFile::link(mine, cache));
    ASSERT_EQ(::chmod(QFile::encodeName(mine).constData(), 0755), 0);
    touch(file);
    EXPECT_EQ(catalogueTables(file), QStringList{"Table1"});
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(mine).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u);
    EXPECT_TRUE(QDir(mine).isEmpty());
    EXPECT_EQ(QDir(sandbox.root() + QStringLiteral("/tolvane-catalogue")).entryList(QDir::Files).size(), 1);
    EXPECT_TRUE(logged(nativeName(cache) + QStringLiteral(" をコピーのフォルダに使いません (リンクです)")));
}

// A link planted where a half-made copy will be made writes nothing into
// the file it points at.
TEST_F(JetCatalogue, AHalfMadeCopyIsNeverWrittenThroughALink)
{
    const QString file = copyOf(QStringLiteral("ZEKA.mdb"), readAll(fixture("V2000_no-password")));
    const QString victim = sandbox.root() + QStringLiteral("/mine.sqlite");
    makeDatabase(victim, QStringLiteral("CREATE TABLE kept (x); INSERT INTO kept VALUES (1);"));
    const QByteArray before = readAll(victim);
    const QString folder = CacheFolder() + QStringLiteral("/catalogue/");
    ASSERT_TRUE(QDir().mkpath(folder));
    for (int n = 0; n < 4; ++n)
        ASSERT_TRUE(QFile::link(victim, folder + copyStem(file) + QStringLiteral(".%1.%2.part").arg(::getpid()).arg(n)));
    EXPECT_EQ(catalogueTables(file), QStringList{"Table1"});
    EXPECT_EQ(readAll(victim), before);
}

// The reader never outlives the program, even one that is killed.
TEST_F(JetCatalogue, TheReaderDiesWithTheProgram)
{
    const QString reader = readerScript("echo $$ > \"$0.pid\"\nexec sleep 60\n");
    const QString file = copyOf(QStringLiteral("ZEKA.mdb"), readAll(fixture("V2000_no-password")));
    const pid_t program = ::fork();
    ASSERT_GE(program, 0);
    if (program == 0) {
        useJetReader(reader);
        errorOf([&] { catalogueTables(file); });
        std::_Exit(0);
    }
    QByteArray pid;
    for (int i = 0; i < 3000 && !pid.endsWith('\n'); ++i) {
        ::usleep(10000);
        pid = readAll(reader + QStringLiteral(".pid"));
    }
    const auto readerPid = static_cast<pid_t>(pid.trimmed().toInt());
    ASSERT_GT(readerPid, 0);
    const int handle = static_cast<int>(::syscall(SYS_pidfd_open, readerPid, 0));
    ::kill(program, SIGKILL);
    ::waitpid(program, nullptr, 0);
    if (handle >= 0) {  // else it has gone already
        pollfd ended{handle, POLLIN, 0};
        EXPECT_EQ(::poll(&ended, 1, 30000), 1);
        ::kill(readerPid, SIGKILL);
        ::close(handle);
    }
}

// A file system that keeps whole seconds: every time it gives is one second.
std::time_t gSecond = 0;
int wholeSecondTimes(const char* path, struct stat* st)
{
    const int result = ::stat(path, st);
    st->st_mtim = st->st_ctim = timespec{gSecond, 0};
    return result;
}

// There a file changed again within the second its copy was made keeps the
// key of its copy: the copy is checked by content, by a connection kept
// open and after a new start alike, and the change is read.
TEST_F(JetCatalogue, AFileChangedWithinTheSecondOfItsCopyIsReadAgain)
{
    gSecond = std::time(nullptr) + 3600;  // the second every query here takes place in
    jetcopy::setStatCall(wholeSecondTimes);
    const QByteArray before = readAll(fixture("V2000_test"));
    QByteArray after = before;
    after.replace(after.indexOf("\xff\xfe" "abcdefg"), 3, "\xff\xfex");
    const QString file = copyOf(QStringLiteral("ZEKA.mdb"), before);
    const auto a = [&] { return runCatalogueQuery(file, kConnect, kTable1).column(u"A").value(0); };
    const auto rewrite = [&](const QByteArray& bytes) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite) && f.write(bytes) == bytes.size());
    };
    EXPECT_EQ(a(), "abcdefg");
    rewrite(after);
    EXPECT_EQ(a(), "xbcdefg");
    closeCatalogues();
    rewrite(before);
    EXPECT_EQ(a(), "abcdefg");
    jetcopy::setStatCall(nullptr);
}

// One file has one copy whatever spelling of its path is used. At start the
// copies of files that are gone, those no query read for 30 days, and the
// half-made copies no writer holds are removed; the rest stay.
TEST_F(JetCatalogue, OneCopyPerFileAndOnlyCopiesInUseAreKept)
{
    const QByteArray bytes = readAll(fixture("V2000_no-password"));
    const QString file = copyOf(QStringLiteral("ZEKA.mdb"), bytes);
    ASSERT_TRUE(QDir(sandbox.root()).mkpath(QStringLiteral("sub")) &&
                QFile::link(file, sandbox.root() + QStringLiteral("/link.mdb")));
    for (const QString& spelling : {file, sandbox.root() + QStringLiteral("/sub/../ZEKA.mdb"),
                                    sandbox.root() + QStringLiteral("/link.mdb")})
        EXPECT_EQ(catalogueTables(spelling), QStringList{"Table1"});
    const QStringList kept = copies();
    EXPECT_EQ(kept.size(), 1);

    const QString gone = copyOf(QStringLiteral("gone.mdb"), bytes);
    const QString unused = copyOf(QStringLiteral("unused.mdb"), bytes);
    catalogueTables(gone);
    catalogueTables(unused);
    QFile::remove(gone);
    const QString folder = CacheFolder() + QStringLiteral("/catalogue/");
    for (const QString& made : {unused, file}) {
        QFile copy(folder + copyStem(made) + QStringLiteral(".sqlite"));
        ASSERT_TRUE(copy.open(QIODevice::ReadOnly) &&
                    copy.setFileTime(QDateTime::currentDateTime().addDays(-31), QFileDevice::FileModificationTime));
    }
    closeCatalogues();
    catalogueTables(file);  // in use again
    writeAll(folder + copyStem(file) + QStringLiteral(".1.0.part"), "");
    cleanUpCatalogueCopies();
    EXPECT_EQ(copies(), kept);
}

// The copy's data is on the disk before the rename gives it its name, and
// the folder, which holds the name, after it.
TEST_F(JetCatalogue, TheCopyIsSyncedBeforeItsRenameAndItsFolderAfter)
{
    static QString folder;
    static QList<std::tuple<bool, ino_t, QStringList>> synced;  // a folder?, what, the copies then
    folder = CacheFolder() + QStringLiteral("/catalogue");
    setSyncCall([](int fd) {
        struct stat st {};
        ::fstat(fd, &st);
        synced.append({S_ISDIR(st.st_mode), st.st_ino, QDir(folder).entryList({QStringLiteral("*.sqlite")}, QDir::Files)});
        return ::fsync(fd);
    });
    const QString file = copyOf(QStringLiteral("ZEKA.mdb"), readAll(fixture("V2000_no-password")));
    const QStringList tables = catalogueTables(file);
    setSyncCall(nullptr);
    ASSERT_EQ(tables, QStringList{"Table1"});
    const QString name = copyStem(file) + QStringLiteral(".sqlite");
    struct stat copy {};
    struct stat dir {};
    ASSERT_EQ(::stat(QFile::encodeName(folder + QLatin1Char('/') + name).constData(), &copy), 0);
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &dir), 0);
    EXPECT_EQ(synced, (QList<std::tuple<bool, ino_t, QStringList>>{{false, copy.st_ino, {}}, {true, dir.st_ino, {name}}}));
}

}  // namespace
