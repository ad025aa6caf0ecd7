#include "catalogue/copies.h"

#include "catalogue/common.h"
#include "catalogue/copyfolder.h"
#include "catalogue/copyform.h"
#include "catalogue/readerprocess.h"
#include "catalogue/sqliteopen.h"
#include "services/atomicfile.h"
#include "services/folders.h"
#include "services/log.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <fcntl.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <ctime>
#include <list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tolvane {

namespace {

using catalogue::CopyFolder;
using catalogue::Fd;
using catalogue::logLine;
using catalogue::ReaderRun;

struct ReaderSettings {
    QString program;
    std::function<void(bool)> observer;
};

ReaderSettings& readerSettings()
{
    static ReaderSettings settings;
    return settings;
}

QString readerProgram()
{
    const QString& program = readerSettings().program;
    return program.isEmpty() ? ProgramFolder() + QStringLiteral("/tolvane-catalogue") : program;
}

std::string encoded(const QString& path) { return QFile::encodeName(path).toStdString(); }

// A conversion that failed on what the file holds, for the state of the
// file it failed on (and its content, while its times cannot tell); the
// last few files only.
struct Failure {
    std::string file;
    catalogue::FileKey key;
    QString digest;
    VbError error;
};
constexpr std::size_t kRememberedFailures = 64;

std::list<Failure>& failures()
{
    static std::list<Failure> remembered;
    return remembered;
}

void forget(const std::string& file)
{
    failures().remove_if([&](const Failure& f) { return f.file == file; });
}

void remember(const std::string& file, const catalogue::FileKey& key, const QString& digest, const VbError& error)
{
    forget(file);
    failures().push_front({file, key, digest, error});
    if (failures().size() > kRememberedFailures)
        failures().pop_back();
}

// The failure remembered for the file in this state; one of another state
// is of no use any more.
std::optional<VbError> rememberedFailure(const catalogue::Source& source)
{
    const catalogue::FileKey& key = source.key;
    const auto it =
        std::find_if(failures().begin(), failures().end(), [&](const Failure& f) { return f.file == source.resolved; });
    if (it == failures().end())
        return std::nullopt;
    if (it->key == key &&
        (it->digest.isEmpty() || it->digest == catalogue::contentDigest(source.fd, key, source.shown))) {
        if (!catalogue::changedTooRecently(key))
            it->digest.clear();
        return it->error;
    }
    failures().erase(it);
    return std::nullopt;
}

// A rollback journal is hot, in SQLite's word, while the change it belongs
// to is not complete: it is there, not empty, and its header not zeroed (as
// SQLite tells it, by the first byte); a writer removes, empties or zeroes
// it once the change is in. One that cannot be read cannot be told done.
// Looked at through what was opened, never waiting on what the name holds.
bool hotJournal(const std::string& journal)
{
    struct stat st {};
    const Fd fd(::open(journal.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd)
        return errno != ENOENT && errno != ENOTDIR && ::stat(journal.c_str(), &st) == 0 && st.st_size > 0;
    if (::fstat(fd.get(), &st) != 0)
        return true;
    unsigned char first = 0;
    return st.st_size > 0 && (!S_ISREG(st.st_mode) || ::pread(fd.get(), &first, 1, 0) != 1 || first != 0);
}

// An SQLite file is read as its main file stands, never replayed, rolled
// back or locked (each would write beside it), so a copy would never hold
// what a writer keeps beside it: the changes committed in WAL mode but not
// yet written back (its -wal file), or the pages a change in progress, or
// one its writer never finished, replaced in the file (its -journal). While
// either holds, the file is in use, rather than shown with the rows from
// before those changes or with half of one. They lie beside the file, or,
// when the writer opened it through a link, beside the file it leads to.
bool unwrittenChanges(const catalogue::Source& source)
{
    if (!source.sqlite)
        return false;
    for (const std::string* file : {&source.path, &source.resolved}) {
        struct stat st {};
        if ((::stat((*file + "-wal").c_str(), &st) == 0 && st.st_size > 0) || hotJournal(*file + "-journal"))
            return true;
        if (source.resolved == source.path)
            break;
    }
    return false;
}

// The state of the file the handle holds, whatever its path names.
std::optional<catalogue::FileKey> heldKey(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return std::nullopt;
    return catalogue::keyOf(st);
}

// Whether the file is as it was when its copy was begun (held then): in
// itself (nothing written into it), and at its path (nothing put there).
bool unchangedSince(const catalogue::Source& source, const std::optional<catalogue::FileKey>& held)
{
    struct stat named {};
    return held && heldKey(source.fd) == held && catalogue::statFile(source.path.c_str(), &named) == 0 &&
           catalogue::keyOf(named) == source.key;
}

constexpr int kLoggedErrorLines = 20;

// The reader's own words go to the log, never to the terminal: how they
// start, and the last line, where it names what stopped it.
void logReaderWords(const ReaderRun& run)
{
    const QStringList lines = QString::fromUtf8(run.errors.data(), static_cast<qsizetype>(run.errors.size()))
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList logged;
    for (qsizetype i = 0; i < lines.size() && i < kLoggedErrorLines; ++i) {
        logged.append(lines[i].trimmed());
        logLine(logged.last());
    }
    const QString last = QString::fromStdString(run.lastLine).trimmed();
    if (!last.isEmpty() && !logged.contains(last))
        logLine(last);
}

// The copies live in the cache folder; when that cannot be used, in a
// folder of the user's own in the runtime folder.
QStringList copyFolders()
{
    QStringList folders{CacheFolder() + QStringLiteral("/catalogue")};
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        folders.append(runtime + QStringLiteral("/tolvane-catalogue"));
    return folders;
}

// The log's line, which a query that finds no folder at all also gives.
QString cannotWriteIn(const QString& folder, const QString& reason)
{
    const QString line = QDir::toNativeSeparators(folder) + QStringLiteral(" にコピーを書けません: ") + reason;
    logLine(line);
    return line;
}

// A half-made copy: made empty for the reader in a checked folder, under a
// name no one had taken, and locked by its writer until it is a copy or
// gone. The lock alone tells a writer at work from a leftover; the process
// number in the name only keeps two writers' names apart (another pid
// namespace has the same numbers).
struct Part {
    Fd fd;
    std::string name;
};
constexpr int kPartNames = 64;

std::optional<Part> makePart(const CopyFolder& folder, const std::string& stem)
{
    const std::string start = stem + '.' + std::to_string(::getpid()) + '.';
    for (int n = 0; n < kPartNames; ++n) {
        Part part{Fd(), start + std::to_string(n) + ".part"};
        part.fd = Fd(::openat(folder.fd(), part.name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!part.fd && errno != EEXIST)
            return std::nullopt;
        // One clearing leftovers may have taken it before it was locked.
        struct stat mine {};
        struct stat named {};
        if (part.fd && ::flock(part.fd.get(), LOCK_EX) == 0 && ::fstat(part.fd.get(), &mine) == 0 &&
            ::fstatat(folder.fd(), part.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            mine.st_dev == named.st_dev && mine.st_ino == named.st_ino)
            return part;
    }
    errno = EEXIST;
    return std::nullopt;
}

// A half-made copy that no writer holds any more is a leftover; anything
// else by such a name (a link, say) is no copy at all. Either is removed
// itself, never what it points at.
void removeLeftoverPart(const CopyFolder& folder, const std::string& name)
{
    const Fd part(::openat(folder.fd(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (part && (::fstat(part.get(), &st) != 0 || (S_ISREG(st.st_mode) && ::flock(part.get(), LOCK_EX | LOCK_NB) != 0)))
        return;  // its writer is at work
    ::unlinkat(folder.fd(), name.c_str(), 0);
}

// The reader's work in place, as a save is: on the disk, renamed, the folder
// on the disk; when the name still holds the file made for the reader, and
// the reader wrote into that file. Empty when done, else why not.
QString placeCopy(const CopyFolder& folder, const Part& part, const std::string& copyName)
{
    struct stat mine {};
    struct stat named {};
    if (::fstat(part.fd.get(), &mine) != 0 || ::fstatat(folder.fd(), part.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0)
        return qt_error_string(errno);
    if (mine.st_dev != named.st_dev || mine.st_ino != named.st_ino || mine.st_size == 0)
        return QStringLiteral("用意したファイルに書かれていません");
    if (!moveIntoPlace(folder.fd(), part.fd.get(), part.name.c_str(), copyName.c_str()))
        return qt_error_string(errno);
    return {};
}

// The name every copy and half-made copy of one path starts with.
std::string pathKey(const std::string& file)
{
    static constexpr char kHex[] = "0123456789abcdef";
    const QByteArray digest = QCryptographicHash::hash(
        QByteArrayView(file.data(), static_cast<qsizetype>(file.size())), QCryptographicHash::Sha1);
    std::string key(20, '0');
    for (std::size_t i = 0; i < key.size(); ++i)
        key[i] = kHex[(static_cast<unsigned char>(digest[static_cast<qsizetype>(i / 2)]) >> (i % 2 ? 0 : 4)) & 0xf];
    return key;
}

// The key of a state of the file as its copies' names hold it; written
// without Qt's number formatting, as the first query of a run names one for
// each file it opens.
std::string keyName(const std::string& file, const catalogue::FileKey& key)
{
    std::string name = pathKey(file);
    char digits[24];
    const auto number = [&](qint64 value) {
        name.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
    };
    const auto time = [&](qint64 sec, qint64 nsec) {
        number(sec);
        name += '.';
        if (nsec < 0 || nsec > 999999999) {
            number(nsec);
            return;
        }
        const std::size_t at = name.size();
        name.append(9, '0');
        for (std::size_t i = 9; nsec > 0; nsec /= 10)
            name[at + --i] = static_cast<char>('0' + nsec % 10);
    };
    name += '-';
    number(key.size);
    name += '-';
    time(key.mtimeSec, key.mtimeNsec);
    name += '-';
    time(key.ctimeSec, key.ctimeNsec);
    name += '-';
    number(key.device);
    name += '-';
    number(key.inode);
    return name;
}

// How the mark that a file's state is the sample ends its name.
constexpr char kSampleMark[] = ".sample";

// What a name in a copy folder is: only the names the program gives its
// copies (KEY.sqlite), its marks of the sample (KEY.sample) and half-made
// copies (KEY.PID.N.part) are ever removed; anything else there is
// someone's own, whatever it is called.
enum class Named { Other, Copy, Sample, Part };

Named namedAs(const std::string& name)
{
    // KEY as keyText() writes it: path key, size, modification and change
    // times, device, inode.
    static const QRegularExpression shape(QRegularExpression::anchoredPattern(
        QStringLiteral("[0-9a-f]{20}-[0-9]+(?:--?[0-9]+\\.[0-9]{9}){2}(?:--?[0-9]+){2}(\\.sqlite|\\.sample|\\.[0-9]+\\.[0-9]+\\.part)")));
    const QRegularExpressionMatch match = shape.match(QString::fromStdString(name));
    if (!match.hasMatch())
        return Named::Other;
    const QStringView end = match.capturedView(1);
    return end == u".sqlite" ? Named::Copy : end == QLatin1String(kSampleMark) ? Named::Sample : Named::Part;
}

// Every copy of the path but keep, its marks of the sample, and its
// leftover half-made copies.
void dropCopiesBut(const std::string& fileKey, const std::string& keep)
{
    for (const QString& path : copyFolders()) {
        const CopyFolder folder(path, false);
        if (!folder)
            continue;
        for (const std::string& name : folder.names(fileKey + '-')) {
            const Named named = namedAs(name);
            if (named == Named::Part)
                removeLeftoverPart(folder, name);
            else if (named != Named::Other && name != keep)
                ::unlinkat(folder.fd(), name.c_str(), 0);
        }
    }
}

// A copy no query has read for this long is of no more use.
constexpr std::time_t kUnusedFor = 30 * 86400;
// How often a copy in use is marked as used.
constexpr std::time_t kMarkedEvery = 86400;

// The copy as it stands in one of the folders, when it can be one of ours:
// a file (no link), not empty, not over the cap; anything else by its name
// is removed. A copy found is marked as used.
std::optional<catalogue::Copy> existingCopy(const std::string& copyName)
{
    for (const QString& path : copyFolders()) {
        auto folder = std::make_shared<const CopyFolder>(path, false);
        if (!*folder)
            continue;
        const Fd copy(::openat(folder->fd(), copyName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (!copy && errno == ENOENT)
            continue;
        struct stat st {};
        if (copy && ::fstat(copy.get(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 &&
            st.st_size <= catalogueCaps().copyBytes) {
            if (st.st_mtime < std::time(nullptr) - kMarkedEvery)
                ::futimens(copy.get(), nullptr);
            return catalogue::Copy{std::move(folder), copyName};
        }
        ::unlinkat(folder->fd(), copyName.c_str(), 0);
    }
    return std::nullopt;
}

// The file a copy was made of, as its copy records it; empty when it
// records none, or is not of the form the reader writes.
std::string sourceOf(const std::string& copy)
{
    sqlite3* db = nullptr;
    catalogue::CopyRecord record;
    if (openCatalogueDatabase(copy, &db, CatalogueDatabase::Copy, SQLITE_OPEN_NOFOLLOW) == SQLITE_OK &&
        !catalogue::readCopyRecord(db, record))
        record.file.clear();
    sqlite3_close(db);
    return record.file;
}

// A mark of the sample holds which sample the file is, then the file's path.
std::string markText(const catalogue::ShippedBytes& sample, const std::string& file)
{
    return std::string(sample.digest) + '\n' + file;
}

// The most a mark holds: a digest, and a path the system can open.
constexpr off_t kMostMarkBytes = 64 + PATH_MAX;

// The mark by that name in the folder, opened as a copy is (no link,
// nothing that waits), and its text, when it is a file that can be one:
// else none, and mark open or not as the open left it.
std::optional<std::string> readMark(const CopyFolder& folder, const std::string& name, Fd& mark, struct stat& st)
{
    mark = Fd(::openat(folder.fd(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!mark || ::fstat(mark.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0 || st.st_size > kMostMarkBytes)
        return std::nullopt;
    std::string text(static_cast<std::size_t>(st.st_size), '\0');
    if (::pread(mark.get(), text.data(), text.size(), 0) != static_cast<ssize_t>(text.size()))
        return std::nullopt;
    return text;
}

// Whether a copy folder marks the file's state as the sample, as text says;
// a mark found that says anything else is removed. One found is marked as
// used, as a copy is.
bool markedAsSample(const std::string& name, const std::string& text)
{
    for (const QString& path : copyFolders()) {
        const CopyFolder folder(path, false);
        if (!folder)
            continue;
        Fd mark;
        struct stat st {};
        const std::optional<std::string> found = readMark(folder, name, mark, st);
        if (!mark && errno == ENOENT)
            continue;
        if (found == text) {
            if (st.st_mtime < std::time(nullptr) - kMarkedEvery)
                ::futimens(mark.get(), nullptr);
            return true;
        }
        ::unlinkat(folder.fd(), name.c_str(), 0);
    }
    return false;
}

// Marks the file's state as the sample, in the first folder that takes the
// mark. A mark cut short says something else, so it is never trusted.
void markAsSample(const std::string& name, const std::string& text)
{
    for (const QString& path : copyFolders()) {
        const CopyFolder folder(path, true);
        if (!folder)
            continue;
        const Fd mark(::openat(folder.fd(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!mark && errno == EEXIST)
            return;
        if (mark && ::write(mark.get(), text.data(), text.size()) == static_cast<ssize_t>(text.size()))
            return;
        if (mark)
            ::unlinkat(folder.fd(), name.c_str(), 0);
    }
}

// A copy or a mark worth keeping: read within the time above, of a file
// still there and still as it was.
bool stillWanted(const CopyFolder& folder, const std::string& name, Named named, std::time_t usedSince)
{
    struct stat st {};
    if (::fstatat(folder.fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return true;  // nothing there to remove
    if (!S_ISREG(st.st_mode) || st.st_mtime < usedSince || st.st_size > catalogueCaps().copyBytes)
        return false;
    std::string source;
    if (named == Named::Copy) {
        source = sourceOf(folder.path(name));
    } else {
        Fd mark;
        const std::optional<std::string> text = readMark(folder, name, mark, st);
        const std::size_t line = text ? text->find('\n') : std::string::npos;
        if (line != std::string::npos)
            source = text->substr(line + 1);
    }
    struct stat sourceSt {};
    if (source.empty())
        return false;
    if (::stat(source.c_str(), &sourceSt) != 0)
        return errno != ENOENT && errno != ENOTDIR;  // gone, or it cannot be told
    // A copy or a mark of another state of the file, or a copy made before
    // the sample took its place, is of no more use either.
    return name == keyName(source, catalogue::keyOf(sourceSt)) + (named == Named::Copy ? ".sqlite" : kSampleMark);
}

// Reader crashes that come from what it read: the file is to blame.
bool faultSignal(int signal)
{
    return signal == SIGSEGV || signal == SIGBUS || signal == SIGFPE || signal == SIGILL || signal == SIGABRT ||
           signal == SIGTRAP || signal == SIGSYS;
}

// What stopped a conversion, as the log and the error say it, and whether
// it is remembered for this state of the file. The file is to blame only
// when the reader found it wrong or crashed on it; a cap it passed is no
// damage, but the file will pass it again, so that is remembered too. A
// limit of the user's or a signal from outside is said as such, and a later
// query tries again. The deadline is no damage either, but a file that kept
// the reader working until then will not be finished the next time: each
// try would hold the window for the whole deadline, so it is remembered too.
// A reader that had less than half the deadline's worth of the processor
// (a machine busy with other work, or a deadline shortened by an earlier
// conversion of the same action) says nothing of the file: the next click
// tries again.
struct Stop {
    VbError error;
    bool remembered;
};

// A reason a file was not read, in the log as well as in the error.
QString said(const QString& shown, const QString& reason)
{
    logLine(QDir::toNativeSeparators(shown) + QStringLiteral(" の") + reason);
    return reason;
}

Stop stopOf(const ReaderRun& run, const QString& shown, int deadlineMs)
{
    using namespace catalogue;
    const QString readerLine = QString::fromStdString(run.lastLine).trimmed();
    const auto said = [&](const QString& reason) { return tolvane::said(shown, reason); };
    switch (run.end) {
    case ReaderRun::TimedOut:
        return {cannotOpen(shown, said(deadlinePassed(deadlineMs))), 2 * run.cpuMs >= deadlineMs};
    case ReaderRun::Crashed: {
        const QString signal = QString::number(run.code);
        if (run.code == SIGXFSZ) {
            rlimit limit{};
            ::getrlimit(RLIMIT_FSIZE, &limit);
            return {cannotOpen(shown, said(QStringLiteral("コピーがファイル サイズの上限 (") +
                                            QString::number(static_cast<qulonglong>(limit.rlim_cur)) +
                                            QStringLiteral(" バイト) に達したため書けませんでした"))),
                    false};
        }
        if (faultSignal(run.code))
            return {damagedDatabase(shown, said(QStringLiteral("読み込み中に異常終了しました (シグナル ") + signal +
                                                QLatin1Char(')'))),
                    true};
        return {cannotOpen(shown, said(QStringLiteral("読み込みがシグナル ") + signal + QStringLiteral(" で止められました"))),
                false};
    }
    case ReaderRun::Finished:
        break;
    }
    switch (run.code) {
    case kUnrecognised:
        return {unrecognisedFormat(shown), true};
    case kDamaged:
        return {damagedDatabase(shown), true};
    case kRefused:
        return {damagedDatabase(shown, said(readerLine)), true};
    case kOverCap:
        // A healthy file may be larger than the program reads: it is not
        // said to be damaged, but too large, by the cap it passed.
        return {cannotOpen(shown, said(readerLine)), true};
    case kUnreadable:
        return {cannotOpen(shown, said(readerLine)), false};
    case kOutOfMemory:
        // The program's own limit is a cap on the file; a lower one the user
        // gave the program is the user's.
        if (run.memoryLimit < catalogueCaps().readerMemoryBytes)
            return {cannotOpen(shown, readerLine), false};
        return {damagedDatabase(shown, readerLine), true};
    case 127:
        return {cannotOpen(shown, said(QStringLiteral("読み込みを始められませんでした"))), false};
    default:
        return {cannotOpen(shown, said(QStringLiteral("読み込みが終了コード ") + QString::number(run.code) +
                                       QStringLiteral(" で終わりました"))),
                false};
    }
}

// What is left of the action's deadline, in milliseconds: never more than
// the whole setting, and nothing once it has passed.
int timeLeftMs(int settingMs)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(catalogue::actionDeadline() -
                                                                    catalogue::DeadlineClock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 0, settingMs));
}

// Tells the window a conversion runs, for as long as it runs.
class ConversionShown {
public:
    ConversionShown()
    {
        if (readerSettings().observer)
            readerSettings().observer(true);
    }
    ~ConversionShown()
    {
        if (readerSettings().observer)
            readerSettings().observer(false);
    }
    ConversionShown(const ConversionShown&) = delete;
    ConversionShown& operator=(const ConversionShown&) = delete;
};

}  // namespace

void setCatalogueReader(const QString& program, int deadlineMs)
{
    readerSettings().program = program;
    catalogue::setActionDeadlineMs(deadlineMs);
    failures().clear();
}

void setConversionObserver(std::function<void(bool converting)> observer)
{
    readerSettings().observer = std::move(observer);
}

void cleanUpCatalogueCopies()
{
    const std::time_t usedSince = std::time(nullptr) - kUnusedFor;
    for (const QString& path : copyFolders()) {
        const CopyFolder folder(path, false);
        if (!folder)
            continue;
        for (const std::string& name : folder.names({})) {
            const Named named = namedAs(name);
            if (named == Named::Part)
                removeLeftoverPart(folder, name);
            else if (named != Named::Other && !stillWanted(folder, name, named, usedSince))
                ::unlinkat(folder.fd(), name.c_str(), 0);
        }
    }
}

namespace catalogue {

bool changedTooRecently(const FileKey& key)
{
    // Two seconds: some file systems keep even seconds only.
    return key.ctimeSec + 2 > static_cast<qint64>(std::time(nullptr));
}

QString contentDigest(int fd, const FileKey& key, const QString& shown)
{
    struct stat st {};
    if (statHeld(fd, &st) != 0)
        throw cannotOpen(shown, said(shown, qt_error_string(errno)));
    if (!S_ISREG(st.st_mode) || keyOf(st) != key)
        return {};
    // Its size is the state's, which the file cap bounds; the clock is
    // looked at between pieces small enough for a slow disk.
    const DeadlineClock::time_point deadline = actionDeadline();
    QCryptographicHash hash(QCryptographicHash::Sha1);
    std::vector<char> buffer(std::size_t(1) << 18);
    for (qint64 at = 0; at < key.size;) {
        if (DeadlineClock::now() >= deadline)
            throw cannotOpen(shown, said(shown, deadlinePassed(actionDeadlineMs())));
        const auto want = static_cast<std::size_t>(std::min<qint64>(static_cast<qint64>(buffer.size()), key.size - at));
        const ssize_t n = ::pread(fd, buffer.data(), want, static_cast<off_t>(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw cannotOpen(shown, said(shown, qt_error_string(errno)));
        if (n == 0)
            return {};  // cut short since: another state
        hash.addData(QByteArrayView(buffer.data(), n));
        at += n;
    }
    return QString::fromLatin1(hash.result().toHex());
}

QString keyText(const std::string& file, const FileKey& key) { return QString::fromStdString(keyName(file, key)); }

std::string Copy::path() const { return folder->path(name); }

void Copy::drop() const { ::unlinkat(folder->fd(), name.c_str(), 0); }

QString deadlinePassed(int deadlineMs)
{
    return QStringLiteral("読み込みが ") + QString::number(deadlineMs / 1000.0) +
           QStringLiteral(" 秒で終わらず、打ち切りました");
}

void throwRememberedStop(const Source& source)
{
    if (const std::optional<VbError> failed = rememberedFailure(source))
        throw *failed;
}

const ShippedBytes* sampleOf(const Source& source)
{
    const ShippedBytes* sample = shippedSampleOfSize(source.key.size);
    if (!sample)
        return nullptr;
    if (unwrittenChanges(source))
        throw fileInUse(source.shown);
    // Marked for the state the handle holds, once its times tell changes.
    struct stat held {};
    const bool settled = !changedTooRecently(source.key) && statHeld(source.fd, &held) == 0 && keyOf(held) == source.key;
    const std::string mark = keyName(source.resolved, source.key) + kSampleMark;
    const std::string text = markText(*sample, source.resolved);
    if (settled && markedAsSample(mark, text))
        return sample;
    if (!holdsSample(source.fd, *sample))
        return nullptr;
    if (settled)
        markAsSample(mark, text);
    return sample;
}

Copy currentCopy(const Source& source)
{
    const std::string& file = source.resolved;
    const QString& shown = source.shown;
    const FileKey& key = source.key;
    throwRememberedStop(source);
    // Neither read, nor a copy of an earlier read used, while a writer's
    // changes are not in the file.
    if (unwrittenChanges(source))
        throw fileInUse(shown);
    // A file larger than any copy of it can be is too large, without a byte
    // of it read; as with any cap, until it changes.
    const CatalogueCaps& caps = catalogueCaps();
    if (key.size > caps.fileBytes) {
        const VbError tooLarge = cannotOpen(shown, said(shown, QStringLiteral("ファイルが上限 (") + QString::number(caps.fileBytes) +
                                                                    QStringLiteral(" バイト) を超えるため読み込みません")));
        remember(file, key, {}, tooLarge);
        throw tooLarge;
    }
    const std::string stem = keyName(file, key);
    const QString name = QString::fromStdString(stem);
    const std::string copyName = stem + ".sqlite";
    if (std::optional<Copy> copy = existingCopy(copyName))
        return std::move(*copy);

    const QString program = readerProgram();
    if (!QFileInfo(program).isExecutable())
        throw noIsam();
    // The content read, while the file's times cannot tell every change;
    // a file no longer in the state looked at changed meanwhile.
    const bool racy = changedTooRecently(key);
    const QString digest = racy ? contentDigest(source.fd, key, shown) : QString();
    if (racy && digest.isEmpty())
        throw fileInUse(shown);
    const QString recorded = digest.isEmpty() ? name : name + kDigestMark + digest;
    const std::string fileKey = pathKey(file);
    dropCopiesBut(fileKey, {});

    const int settingMs = actionDeadlineMs();
    const ConversionShown shownWhileConverting;
    const std::optional<FileKey> held = heldKey(source.fd);
    // Into the first folder that passes the check and takes the copy: one
    // that is full is passed over for the next. With none, the error says
    // why of each, as the log does.
    QStringList why;
    for (const QString& path : copyFolders()) {
        auto folder = std::make_shared<const CopyFolder>(path, true);
        if (!*folder) {
            why.append(folder->why());
            continue;
        }
        // A conversion gets what is left of the action's deadline, so a
        // click that converts two files ends within one deadline; once it
        // has passed, the file is not read this time, and is tried again at
        // the next click, which has a whole deadline of its own.
        const int deadlineMs = timeLeftMs(settingMs);
        if (deadlineMs == 0)
            throw cannotOpen(shown, said(shown, deadlinePassed(settingMs)));
        const std::optional<Part> part = makePart(*folder, stem);
        if (!part) {
            why.append(cannotWriteIn(path, qt_error_string(errno)));
            continue;
        }
        ReaderRun run;
        const bool started = runReader(encoded(program),
                                       {kConvertOption, file, folder->readerPath(part->name), recorded.toStdString(),
                                        std::to_string(caps.valueBytes), std::to_string(caps.rows),
                                        std::to_string(caps.copyBytes)},
                                       deadlineMs, caps.readerMemoryBytes, run, folder->fd(), source.fd);
        if (started)
            logReaderWords(run);
        if (started && run.end == ReaderRun::Finished && run.code == kConverted) {
            // A copy that may hold part of a change is none.
            if (!unchangedSince(source, held) || unwrittenChanges(source)) {
                ::unlinkat(folder->fd(), part->name.c_str(), 0);
                throw fileInUse(shown);
            }
            const QString failure = placeCopy(*folder, *part, copyName);
            if (failure.isEmpty()) {
                dropCopiesBut(fileKey, copyName);
                return Copy{std::move(folder), copyName};
            }
            why.append(cannotWriteIn(path, failure));
        } else if (started && run.end == ReaderRun::Finished && run.code == kCannotWrite) {
            why.append(cannotWriteIn(path, QString::fromStdString(run.lastLine).trimmed()));
        } else {
            ::unlinkat(folder->fd(), part->name.c_str(), 0);
            if (!started)
                throw noIsam();
            const Stop stop = stopOf(run, shown, settingMs);
            if (stop.remembered)
                remember(file, key, digest, stop.error);
            throw stop.error;
        }
        ::unlinkat(folder->fd(), part->name.c_str(), 0);
    }
    why.removeAll(QString());
    throw cannotOpen(shown, why.join(QStringLiteral("、")));
}

void dropCopiesOf(const std::string& file)
{
    forget(file);
    dropCopiesBut(pathKey(file), {});
}

}  // namespace catalogue

}  // namespace tolvane
