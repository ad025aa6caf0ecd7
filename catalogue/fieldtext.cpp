#include "catalogue/fieldtext.h"

#include "services/numtext.h"
#include "services/vberror.h"

#include <QDate>

#include <charconv>
#include <cmath>
#include <cstring>

namespace tolvane::catalogue {

// dblText of a catalogue value, by a shorter road for the usual ones: a
// series query turns thousands of fields into text on every click. When the
// shortest text that reads back as the value has at most 15 significant
// digits, it is the value rounded to 15 digits, which is what dblText writes
// (only one 15-digit decimal lies within half an ulp). Outside the range that
// dblText writes without exponent, and for longer texts, dblText itself.
QString catalogueNumberText(double value)
{
    const double magnitude = std::fabs(value);
    if (value == 0)
        return QStringLiteral("0");
    if (magnitude < 1e-4 || magnitude >= 1e15)
        return dblText(value);
    char buf[64];
    const auto [end, error] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    if (error != std::errc())
        return dblText(value);
    int digits = 0;
    bool leading = true;
    for (const char* p = buf; p != end; ++p) {
        if (*p < '0' || *p > '9')
            continue;
        if (leading && *p == '0')
            continue;
        leading = false;
        ++digits;
    }
    if (digits > 15)
        return dblText(value);
    return QString::fromLatin1(buf, end - buf);
}

Shown shownAs(const char* declared)
{
    // Told by the first letter first: most columns are TEXT or REAL, and
    // each query asks this of every column.
    if (!declared || declared[0] == '\0' || !std::strchr("SsCcDdBb", declared[0]))
        return Shown::AsStored;
    if (qstricmp(declared, "SINGLE") == 0)
        return Shown::Single;
    if (qstricmp(declared, "CURRENCY") == 0 || qstricmp(declared, "DECIMAL") == 0)
        return Shown::Exact;
    if (qstricmp(declared, "DATETIME") == 0)
        return Shown::Date;
    if (qstricmp(declared, "BIT") == 0)
        return Shown::YesNo;
    return Shown::AsStored;
}

QString dateText(double value)
{
    // The range the engine's dates cover: 100/01/01 to 9999/12/31.
    if (!(value >= -657434.0 && value < 2958466.0))
        throw VbError(kErrOverflow);
    const double day = std::trunc(value);
    // The fraction is the time of day on either side of day 0.
    qint64 seconds = std::llround(std::fabs(value - day) * 86400.0);
    QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(day));
    if (seconds >= 86400) {
        seconds -= 86400;
        date = date.addDays(1);
    }
    const QString time = QString::number(seconds / 3600) + QLatin1Char(':') +
                         QStringLiteral("%1:%2").arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                             .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (date == QDate(1899, 12, 30))
        return time;
    const QString shownDate = date.toString(QStringLiteral("yyyy/MM/dd"));
    return seconds == 0 ? shownDate : shownDate + QLatin1Char(' ') + time;
}

bool exactNumberText(const char* p, int bytes)
{
    if (bytes <= 0 || bytes > 32)
        return false;
    int i = p[0] == '-' ? 1 : 0;
    int digits = 0;
    bool point = false;
    for (; i < bytes; ++i) {
        if (p[i] >= '0' && p[i] <= '9')
            ++digits;
        else if (p[i] == '.' && !point && digits > 0)
            point = true;
        else
            return false;
    }
    return digits > 0 && p[bytes - 1] != '.';
}

}  // namespace tolvane::catalogue
