#pragma once
// The DXF output dialog without its widgets: the name, the data-file
// choice, the OK run with its log lines and progress runs, the save step
// and the data file. The dialog window only mirrors this.

#include "calc/springrecord.h"
#include "diagram/diagraminputs.h"
#include "services/ui.h"

#include <QString>

#include <optional>

namespace tolvane {

// What the controller asks of its window.
class DxfOutputView {
public:
    virtual ~DxfOutputView() = default;
    virtual void setProgressRange(int minimum, int maximum) = 0;
    virtual void setProgressValue(int value) = 0;
    // Lets the window repaint and take input between two progress steps.
    virtual void processEvents() = 0;
    virtual void focusDiagramName() = 0;
    // OK and Cancel are disabled while an OK run writes.
    virtual void setWriting(bool writing) = 0;
    // Unloads the dialog.
    virtual void closeDialog() = 0;
};

class DxfOutput {
public:
    // The record is the spring record filled for this showing; complete is
    // false when filling it failed, and then no data file is written.
    DxfOutput(DiagramInputs inputs, SpringRecord record, bool recordComplete, UserInterface& ui,
              DxfOutputView& view);

    // Opening: settings folder and file, progress bar at 0.
    void formLoad();

    void setDiagramName(const QString& name) { diagramName_ = name; }
    const QString& diagramName() const { return diagramName_; }
    // The data-file box starts checked: the usual road writes both files.
    void setCreateVornFile(bool on) { createVornFile_ = on; }
    bool createVornFile() const { return createVornFile_; }

    void imgOk_Click();
    void imgCancel_Click();
    // A close request from the window (its close box, Escape). While an OK
    // run writes it waits, and is carried out when the run has ended.
    // True when the window may close now.
    bool requestClose();

    bool writing() const { return writing_; }
    bool closed() const { return closed_; }
    // Set by every press of OK: the main window then disables its DXF
    // commands.
    bool dxfCommandsOff() const { return dxfCommandsOff_; }

private:
    std::optional<QString> buildDrawing();
    void progressRun(int steps);
    void DxfSave(const QString& text);
    // The data file beside the drawing saved at path; a note for the saved
    // box when it was not written.
    QString writeVornFile(const QString& path);
    void close();

    DiagramInputs inputs_;
    SpringRecord record_;
    bool recordComplete_;
    UserInterface& ui_;
    DxfOutputView& view_;
    QString diagramName_;
    bool createVornFile_ = true;
    bool writing_ = false;
    bool closePending_ = false;
    bool closed_ = false;
    bool dxfCommandsOff_ = false;
};

}  // namespace tolvane
