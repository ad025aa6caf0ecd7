#pragma once
// The few widgets the windows need beyond Qt's own: a picture used as a
// button, the spin arrows beside a box, a caption written bottom-up, a
// list whose entry only the user chooses, and a box of one line.

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRect>
#include <QWidget>

#include <functional>
#include <optional>

class QToolButton;

namespace tolvane {

// The dialogs were laid out in twips; 15 of them make a pixel at 96 dpi.
constexpr int twipsToPixels(int twips) { return twips / 15; }
inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

// A picture that acts as a button. Press, release and click come apart, as
// the toolbar shows a pressed picture while the button is held and acts only
// on the click. A disabled one receives nothing, and shows its
// picture as drawn: the "_disable" pictures are made to be seen unfiltered.
class PictureButton : public QLabel {
    Q_OBJECT
public:
    explicit PictureButton(QWidget* parent = nullptr);
    // Shows the picture and remembers its file, relative to the program folder.
    void showPicture(const QPixmap& picture, const QString& file);
    QString pictureFile() const { return file_; }

signals:
    void pressed();
    void released();
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString file_;
    bool down_ = false;
};

// Up and down arrows that step the number in the box beside them.
class SpinArrows : public QWidget {
    Q_OBJECT
public:
    explicit SpinArrows(QWidget* parent = nullptr);
    void stepUp();
    void stepDown();

signals:
    void stepped(int step);

private:
    QToolButton* up_;
    QToolButton* down_;
};

// A caption turned a quarter counter-clockwise, read from the bottom up. The
// text is held last character first, the form the window's captions are kept
// in; reading() gives it in reading order.
class VerticalLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    QString reading() const;  // the caption as it reads on the screen

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The size and diameter lists: only the user chooses an entry, by a click,
// the arrow keys or Enter. By itself the item view makes its first entry
// current when the focus comes in by the keyboard, which the lists would
// take as a choice: a Shift+Tab through them would empty the spring data.
class ChoiceList final : public QListWidget {
public:
    using QListWidget::QListWidget;
    std::function<void(int row)> enterPressed;

protected:
    void focusInEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// A box of one line, as the desktop's one-line boxes are: a paste (by the
// keys, the context menu or the middle button) or a drop brings its text
// only up to the first line break, CR or LF, and without the blanks and
// tabs around it. A cell copied from a spreadsheet, "2\r\n", gives "2", as
// does one beside an empty cell, "2\t\r\n" or "\t2"; "\n2" gives nothing.
// No key types a line break or a tab, so the box never holds one the user
// put in, nor a tab that would push its text out of sight.
class OneLineBox final : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

    // The desktop's selection, which the middle button and Ctrl+Shift+Insert
    // paste; nothing where the desktop keeps none. A test puts its own in
    // place (nullptr: the desktop's again), as the offscreen platform keeps
    // none.
    using SelectionSource = std::optional<QString> (*)();
    static void setSelectionSource(SelectionSource source);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void pasteFirstLine(const QString& text);
};

}  // namespace tolvane
