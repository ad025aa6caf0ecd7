#pragma once
// The splash shown while the program starts. Closing it paces its progress
// bar for about a second and does the folder and old-log housekeeping.

#include <QWidget>

class QLabel;

namespace tolvane {

class SplashWindow : public QWidget {
    Q_OBJECT
public:
    explicit SplashWindow(QWidget* parent = nullptr);
    // The unload step: the paced bar (when wait is set), then the folders,
    // the settings file and the deletion of old logs.
    void unload(bool wait);
    // The bar's width in twips, as the pacing left it.
    int progressTwips() const { return progressTwips_; }
    // Decodes the title picture ahead of the first splash; any thread.
    static void prepareTitle();

private:
    void paceProgress();

    QLabel* progress_;
    int progressTwips_ = 0;
};

}  // namespace tolvane
