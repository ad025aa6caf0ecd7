#pragma once
// The two region dialogs: which region the user lives in, kept in the
// settings' "Data" section. The change dialog (frmUserInfoChange) and the
// first-run dialog (frmUserRegist), which may also skip the question or end
// the program. Nothing in the program shows them yet; both are ready to be
// shown modally over the main window.

#include <QDialog>
#include <QStringList>

#include <functional>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

namespace tolvane {

class UserInterface;

// The regions in list order; the list index is what the settings keep.
QStringList regionNames();

class UserInfoChangeDialog : public QDialog {
    Q_OBJECT
public:
    explicit UserInfoChangeDialog(UserInterface& ui, QWidget* owner = nullptr);

    QComboBox* cmbLocationSelect() const { return combo_; }
    QPushButton* btnOK() const { return ok_; }
    QPushButton* btnCancel() const { return cancel_; }

    void Form_Load();
    void btnOK_Click();
    void btnCancel_Click();

private:
    UserInterface& ui_;
    QComboBox* combo_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

class UserRegistDialog : public QDialog {
    Q_OBJECT
public:
    // The dialog's result when the user chose to end the program.
    static constexpr int kEndProgram = 2;

    explicit UserRegistDialog(UserInterface& ui, QWidget* owner = nullptr);

    // What ending the program means; by default the application's event
    // loop is told to quit.
    void setEndProgram(std::function<void()> endProgram) { endProgram_ = std::move(endProgram); }

    QComboBox* cmbLocationSelect() const { return combo_; }
    QPushButton* command1() const { return ok_; }
    QPushButton* btnSkip() const { return skip_; }
    QPushButton* command2() const { return end_; }

    void Form_Load();
    void Command1_Click();
    void btnSkip_Click();
    void Command2_Click();

private:
    UserInterface& ui_;
    std::function<void()> endProgram_;
    QComboBox* combo_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* skip_ = nullptr;
    QPushButton* end_ = nullptr;
};

}  // namespace tolvane
