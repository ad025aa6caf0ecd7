// The main window's making, its start-up and its shutdown. The rest of the
// window is spread by job: the control table (mainwindow_build.cpp), the
// mirror of the model (mainwindow_mirror.cpp), the look (mainwindow_look.cpp)
// and the toolbar and menu commands (mainwindow_commands.cpp).
#include "frame/mainwindow.h"

#include "catalogue/catalogue.h"
#include "catalogue/copies.h"
#include "frame/fixedframe.h"
#include "frame/instancelock.h"
#include "frame/mainwindow_detail.h"
#include "frame/splash.h"
#include "frame/webservers.h"
#include "services/atomicfile.h"
#include "services/clock.h"
#include "services/folders.h"
#include "services/inifile.h"
#include "services/log.h"
#include "services/vberror.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QSessionManager>
#include <QThread>
#include <QTimer>

namespace tolvane {

using namespace mainwindowdetail;

namespace {

const QString kStartLine = QStringLiteral("□------------------------ Tolvane 起動処理開始 ------------------------□");
const QString kEndLine = QStringLiteral("■----------------------------- Tolvane 終了 -----------------------------■");

}  // namespace

// ============================================================================
// The window and its parts
// ============================================================================

MainWindow::MainWindow(FramePorts ports, QWidget* parent) : QMainWindow(parent), ports_(std::move(ports))
{
    setObjectName(kOwner);
    setFixedFrame(this);
    setWindowTitle(QStringLiteral("Tolvane"));
    model_ = std::make_unique<CalcModel>(*ports_.ui, static_cast<CalcScreen&>(*this));
    saveDialog_.title = QStringLiteral("名前を付けて保存");
    saveDialog_.filter = QStringLiteral("テキストファイル(*.txt)|*.txt|すべてのファイル(*.*)|*.*");
    saveDialog_.filterIndex = 1;
    saveDialog_.defaultExt = QStringLiteral("txt");
    slideTimer_ = new QTimer(this);
    slideTimer_->setInterval(16);
    slideTimer_->setTimerType(Qt::PreciseTimer);
    connect(slideTimer_, &QTimer::timeout, this, [this] { playSlide(); });
    buildWindow();
    buildMenus();
    wireModel();
    if (ports_.hooks.makeBanner)
        installBanner(ports_.hooks.makeBanner(*this));
    // A maker's catalogue file read for the first time after a change takes
    // a moment on the window's thread.
    setConversionObserver([ui = ports_.ui](bool converting) { ui->setWaitCursor(converting); });
    if (qApp)
        connect(qApp, &QGuiApplication::commitDataRequest, this, &MainWindow::onCommitData);
}

MainWindow::~MainWindow()
{
    setConversionObserver({});
    form().setObserver({});
}

QWidget* MainWindow::control(const QString& name) const
{
    if (objectName() == name)
        return const_cast<MainWindow*>(this);
    return findChild<QWidget*>(name);
}

QAction* MainWindow::menuAction(const QString& name) const { return menuActions_.value(name); }

QLabel* MainWindow::bannerLabel() const { return findChild<QLabel*>(QStringLiteral("lblMsg")); }

void MainWindow::installBanner(QWidget* banner)
{
    // The banner brings its own background and text label.
    for (const char* placeholder : {"imgMsgBackGround", "lblMsg"})
        delete bannerFrame_->findChild<QWidget*>(QString::fromLatin1(placeholder));
    banner->setParent(bannerFrame_);
    banner->setGeometry(bannerFrame_->rect());
    banner->show();
}

// ============================================================================
// Start-up
// ============================================================================

StartResult MainWindow::startUp()
{
    try {
        ExistSettingFolder();
        ExistLogFolder();
        ExistIniFile();
        WriteEventLog(kStartLine);
        SkinName() = GetINIValue(QStringLiteral("Design"), QStringLiteral("FORM_SKIN"));
        SelectSkin();

        if (!ExistMaterialsFolder()) {
            const QString cr = QStringLiteral("\r");
            ports_.ui->msgBox(ProgramFolder() + QStringLiteral("内に、") + cr + QStringLiteral("materials") +
                                  QStringLiteral("フォルダが存在しない為、Tolvaneを起動できません。") + cr +
                                  QStringLiteral("フォルダ（及びフォルダ内のファイル）を正しく配置するか、本ソフトウェアを再インストールしてください。") + cr,
                              kMbInformation, QString());
            WriteEventLog(ProgramFolder() + QStringLiteral("内に") + QStringLiteral("materials") + QStringLiteral("が存在しない。"));
            WriteEventLog(kEndLine);
            ended_ = true;
            return StartResult::Stop;
        }

        LoadImages();
        if (ports_.hooks.startBannerTicks)
            ports_.hooks.startBannerTicks();
        WriteEventLog(QStringLiteral("設定読込完了"));

        // Held as long as the window lives, that is until the program ends.
        lock_ = std::make_unique<InstanceLock>(ports_.lockFilePath);
        const InstanceLock::Result locked = lock_->acquire();
        // Events, not errors: the start goes on either way.
        const QString unmade = QStringLiteral("起動中の確認用ファイル [ ") + lock_->unavailable().join(QStringLiteral(" ]、[ "))
                               + QStringLiteral(" ] を作成できないため、");
        switch (locked) {
        case InstanceLock::Result::Acquired:
            if (!lock_->unavailable().isEmpty())
                WriteEventLog(unmade + QStringLiteral("[ ") + lock_->path() + QStringLiteral(" ] で確認します。"));
            break;
        case InstanceLock::Result::AlreadyRunning:
            ports_.ui->msgBox(QStringLiteral("すでに「") + kProgramTitle + QStringLiteral("」は起動されています。"), kMbExclamation,
                              kProgramTitle);
            ended_ = true;
            return StartResult::Stop;
        case InstanceLock::Result::Unavailable:
            // Without a lock a second copy goes unnoticed, which costs far
            // less than a program that never starts.
            WriteEventLog(unmade + QStringLiteral("確認せずに起動します。"));
            break;
        }

        {
            SplashWindow splash;
            splash.show();
            if (ports_.splashWait) {
                // Let the window system map it before the wait holds the thread.
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            }
            splash.repaint();
            splash.unload(ports_.splashWait);
            splash.close();
        }

        // Series frames share one place; the kind "K1" shows as chosen.
        for (Ctl f : {Ctl::Frame4, Ctl::Frame5, Ctl::Frame6})
            widgets_[static_cast<int>(f)]->move(kSeriesPlace.topLeft());
        setPicture(QStringLiteral("imgSquare1Sp"), kChosenKind);

        // Paths, bars, values, menus and the input mode.
        model_->startUpDefaults();
        startDate_ = clock().now().toString(QStringLiteral("yyyy/MM/dd H:mm:ss"));

        if (!QFileInfo(model_->DbFilePath).isFile()) {
            const QString cr = QStringLiteral("\r");
            ports_.ui->msgBox(QStringLiteral("データベースが組み込まれていません") + cr +
                                  QStringLiteral("データベースファイルをインストールしてください") + cr + cr +
                                  QStringLiteral("データベースファイルはVornホームページより無償でダウンロードしていただけます。") + cr +
                                  databaseDownloadUrl(),
                              kMbInformation, QStringLiteral("データベースエラー"));
            WriteEventLog(QStringLiteral("データベースへの接続不可：データベースファイルが存在しない"));
            ended_ = true;
            return StartResult::Stop;
        }

        model_->startUpSpinControls();

        if (ports_.hooks.initMsgBanner)
            ports_.hooks.initMsgBanner(*this);

        WriteEventLog(QStringLiteral("○Tolvane 起動"));
    } catch (const VbError& e) {
        logError(QStringLiteral("[frmMain]-[Form_Loadイベント]："), e);
    }
    return StartResult::Run;
}

// ============================================================================
// Shutdown
// ============================================================================

void MainWindow::endProgram(bool logEndLine, bool cleanUp)
{
    if (logEndLine)
        WriteEventLog(kEndLine);
    if (cleanUp)
        CleaningUp();
    ended_ = true;
    if (!closing_)
        close();
    // Only a running event loop is left; without one there is nothing to end,
    // and an exit asked for then would stop every later local loop at once.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

bool MainWindow::askToEnd()
{
    if (model_->SaveState != QStringLiteral("SaveOK") && !form().text(Ctl::Text1).isEmpty()) {
        const int answer = ports_.ui->msgBox(
            QStringLiteral("計算結果が残っています。") + QStringLiteral("\r") +
                QStringLiteral("保存してから終了する場合は 『はい』 を このまま終了する場合は 『いいえ』 を押してください。"),
            kMbYesNoCancel | kMbExclamation, QStringLiteral("Vornの終了"));
        if (answer == kIdYes) {
            FailSave();
            return ended_;
        }
        if (answer == kIdNo) {
            endProgram(true, true);
            return true;
        }
        return false;
    }
    endProgram(true, true);
    return true;
}

bool MainWindow::Form_QueryUnload(int unloadMode)
{
    try {
        if (askToEnd())
            return false;
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("Form_QueryUnload")), e);
    }
    if (unloadMode == 0)
        return true;
    // Closed by the system: the window goes without the end line.
    ended_ = true;
    return false;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (ended_) {
        event->accept();
        return;
    }
    closing_ = true;
    const bool cancel = Form_QueryUnload(0);
    closing_ = false;
    if (cancel)
        event->ignore();
    else
        event->accept();
}

void MainWindow::onCommitData(QSessionManager& manager)
{
    if (ended_)
        return;
    if (!manager.allowsInteraction()) {
        // No question can be asked: end as the system asked, leaving no line.
        ended_ = true;
        return;
    }
    closing_ = true;
    Form_QueryUnload(3);
    closing_ = false;
    manager.release();
}

void MainWindow::FailSave()
{
    try {
        QString path;
        if (!SaveTextControl(path))
            return;
        ports_.ui->msgBox(path + QStringLiteral(" にファイルを保存しました。"), kMbOk, QStringLiteral("保存完了"));
        WriteEventLog(path + QStringLiteral(" ：フォーム内の計算結果をテキストファイルに保存し、アプリケーションを終了"));
        endProgram(true, false);
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("FailSave")), e);
    }
}

bool MainWindow::SaveTextControl(QString& path)
{
    // Set up on the window's one save dialog, which keeps it afterwards.
    saveDialog_.filter = QStringLiteral("All files (*.*)|*.*|Text files|*.txt");
    saveDialog_.filterIndex = 2;
    saveDialog_.defaultExt = QStringLiteral("txt");
    saveDialog_.title = QStringLiteral("Select the destination file ");
    saveDialog_.fileName = path;
    saveDialog_.overwritePrompt = true;
    const std::optional<QString> chosen = ports_.ui->askSaveFile(saveDialog_);
    if (!chosen)
        return false;
    path = *chosen;
    saveDialog_.fileName = path;
    return writeFileAtomic(path, form().text(Ctl::Text1).toUtf8());
}

void MainWindow::CleaningUp()
{
    try {
        if (ports_.hooks.cleanUpBanner)
            ports_.hooks.cleanUpBanner();
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("CleaningUp")), e);
    }
}

}  // namespace tolvane
