#include "frame/splash.h"

#include "services/clock.h"
#include "services/folders.h"
#include "services/inifile.h"
#include "services/log.h"
#include "services/vberror.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace tolvane {

SplashWindow::SplashWindow(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setFixedSize(360, 170);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0x30, 0x30, 0x30));
    setPalette(pal);

    auto* picture1 = new QLabel(this);
    picture1->setObjectName(QStringLiteral("Picture1"));
    picture1->setGeometry(0, 0, 360, 96);
    picture1->setAutoFillBackground(true);
    picture1->setStyleSheet(QStringLiteral(
        "background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #1e3c64, stop:1 #0a1428);"
        "color: #ffffff; font-family: IPAPGothic; font-size: 30pt; font-weight: bold; padding-left: 20px;"));
    picture1->setText(QStringLiteral("Tolvane"));

    auto* picture2 = new QLabel(this);
    picture2->setObjectName(QStringLiteral("Picture2"));
    picture2->setGeometry(250, 16, 90, 64);
    picture2->setStyleSheet(QStringLiteral("color: #ffc040; font-family: IPAPGothic; font-size: 28pt; background: transparent;"));
    picture2->setAlignment(Qt::AlignCenter);
    picture2->setText(QStringLiteral("⌇⌇⌇"));

    auto* caption = new QLabel(this);
    caption->setObjectName(QStringLiteral("Label2"));
    caption->setGeometry(20, 104, 320, 24);
    caption->setStyleSheet(QStringLiteral("color: #ffffff; font-family: IPAPGothic; font-size: 11pt;"));
    caption->setText(QStringLiteral("ダイスプリング 圧力計算ソフト  起動中…"));

    progress_ = new QLabel(this);
    progress_->setObjectName(QStringLiteral("Label1"));
    progress_->setGeometry(20, 140, 0, 10);
    progress_->setStyleSheet(QStringLiteral("background: #4080ff;"));

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void SplashWindow::unload(bool wait)
{
    try {
        progressTwips_ = 0;
        progress_->setFixedWidth(0);
        progress_->setAutoFillBackground(true);
        if (wait) {
            const qint64 start = clock().monotonicMs();
            int shownPixels = 0;
            for (;;) {
                const qint64 elapsed = clock().monotonicMs() - start;
                if (elapsed > 1000)
                    break;
                if (progressTwips_ < 2300 && elapsed > 100) {
                    ++progressTwips_;
                    if (progressTwips_ / 15 != shownPixels) {
                        shownPixels = progressTwips_ / 15;
                        progress_->setFixedWidth(shownPixels);
                        progress_->repaint();
                    }
                }
            }
        }
        ExistSettingFolder();
        ExistLogFolder();
        ExistIniFile();
        DeleteOldLog();
    } catch (const VbError& e) {
        logError(errorLabel(QStringLiteral("frmSplash"), QStringLiteral("Form_Unload")), e);
    }
}

}  // namespace tolvane
