#include "frame/mainwindow.h"

namespace tolvane {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tolvane"));
    resize(800, 600);
}

}  // namespace tolvane
