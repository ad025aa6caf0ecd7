#pragma once
// A private documents folder, program folder, cache folder and clock for one test, so
// tests never touch the real user's files and can fix the time.

#include "services/clock.h"
#include "services/folders.h"
#include "support/printers.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <functional>

namespace tolvane::test {

// While it lives no file of this process grows past the limit: a write
// beyond it fails as on a full disk (EFBIG), whatever the rights of the user
// running the test. Keep the log smaller than the limit.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : handler_(std::signal(SIGXFSZ, SIG_IGN))
    {
        EXPECT_EQ(getrlimit(RLIMIT_FSIZE, &saved_), 0);
        rlimit small = saved_;
        small.rlim_cur = bytes;
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*handler_)(int);
};

class FixedClock final : public Clock {
public:
    explicit FixedClock(QDateTime t = QDateTime(QDate(2026, 12, 6), QTime(9, 5, 7))) : now_(std::move(t)) {}
    QDateTime now() const override
    {
        if (makeLogFolderFrom_ > 0 && ++readings_ >= makeLogFolderFrom_)
            ExistLogFolder();
        return now_;
    }
    qint64 monotonicMs() const override { return ms_; }
    void set(const QDateTime& t) { now_ = t; }
    void advanceMs(qint64 ms) { ms_ += ms; now_ = now_.addMSecs(ms); }
    // From the nth reading on (the first is 1) the log folder is made before
    // the time is given: a line logged after a folder went missing then lands
    // in the log where a test can read it (the writers never make the folder).
    void makeLogFolderFromReading(int n) { makeLogFolderFrom_ = n; }

private:
    QDateTime now_;
    qint64 ms_ = 0;
    int makeLogFolderFrom_ = 0;
    mutable int readings_ = 0;
};

class Sandbox {
public:
    Sandbox()
    {
        EXPECT_TRUE(dir_.isValid());
        QDir(dir_.path()).mkpath(QStringLiteral("Documents"));
        QDir(dir_.path()).mkpath(QStringLiteral("program"));
        setDocumentsFolder(dir_.path() + QStringLiteral("/Documents"));
        setProgramFolder(dir_.path() + QStringLiteral("/program"));
        setCacheFolder(dir_.path() + QStringLiteral("/cache"));
        setClock(&clock_);
    }
    ~Sandbox()
    {
        setClock(nullptr);
        setDocumentsFolder({});
        setProgramFolder({});
        setCacheFolder({});
    }
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    QString root() const { return dir_.path(); }
    FixedClock& clock() { return clock_; }

    // The whole text of today's log, or of the named day's.
    QString logText(const QDate& day = {}) const
    {
        const QDate d = day.isValid() ? day : clock_.now().date();
        QFile f(LogFolder() + QStringLiteral("/Vorn-") + d.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".log"));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll());
    }
    // The log's lines without their timestamps ("□Eve：" + message and so on).
    QStringList logMessages() const
    {
        QStringList out;
        for (const QString& line : logText().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
            const auto sep = line.indexOf(QStringLiteral(" － "));
            out.append(line.left(5) + line.mid(sep + 3));
        }
        return out;
    }

private:
    QTemporaryDir dir_;
    FixedClock clock_;
};

// Gives up root for good, as setpriv does, to be the user of that id (and
// the group of the same id); false when it cannot.
inline bool becomeUser(uid_t id)
{
    return ::setgroups(0, nullptr) == 0 && ::setresgid(id, id, id) == 0 && ::setresuid(id, id, id) == 0;
}

// Runs check where the rights of a file count, in a child process: as this
// user, or, under root (who may write anything), as "nobody" after giving
// up root as setpriv does, with every folder below root opened to that
// user. check says whether all held; it writes what did not to stderr.
inline void expectAsNonRoot(const QString& root, const std::function<bool()>& check)
{
    auto run = [&] {
        if (::geteuid() == 0) {
            QDirIterator folders(root, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
            ::chmod(QFile::encodeName(root).constData(), 0777);
            while (folders.hasNext())
                ::chmod(QFile::encodeName(folders.next()).constData(), 0777);
            if (!becomeUser(65534)) {
                std::fputs("cannot give up root\n", stderr);
                std::_Exit(2);
            }
        }
        std::_Exit(check() ? 0 : 1);
    };
    EXPECT_EXIT(run(), ::testing::ExitedWithCode(0), "");
}

inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeAll(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

}  // namespace tolvane::test
