#include "services/numtext.h"

#include "services/vberror.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace tolvane {
namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// What the lenient reading skips wherever it stands. Defined here, where
// the reading's loops can take it in without a call per character.
bool isSkipped(QChar c) { return c == u' ' || c == u'\t' || c == u'\n'; }

// Parses an ASCII number text that the callers have already shaped as
// [-]digits[.digits][e[-]digits]. Out-of-range results: overflow throws,
// underflow is 0, a value too small to hold being nothing at all.
double parseShaped(const std::string& text)
{
    double value = 0.0;
    const char* first = text.data();
    const char* last = first + text.size();
    auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Tell overflow from underflow by the size of the decimal exponent.
        const auto e = text.find('e');
        long exponent = 0;
        if (e != std::string::npos)
            std::from_chars(text.data() + e + 1 + (text[e + 1] == '+'), last, exponent);
        const auto point = text.find('.');
        const auto mantissaEnd = e == std::string::npos ? text.size() : e;
        std::size_t start = text[0] == '-' ? 1 : 0;
        while (start < mantissaEnd && (text[start] == '0' || text[start] == '.'))
            ++start;
        const long intDigits = static_cast<long>((point == std::string::npos ? mantissaEnd : point)) - static_cast<long>(start);
        if (intDigits + exponent > 0)
            throw VbError(kErrOverflow);
        return 0.0;
    }
    if (ec != std::errc() || ptr != last)
        throw VbError(kErrTypeMismatch);
    return value;
}

// Appends an exponent to the shaped text, clamping absurd exponents so the
// text stays short; the clamp keeps them far outside the double range.
void appendExponent(std::string& out, bool negative, const std::string& digits)
{
    std::string d = digits;
    std::size_t nz = 0;
    while (nz + 1 < d.size() && d[nz] == '0')
        ++nz;
    d.erase(0, nz);
    if (d.size() > 6)
        d = "999999";
    out += 'e';
    if (negative)
        out += '-';
    out += d;
}

// The shortest text of the value rounded to `digits` significant digits,
// with the exponent after an upper-case E, its sign and two digits at least
// (1E+16), the form dblText promises.
template <class T>
QString numberText(T value, int digits)
{
    if (!std::isfinite(value))
        throw VbError(kErrOverflow);
    char buf[64];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, digits);
    if (ec != std::errc())
        throw VbError(kErrOverflow);
    QString s = QString::fromLatin1(buf, static_cast<qsizetype>(ptr - buf));
    s.replace(u'e', u'E');
    if (s == u"-0")
        s = QStringLiteral("0");
    return s;
}

}  // namespace

double valText(QStringView text)
{
    std::string shaped;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (i < n && isSkipped(text[i]))
            ++i;
    };
    skipBlanks();
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        if (text[i] == u'-')
            shaped += '-';
        ++i;
    }
    bool anyDigit = false;
    bool seenPoint = false;
    for (;;) {
        skipBlanks();
        if (i >= n)
            break;
        const QChar c = text[i];
        if (isDigit(c)) {
            shaped += static_cast<char>(c.unicode());
            anyDigit = true;
        } else if (c == u'.' && !seenPoint) {
            shaped += '.';
            seenPoint = true;
        } else {
            break;
        }
        ++i;
    }
    if (!anyDigit)
        return 0.0;
    if (i < n && (text[i] == u'E' || text[i] == u'e' || text[i] == u'D' || text[i] == u'd')) {
        qsizetype j = i + 1;
        auto skipBlanksAt = [&] {
            while (j < n && isSkipped(text[j]))
                ++j;
        };
        skipBlanksAt();
        bool negative = false;
        if (j < n && (text[j] == u'-' || text[j] == u'+')) {
            negative = text[j] == u'-';
            ++j;
        }
        std::string digits;
        for (;;) {
            skipBlanksAt();
            if (j < n && isDigit(text[j])) {
                digits += static_cast<char>(text[j].unicode());
                ++j;
            } else {
                break;
            }
        }
        if (!digits.empty())
            appendExponent(shaped, negative, digits);
    }
    if (shaped == "-" || shaped == "." || shaped == "-.")
        return 0.0;
    return parseShaped(shaped);
}

namespace {

// Shapes a strict number text; false when the text is not one number. No
// line break gets past this: outside the blanks around the number, only
// signs, digits, a point and an exponent do.
bool shapeStrict(QStringView text, std::string& shaped)
{
    text = withoutBlanksAround(text);
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (n == 0)
        return false;
    if (text[i] == u'-' || text[i] == u'+') {
        if (text[i] == u'-')
            shaped += '-';
        ++i;
    }
    bool anyDigit = false;
    while (i < n && isDigit(text[i])) {
        shaped += static_cast<char>(text[i++].unicode());
        anyDigit = true;
    }
    if (i < n && text[i] == u'.') {
        shaped += '.';
        ++i;
        while (i < n && isDigit(text[i])) {
            shaped += static_cast<char>(text[i++].unicode());
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return false;
    if (i < n && (text[i] == u'E' || text[i] == u'e' || text[i] == u'D' || text[i] == u'd')) {
        ++i;
        bool negative = false;
        if (i < n && (text[i] == u'-' || text[i] == u'+')) {
            negative = text[i] == u'-';
            ++i;
        }
        std::string digits;
        while (i < n && isDigit(text[i]))
            digits += static_cast<char>(text[i++].unicode());
        if (digits.empty())
            return false;
        appendExponent(shaped, negative, digits);
    }
    return i == n;
}

}  // namespace

bool isStrictNumber(QStringView text)
{
    std::string shaped;
    return shapeStrict(text, shaped);
}

double cdbl(QStringView text)
{
    std::string shaped;
    if (!shapeStrict(text, shaped))
        throw VbError(kErrTypeMismatch);
    return parseShaped(shaped);
}

float toSingle(double value)
{
    if (std::isnan(value))
        throw VbError(kErrOverflow);
    if (std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max()))
        throw VbError(kErrOverflow);
    return static_cast<float>(value);
}

float csng(QStringView text) { return toSingle(cdbl(text)); }

QString dblText(double value) { return numberText(value, 15); }

QString sngText(float value) { return numberText(value, 7); }

float rud(float x, int n)
{
    // 10 ^ (n + 2) as a 32-bit whole number: below 1 it rounds to 0, a
    // division by zero; above 10 ^ 9 it does not fit. Told from n itself, so
    // no n is cut or overflows on the way there.
    if (n < -2)
        throw VbError(kErrDivisionByZero);
    if (n > 7)
        throw VbError(kErrOverflow);
    constexpr qint32 kPowers[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};
    const qint32 k = kPowers[n + 2];
    const double q = static_cast<double>(x) / k;
    // The fixed two-decimal text, half away from zero; reading that text back
    // gives the nearest double to it, as this division does.
    const double t = std::round(q * 100.0) / 100.0;
    return toSingle(t * k);
}

}  // namespace tolvane
