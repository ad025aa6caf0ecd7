#include "services/numtext.h"

#include "support/error_of.h"
#include "support/printers.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <string_view>

using namespace tolvane;
using tolvane::test::errorOf;

TEST(LenientReading, ReadsTheNumberAtTheStart)
{
    const std::pair<const char16_t*, double> cases[] = {
        {u"", 0}, {u"---", 0}, {u"-", 0}, {u".", 0}, {u"12.5.3", 12.5}, {u"  -3.5abc", -3.5}, {u"350 kgf", 350},
        {u"1 2", 12},  // blanks inside are skipped
        {u"\t\n7", 7}, {u"1E3", 1000}, {u"2.5d-1", 0.25}, {u"1E", 1}, {u"1E+", 1}, {u".5", 0.5}, {u"5.", 5},
        {u"+4", 4}, {u"１２", 0}, {u"3１", 3},  // full-width digits are no number
        {u"1E-400", 0},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(valText(text), value) << QString::fromUtf16(text).toStdString();
    for (const char16_t* huge : {u"1E400", u"1E99999999999"})
        EXPECT_EQ(errorOf([&] { valText(huge); }), kErrOverflow);
}

TEST(StrictReading, WholeTextMustBeANumber)
{
    const std::pair<const char16_t*, double> good[] = {{u"35", 35}, {u" 35.0 ", 35}, {u"-0.25", -0.25}, {u"1.", 1},
                                                       {u"1E-05", 1e-5}, {u"\t2 \t", 2}};
    for (const auto& [text, value] : good) {
        EXPECT_EQ(cdbl(text), value);
        EXPECT_TRUE(isStrictNumber(text));
    }
    // A line break is no blank here, though the lenient reading skips a line
    // feed: a text that holds one is no number, wherever it stands.
    for (const char16_t* bad : {u"", u"---", u"-", u".", u"1.2.3", u"1a", u"a1", u"1E", u"kgf", u"１", u"\n2",
                                u"1.6\n", u"2\r\n", u"2\r", u" \t2\n\t"}) {
        EXPECT_EQ(errorOf([&] { cdbl(bad); }), kErrTypeMismatch) << QString::fromUtf16(bad).toStdString();
        EXPECT_FALSE(isStrictNumber(bad));
    }
    EXPECT_EQ(errorOf([] { csng(u"1E39"); }), kErrOverflow);
    EXPECT_EQ(errorOf([] { cdbl(u"1E400"); }), kErrOverflow);
    EXPECT_EQ(csng(u"0.1"), 0.1f);
}

// The report and the drawing print a box only when the strict reading
// accepts it, but the results were worked out from the lenient reading: any
// text the strict reading accepts must read as the same number (or fail
// alike) both ways. Random texts built around a number, from characters a
// paste may bring: control characters, full-width ones, signs, exponents.
TEST(NumberReadings, WhatTheStrictReadingAcceptsTheLenientReadingReadsAlike)
{
    using namespace std::string_view_literals;
    const std::u16string_view around = u" \t\n\r\f\v\0\x1f\x85\xa0\u3000\u2028x,\uff11\uff0e"sv;
    const std::u16string_view inside = u"0159.-+EeDd \n\r\uff15\u3000"sv;
    std::mt19937 random(30);
    // Up to `most` characters, each picked from `from`.
    auto run = [&](std::u16string_view from, unsigned most) {
        QString s;
        for (unsigned n = random() % (most + 1); n > 0; --n)
            s += QChar(from[random() % from.size()]);
        return s;
    };
    auto number = [&] {
        QString s = run(u"+-", 1) + run(u"0123456789", 4) + run(u".", 1) + run(u"0123456789", 3);
        if (random() % 2)
            s += run(u"EeDd", 1) + run(u"+-", 1) + run(u"0123456789", 3);
        return s;
    };
    int accepted = 0;
    for (int i = 0; i < 200000; ++i) {
        const QString text = i % 4 == 0 ? run(inside, 10) + run(around, 2) : run(around, 2) + number() + run(around, 2);
        if (!isStrictNumber(text))
            continue;
        ++accepted;
        // The text with every character outside printable ASCII as \uXXXX.
        std::string shown;
        for (QChar c : text)
            shown += c.unicode() >= 32 && c.unicode() < 127 ? std::string(1, char(c.unicode()))
                                                            : QString::asprintf("\\u%04x", c.unicode()).toStdString();
        const std::optional<VbError> strict = tolvane::test::failureOf([&] { cdbl(text); });
        const std::optional<VbError> lenient = tolvane::test::failureOf([&] { valText(text); });
        ASSERT_EQ(strict ? strict->number() : 0, lenient ? lenient->number() : 0) << shown;
        if (!strict) {
            ASSERT_EQ(dblText(cdbl(text)), dblText(valText(text))) << shown;
        }
    }
    EXPECT_GT(accepted, 15000);
}

TEST(NumberTexts, DoublesKeepFifteenDigitsSinglesSeven)
{
    const std::pair<double, const char*> doubles[] = {
        {350, "350"}, {0.1 + 0.2, "0.3"}, {-3, "-3"}, {-0.0, "0"}, {1.0 / 3.0, "0.333333333333333"},
        {123456789012345.0, "123456789012345"}, {1e15, "1E+15"}, {3.5e17, "3.5E+17"}, {0.0001, "0.0001"},
        {0.00001, "1E-05"}, {-1.5e-7, "-1.5E-07"}};
    for (const auto& [value, text] : doubles)
        EXPECT_EQ(dblText(value), text);
    for (double bad : {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()})
        EXPECT_EQ(errorOf([&] { dblText(bad); }), kErrOverflow);
    const std::pair<float, const char*> singles[] = {{123456.78f, "123456.8"}, {1234568.f, "1234568"},
                                                     {12345678.f, "1.234568E+07"}, {0.13f, "0.13"}, {-0.0f, "0"}};
    for (const auto& [value, text] : singles)
        EXPECT_EQ(sngText(value), text);
}

TEST(Rounding, HalfAwayFromZeroOnTheSingleValue)
{
    const std::tuple<float, int, const char*> cases[] = {
        {0.125f, -2, "0.13"}, {-0.125f, -2, "-0.13"},
        {11.025f, -2, "11.02"},  // the single lies just below the tie
        {28.525f, -2, "28.52"}, {37.275f, -2, "37.28"}, {0.004f, -2, "0"},
        {0.005f, -2, "0"},  // 0.004999999888...
        {0.375f, -2, "0.38"}, {123456.789f, -2, "123456.8"}, {1234.25f, 0, "1234"}, {1234.56f, -1, "1234.6"}};
    for (const auto& [x, n, text] : cases)
        EXPECT_EQ(sngText(rud(x, n)), text) << x << " " << n;
    EXPECT_EQ(errorOf([] { rud(0.125f, -3); }), kErrDivisionByZero);
    EXPECT_EQ(errorOf([] { rud(0.125f, 8); }), kErrOverflow);
    // Every n beyond those: none is cut to 16 bits or overflows on the way.
    for (int n : {32766, 65534, 65535, std::numeric_limits<int>::max()})
        EXPECT_EQ(errorOf([&] { rud(1.5f, n); }), kErrOverflow) << n;
    for (int n : {-65534, -65536, std::numeric_limits<int>::min()})
        EXPECT_EQ(errorOf([&] { rud(1.5f, n); }), kErrDivisionByZero) << n;
    EXPECT_EQ(sngText(rud(1.5e9f, 7)), "1.5E+09");
}
