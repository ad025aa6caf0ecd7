#include "frame/widgets.h"

#include <QMouseEvent>
#include <QPainter>
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

}  // namespace tolvane
