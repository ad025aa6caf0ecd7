#include "frame/widgets.h"

#include "services/numtext.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tolvane {

PictureButton::PictureButton(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void PictureButton::showPicture(const QPixmap& picture, const QString& file)
{
    setPixmap(picture);
    file_ = file;
}

// Every mouse button presses and releases the picture; only the left one
// clicks it, and only when it is let go over the picture it went down on.
void PictureButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        down_ = true;
    emit pressed();
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = event->button() == Qt::LeftButton && down_;
    if (event->button() == Qt::LeftButton)
        down_ = false;
    emit released();
    if (click && rect().contains(event->position().toPoint()) && isEnabled())
        emit clicked();
}

void PictureButton::paintEvent(QPaintEvent* event)
{
    // The label would grey a disabled picture out; the picture is drawn as is.
    const QPixmap picture = pixmap();
    if (picture.isNull()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter p(this);
    drawFrame(&p);
    const QRect room = contentsRect();
    if (hasScaledContents()) {
        p.drawPixmap(room, picture);
        return;
    }
    const QSize size = picture.deviceIndependentSize().toSize();
    p.drawPixmap(QStyle::alignedRect(layoutDirection(), alignment(), size, room), picture);
}

SpinArrows::SpinArrows(QWidget* parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(b);
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    connect(up_, &QToolButton::clicked, this, &SpinArrows::stepUp);
    connect(down_, &QToolButton::clicked, this, &SpinArrows::stepDown);
}

void SpinArrows::stepUp() { emit stepped(1); }
void SpinArrows::stepDown() { emit stepped(-1); }

QString VerticalLabel::reading() const
{
    QString s = text();
    std::reverse(s.begin(), s.end());
    return s;
}

void VerticalLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    p.setFont(font());
    p.translate(0, height());
    p.rotate(-90);
    // After the turn, x runs up the label and y across it.
    const QRect r(0, 0, height(), width());
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, reading());
}

namespace {

void drawRing(QWidget* on, int width)
{
    QPainter painter(on);
    const QColor ring = on->palette().color(QPalette::Active, QPalette::Highlight);
    const QRect r = on->rect();
    for (const QRect& side : {QRect(r.left(), r.top(), r.width(), width), QRect(r.left(), r.bottom() - width + 1, r.width(), width),
                              QRect(r.left(), r.top(), width, r.height()), QRect(r.right() - width + 1, r.top(), width, r.height())})
        painter.fillRect(side, ring);
}

}  // namespace

void ChoiceList::focusInEvent(QFocusEvent* event)
{
    const bool noneCurrent = currentRow() < 0;
    const QSignalBlocker block(this);
    QListWidget::focusInEvent(event);
    // With none current, the first arrow key goes to the first entry.
    if (noneCurrent)
        setCurrentRow(-1);
}

// The list with the keyboard focus wears a ring of the highlight colour,
// two pixels wide: its frame and the edge of its entries' area. It reads
// plainly against the list's white and either skin around it.
bool ChoiceList::event(QEvent* event)
{
    const bool done = QListWidget::event(event);
    if (event->type() == QEvent::Paint && hasFocus())
        drawRing(this, frameWidth());
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        update();
        viewport()->update();
    }
    return done;
}

void ChoiceList::paintEvent(QPaintEvent* event)
{
    QListWidget::paintEvent(event);
    if (hasFocus())
        drawRing(viewport(), qMax(1, 2 - frameWidth()));
}

// A scroll moves what the entries' area shows, the ring's edge with it.
void ChoiceList::scrollContentsBy(int dx, int dy)
{
    QListWidget::scrollContentsBy(dx, dy);
    if (hasFocus())
        viewport()->update();
}

void ChoiceList::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && currentRow() >= 0 && enterPressed) {
        enterPressed(currentRow());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

namespace {

// What a paste or a drop keeps: the text up to its first line break (all of
// it when it has none), without the blanks and tabs around it.
QString firstLine(const QString& text)
{
    const auto end = std::find_if(text.cbegin(), text.cend(), [](QChar c) { return c == u'\r' || c == u'\n'; });
    return withoutBlanksAround(QStringView(text.cbegin(), end)).toString();
}

// A drop as it came, with other data.
class DropOf final : public QDropEvent {
public:
    DropOf(const QDropEvent& event, const QMimeData* data)
        : QDropEvent(event.position(), event.possibleActions(), data, event.buttons(), event.modifiers())
    {
        m_defaultAction = event.proposedAction();
        m_dropAction = event.dropAction();
    }
};

std::optional<QString> desktopSelection()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection())
        return std::nullopt;
    return clipboard->text(QClipboard::Selection);
}

OneLineBox::SelectionSource selectionSource = desktopSelection;

}  // namespace

void OneLineBox::setSelectionSource(SelectionSource source) { selectionSource = source ? source : desktopSelection; }

void OneLineBox::pasteFirstLine(const QString& pasted)
{
    if (isReadOnly())
        return;
    const QString text = firstLine(pasted);
    // As a paste does: with nothing to insert, only a selection goes.
    if (!text.isEmpty() || hasSelectedText())
        insert(text);
}

void OneLineBox::keyPressEvent(QKeyEvent* event)
{
    if (event != QKeySequence::Paste) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    // Ctrl+Shift+Insert pastes the selection, where the desktop has one.
    std::optional<QString> selection;
    if (event->key() == Qt::Key_Insert && event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier))
        selection = selectionSource();
    pasteFirstLine(selection ? *selection : QGuiApplication::clipboard()->text());
    event->accept();
}

void OneLineBox::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    if (!menu)
        return;
    // The menu's paste is this box's own. The menu is connected to the slot
    // by its name or by its address, as Qt's version has it.
    for (QAction* action : menu->actions()) {
        if (disconnect(action, SIGNAL(triggered()), this, SLOT(paste()))
            || disconnect(action, &QAction::triggered, this, &QLineEdit::paste))
            connect(action, &QAction::triggered, this, [this] { pasteFirstLine(QGuiApplication::clipboard()->text()); });
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void OneLineBox::mouseReleaseEvent(QMouseEvent* event)
{
    // The middle button pastes the selection, where the desktop has one:
    // this box's paste only, the line edit's own would paste it whole
    // beside it, so that release goes no further.
    const std::optional<QString> selection =
        event->button() == Qt::MiddleButton && !isReadOnly() ? selectionSource() : std::nullopt;
    if (!selection) {
        QLineEdit::mouseReleaseEvent(event);
        return;
    }
    deselect();
    pasteFirstLine(*selection);
    event->accept();
}

void OneLineBox::dropEvent(QDropEvent* event)
{
    const QString text = event->mimeData()->text();
    const QString first = firstLine(text);
    if (first.size() == text.size()) {
        QLineEdit::dropEvent(event);
        return;
    }
    QMimeData data;
    data.setText(first);
    DropOf drop(*event, &data);
    QLineEdit::dropEvent(&drop);
    event->setDropAction(drop.dropAction());
    event->setAccepted(drop.isAccepted());
}

}  // namespace tolvane
