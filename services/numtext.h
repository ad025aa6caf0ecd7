#pragma once
// Number texts. The calculation keeps every number as text and converts it
// where it is used, always by the rules below, so a result is the same text
// to the last digit on every machine and in every report, and the results
// are compared as texts ("0" is not "0.0"). None of this may depend on the process locale:
// the GUI sets one, the numbers must not notice.

#include <QString>
#include <QStringView>

namespace tolvane {

// The number at the start of the text; 0 when there is none. Blanks, tabs
// and line feeds are skipped wherever they stand. "", "-", ".", "---" read
// 0, "12.5.3" reads 12.5. Throws VbError(6) only for a number beyond the
// double range.
double valText(QStringView text);

// True when the text is a number as a whole, with nothing but blanks and
// tabs around it. So a text this accepts is always the number the lenient
// reading finds: a form feed or a full-width blank before the digits (where
// the lenient reading stops and reads 0) makes it no number. Nor is a text
// that holds a line break (a carriage return or a line feed): what is
// printed or written only as a number stays on its line.
bool isStrictNumber(QStringView text);

// The text without the blanks and tabs around it: what the strict reading
// takes as the number. A number is printed and written so, for a blank
// before it is no part of it. Never a line break: that is no blank here.
// Inline, as every strict reading runs it.
inline QStringView withoutBlanksAround(QStringView text)
{
    auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && blank(text[first]))
        ++first;
    while (end > first && blank(text[end - 1]))
        --end;
    return text.sliced(first, end - first);
}

// The whole text, blanks and tabs around it aside, must be a number (as
// isStrictNumber): else VbError(13); beyond the range of the type
// VbError(6).
double cdbl(QStringView text);
float csng(QStringView text);

// A double as single precision; VbError(6) when it does not fit.
float toSingle(double value);

// The text of a double with at most 15 significant digits, of a single with
// at most 7: no leading blank, no trailing zeros, "." as decimal point, an
// upper-case exponent of at least two digits outside [1E-04, 1E+15) (1E+07
// for singles), "0" for minus zero. VbError(6) for infinities and NaN.
QString dblText(double value);
QString sngText(float value);

// Rounds x through a two-decimal fixed text at the power of ten that n
// selects (n = -2: two decimals), half away from zero on the exact binary
// value. VbError(11) for n below -2, VbError(6) for n above 7 or a result
// beyond single precision.
float rud(float x, int n);

}  // namespace tolvane
