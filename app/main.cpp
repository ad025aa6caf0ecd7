#include "frame/desktop.h"
#include "frame/mainwindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvane"));
    QApplication::setFont(QFont(QStringLiteral("IPAPGothic"), 9));

    tolvane::DesktopPorts desktop;
    tolvane::MainWindow window(desktop.ports());
    desktop.ui.setOwner(&window);
    if (window.startUp() == tolvane::StartResult::Stop)
        return 0;
    window.show();
    return QApplication::exec();
}
