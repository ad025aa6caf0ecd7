#pragma once
// The total output dialog's window (frmSelectFile): it shows the state of
// TotalOutput and hands it the user's clicks.

#include "frame/widgets.h"
#include "services/ui.h"
#include "total/totaloutput.h"

#include <QDialog>
#include <QLabel>

#include <functional>

class QLineEdit;
class QListWidget;

namespace tolvane {

// The dialog's own picture button: its pressed picture while a mouse button
// is held on it, its at-rest picture otherwise; a left click runs the action.
class TotalPictureButton : public PictureButton {
public:
    TotalPictureButton(QWidget* parent, QString offPicture, QString onPicture, QString owner);
    void setAction(std::function<void()> action) { action_ = std::move(action); }
    // procedure: the name a missing picture is logged under; empty: the
    // button's own MouseDown or MouseUp.
    void showPicture(bool pressed, const QString& procedure = {});
    const QString& currentPicture() const { return current_; }

private:
    QString off_;
    QString on_;
    QString owner_;
    QString current_;
    std::function<void()> action_;
};

class TotalDialog : public QDialog {
public:
    TotalDialog(QWidget* owner, UserInterface& ui);
    ~TotalDialog() override;

    TotalOutput& model() { return model_; }
    QLineEdit* nameBox() const { return text1_; }
    QListWidget* fileList() const { return list1_; }
    TotalPictureButton* selectFilesButton() const { return imgSelectFiles_; }
    TotalPictureButton* outputButton() const { return imgOutputDXF_; }
    TotalPictureButton* cancelButton() const { return imgCancel_; }

private:
    void SelectSkin();
    void InitializeImageControls();
    void refresh();

    TotalOutput model_;
    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
    QLabel* label3_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QListWidget* list1_ = nullptr;
    TotalPictureButton* imgSelectFiles_ = nullptr;
    TotalPictureButton* imgOutputDXF_ = nullptr;
    TotalPictureButton* imgCancel_ = nullptr;
};

// The main window's total-output button: the dialog, modal, over the owner.
void showTotalDialog(QWidget* owner, UserInterface& ui);

}  // namespace tolvane
