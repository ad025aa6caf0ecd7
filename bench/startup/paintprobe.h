#pragma once
// What both start-up children report: once the first paint of the window
// named is through, one line on standard output, "painted <cpu> <splash cpu>
// <width>x<height>", with the processor time the process spent until then
// and while the splash showed (-1 without a splash); then the event loop
// ends.

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>

namespace tolvane::bench {

inline double processCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

class PaintProbe final : public QObject {
public:
    explicit PaintProbe(QString window) : window_(std::move(window)) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QString& name = watched->objectName();
        if (name == QStringLiteral("frmSplash")) {
            if (event->type() == QEvent::Show)
                splashFrom_ = processCpuMs();
            else if (event->type() == QEvent::Hide && splashFrom_ >= 0 && splashMs_ < 0)
                splashMs_ = processCpuMs() - splashFrom_;
        } else if (event->type() == QEvent::Paint && !painted_ && name == window_ && watched->isWidgetType()) {
            painted_ = true;
            auto* w = static_cast<QWidget*>(watched);
            // Queued: the whole window is painted and flushed by then.
            QTimer::singleShot(0, [this, w] {
                std::printf("painted %.3f %.3f %dx%d\n", processCpuMs(), splashMs_, w->width(), w->height());
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return false;
    }

private:
    QString window_;
    bool painted_ = false;
    double splashFrom_ = -1;
    double splashMs_ = -1;
};

}  // namespace tolvane::bench
