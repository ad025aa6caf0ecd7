#include "frame/splash.h"

#include "frame/look.h"
#include "frame/programicon.h"
#include "services/clock.h"
#include "services/embedded.h"
#include "services/folders.h"
#include "services/inifile.h"
#include "services/log.h"
#include "services/vberror.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QTimer>

// The embedded data are declared at global scope, where the build defines them.
static QByteArray titlePng() { return TOLVANE_EMBEDDED(splash_title_png); }

namespace tolvane {

namespace {

// Decoded once, by whichever thread asks first; a second asker waits for it.
const QImage& titleImage()
{
    static const QImage image = QImage::fromData(titlePng(), "PNG");
    return image;
}

}  // namespace

void SplashWindow::prepareTitle() { titleImage(); }

SplashWindow::SplashWindow(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setFixedSize(360, 170);
    const auto colour = [](QWidget* w, QPalette::ColorRole role, QColor c) {
        QPalette pal = w->palette();
        pal.setColor(role, c);
        w->setPalette(pal);
    };
    setAutoFillBackground(true);
    colour(this, QPalette::Window, QColor(0x30, 0x30, 0x30));

    auto* picture1 = new QLabel(this);
    picture1->setObjectName(QStringLiteral("Picture1"));
    picture1->setGeometry(0, 0, 360, 96);
    picture1->setPixmap(QPixmap::fromImage(titleImage()));

    auto* picture2 = new QLabel(this);
    picture2->setObjectName(QStringLiteral("Picture2"));
    picture2->setGeometry(276, 16, 64, 64);
    picture2->setPixmap(programPicture(64));

    auto* caption = new QLabel(QStringLiteral("ダイスプリング 圧力計算ソフト  起動中…"), this);
    caption->setObjectName(QStringLiteral("Label2"));
    caption->setGeometry(20, 104, 320, 24);
    QFont captionFont = look::programFont();
    captionFont.setPointSize(10);
    caption->setFont(captionFont);
    colour(caption, QPalette::WindowText, Qt::white);

    progress_ = new QLabel(this);
    progress_->setObjectName(QStringLiteral("Label1"));
    progress_->setGeometry(20, 140, 0, 10);
    colour(progress_, QPalette::Window, QColor(0x40, 0x80, 0xFF));

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void SplashWindow::unload(bool wait)
{
    try {
        progressTwips_ = 0;
        progress_->setFixedWidth(0);
        progress_->setAutoFillBackground(true);
        if (wait)
            paceProgress();
        ExistSettingFolder();
        ExistLogFolder();
        ExistIniFile();
        DeleteOldLog();
    } catch (const VbError& e) {
        logError(errorLabel(QStringLiteral("frmSplash"), QStringLiteral("Form_Unload")), e);
    }
}

// The second passes in an event loop of the splash's own, woken by a timer:
// the splash paints whenever the window system asks and the processor rests.
// The user's input waits until the start-up is over. After the first tenth
// of a second the bar widens one twip at a time, at a pace that fills it
// before the second is out.
void SplashWindow::paceProgress()
{
    constexpr qint64 kWaitMs = 1000;
    constexpr qint64 kStillMs = 100;
    constexpr qint64 kFillMs = 800;
    constexpr int kFullTwips = 2300;
    constexpr qint64 kTickMs = 16;

    const qint64 start = clock().monotonicMs();
    QEventLoop loop;
    QTimer tick;
    tick.setSingleShot(true);
    tick.setTimerType(Qt::PreciseTimer);
    const auto step = [&] {
        const qint64 elapsed = clock().monotonicMs() - start;
        if (elapsed > kWaitMs) {
            loop.quit();
            return;
        }
        if (elapsed > kStillMs) {
            const qint64 due = qMin<qint64>(kFullTwips, (elapsed - kStillMs) * kFullTwips / kFillMs + 1);
            while (progressTwips_ < due)
                ++progressTwips_;
            if (progress_->width() != progressTwips_ / 15)
                progress_->setFixedWidth(progressTwips_ / 15);
        }
        // Wake up again for the next frame, or just after the second is out.
        tick.start(int(qBound(qint64(1), kWaitMs + 1 - elapsed, kTickMs)));
    };
    connect(&tick, &QTimer::timeout, &loop, step);
    step();
    if (tick.isActive())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace tolvane
