#include "catalogue/jetcopy.h"

#include "catalogue/catalogue.h"
#include "catalogue/readerprocess.h"
#include "services/atomicfile.h"
#include "services/folders.h"
#include "services/log.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <string>
#include <vector>

namespace tolvane {

namespace {

struct ReaderSettings {
    QString program;
    int deadlineMs = kDefaultJetReaderDeadlineMs;
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

// A conversion that failed, for the state of the file it failed on.
struct Failure {
    jetcopy::FileKey key;
    VbError error;
};

std::map<std::string, Failure>& failures()
{
    static std::map<std::string, Failure> remembered;
    return remembered;
}

constexpr int kLoggedErrorLines = 20;

// The reader's own words go to the log, never to the terminal.
void logReaderRun(const jetcopy::ReaderRun& run, const QString& shown, int deadlineMs)
{
    const QString prefix = QStringLiteral("tolvane-catalogue: ");
    const QStringList lines = QString::fromUtf8(run.errors.data(), static_cast<qsizetype>(run.errors.size()))
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < lines.size() && i < kLoggedErrorLines; ++i)
        WriteEventLog(prefix + lines[i].trimmed());
    if (run.end == jetcopy::ReaderRun::TimedOut)
        WriteEventLog(prefix + QDir::toNativeSeparators(shown) + QStringLiteral(" の読み込みが ") +
                      QString::number(deadlineMs / 1000.0) + QStringLiteral(" 秒で終わらず、打ち切りました"));
    else if (run.end == jetcopy::ReaderRun::Crashed)
        WriteEventLog(prefix + QDir::toNativeSeparators(shown) + QStringLiteral(" の読み込み中に異常終了しました (シグナル ") +
                      QString::number(run.code) + QStringLiteral(")"));
}

// The copies live in the cache folder; when that cannot be written, in a
// folder of the user's own in the runtime folder.
QString cacheCopyFolder() { return CacheFolder() + QStringLiteral("/catalogue"); }

QStringList copyFolders()
{
    QStringList folders{cacheCopyFolder()};
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        folders.append(runtime + QStringLiteral("/tolvane-catalogue"));
    return folders;
}

bool writableFolder(const QString& folder)
{
    if (!QDir().mkpath(folder))
        return false;
    const std::string name = encoded(folder);
    struct stat st {};
    if (::stat(name.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    ::chmod(name.c_str(), 0700);
    return ::access(name.c_str(), W_OK | X_OK) == 0;
}

// The name every copy and half-made copy of one path starts with.
QString pathKey(const std::string& file)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(QByteArray::fromStdString(file), QCryptographicHash::Sha1).toHex().left(20));
}

// A half-made copy names its writer: NAME.PID.SERIAL.part. It is another
// reader's work in progress while that writer lives and the reader's time is
// not long past; no reader runs for a minute, and after ten a process of that
// number is someone else.
bool stalePart(const QFileInfo& part)
{
    const qint64 age = part.lastModified().secsTo(QDateTime::currentDateTime());
    if (age > 600)
        return true;
    if (age <= 60)
        return false;
    bool number = false;
    const pid_t writer = part.completeBaseName().section(QLatin1Char('.'), -2, -2).toInt(&number);
    return !number || writer <= 0 || (::kill(writer, 0) != 0 && errno == ESRCH);
}

// Every copy of the path but keep, and its stale half-made copies.
void dropCopiesBut(const QString& fileKey, const QString& keep)
{
    for (const QString& folder : copyFolders()) {
        const QDir dir(folder);
        for (const QFileInfo& info : dir.entryInfoList({fileKey + QStringLiteral("-*")}, QDir::Files | QDir::Hidden)) {
            if (info.fileName() == keep)
                continue;
            if (info.suffix() == QLatin1String("part") && !stalePart(info))
                continue;
            QFile::remove(info.absoluteFilePath());
        }
    }
}

// The copy as it stands in one of the folders, when it can be one of ours:
// not empty, not over the cap. Anything else there is removed.
std::string existingCopy(const QString& copyName)
{
    for (const QString& folder : copyFolders()) {
        const std::string copy = encoded(folder + QLatin1Char('/') + copyName);
        struct stat st {};
        if (::stat(copy.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (st.st_size > 0 && st.st_size <= catalogueCaps().copyBytes)
            return copy;
        ::unlink(copy.c_str());
    }
    return {};
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

void setJetReader(const QString& program, int deadlineMs)
{
    readerSettings().program = program;
    readerSettings().deadlineMs = deadlineMs;
    failures().clear();
}

void setConversionObserver(std::function<void(bool converting)> observer)
{
    readerSettings().observer = std::move(observer);
}

namespace jetcopy {

namespace {

// The Access engine's numbers for what a catalogue file itself gave, so an
// error line reads as it always did.
enum : int {
    kJetDamaged = 3049,
    kJetCannotOpen = 3051,
    kJetNoIsam = 3170,
    kJetUnrecognisedFormat = 3343,
};

}  // namespace

QString quoted(const QString& s)
{
    return QLatin1Char('\'') + QDir::toNativeSeparators(s) + QLatin1Char('\'');
}

VbError unrecognisedFormat(const QString& shown)
{
    return VbError(kJetUnrecognisedFormat,
                   QStringLiteral("データベース形式 ") + quoted(shown) + QStringLiteral(" を認識できません。"));
}

VbError damagedDatabase(const QString& shown)
{
    return VbError(kJetDamaged, QStringLiteral("データベース ") + quoted(shown) +
                                    QStringLiteral(" を開けません。ファイルが破損している可能性があります。"));
}

VbError cannotOpen(const QString& shown)
{
    return VbError(kJetCannotOpen, QStringLiteral("ファイル ") + quoted(shown) + QStringLiteral(" を開けません。"));
}

VbError noIsam() { return VbError(kJetNoIsam, QStringLiteral("インストール可能な ISAM が見つかりません。")); }

FileKey keyOf(const struct stat& st)
{
    return {static_cast<qint64>(st.st_dev),       static_cast<qint64>(st.st_ino),       static_cast<qint64>(st.st_size),
            static_cast<qint64>(st.st_mtim.tv_sec), static_cast<qint64>(st.st_mtim.tv_nsec),
            static_cast<qint64>(st.st_ctim.tv_sec), static_cast<qint64>(st.st_ctim.tv_nsec)};
}

QString keyText(const std::string& file, const FileKey& key)
{
    const auto time = [](qint64 sec, qint64 nsec) {
        return QString::number(sec) + QLatin1Char('.') + QStringLiteral("%1").arg(nsec, 9, 10, QLatin1Char('0'));
    };
    return pathKey(file) + QLatin1Char('-') + QString::number(key.size) + QLatin1Char('-') +
           time(key.mtimeSec, key.mtimeNsec) + QLatin1Char('-') + time(key.ctimeSec, key.ctimeNsec) + QLatin1Char('-') +
           QString::number(key.device) + QLatin1Char('-') + QString::number(key.inode);
}

std::string currentCopy(const std::string& file, const QString& shown, const FileKey& key)
{
    const auto failed = failures().find(file);
    if (failed != failures().end()) {
        if (failed->second.key == key)
            throw failed->second.error;
        failures().erase(failed);
    }
    const QString name = keyText(file, key);
    const QString copyName = name + QStringLiteral(".sqlite");
    if (std::string copy = existingCopy(copyName); !copy.empty())
        return copy;

    const QString program = readerProgram();
    if (!QFileInfo(program).isExecutable())
        throw noIsam();
    QString folder;
    for (const QString& candidate : copyFolders()) {
        if (writableFolder(candidate)) {
            folder = candidate;
            break;
        }
    }
    if (folder.isEmpty())
        throw cannotOpen(QDir::toNativeSeparators(cacheCopyFolder()));
    const QString fileKey = pathKey(file);
    dropCopiesBut(fileKey, QString());

    static unsigned serial = 0;
    const std::string part =
        encoded(folder + QLatin1Char('/') + name + QStringLiteral(".%1.%2.part").arg(::getpid()).arg(serial++));
    const CatalogueCaps& caps = catalogueCaps();
    const int deadlineMs = readerSettings().deadlineMs;
    ReaderRun run;
    bool started = false;
    {
        const ConversionShown shownWhileConverting;
        started = runReader(encoded(program),
                            {kConvertOption, file, part, name.toStdString(), std::to_string(caps.valueBytes),
                             std::to_string(caps.rows), std::to_string(caps.copyBytes)},
                            deadlineMs, caps.readerMemoryBytes, run);
    }
    if (!started)
        throw noIsam();
    logReaderRun(run, shown, deadlineMs);
    if (run.end != ReaderRun::Finished || run.code != kConverted) {
        ::unlink(part.c_str());
        if (run.end == ReaderRun::Finished && run.code == kCannotWrite)
            throw cannotOpen(QDir::toNativeSeparators(folder));
        const VbError error = run.end == ReaderRun::Finished && run.code == kNotJet ? unrecognisedFormat(shown)
                                                                                    : damagedDatabase(shown);
        failures().insert_or_assign(file, Failure{key, error});
        throw error;
    }
    const std::string copy = encoded(folder + QLatin1Char('/') + copyName);
    // The data and the name on disk before anything is told the copy exists.
    if (!moveIntoPlace(QByteArray::fromStdString(part), QByteArray::fromStdString(copy))) {
        ::unlink(part.c_str());
        throw cannotOpen(QDir::toNativeSeparators(folder));
    }
    dropCopiesBut(fileKey, copyName);
    return copy;
}

void dropCopy(const std::string& copy) { ::unlink(copy.c_str()); }

void dropCopiesOf(const std::string& file)
{
    failures().erase(file);
    dropCopiesBut(pathKey(file), QString());
}

}  // namespace jetcopy

}  // namespace tolvane
