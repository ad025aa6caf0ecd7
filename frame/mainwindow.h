#pragma once

#include <QMainWindow>

namespace tolvane {

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
};

}  // namespace tolvane
