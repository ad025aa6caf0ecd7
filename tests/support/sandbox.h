#pragma once
// A private documents folder, program folder and clock for one test, so
// tests never touch the real user's files and can fix the time.

#include "services/clock.h"
#include "services/folders.h"
#include "support/printers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tolvane::test {

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
        setClock(&clock_);
    }
    ~Sandbox()
    {
        setClock(nullptr);
        setDocumentsFolder({});
        setProgramFolder({});
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
