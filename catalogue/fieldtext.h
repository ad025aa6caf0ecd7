#pragma once
// How a catalogue field reads as text in the window: by its column's
// declared type, so a Single keeps its 7 digits, a Currency or Decimal its
// exact digits, a date its date and time and a Yes/No field its word.

#include <QString>

namespace tolvane::catalogue {

// dblText of a catalogue value, by a shorter road for the usual ones.
QString catalogueNumberText(double value);

// How a column's values become text, by its declared type.
enum class Shown { AsStored, Single, Exact, Date, YesNo };
Shown shownAs(const char* declared);

// A date as the short date and long time of a Japanese desktop: the date
// alone at midnight, the time alone on day 0 (1899/12/30). Throws
// VbError(kErrOverflow) outside 100/01/01 to 9999/12/31.
QString dateText(double value);

// Text that a Currency or Decimal value keeps exactly when a double would
// round it: digits with at most one point, and a sign.
bool exactNumberText(const char* p, int bytes);

}  // namespace tolvane::catalogue
