#pragma once
// Small widget helpers of the windows and dialogs: the colour numbers the
// skins are written in, and pictures loaded by name from the materials folder.

#include "services/vberror.h"

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QPixmap>
#include <QString>

class QCoreApplication;
class QLabel;
class QTranslator;
class QWidget;

namespace tolvane::look {

// The font every window is written in, unless a control asks for its own.
QFont programFont();

// Qt's own dialogs (files, printing, their questions) speak Japanese like the
// rest of the program, whatever the desktop's language: Qt's Japanese texts
// are loaded, and Qt's own dialogs are used rather than the desktop's, which
// would follow the desktop's language; the few texts Qt's catalogue lacks
// that those dialogs show are added. The locale is left alone, so number
// handling does not change. The translator belongs to app; null when Qt's
// Japanese texts are not installed.
QTranslator* installQtJapanese(QCoreApplication& app);

// The fonts here are wider than the ones the windows were drawn for: a
// one-line caption that would run past its room, or past its parent's edge,
// gets a smaller point size (in quarter points, down to 6 pt) until it fits.
void fitCaption(QLabel* label);

// Colour numbers 0x00BBGGRR; with the top bit set, a system colour.
constexpr quint32 kVbWindowText = 0x80000008;
constexpr quint32 kVbButtonFace = 0x8000000F;

QColor vbColor(quint32 value);

// The chosen skin's window face and text: Light takes the desktop's button
// face and window text, Dark is dark grey with white text.
struct SkinColours {
    bool light;
    quint32 face;
    quint32 text;
};
SkinColours skinColours();

// Sets the widget's back (fore) colour and keeps the number, so a handler can
// ask what a control holds before it writes.
void setVbBackColor(QWidget* widget, quint32 value);
void setVbForeColor(QWidget* widget, quint32 value);
// The number last set; 0xFFFFFFFF when none was.
quint32 vbBackColor(const QWidget* widget);
quint32 vbForeColor(const QWidget* widget);

// The error of a file that is there but no picture (481).
VbError invalidPicture();
// A picture of the materials folder. VbError 53 when the file is missing,
// 481 when it is no picture.
QPixmap loadMaterialPicture(const QString& fileName);
// A mouse pointer of the materials folder (a .cur file keeps its hot spot).
QCursor loadMaterialCursor(const QString& fileName);

}  // namespace tolvane::look
