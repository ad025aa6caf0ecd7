#include "catalogue/common.h"

#include "services/log.h"

#include <QDir>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace tolvane {

namespace {

CatalogueCaps& caps()
{
    static CatalogueCaps current;
    return current;
}

}  // namespace

const CatalogueCaps& catalogueCaps() { return caps(); }

void storeCatalogueCaps(const CatalogueCaps& limits) { caps() = limits; }

namespace {

// One action at a time on the thread the window runs on; the checker's
// queries run on their own.
struct ActionDeadline {
    int depth = 0;
    catalogue::DeadlineClock::time_point end;
};
thread_local ActionDeadline gAction;
int gActionDeadlineMs = kDefaultReaderDeadlineMs;

}  // namespace

CatalogueDeadline::CatalogueDeadline()
{
    if (gAction.depth++ == 0)
        gAction.end = catalogue::DeadlineClock::now() + std::chrono::milliseconds(gActionDeadlineMs);
}

CatalogueDeadline::~CatalogueDeadline() { --gAction.depth; }

}  // namespace tolvane

namespace tolvane::catalogue {

namespace {

StatCall& statCall()
{
    static StatCall call = ::stat;
    return call;
}

QString withReason(const QString& message, const QString& reason)
{
    return reason.isEmpty() ? message : message + QStringLiteral("（") + reason + QStringLiteral("）");
}

}  // namespace

void Fd::reset()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

QString quoted(const QString& s)
{
    return QLatin1Char('\'') + QDir::toNativeSeparators(s) + QLatin1Char('\'');
}

VbError unrecognisedFormat(const QString& shown)
{
    return VbError(kJetUnrecognisedFormat,
                   QStringLiteral("データベース形式 ") + quoted(shown) + QStringLiteral(" を認識できません。"));
}

VbError damagedDatabase(const QString& shown, const QString& reason)
{
    return VbError(kJetDamaged, withReason(QStringLiteral("データベース ") + quoted(shown) +
                                               QStringLiteral(" を開けません。ファイルが破損している可能性があります。"),
                                           reason));
}

VbError cannotOpen(const QString& shown, const QString& reason)
{
    return VbError(kJetCannotOpen,
                   withReason(QStringLiteral("ファイル ") + quoted(shown) + QStringLiteral(" を開けません。"), reason));
}

VbError fileInUse(const QString& shown)
{
    return VbError(kJetFileInUse, QStringLiteral("ファイル ") + quoted(shown) + QStringLiteral(" は既に使用中です。"));
}

VbError noIsam() { return VbError(kJetNoIsam, QStringLiteral("インストール可能な ISAM が見つかりません。")); }

FileKey keyOf(const struct stat& st)
{
    return {static_cast<qint64>(st.st_dev),       static_cast<qint64>(st.st_ino),       static_cast<qint64>(st.st_size),
            static_cast<qint64>(st.st_mtim.tv_sec), static_cast<qint64>(st.st_mtim.tv_nsec),
            static_cast<qint64>(st.st_ctim.tv_sec), static_cast<qint64>(st.st_ctim.tv_nsec)};
}

void setStatCall(StatCall call) { statCall() = call ? call : ::stat; }

int statFile(const char* path, struct stat* st) { return statCall()(path, st); }

int statHeld(int fd, struct stat* st)
{
    if (statCall() == ::stat)
        return ::fstat(fd, st);
    return statCall()(("/proc/self/fd/" + std::to_string(fd)).c_str(), st);
}

void setActionDeadlineMs(int ms) { gActionDeadlineMs = ms; }

int actionDeadlineMs() { return gActionDeadlineMs; }

DeadlineClock::time_point actionDeadline()
{
    return gAction.depth > 0 ? gAction.end : DeadlineClock::now() + std::chrono::milliseconds(gActionDeadlineMs);
}

void logLine(const QString& line) { WriteEventLog(QStringLiteral("tolvane-catalogue: ") + line); }

}  // namespace tolvane::catalogue
