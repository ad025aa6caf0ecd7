#pragma once
// The main window. It mirrors the calculation model's controls (every widget
// carries its control's name) and forwards only what the user does; the
// toolbar, the menus, printing, saving, the skins, the pictures, start-up
// and shutdown are its own.

#include "calc/calcmodel.h"
#include "frame/ports.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QHash>
#include <QMainWindow>

#include <array>
#include <deque>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSessionManager;
class QTimer;

namespace tolvane {

class InstanceLock;
class PictureButton;

enum class StartResult { Run, Stop };

class MainWindow : public QMainWindow, private CalcScreen {
    Q_OBJECT
public:
    explicit MainWindow(FramePorts ports, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The load step: folders, log, skin, pictures, single copy, splash,
    // defaults, catalogue check, spin controls, banner. Stop: the program
    // must end without showing the window.
    StartResult startUp();

    CalcModel& model() { return *model_; }
    Form& form() { return model_->form(); }
    const Form& form() const { return model_->form(); }
    FrameHooks& hooks() { return ports_.hooks; }
    const QString& startDate() const { return startDate_; }
    bool ended() const { return ended_; }

    // The banner's place: the frame at the foot of the window and the label
    // the banner shows its text in. installBanner puts a banner widget of
    // its own in the label's place, under the same name.
    QWidget* bannerFrame() const { return bannerFrame_; }
    QLabel* bannerLabel() const;
    void installBanner(QWidget* banner);
    // The link pointer loaded from the materials folder (the arrow until then).
    const QCursor& linkCursor() const { return linkCursor_; }

    // --- skins and pictures ----------------------------------------------------
    void SelectSkin();
    void LoadImages();
    // Reads the pictures the start-up shows ahead of the window, while the
    // fonts are still being set up; the window then finds them read.
    static void preloadPictures();

    // --- toolbar ---------------------------------------------------------------
    void imgSelectAll_Click();
    void imgCopy_Click();
    void imgClearData_Click();
    void imgAllClear_Click();
    void imgOutputDXF_Click();
    void imgTotalOutput_Click();
    void imgHowToUse_Click();

    // --- menus -----------------------------------------------------------------
    void mnuSave2_Click();
    void mnuDxf_Click();
    void mnuPrinter_Click();
    void mnuPrint_Click();
    void mnuEnd_Click();
    void mnuTEXT_Click();
    void mnuCria_Click();
    void mnuCut_Click();
    void mnuCopy_Click();
    void mnuAllsel_Click();
    void mnuDentaku_Click();
    void mnuLight_Click();
    void mnuDark_Click();
    void mnuProgram_Click();
    void mnuHome_Click();
    void mnuVer_Click();

    // --- shutdown --------------------------------------------------------------
    // Returns the cancel flag: true keeps the window open.
    bool Form_QueryUnload(int unloadMode);
    void FailSave();
    bool SaveTextControl(QString& path);
    void CleaningUp();

    // The report box's selection, in the model's text (CR LF line ends).
    QString selectedReportText() const;

    QWidget* control(const QString& name) const;
    QAction* menuAction(const QString& name) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setFocus(Ctl box) override;
    void paceSlide(Ctl label) override;
    bool queueSlideStep(Ctl c, Prop p);
    // Shows the steps whose time has come, or all of them.
    void playSlide(bool all = false);

    void buildWindow();
    void buildMenus();
    void wireModel();
    void mirror(Ctl c, Prop p);
    void mirrorAll();

    void setPicture(const QString& control, const QString& file);
    void setButton(Ctl button, bool enabled, const QString& stem);
    void setColor(const QString& control, bool fore, ColorRef color);
    void pressPicture(const QString& button, const QString& stem, bool down);
    void clearCommand(bool all, bool resetSeriesPictures);
    void runStep(const std::function<void()>& step);
    void selectAllSteps();
    void showDxfDialog(const QString& procedure);
    void switchSkin(const QString& skin);
    void endProgram(bool logEndLine, bool cleanUp);
    // True when the program ended.
    bool askToEnd();
    void onCommitData(QSessionManager& manager);

    FramePorts ports_;
    std::unique_ptr<CalcModel> model_;
    std::unique_ptr<InstanceLock> lock_;
    std::array<QWidget*, kControlCount> widgets_{};
    std::array<QAction*, kControlCount> actions_{};
    QHash<QString, QAction*> menuActions_;
    QPlainTextEdit* report_ = nullptr;
    QWidget* bannerFrame_ = nullptr;
    QCursor linkCursor_;
    QString startDate_;
    // The window's save dialog: what it was last set up with and the file
    // last chosen in it stay for the next save.
    FileDialogRequest saveDialog_;
    // The title panel's slide as the window shows it: the model has already
    // taken every step; a timer shows them one after another, each for its
    // pace, after the handler that slid the panel has returned.
    struct SlideStep {
        Ctl control;  // Label55 or Label56: its left; Picture6: shown or not
        int value;
        qint64 paceNs = 0;
    };
    std::deque<SlideStep> slideSteps_;
    QTimer* slideTimer_ = nullptr;
    QElapsedTimer slideClock_;
    qint64 slideShownNs_ = 0;  // the pace of the steps shown so far
    bool ended_ = false;
    bool closing_ = false;
};

}  // namespace tolvane
