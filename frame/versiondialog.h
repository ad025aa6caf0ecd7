#pragma once
// The version dialog: the program's name and version, the notice of rights,
// and two links (the maker's mailbox and the product page) that colour when
// pointed at and open in the desktop's own program when clicked.
//
// Shown from the main window's menu: showVersionDialog(this, ui).

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;

namespace tolvane {

class UserInterface;

class VersionDialog : public QDialog {
    Q_OBJECT
public:
    explicit VersionDialog(UserInterface& ui, QWidget* owner = nullptr);

    // The link targets; the product page of the home-page server and the
    // contact mailbox unless told otherwise.
    void setProductPageUrl(const QString& url);
    void setContactMailUrl(const QString& url) { contactMailUrl_ = url; }

    QLabel* label(int number) const;  // Label1, 2, 3, 4, 7, 8, 11, 12
    QFrame* frame(int number) const;  // Frame1, 2, 3
    QLabel* imgOK() const { return imgOK_; }

    void Form_Load();
    void SelectSkin();
    void imgOK_Click();
    void imgOK_MouseDown();
    void imgOK_MouseUp();
    void Label12_Click();
    void Label7_Click();
    void Label12_MouseMove();
    void Label7_MouseMove();
    void Frame1_MouseMove();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* makeLabel(QWidget* parent, int number, const QString& text, const QRect& geometry);
    void pointAt(QLabel* link);

    UserInterface& ui_;
    QString productPageUrl_;
    QString contactMailUrl_;
    QFrame* frames_[4] = {};
    QLabel* labels_[13] = {};
    QLabel* picture1_ = nullptr;
    QLabel* imgOK_ = nullptr;
};

// Shows the version dialog modally over its owner.
void showVersionDialog(QWidget* owner, UserInterface& ui);

}  // namespace tolvane
