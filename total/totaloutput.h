#pragma once
// The total output, the state and rules behind the window frmSelectFile,
// without widgets: the user picks two or more spring data files and names
// the diagram; the output checks the files, adds up their loads and saves the
// total pressure diagram as a DXF file. The window in frame/ shows this state
// and forwards its events.

#include "services/ui.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tolvane {

class TotalOutput {
public:
    // Sizes in twips, as the window lays them out.
    static constexpr int kCompactHeight = 2600;
    static constexpr int kExpandedHeight = 5970;
    static constexpr int kCancelTopCompact = 1680;
    static constexpr int kCancelTopExpanded = 5040;

    explicit TotalOutput(UserInterface& ui);

    void Form_Load();
    void Form_Unload();

    // Text1: the diagram's name, as typed.
    const QString& diagramName() const { return diagramName_; }
    void setDiagramName(const QString& name) { diagramName_ = name; }

    // List1, the output button and the layout.
    const QStringList& listRows() const { return listRows_; }
    bool outputEnabled() const { return outputEnabled_; }
    int height() const { return height_; }
    int cancelTop() const { return cancelTop_; }

    void imgSelectFiles_Click();
    void imgOutputDXF_Click();
    void imgCancel_Click();

    // The dialog asks to be closed (cancel, or a confirmed save).
    bool closeRequested() const { return closeRequested_; }
    // True once after the output wanted the focus in the name box.
    bool takeNameFocusRequest();

    // The full paths of the chosen files, in the order they are read.
    const QStringList& selectedPaths() const { return selectedPaths_; }

    // The checks of one data file against the ones read before it in the same
    // output; each shows its own message when it refuses.
    bool CheckVornFile(const QString& marker, const QString& path);
    bool CheckDxfKind(const QString& kind);
    bool CheckSpData(const QStringList& fields);

private:
    void SelectFile();
    void applyLayout();
    bool readAndCheck(const QString& path);
    void refuseFile(const QString& path, const QString& why);
    void DxfSave(const QString& name, const QString& text);
    void resetOutputState();

    UserInterface& ui_;
    QString diagramName_;
    QStringList listRows_;
    bool outputEnabled_ = false;
    int height_ = kCompactHeight;
    int cancelTop_ = kCancelTopCompact;
    bool closeRequested_ = false;
    bool nameFocusRequested_ = false;

    QString folder_;
    QStringList fileNames_;
    QStringList selectedPaths_;
    QList<QStringList> dataFileFields_;
    QString referenceKind_;
    QStringList referenceLengths_;
};

}  // namespace tolvane
