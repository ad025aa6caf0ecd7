// The desktop layers the window stands on: the lock against a second copy,
// the start-up's helper, the splash's paced wait, file-dialog filters and the
// calculator search.
#include "frame/desktop.h"
#include "frame/instancelock.h"
#include "frame/qtdialogs.h"
#include "frame/splash.h"
#include "frame/startuphelper.h"
#include "support/sandbox.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

namespace tolvane::test {
namespace {

using LockResult = InstanceLock::Result;

// One holder at a time is the start-up's second-copy check.
TEST(InstanceLockTest, FreeAgainAfterwardsAndHeldOnlyByALiveCopy)
{
    Sandbox sandbox;
    const QString path = sandbox.root() + QStringLiteral("/copy.lock");
    {
        InstanceLock first(path);
        ASSERT_EQ(first.acquire(), LockResult::Acquired);
        EXPECT_EQ(first.acquire(), LockResult::Acquired);  // holding it is no second copy
        EXPECT_EQ(InstanceLock(path).acquire(), LockResult::AlreadyRunning);
    }
    EXPECT_EQ(InstanceLock(path).acquire(), LockResult::Acquired);
}

// A lock that cannot be made, or one held by someone else, says nothing
// about a second copy of this user; the cache folder's lock is tried instead.
TEST(InstanceLockTest, ALockThatCannotBeMadeIsNoSecondCopy)
{
    Sandbox sandbox;
    writeAll(sandbox.root() + QStringLiteral("/file"), "x");
    InstanceLock fallback(sandbox.root() + QStringLiteral("/file/tolvane.lock"));
    EXPECT_EQ(fallback.acquire(), LockResult::Acquired);
    EXPECT_EQ(fallback.path(), InstanceLock::cachePath());

    setCacheFolder(sandbox.root() + QStringLiteral("/file"));
    EXPECT_EQ(InstanceLock(sandbox.root() + QStringLiteral("/file/tolvane.lock")).acquire(), LockResult::Unavailable);
    ASSERT_TRUE(QDir(sandbox.root()).mkdir(QStringLiteral("dir.lock")));
    InstanceLock folder(sandbox.root() + QStringLiteral("/dir.lock"));
    EXPECT_EQ(folder.acquire(), LockResult::Unavailable);
    EXPECT_EQ(folder.unavailable(), (QStringList{sandbox.root() + QStringLiteral("/dir.lock"), InstanceLock::cachePath()}));

    const QString foreign = sandbox.root() + QStringLiteral("/foreign.lock");
    InstanceLock held(foreign);
    ASSERT_EQ(held.acquire(), LockResult::Acquired);
    if (::chown(QFile::encodeName(foreign).constData(), 65534, 65534) != 0)
        GTEST_SKIP() << "cannot give a file to another user here";
    EXPECT_EQ(InstanceLock(foreign).acquire(), LockResult::Unavailable);
}

// A program the window starts does not inherit the lock, so it cannot keep
// the next copy out after this one has ended.
TEST(InstanceLockTest, TheLockIsNotPassedToStartedPrograms)
{
    Sandbox sandbox;
    const QString path = sandbox.root() + QStringLiteral("/copy.lock");
    InstanceLock lock(path);
    ASSERT_EQ(lock.acquire(), LockResult::Acquired);
    int found = 0;
    for (const QFileInfo& fd : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::Files | QDir::System)) {
        if (fd.symLinkTarget() == path) {
            ++found;
            EXPECT_TRUE(::fcntl(fd.fileName().toInt(), F_GETFD) & FD_CLOEXEC);
        }
    }
    EXPECT_EQ(found, 1);
}

// The lock lives in a folder of this user only: the runtime folder, else
// the cache folder, never a shared one.
TEST(InstanceLockTest, TheDefaultPlaceIsTheUsersOwn)
{
    Sandbox sandbox;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray cache = qgetenv("XDG_CACHE_HOME");
    QDir(sandbox.root()).mkdir(QStringLiteral("run"));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(sandbox.root() + QStringLiteral("/run")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(sandbox.root() + QStringLiteral("/cache")));
    EXPECT_EQ(InstanceLock::defaultPath(), sandbox.root() + QStringLiteral("/run/tolvane.lock"));
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(InstanceLock::defaultPath(), sandbox.root() + QStringLiteral("/cache/tolvane.lock"));
    // The cache folder may not exist yet on a fresh account.
    EXPECT_EQ(InstanceLock().acquire(), LockResult::Acquired);
    for (const auto& [name, value] : {std::pair{"XDG_RUNTIME_DIR", runtime}, std::pair{"XDG_CACHE_HOME", cache}})
        value.isNull() ? (void)qunsetenv(name) : (void)qputenv(name, value);
}

// The helper ends whether the application came or not, and leaves the
// splash its picture.
TEST(StartUpHelperTest, EndsWithOrWithoutTheApplicationAndLeavesTheSplashItsPicture)
{
    {
        StartUpHelper unused;
        unused.waitForFontConfiguration();
    }
    StartUpHelper helper;
    helper.applicationReady();
    helper.finish();
    helper.finish();
    SplashWindow splash;
    EXPECT_FALSE(splash.findChild<QLabel*>(QStringLiteral("Picture1"))->pixmap().isNull());
}

// A clock that moves on by a step whenever it is read, and whose time of
// day passes midnight on the way.
class SteppingClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime(QDate(2026, 12, 6), QTime(23, 59, 59, 900)).addMSecs(ms_); }
    qint64 monotonicMs() const override { return ms_ += 50; }
    mutable qint64 ms_ = 0;
};

TEST(SplashTest, TheWaitEndsAfterASecondOfElapsedTimeAcrossMidnight)
{
    Sandbox sandbox;
    SteppingClock steps;
    setClock(&steps);
    SplashWindow splash;
    splash.unload(true);
    setClock(&sandbox.clock());
    EXPECT_GT(steps.ms_, 1000);
    EXPECT_LE(steps.ms_, 1100);
    EXPECT_EQ(splash.progressTwips(), 2300);  // full before the second is out
    EXPECT_TRUE(QFileInfo::exists(SettingFolder() + QStringLiteral("/Settings.ini")));

    // Without the wait the housekeeping still runs.
    Sandbox other;
    SplashWindow quick;
    quick.unload(false);
    EXPECT_EQ(quick.progressTwips(), 0);
    EXPECT_TRUE(QFileInfo::exists(SettingFolder() + QStringLiteral("/Settings.ini")));
}

// The system's clock from its first reading on, noting when each reading
// was taken. It holds short of the second until opened, so the wait cannot
// end before the test has seen what it looks for however slow the machine;
// after a minute it opens of itself, so a wait that runs no events fails
// instead of hanging.
class HeldClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    qint64 monotonicMs() const override
    {
        if (!timer_.isValid())
            timer_.start();
        readAtNs.append(timer_.nsecsElapsed());
        const qint64 ms = timer_.elapsed();
        return open || ms > 60000 ? ms : qMin<qint64>(ms, 900);
    }
    bool open = false;
    mutable QList<qint64> readAtNs;

private:
    mutable QElapsedTimer timer_;
};

// The second passes in an event loop: the splash keeps painting, timers run,
// and the loop wakes once a frame instead of asking the time over and over.
// A slower machine only wakes later (the processor time it costs is in
// bench_frame_startup).
TEST(SplashTest, TheSecondRunsAnEventLoopThatWakesOncePerFrame)
{
    Sandbox sandbox;
    HeldClock held;
    setClock(&held);
    SplashWindow splash;
    splash.show();
    struct PaintCount : QObject {
        HeldClock* clock = nullptr;
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint) {
                ++paints;
                clock->open = true;  // a paint after the timer: the second may end
            }
            return false;
        }
    } counter;
    counter.clock = &held;
    bool timerRan = false;
    QTimer::singleShot(300, &splash, [&] {
        timerRan = true;
        splash.installEventFilter(&counter);
        splash.update();
    });
    int rests = 0;  // times the thread went to sleep until the next event
    const auto connection = QObject::connect(QAbstractEventDispatcher::instance(),
                                             &QAbstractEventDispatcher::aboutToBlock, [&] { ++rests; });
    splash.unload(true);
    QObject::disconnect(connection);
    setClock(&sandbox.clock());
    EXPECT_TRUE(timerRan);
    EXPECT_GT(counter.paints, 0);
    EXPECT_GT(rests, 0);
    // Each look at the clock waits a frame after the one before, but for the
    // look straight after the start and the short wait that ends the second.
    const QList<qint64>& at = held.readAtNs;
    ASSERT_GT(at.size(), 3);
    int sooner = 0;
    for (qsizetype i = 2; i + 1 < at.size(); ++i)
        sooner += at[i] - at[i - 1] < 15000000;
    EXPECT_EQ(sooner, 0) << "of " << at.size() << " readings came sooner than a frame";
}

TEST(DesktopTest, FileDialogFiltersBecomeQtNameFilters)
{
    EXPECT_EQ(nameFilters(QStringLiteral("All files (*.*)|*.*|Text files|*.txt")),
              (QStringList{QStringLiteral("All files (*)"), QStringLiteral("Text files (*.txt)")}));
    EXPECT_EQ(nameFilters(QStringLiteral("Data|*.vorn;*.csv")),
              QStringList{QStringLiteral("Data (*.vorn *.csv)")});
}

TEST(DesktopTest, TheCalculatorIsTheFirstOneFoundOnThePath)
{
    Sandbox sandbox;
    const QString bin = sandbox.root() + QStringLiteral("/bin");
    QDir().mkpath(bin);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", bin.toUtf8());
    EXPECT_FALSE(DesktopCalculator().start());
    for (const char* name : {"xcalc", "galculator"}) {
        const QString file = bin + QLatin1Char('/') + QString::fromLatin1(name);
        writeAll(file, "#!/bin/sh\n");
        QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    EXPECT_EQ(DesktopCalculator::find(), bin + QStringLiteral("/galculator"));
    qputenv("PATH", oldPath);
}

}  // namespace
}  // namespace tolvane::test
