#include "frame/mainwindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvane"));
    tolvane::MainWindow window;
    window.show();
    return QApplication::exec();
}
