#pragma once
// frmOutputDXF: the DXF output dialog of the spring pressure diagram. The
// window only mirrors diagram/dxfoutput.h: a name box, the data-file check
// box, the progress bar and the two picture buttons.

#include "calc/springrecord.h"
#include "diagram/diagraminputs.h"
#include "diagram/dxfoutput.h"
#include "frame/widgets.h"
#include "services/ui.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;

namespace tolvane {

class DxfDialog : public QDialog, private DxfOutputView {
    Q_OBJECT
public:
    DxfDialog(const DiagramInputs& inputs, const SpringRecord& record, bool recordComplete, UserInterface& ui,
              QWidget* owner = nullptr);
    ~DxfDialog() override;

    DxfOutput& output() { return *output_; }
    QLineEdit* nameBox() const { return name_; }
    QCheckBox* vornCheckBox() const { return vorn_; }
    QProgressBar* progressBar() const { return progress_; }
    QLabel* okButton() const { return ok_; }
    QLabel* cancelButton() const { return cancel_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    // DxfOutputView
    void setProgressRange(int minimum, int maximum) override;
    void setProgressValue(int value) override;
    void processEvents() override;
    void focusDiagramName() override;
    void setWriting(bool writing) override;
    void closeDialog() override;

    void InitializeImageControls();
    void SelectSkin();

    std::unique_ptr<DxfOutput> output_;
    QLabel* prompt_ = nullptr;
    QLineEdit* name_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QCheckBox* vorn_ = nullptr;
    PictureButton* ok_ = nullptr;
    PictureButton* cancel_ = nullptr;
    bool closingByProgram_ = false;
};

// Shows the dialog modally over owner, as the main window's DXF button and
// menu entry do between filling the spring record and emptying it. True
// when OK was pressed at least once: the caller then disables its DXF
// button (with its "_disable" picture) and menu entry.
bool showDxfDialog(QWidget* owner, const DiagramInputs& inputs, const SpringRecord& record, bool recordComplete,
                   UserInterface& ui);

}  // namespace tolvane
