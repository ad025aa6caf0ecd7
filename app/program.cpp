#include "app/program.h"

#include "catalogue/catalogue.h"
#include "catalogue/copies.h"
#include "diagram/fromcalc.h"
#include "frame/banner.h"
#include "frame/desktop.h"
#include "frame/dxfdialog.h"
#include "frame/look.h"
#include "frame/mainwindow.h"
#include "frame/programicon.h"
#include "frame/startuphelper.h"
#include "frame/totaldialog.h"
#include "frame/versiondialog.h"
#include "services/atomicfile.h"
#include "services/folders.h"

#include <QApplication>
#include <QScopeGuard>

namespace tolvane {

void cleanUpCatalogueCopiesAtStart()
{
    ExistSettingFolder();
    ExistLogFolder();
    cleanUpCatalogueCopies();
}

int runProgram(int& argc, char** argv, const ProgramOptions& options)
{
    ignoreFileSizeSignal();
    // The fonts are set up on another processor while this thread starts
    // the application and reads the pictures.
    StartUpHelper helper;
    QApplication app(argc, argv);
    const auto helperEnds = qScopeGuard([&] { helper.finish(); });
    helper.applicationReady();
    QApplication::setApplicationName(QStringLiteral("Tolvane"));
    QApplication::setFont(look::programFont());
    look::installQtJapanese(app);
    // The desktop entry "tolvane.desktop" names the same icon.
    QApplication::setWindowIcon(programIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("tolvane"));
    if (options.prepare)
        options.prepare();
    cleanUpCatalogueCopiesAtStart();
    MainWindow::preloadPictures();
    helper.waitForFontConfiguration();

    DesktopPorts desktop;
    FramePorts ports = desktop.ports();
    ports.splashWait = options.splashWait;
    UserInterface& ui = desktop.ui;

    ports.hooks.showDxfDialog = [&ui](MainWindow& w, const SpringRecord& record, bool complete) {
        return showDxfDialog(&w, diagramInputs(w.model()), record, complete, ui);
    };
    ports.hooks.showTotalDialog = [&ui](MainWindow& w) { showTotalDialog(&w, ui); };
    ports.hooks.showVersionDialog = [&ui](MainWindow& w) { showVersionDialog(&w, ui); };

    MessageBanner* banner = nullptr;  // owned by the window
    ports.hooks.makeBanner = [&](MainWindow&) {
        banner = new MessageBanner(ui);
        banner->setDatabaseVersionReader([] { return readDatabaseVersion(ProgramFolder() + QStringLiteral("/ZEKA.mdb")); });
        if (!options.messageServer.isEmpty())
            banner->setMessageServer(options.messageServer);
        return banner;
    };
    ports.hooks.loadBannerBackground = [&] { banner->loadBackground(); };
    ports.hooks.loadBannerCursor = [&] { banner->loadLinkCursor(); };
    ports.hooks.startBannerTicks = [&] { banner->setMsgTick(1); };
    ports.hooks.initMsgBanner = [&](MainWindow&) { banner->InitMsgBanner(); };
    ports.hooks.cleanUpBanner = [&] { banner->CleaningUp(); };

    MainWindow window(ports);
    desktop.ui.setOwner(&window);
    if (window.startUp() == StartResult::Stop)
        return 0;
    window.show();
    return QApplication::exec();
}

}  // namespace tolvane
