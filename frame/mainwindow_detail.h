#pragma once
// What the main window's sources share and nothing else uses: the window's
// name in its log lines, the model's twips, the colours a control is
// painted with, the report box's positions, and the series frames' place.

#include "calc/form.h"
#include "services/vberror.h"

#include <QRect>
#include <QString>

class QWidget;

namespace tolvane::mainwindowdetail {

inline const QString kOwner = QStringLiteral("frmMain");

// What a missing dialog, banner or control raises.
inline VbError objectRequired() { return VbError(424, QStringLiteral("オブジェクトが必要です。")); }

// The model keeps places and sizes in twips, fifteen to a pixel.
constexpr int px(int twips) { return (twips + 7) / 15; }

// A control's text and background in the model's colour numbers; the
// number is kept on the widget.
void applyForeColor(QWidget* w, ColorRef v);
void applyBackColor(QWidget* w, ColorRef v);

// The report box shows one character per line end where the model keeps
// CR LF: a position in the box as the model counts it.
int toModelPos(const QString& modelText, int widgetPos);

// The series frames take turns at one place.
constexpr QRect kSeriesPlace(px(120), px(4440), 316, 76);

// The chosen kind's picture at start.
inline const QString kChosenKind = QStringLiteral("square_sp1_on.gif");

}  // namespace tolvane::mainwindowdetail
