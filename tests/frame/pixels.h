#pragma once
// Looking at rendered windows pixel by pixel: the colour behind a control,
// how far its text stands out, whether a caption is cut. With
// TOLVANE_SCREENSHOT_DIR set the pictures are saved there too
// (tools/screenshot.sh, on a virtual X display).

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include "frame/widgets.h"

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

namespace tolvane::test {

// Relative luminance and contrast ratio as the accessibility guidelines
// define them: 1 for equal colours, 21 for black on white.
inline double luminance(QColor c)
{
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

inline double contrast(QColor a, QColor b)
{
    const double x = luminance(a) + 0.05;
    const double y = luminance(b) + 0.05;
    return std::max(x, y) / std::min(x, y);
}

// The part of w that shows, in window coordinates: its parents clip it.
inline QRect shownRect(const QWidget* w, const QWidget* window)
{
    if (w == window)
        return window->rect();
    QRect r(w->mapTo(window, QPoint(0, 0)), w->size());
    for (const QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
        r &= QRect(p->mapTo(window, QPoint(0, 0)), p->size());
    return r & window->rect();
}

// The colour most pixels of the rectangle have, leaving out what the listed
// children cover: the face behind a control's text.
inline QColor commonest(const QImage& image, const QRect& r, const QList<QRect>& leaveOut = {})
{
    QHash<QRgb, int> counts;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (std::none_of(leaveOut.begin(), leaveOut.end(), [&](const QRect& c) { return c.contains(x, y); }))
                ++counts[image.pixel(x, y)];
    QRgb best = 0;
    int most = -1;
    for (auto it = counts.begin(); it != counts.end(); ++it)
        if (it.value() > most)
            best = it.key(), most = it.value();
    return QColor(best);
}

inline double strongestContrast(const QImage& image, const QRect& r, QColor against)
{
    double best = 1;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            best = std::max(best, contrast(QColor(image.pixel(x, y)), against));
    return best;
}

// The face of a control: its commonest colour outside its visible children.
inline QColor faceOf(const QImage& image, const QWidget* w, const QWidget* window)
{
    QList<QRect> children;
    for (const QWidget* c : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (c->isVisibleTo(window))
            children << shownRect(c, window);
    return commonest(image, shownRect(w, window), children);
}

inline QString shownText(const QWidget* w)
{
    if (const auto* l = qobject_cast<const QLabel*>(w))
        return l->pixmap().isNull() ? l->text() : QString();
    if (const auto* b = qobject_cast<const QAbstractButton*>(w)) {
        // An option narrowed to its circle shows no text.
        QStyleOptionButton o;
        o.initFrom(b);
        const bool narrowed = qobject_cast<const QRadioButton*>(w) &&
                              b->style()->subElementRect(QStyle::SE_RadioButtonContents, &o, b).width() <= 0;
        return narrowed ? QString() : b->text();
    }
    if (const auto* g = qobject_cast<const QGroupBox*>(w))
        return g->title();
    if (const auto* e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    return {};
}

inline QImage shoot(QWidget* w, const QString& name)
{
    w->show();
    QApplication::processEvents();
    const QImage image = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (const QString dir = qEnvironmentVariable("TOLVANE_SCREENSHOT_DIR"); !dir.isEmpty()) {
        QDir().mkpath(dir);
        image.save(dir + u'/' + name + QStringLiteral(".png"));
    }
    return image;
}

// White on light grey is 1.15, an unseen text 1. The weakest pair by design is
// the links' fixed light blue on the light face, 2.8.
inline constexpr double kReadable = 2.5;

// What every window must show: its face in the expected colour, each text
// readable against what is behind it (a disabled caption, meant to read as
// off, only there at all; a disabled box's value readable all the same) and
// a one-line caption whole inside the part of its control that shows.
inline void expectLegible(QWidget* window, const QImage& image, QColor face)
{
    const QWidget* surface = qobject_cast<QMainWindow*>(window) ? static_cast<QMainWindow*>(window)->centralWidget()
                                                                : window;
    EXPECT_EQ(faceOf(image, surface, window).name(), face.name()) << window->objectName().toStdString();
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const QString text = shownText(w);
        if (text.trimmed().isEmpty() || !w->isVisibleTo(window))
            continue;
        const std::string what = (window->objectName() + u'.' + w->objectName() + u' ' + text).toStdString();
        const QRect shown = shownRect(w, window);
        const QColor behind = commonest(image, shown);
        const bool readable = w->isEnabled() || qobject_cast<QLineEdit*>(w);
        EXPECT_GE(strongestContrast(image, shown, behind), readable ? kReadable : 1.4) << what;

        const auto* label = qobject_cast<QLabel*>(w);
        if (label && !label->wordWrap() && !text.contains(u'\n') && !qobject_cast<VerticalLabel*>(w)) {
            const QSize need(label->fontMetrics().horizontalAdvance(text), label->fontMetrics().height());
            const QRect at = QStyle::alignedRect(label->layoutDirection(), label->alignment(), need, label->contentsRect())
                                 .translated(label->mapTo(window, QPoint(0, 0)));
            EXPECT_TRUE(at.left() >= shown.left() && at.right() <= shown.right()) << "cut: " << what;
        }
        if (qobject_cast<QCheckBox*>(w) || qobject_cast<QPushButton*>(w)) {
            EXPECT_LE(w->sizeHint().width(), w->width()) << "cut: " << what;
        }
    }
}

}  // namespace tolvane::test
