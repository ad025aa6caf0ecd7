// The copies of the maker's Jet files that the program keeps: read from and
// written to only a folder of the user's own, never through a link, made
// whole before they are named, checked by content while the file's times
// cannot tell a change, one per file, cleaned up at start; and the reader
// that makes them dies with the program.
#include "support/catalogue_files.h"
#include "support/jet_catalogue.h"

#include "catalogue/copyfolder.h"
#include "services/atomicfile.h"
#include "support/error_of.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <functional>
#include <map>
#include <tuple>
#include <vector>

using namespace tolvane;
using namespace tolvane::test;

namespace {

const QString kTable1 = QStringLiteral("SELECT * FROM [Table1];");

QString nativeName(const QString& path) { return QDir::toNativeSeparators(path); }
QByteArray encoded(const QString& path) { return QFile::encodeName(path); }

// Where the test is root: the user the program runs as, and another one.
constexpr uid_t kUser = 65534;  // nobody
constexpr uid_t kOther = 65533;

// A folder as the program makes its copy folders: private.
bool makePrivateFolder(const QString& path) { return QDir().mkpath(path) && ::chmod(encoded(path).constData(), 0700) == 0; }

// Runs check in a child process as kUser, every file's rights as they are;
// check says whether all held.
void expectAsUser(const std::function<bool()>& check)
{
    EXPECT_EXIT(std::_Exit(becomeUser(kUser) ? (check() ? 0 : 1) : 2), ::testing::ExitedWithCode(0), "");
}

// The sandbox, root's, as a folder anyone may enter, and its log one that
// anyone may write: for a test that runs a part as another user.
void letOtherUsersIn(const QString& sandboxRoot)
{
    for (const QString& folder : {sandboxRoot, LogFolder()})
        EXPECT_EQ(::chmod(encoded(folder).constData(), folder == LogFolder() ? 0777 : 0755), 0);
}

// The folders and files at paths become the user's, their modes as they are
// (a link itself, not what it points at).
void giveTo(uid_t user, const QStringList& paths)
{
    for (const QString& path : paths)
        EXPECT_EQ(::lchown(encoded(path).constData(), user, user), 0) << path.toStdString();
}

// The name of the file's copy, and of its half-made copies but for their
// end, as the layer's stat sees the file.
QString copyStem(const QString& file)
{
    struct stat st {};
    EXPECT_EQ(catalogue::statFile(QFile::encodeName(file).constData(), &st), 0);
    return catalogue::keyText(QFile::encodeName(QFileInfo(file).canonicalFilePath()).toStdString(), catalogue::keyOf(st));
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
    // What the user can write lies in folders open to all, as /tmp is.
    for (const QString& folder : {QStringLiteral("/user"), QStringLiteral("/user/free")})
        ::chmod(QFile::encodeName(root + folder).constData(), 01777);

    expectAsUser([&] {
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

// What is checked is what is used. Someone who can rename the entries of a
// folder above the copy folder (its owner, or anyone where it is open to all
// without the sticky bit) can put a folder with a forged copy in its place
// between the check and the open: the copy is still read from the folder
// that was checked.
struct Exchange {
    static inline QString folder;  // the copy folder
    static inline QString forged;  // where the forged copy lies
    static inline int go = -1;     // when another user makes the exchange: tell it, and wait
    static inline int done = -1;

    // The copy is in place and its folder is synced: the moment between the
    // folder's check and the copy's open.
    static int sync(int fd)
    {
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && !folder.isEmpty()) {
            if (go >= 0) {
                char byte = 0;
                EXPECT_EQ(::write(go, "x", 1), 1);
                EXPECT_EQ(::read(done, &byte, 1), 1);
            } else {
                EXPECT_EQ(exchange(), 0);
            }
            folder.clear();
        }
        return ::fsync(fd);
    }
    static int exchange()
    {
        return ::renameat2(AT_FDCWD, QFile::encodeName(folder).constData(), AT_FDCWD,
                           QFile::encodeName(forged).constData(), RENAME_EXCHANGE);
    }
};

class CopyFolderSwapped : public JetCatalogue {
protected:
    // The file's copy with its values changed, under its own name: what
    // anyone can make, as its name and key can be worked out.
    QByteArray forgedCopy(const QString& file)
    {
        const QString scratch = CacheFolder();
        setCacheFolder(sandbox.root() + QStringLiteral("/scratch"));
        EXPECT_EQ(catalogueTables(file), QStringList{"Table1"});
        const QString made = CacheFolder() + QStringLiteral("/catalogue/") + copies().value(0);
        closeCatalogues();
        makeDatabase(made, QStringLiteral("UPDATE Table1 SET Data = 'made up';"));
        setCacheFolder(scratch);
        return readAll(made);
    }
    QStringList data(const QString& file) { return runCatalogueQuery(file, kConnect, kTable1).column(u"Data"); }

    const QStringList kData{"One", "Two", "Three"};
};

TEST_F(CopyFolderSwapped, BetweenTheCheckAndTheOpen)
{
    const QString file = copyOf(QStringLiteral("ZEKA.mdb"), readAll(fixture("V2000_no-password")));
    const QByteArray forged = forgedCopy(file);
    Exchange::folder = CacheFolder() + QStringLiteral("/catalogue");
    Exchange::forged = CacheFolder() + QStringLiteral("/forged");
    ASSERT_TRUE(makePrivateFolder(Exchange::forged) && makePrivateFolder(Exchange::folder));
    writeAll(Exchange::forged + QStringLiteral("/") + copyStem(file) + QStringLiteral(".sqlite"), forged);
    setSyncCall(Exchange::sync);
    const QStringList read = data(file);
    setSyncCall(nullptr);
    EXPECT_TRUE(Exchange::folder.isEmpty());  // exchanged
    EXPECT_EQ(read, kData);
}

// The same tried by another user, in a cache folder under a folder open to
// every user (a cache under /tmp, or HOME=/tmp) that they made first: no
// folder of theirs is used, before the exchange or after it.
TEST_F(CopyFolderSwapped, ByAnotherUserInAFolderOpenToAll)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root, to be the other user";
    const QString file = copyOf(QStringLiteral("ZEKA.mdb"), readAll(fixture("V2000_no-password")));
    const QString forgedFile = sandbox.root() + QStringLiteral("/forged.sqlite");
    writeAll(forgedFile, forgedCopy(file));
    const QString shared = sandbox.root() + QStringLiteral("/tmp");
    ASSERT_TRUE(QDir().mkpath(shared));
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(sandbox.root()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(forgedFile).constData(), 0644), 0);
    const QString theirs = shared + QStringLiteral("/Tolvane");
    Exchange::folder = theirs + QStringLiteral("/catalogue");
    Exchange::forged = theirs + QStringLiteral("/forged");
    const QByteArray copyName = QFile::encodeName(copyStem(file)) + ".sqlite";

    int go[2];
    int done[2];
    ASSERT_EQ(::pipe(go), 0);
    ASSERT_EQ(::pipe(done), 0);
    const pid_t other = ::fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        // Their folder first, with the forged copy; the exchange when told.
        ::umask(0);
        char byte = 0;
        const bool ready =
            becomeUser(kUser) && ::mkdir(QFile::encodeName(theirs).constData(), 0777) == 0 &&
            ::mkdir(QFile::encodeName(Exchange::folder).constData(), 0777) == 0 &&
            ::mkdir(QFile::encodeName(Exchange::forged).constData(), 0777) == 0 &&
            std::system(("cp " + QFile::encodeName(forgedFile) + ' ' + QFile::encodeName(Exchange::forged) + '/' + copyName)
                            .constData()) == 0;
        if (::write(done[1], ready ? "r" : "f", 1) != 1 || !ready || ::read(go[0], &byte, 1) != 1)
            std::_Exit(1);
        const bool exchanged = Exchange::exchange() == 0;
        std::_Exit(::write(done[1], "x", 1) == 1 && exchanged ? 0 : 1);
    }
    char ready = 0;
    ASSERT_EQ(::read(done[0], &ready, 1), 1);
    ASSERT_EQ(ready, 'r');
    setCacheFolder(theirs);
    setRuntimeFolder(sandbox.root());
    Exchange::go = go[1];
    Exchange::done = done[0];
    setSyncCall(Exchange::sync);
    const QStringList read = data(file);
    setSyncCall(nullptr);
    Exchange::go = Exchange::done = -1;
    int status = -1;
    ::waitpid(other, &status, 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(read, kData);
    closeCatalogues();
    EXPECT_EQ(data(file), kData);
    EXPECT_TRUE(logged(nativeName(theirs + QStringLiteral("/catalogue")) + QStringLiteral(" をコピーのフォルダに使いません (上のフォルダ ") +
                       nativeName(theirs) + QStringLiteral(" がほかのユーザーのものです)")));
    for (const int fd : {go[0], go[1], done[0], done[1]})
        ::close(fd);
}

// What the accounts say of a folder's group, as a case wants it: whom its
// entry lists, and whether it is the primary group of the user ("me") and
// of another user.
struct GroupOf {
    std::vector<std::string> members;
    bool usersPrimary = false;
    bool anothersPrimary = false;
};
GroupOf gGroup;
catalogue::Accounts scriptedAccounts(gid_t group, uid_t user)
{
    return {gGroup.members,
            {{"me", user, gGroup.usersPrimary ? group : group + 1}, {"other", kOther, gGroup.anothersPrimary ? group : kOther}}};
}

// A copy folder is used only while no one but the user and root can change
// which folder its path names: every folder and link above it is root's or
// the user's, and no one else may write a folder there unless the sticky bit
// keeps them to their own entries, or but through a group that is the user's
// alone. So whether or not the system names open files through their
// handles, and whether the way leads through a link, or a loop of links.
TEST_F(JetCatalogue, TheWayToTheCopyFolderIsRootsOrTheUsersAlone)
{
    const QString file = copyOf(QStringLiteral("ZEKA.mdb"), readAll(fixture("V2000_no-password")));
    const QString above = sandbox.root() + QStringLiteral("/above");
    const QString link = sandbox.root() + QStringLiteral("/link");
    const QString runtime = sandbox.root() + QStringLiteral("/runtime");
    setRuntimeFolder(runtime);
    ASSERT_TRUE(QDir().mkpath(above) && QDir().mkpath(runtime) && QFile::link(above, link));
    const bool root = ::geteuid() == 0;
    struct Case {
        mode_t mode;
        bool theirs;       // the folder above is another user's
        bool throughLink;  // the cache lies through the link to it
        bool theirLink;    // that link is another user's
        QString why;       // empty: used
        GroupOf group{};   // the folder's group
    };
    const QString folderAbove = QStringLiteral("上のフォルダ ") + nativeName(above);
    const QString othersWrite = folderAbove + QStringLiteral(" にほかのユーザーも書き込めます");
    const Case cases[] = {
        {01777, false, false, false, {}},
        {0755, false, true, false, {}},
        {0777, false, false, false, othersWrite, {{}, true, false}},
        {0775, false, false, false, othersWrite},
        {0755, true, false, false, folderAbove + QStringLiteral(" がほかのユーザーのものです")},
        {0755, false, true, true, QStringLiteral("上のリンク ") + nativeName(link) + QStringLiteral(" がほかのユーザーのものです")},
        // A private group of the user's, as umask 002 leaves ~/.cache.
        {0775, false, false, false, {}, {{}, true, false}},
        {0775, false, true, false, {}, {{"me"}, false, false}},
        {0775, false, false, false, othersWrite, {{"other"}, true, false}},
        {0775, false, false, false, othersWrite, {{"me", "other"}, false, false}},
        {0775, false, false, false, othersWrite, {{}, true, true}},
    };
    for (const std::string& openFiles : {std::string(), std::string("/nonexistent")}) {
        catalogue::setOpenFilesFolder(openFiles);
        for (const Case& c : cases) {
            if ((c.theirs || c.theirLink) && !root)
                continue;  // only root can give a file to another user
            SCOPED_TRACE(testing::Message() << (openFiles.empty() ? "/proc" : openFiles) << " case " << &c - cases);
            const QString cache = (c.throughLink ? link : above) + QStringLiteral("/cache");
            setCacheFolder(cache);
            ASSERT_EQ(::chmod(encoded(above).constData(), c.mode), 0);
            if (root) {
                giveTo(c.theirs ? kOther : 0, {above});
                giveTo(c.theirLink ? kOther : 0, {link});
            }
            gGroup = c.group;
            catalogue::setAccountsCall(scriptedAccounts);
            touch(file);
            EXPECT_EQ(catalogueTables(file), QStringList{"Table1"});
            const QString copy = QLatin1Char('/') + copyStem(file) + QStringLiteral(".sqlite");
            EXPECT_EQ(QFile::exists(cache + QStringLiteral("/catalogue") + copy), c.why.isEmpty());
            EXPECT_EQ(QFile::exists(runtime + QStringLiteral("/tolvane-catalogue") + copy), !c.why.isEmpty());
            if (!c.why.isEmpty()) {
                EXPECT_TRUE(logged(nativeName(cache + QStringLiteral("/catalogue")) +
                                   QStringLiteral(" をコピーのフォルダに使いません (") + c.why + QLatin1Char(')')))
                    << sandbox.logText().toStdString();
            }
        }
    }
    catalogue::setOpenFilesFolder({});
    catalogue::setAccountsCall(nullptr);

    // The system's own accounts: a group that another account has as its
    // primary group is not the user's own, though it is the user's primary
    // group too. Root becomes one of two accounts that share one, if the
    // system has such.
    std::map<gid_t, std::vector<uid_t>> primaries;
    ::setpwent();
    while (const passwd* account = ::getpwent()) {
        if (account->pw_uid != 0)
            primaries[account->pw_gid].push_back(account->pw_uid);
    }
    ::endpwent();
    const auto shared = std::find_if(primaries.begin(), primaries.end(), [](const auto& p) { return p.second.size() > 1; });
    if (root && shared != primaries.end()) {
        letOtherUsersIn(sandbox.root());
        ASSERT_TRUE(::chown(encoded(above).constData(), 0, shared->first) == 0 && ::chmod(encoded(above).constData(), 0775) == 0);
        const auto check = [&] {
            const catalogue::CopyFolder folder(above + QStringLiteral("/cache"), true);
            return !folder && folder.why().endsWith(othersWrite + QLatin1Char(')'));
        };
        EXPECT_EXIT(std::_Exit(becomeUser(shared->second.front()) ? (check() ? 0 : 1) : 2), ::testing::ExitedWithCode(0), "");
    }

    // A loop ends the walk as the system would end it, in a child that an
    // alarm ends should the walk never end.
    ASSERT_TRUE(::symlink("loop-b", encoded(sandbox.root() + QStringLiteral("/loop-a")).constData()) == 0 &&
                ::symlink("loop-a", encoded(sandbox.root() + QStringLiteral("/loop-b")).constData()) == 0);
    setCacheFolder(sandbox.root() + QStringLiteral("/loop-a/cache"));
    const auto looped = [&] {
        ::alarm(60);
        touch(file);
        const QString why = QStringLiteral(" をコピーのフォルダに使いません (") + qt_error_string(ELOOP) + QLatin1Char(')');
        std::_Exit(catalogueTables(file) == QStringList{"Table1"} && logged(nativeName(CacheFolder() + QStringLiteral("/catalogue")) + why) ? 0 : 1);
    };
    EXPECT_EXIT(looped(), ::testing::ExitedWithCode(0), "");
}

// Where the test is root, the same as another user, for whom root's folders
// above the copy folder are as safe as the user's own, links too.
TEST_F(JetCatalogue, RootsFoldersAndLinksAboveTheCopyFolderAreSafeForAnyUser)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root, to be another user";
    const QString file = copyOf(QStringLiteral("ZEKA.mdb"), readAll(fixture("V2000_no-password")));
    const QString home = sandbox.root() + QStringLiteral("/above/home");
    const QString runtime = sandbox.root() + QStringLiteral("/runtime");
    ASSERT_TRUE(QDir().mkpath(home) && makePrivateFolder(runtime) &&
                QFile::link(sandbox.root() + QStringLiteral("/above"), sandbox.root() + QStringLiteral("/link")));
    letOtherUsersIn(sandbox.root());
    ASSERT_EQ(::chmod(encoded(sandbox.root() + QStringLiteral("/above")).constData(), 0755), 0);
    giveTo(kUser, {home, runtime});
    const QString cache = sandbox.root() + QStringLiteral("/link/home/cache-");
    expectAsUser([&] {
        setRuntimeFolder(runtime);
        bool read = true;
        for (const char* openFiles : {"", "/nonexistent"}) {
            catalogue::setOpenFilesFolder(openFiles);
            setCacheFolder(cache + QString::fromLatin1(openFiles).section(QLatin1Char('/'), -1));
            closeCatalogues();
            read = catalogueTables(file) == QStringList{"Table1"} && read;
        }
        return read;
    });
    const QString copy = QStringLiteral("/catalogue/") + copyStem(file) + QStringLiteral(".sqlite");
    for (const QString& folder : {QStringLiteral("cache-"), QStringLiteral("cache-nonexistent")})
        EXPECT_TRUE(QFile::exists(home + QLatin1Char('/') + folder + copy)) << folder.toStdString() << sandbox.logText().toStdString();
    EXPECT_TRUE(QDir(runtime).isEmpty());
}

// Another user who made a cache root first (HOME or the cache folder under
// /tmp) and linked Tolvane's folder there to a folder of the user's that
// holds a "catalogue" folder: neither the clean-up at start nor a query
// removes, writes or changes anything in it, whatever its mode.
TEST_F(JetCatalogue, AnotherUsersLinkNeverLeadsIntoAFolderOfTheUsers)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root, to be two other users";
    const QString file = copyOf(QStringLiteral("ZEKA.mdb"), readAll(fixture("V2000_no-password")));
    const QString shared = sandbox.root() + QStringLiteral("/tmp");
    const QString mine = sandbox.root() + QStringLiteral("/mine");
    const QString runtime = sandbox.root() + QStringLiteral("/runtime");
    ASSERT_TRUE(QDir().mkpath(shared + QStringLiteral("/home/.cache")) && makePrivateFolder(runtime));
    ASSERT_TRUE(QFile::link(mine, shared + QStringLiteral("/home/.cache/Tolvane")) &&
                QFile::link(mine, shared + QStringLiteral("/Tolvane")));
    ASSERT_EQ(::chmod(encoded(shared).constData(), 01777), 0);
    letOtherUsersIn(sandbox.root());
    giveTo(kOther, {shared + QStringLiteral("/home"), shared + QStringLiteral("/home/.cache"),
                    shared + QStringLiteral("/home/.cache/Tolvane"), shared + QStringLiteral("/Tolvane")});
    giveTo(kUser, {runtime});
    for (const QString& cacheHome : {shared + QStringLiteral("/home/.cache"), shared}) {
        for (const mode_t mode : {0755, 0700}) {
            SCOPED_TRACE(testing::Message() << cacheHome.toStdString() << ' ' << std::oct << mode);
            const QString folder = mine + QStringLiteral("/catalogue");
            ASSERT_TRUE(QDir(mine).removeRecursively() && QDir().mkpath(folder));
            writeAll(folder + QStringLiteral("/precious.sqlite"), "precious");
            writeAll(folder + QStringLiteral("/draft.part"), "draft");
            ASSERT_EQ(::chmod(encoded(folder).constData(), mode), 0);
            giveTo(kUser, {mine, folder, folder + QStringLiteral("/precious.sqlite"), folder + QStringLiteral("/draft.part")});
            touch(file);
            expectAsUser([&] {
                qputenv("XDG_CACHE_HOME", encoded(cacheHome));
                setCacheFolder({});
                setRuntimeFolder(runtime);
                cleanUpCatalogueCopies();
                return CacheFolder() == cacheHome + QStringLiteral("/Tolvane") && catalogueTables(file) == QStringList{"Table1"};
            });
            struct stat st {};
            ASSERT_EQ(::stat(encoded(folder).constData(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, mode);
            EXPECT_EQ(QDir(folder).entryList(QDir::Files), (QStringList{"draft.part", "precious.sqlite"}));
            EXPECT_EQ(readAll(folder + QStringLiteral("/precious.sqlite")), "precious");
            EXPECT_EQ(readAll(folder + QStringLiteral("/draft.part")), "draft");
            EXPECT_TRUE(QFile::exists(runtime + QStringLiteral("/tolvane-catalogue/") + copyStem(file) + QStringLiteral(".sqlite")));
        }
    }
}

// A copy folder the program did not just make keeps its mode: one of any
// other than the program's own is passed over, and says why.
TEST_F(JetCatalogue, ACopyFolderOfAnotherModeIsPassedOverAndLeftAsItIs)
{
    const QString file = copyOf(QStringLiteral("ZEKA.mdb"), readAll(fixture("V2000_no-password")));
    const QString cache = CacheFolder() + QStringLiteral("/catalogue");
    setRuntimeFolder(sandbox.root());
    ASSERT_TRUE(QDir().mkpath(cache));
    for (const mode_t mode : {0770, 0755}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(::chmod(QFile::encodeName(cache).constData(), mode), 0);
        touch(file);
        EXPECT_EQ(catalogueTables(file), QStringList{"Table1"});
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(cache).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode);
        EXPECT_EQ(copies().size(), 0);
    }
    EXPECT_TRUE(logged(nativeName(cache) + QStringLiteral(" をコピーのフォルダに使いません (ほかのユーザーも書き込めます)")));
    EXPECT_TRUE(logged(nativeName(cache) + QStringLiteral(" をコピーのフォルダに使いません (モードが 0755 で、0700 ではありません)")));
}

// A half-made copy is the writer's for as long as it holds its lock: one
// under the very name this process would choose (as a writer in another pid
// namespace leaves it) is neither taken over nor removed, and the reader
// only ever writes while the program holds the lock of what it writes.
TEST_F(JetCatalogue, AHalfMadeCopyIsItsWritersWhileLocked)
{
    const QString file = copyOf(QStringLiteral("ZEKA.mdb"), readAll(fixture("V2000_no-password")));
    const QString folder = CacheFolder() + QStringLiteral("/catalogue/");
    ASSERT_TRUE(makePrivateFolder(folder));
    const QString theirs = folder + copyStem(file) + QStringLiteral(".%1.0.part").arg(::getpid());
    writeAll(theirs, "theirs");
    QFile held(theirs);
    ASSERT_TRUE(held.open(QIODevice::ReadOnly) && ::flock(held.handle(), LOCK_EX) == 0);
    // A reader that finds the lock of its file free has no writer behind it.
    useCatalogueReader(readerScript("flock -n \"$3\" true && exit 4\nexec " + QFile::encodeName(kReader) + " \"$@\"\n"));
    EXPECT_EQ(catalogueTables(file), QStringList{"Table1"});
    EXPECT_EQ(readAll(theirs), "theirs");
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
    ASSERT_TRUE(makePrivateFolder(folder));
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
        useCatalogueReader(reader);
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
    catalogue::setStatCall(wholeSecondTimes);
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
    catalogue::setStatCall(nullptr);
}

// So is a file the reader could not read within its deadline: the stop is
// remembered with the file's content, and the file changed within that
// second is read again. The content is read within the deadline too, as a
// file that says it changed in the future has it read on every use: one
// not read by then is not read this time, and not remembered.
TEST_F(JetCatalogue, AStopIsRememberedForTheContentItWasMetOn)
{
    gSecond = std::time(nullptr) + 3600;
    catalogue::setStatCall(wholeSecondTimes);
    const QString file = sandbox.root() + QStringLiteral("/ZEKA.mdb");
    makeDatabase(file, QStringLiteral("CREATE TABLE SWB (NO TEXT); INSERT INTO SWB VALUES ('SWB10-20');"));
    setCatalogueReader(readerScript("while :; do :; done\n"), 100);
    const auto number = [&] { return errorOf([&] { runCatalogueQuery(file, kConnect, "SELECT * FROM [SWB];"); }); };
    EXPECT_EQ(number(), 3051);
    useCatalogueReader();
    EXPECT_EQ(number(), 0);  // a new reader forgets nothing of the file; the stop is remembered
    EXPECT_EQ(number(), 0);

    // As large as a file may be, mostly a hole.
    ASSERT_EQ(::truncate(encoded(file).constData(), catalogueCaps().fileBytes), 0);
    const QString reader = readerScript("echo run >> \"$0.runs\"\nexit 4\n");
    setCatalogueReader(reader, 10);
    const std::time_t start = std::time(nullptr);
    EXPECT_EQ(number(), 3051);
    EXPECT_LT(std::time(nullptr) - start, 30);
    EXPECT_TRUE(logged(file + QStringLiteral(" の読み込みが 0.01 秒で終わらず、打ち切りました")));
    EXPECT_FALSE(QFileInfo::exists(reader + QStringLiteral(".runs")));
    useCatalogueReader(reader);
    EXPECT_EQ(number(), 3049);
    EXPECT_EQ(readAll(reader + QStringLiteral(".runs")), "run\n");
    catalogue::setStatCall(nullptr);
}

// The sample is known by its bytes and read from the program's own: no
// reader runs and no copy is made for it. Once its file's times tell any
// change, the state found to be the sample is marked in the copy folder as
// a copy is kept, with the sample and the file's path, and a later run
// trusts the mark as it trusts a copy, in a checked folder only, instead of
// comparing the bytes again; a mark that says anything else is removed. At
// start the marks of files gone or changed go.
TEST_F(JetCatalogue, TheSampleIsReadFromTheProgramsOwnBytesAndMarkedOnceSettled)
{
    const QString reader = readerScript("echo run >> \"$0.runs\"\nexit 4\n");
    useCatalogueReader(reader);
    const QByteArray bytes = readAll(QStringLiteral(TOLVANE_APP_DIR "/ZEKA_D.mdb"));
    const QString sample = copyOf(QStringLiteral("ZEKA_D.mdb"), bytes);
    QByteArray changed = bytes;
    changed[1000] = static_cast<char>(changed[1000] ^ 1);
    const QString other = copyOf(QStringLiteral("other.mdb"), changed);
    const auto listed = [&](const QString& file) { return runCatalogueQuery(file, kConnect, "SELECT * FROM [SWB];").rows.size(); };
    const auto canonical = [](const QString& file) { return encoded(QFileInfo(file).canonicalFilePath()); };
    const QString folder = CacheFolder() + QStringLiteral("/catalogue/");

    EXPECT_EQ(listed(sample), 16);
    EXPECT_TRUE(copies().isEmpty());  // just written: its times cannot tell yet
    gSecond = std::time(nullptr) - 60;
    catalogue::setStatCall(wholeSecondTimes);
    closeCatalogues();
    EXPECT_EQ(listed(sample), 16);
    const QString mark = copyStem(sample) + QStringLiteral(".sample");
    EXPECT_EQ(copies(), QStringList{mark});
    const QByteArray said = readAll(folder + mark);
    const QByteArray which = said.left(said.indexOf('\n') + 1);
    EXPECT_EQ(said.mid(which.size()), canonical(sample));
    EXPECT_FALSE(QFileInfo::exists(reader + QStringLiteral(".runs")));

    // Of the sample's size, not its bytes: read through the reader, until a
    // mark says it is the sample.
    EXPECT_EQ(errorOf([&] { listed(other); }), 3049);
    const QString forged = folder + copyStem(other) + QStringLiteral(".sample");
    writeAll(forged, which + canonical(other));
    closeCatalogues();
    EXPECT_EQ(errorOf([&] { listed(other); }), 0);
    ASSERT_EQ(::chmod(encoded(folder).constData(), 0755), 0);
    closeCatalogues();
    EXPECT_EQ(errorOf([&] { listed(other); }), 3049);
    ASSERT_EQ(::chmod(encoded(folder).constData(), 0700), 0);
    writeAll(forged, said);
    closeCatalogues();
    EXPECT_EQ(errorOf([&] { listed(other); }), 3049);
    EXPECT_FALSE(QFileInfo::exists(forged));
    EXPECT_EQ(readAll(reader + QStringLiteral(".runs")), "run\n");
    catalogue::setStatCall(nullptr);

    // The clean-up, by the file's own times again.
    const QString gone = copyOf(QStringLiteral("gone.mdb"), bytes);
    const QStringList marks{copyStem(sample), copyStem(other), copyStem(gone)};
    for (const QString& f : {sample, other, gone})
        writeAll(folder + copyStem(f) + QStringLiteral(".sample"), which + canonical(f));
    QFile::remove(gone);
    touch(other);
    cleanUpCatalogueCopies();
    EXPECT_EQ(copies(), QStringList{marks[0] + QStringLiteral(".sample")});
}

// One file has one copy whatever spelling of its path is used. At start the
// copies of files that are gone or have changed since, those no query read
// for 30 days, and the half-made copies no writer holds are removed; the
// rest stay.
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
    const QString changed = copyOf(QStringLiteral("changed.mdb"), bytes);
    for (const QString& f : {gone, unused, changed})
        catalogueTables(f);
    QFile::remove(gone);
    touch(changed);
    const QString folder = CacheFolder() + QStringLiteral("/catalogue/");
    for (const QString& made : {unused, file}) {
        QFile copy(folder + copyStem(made) + QStringLiteral(".sqlite"));
        ASSERT_TRUE(copy.open(QIODevice::ReadOnly) &&
                    copy.setFileTime(QDateTime::currentDateTime().addDays(-31), QFileDevice::FileModificationTime));
    }
    closeCatalogues();
    catalogueTables(file);  // in use again
    writeAll(folder + copyStem(file) + QStringLiteral(".1.0.part"), "");
    // Files of the user's own, only named like copies, or holding a copy's
    // name in theirs.
    const QStringList own{"draft.part", "precious.sqlite", copyStem(file) + QStringLiteral(".1.part"),
                          copyStem(file).replace(QLatin1Char('-'), QLatin1Char('_')) + QStringLiteral(".sqlite"),
                          QStringLiteral("backup-") + copyStem(file) + QStringLiteral(".sqlite"),
                          copyStem(file) + QStringLiteral(".sqlite.old"),
                          QStringLiteral("backup-") + copyStem(file) + QStringLiteral(".1.0.part")};
    for (const QString& name : own)
        writeAll(folder + name, "mine");
    cleanUpCatalogueCopies();
    QStringList left = kept + own;
    left.sort();
    EXPECT_EQ(copies(), left);

    // A copy whose file's folder has become a file is of a file gone; one
    // whose file cannot be looked at (behind a folder the user may not
    // enter) may be of a file still there, and stays.
    const QString moved = sandbox.root() + QStringLiteral("/moved");
    const QString locked = sandbox.root() + QStringLiteral("/locked");
    ASSERT_TRUE(QDir().mkpath(moved) && QDir().mkpath(locked));
    const QString lockedFile = copyOf(QStringLiteral("locked/ZEKA.mdb"), bytes);
    for (const QString& f : {copyOf(QStringLiteral("moved/ZEKA.mdb"), bytes), lockedFile})
        catalogueTables(f);
    ASSERT_EQ(copies().size(), left.size() + 2);
    ASSERT_TRUE(QDir(moved).removeRecursively());
    writeAll(moved, "now a file");
    closeCatalogues();
    if (::geteuid() == 0) {
        // Root may enter any folder: the clean-up runs as a user whose
        // copies these are.
        letOtherUsersIn(sandbox.root());
        QStringList owned{CacheFolder(), folder};
        for (const QString& name : copies())
            owned.append(folder + name);
        giveTo(kUser, owned);
        ASSERT_EQ(::chmod(encoded(locked).constData(), 0700), 0);
        expectAsUser([] {
            cleanUpCatalogueCopies();
            return true;
        });
    } else {
        ASSERT_EQ(::chmod(encoded(locked).constData(), 0), 0);
        cleanUpCatalogueCopies();
        ::chmod(encoded(locked).constData(), 0700);
    }
    left.append(copyStem(lockedFile) + QStringLiteral(".sqlite"));
    left.sort();
    EXPECT_EQ(copies(), left);
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
