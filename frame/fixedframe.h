#pragma once
// The windows keep the size of their design: the window system may neither
// resize nor maximise them. The main window can still be minimised; a dialog
// offers only its close button.

#include <QDialog>
#include <QWidget>

namespace tolvane {

inline void setFixedFrame(QWidget* window)
{
    Qt::WindowFlags flags = Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    if (qobject_cast<QDialog*>(window))
        flags |= Qt::Dialog;
    else
        flags |= Qt::Window | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint;
    window->setWindowFlags(flags);
}

}  // namespace tolvane
