#pragma once
// Small helpers shared by the calculation model's sources; not part of the
// window's contract.

#include "calc/form.h"
#include "services/log.h"
#include "services/numtext.h"
#include "services/vberror.h"

#include <QString>

#include <cmath>

namespace tolvane::calcdetail {

inline constexpr ColorRef kLightCyan = 0xFFFFC0;
inline constexpr ColorRef kGrey = 0x808080;
inline constexpr ColorRef kGreen = 0x00FF00;
inline constexpr ColorRef kBlue = 0xFF0000;
inline constexpr ColorRef kLightGrey = 0xE0E0E0;
inline constexpr ColorRef kCyan = 0xFFFF00;
inline constexpr ColorRef kYellow = 0x00FFFF;
inline constexpr ColorRef kOrange = 0x0080FF;

// Texts the rules write and compare again and again.
inline const QString kDash = QStringLiteral("---");
inline const QString kZero = QStringLiteral("0");
inline const QString kAll = QStringLiteral("all");
inline const QString kPart = QStringLiteral("part");
inline const QString kOff = QStringLiteral("OFF");

inline QString mainLabel(const QString& procedure) { return errorLabel(QStringLiteral("frmMain"), procedure); }

// A picture button's file: "materials/" + name + state ("_on.gif", ...).
inline QString materialsPicture(QStringView name, QStringView state)
{
    return QStringLiteral("materials/") + name.toString() + state.toString();
}

// Runs one procedure under its own error handler: the error line with the
// procedure's label, and the caller goes on.
template <class F>
void guarded(const char16_t* procedure, F&& body)
{
    try {
        body();
    } catch (const VbError& e) {
        logError(mainLabel(QString::fromUtf16(procedure)), e);
    }
}

// Division by zero is an error for the rule's handler to log, never an
// infinity that would flow on into the results: 0 / 0 overflows, anything
// else divides by zero.
inline double divide(double a, double b)
{
    if (b == 0.0)
        throw VbError(a == 0.0 ? kErrOverflow : kErrDivisionByZero);
    return a / b;
}

// True when the text reads strictly as exactly the number v; a text that is
// not a number (empty, "-", ".") counts as different.
inline bool readsStrictlyAs(const QString& text, double v)
{
    if (!isStrictNumber(text))
        return false;
    try {
        return cdbl(text) == v;
    } catch (const VbError&) {
        return false;
    }
}

// The resets write a box only when it differs, so an unchanged box runs no
// rule: empty it when it holds text, set it to v unless it already reads as v.
inline void emptyBox(Form& form, Ctl box)
{
    if (!form.text(box).isEmpty())
        form.setText(box, QString());
}

inline void resetBox(Form& form, Ctl box, int v)
{
    if (!readsStrictlyAs(form.text(box), v))
        form.setText(box, dblText(v));
}

// The boxes with a spin control beside them: the control, its range, and
// the number the box starts with, which is also the number the clear
// commands and the switches of the input mode put back.
struct SpinBox {
    Ctl upDown;
    Ctl box;
    int min, max, start;
};
inline constexpr SpinBox kSpinBoxes[] = {
    {Ctl::UpDown1, field::ShearFactor, 1, 100, 35},
    {Ctl::UpDown2, field::StrippingPercent, 1, 99, 5},
    {Ctl::UpDown3, field::SpringCount, 1, 99, 1},
    {Ctl::UpDown4, field::Bite, 0, 300, 0},
};

// A box without a spin control has no start number: asking for one does
// not compile.
consteval int startNumber(Ctl box)
{
    for (const SpinBox& s : kSpinBoxes) {
        if (s.box == box)
            return s.start;
    }
    throw "no spin control beside this box";
}

// resetBox with the box's start number.
template <Ctl box>
void resetToStart(Form& form)
{
    resetBox(form, box, startNumber(box));
}

// A list box with nothing chosen and no entries.
inline void clearList(Form& form, Ctl list)
{
    form.setListIndex(list, -1);
    form.setItems(list, {});
}

// The distance before bottom dead centre and its caption: open in mode
// "part" only.
inline void enablePartInput(Form& form, bool part)
{
    form.setEnabled(Ctl::Label37, part);
    form.setBackColor(field::StartBeforeBottom, part ? kSysWindow : kSysActiveBorder);
    form.setEnabled(field::StartBeforeBottom, part);
}

// No value the rules, the report or the data file work out from numbers of
// at most this size leaves the range of a single, let alone of a double: the
// largest is a load, a rate times a count times four of them (about 4E+36,
// against 3.4E+38), and a text's fifteen digits move a value by far less
// than the margin. Only beyond it are the values worked out in full, text
// by text.
inline constexpr double kSafelyComputable = 1e12;

// True when the text is known to read as a number below 1E+12, and unless 0
// of at least 1E-11, without reading it: it has at most twelve characters
// and no exponent, so fewer than thirteen digits.
inline bool shortPlainNumber(QStringView text)
{
    if (text.size() > 12)
        return false;
    for (QChar c : text) {
        if (c == u'E' || c == u'e' || c == u'D' || c == u'd')
            return false;
    }
    return true;
}

// True when the text reads leniently as a number of at most `bound`; false
// for one beyond a double.
inline bool readsWithin(const QString& text, double bound)
{
    try {
        return shortPlainNumber(text) || std::fabs(valText(text)) <= bound;
    } catch (const VbError&) {
        return false;
    }
}

// The strict reading where a text that is no number counts as `fallback`.
inline double strictOr(const QString& text, double fallback)
{
    return isStrictNumber(text) ? cdbl(text) : fallback;
}

}  // namespace tolvane::calcdetail
