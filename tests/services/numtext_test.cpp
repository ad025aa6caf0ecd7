#include "services/numtext.h"
#include "services/vberror.h"

#include "support/printers.h"

#include <gtest/gtest.h>

#include <limits>

using namespace tolvane;

namespace {

int errorOf(auto&& f)
{
    try {
        f();
    } catch (const VbError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace

TEST(LenientReading, ReadsTheNumberAtTheStart)
{
    EXPECT_EQ(valText(u""), 0.0);
    EXPECT_EQ(valText(u"---"), 0.0);
    EXPECT_EQ(valText(u"-"), 0.0);
    EXPECT_EQ(valText(u"."), 0.0);
    EXPECT_EQ(valText(u"12.5.3"), 12.5);
    EXPECT_EQ(valText(u"1.2.3"), 1.2);
    EXPECT_EQ(valText(u"  -3.5abc"), -3.5);
    EXPECT_EQ(valText(u"350 kgf"), 350.0);
    EXPECT_EQ(valText(u"1 2"), 12.0);  // blanks inside are skipped, as the runtime did
    EXPECT_EQ(valText(u"\t\n7"), 7.0);
    EXPECT_EQ(valText(u"1E3"), 1000.0);
    EXPECT_EQ(valText(u"2.5d-1"), 0.25);
    EXPECT_EQ(valText(u"1E"), 1.0);
    EXPECT_EQ(valText(u"1E+"), 1.0);
    EXPECT_EQ(valText(u".5"), 0.5);
    EXPECT_EQ(valText(u"5."), 5.0);
    EXPECT_EQ(valText(u"+4"), 4.0);
    EXPECT_EQ(valText(u"１２"), 0.0);  // full-width digits are no number
    EXPECT_EQ(valText(u"3１"), 3.0);
    EXPECT_EQ(valText(u"1E-400"), 0.0);
    EXPECT_EQ(errorOf([] { valText(u"1E400"); }), kErrOverflow);
    EXPECT_EQ(errorOf([] { valText(u"1E99999999999"); }), kErrOverflow);
}

TEST(StrictReading, WholeTextMustBeANumber)
{
    EXPECT_EQ(cdbl(u"35"), 35.0);
    EXPECT_EQ(cdbl(u" 35.0 "), 35.0);
    EXPECT_EQ(cdbl(u"-0.25"), -0.25);
    EXPECT_EQ(cdbl(u"1."), 1.0);
    EXPECT_EQ(cdbl(u"1E-05"), 1e-5);
    for (const char16_t* bad : {u"", u"---", u"-", u".", u"1.2.3", u"1a", u"a1", u"1E", u"kgf", u"１"}) {
        EXPECT_EQ(errorOf([&] { cdbl(bad); }), kErrTypeMismatch) << QString::fromUtf16(bad).toStdString();
        EXPECT_FALSE(isStrictNumber(bad));
    }
    EXPECT_TRUE(isStrictNumber(u"0"));
    EXPECT_EQ(errorOf([] { csng(u"1E39"); }), kErrOverflow);
    EXPECT_EQ(errorOf([] { cdbl(u"1E400"); }), kErrOverflow);
    EXPECT_EQ(csng(u"0.1"), 0.1f);
}

TEST(NumberTexts, DoublesKeepFifteenDigits)
{
    EXPECT_EQ(dblText(350), u"350");
    EXPECT_EQ(dblText(0.1 + 0.2), u"0.3");
    EXPECT_EQ(dblText(-3), u"-3");
    EXPECT_EQ(dblText(-0.0), u"0");
    EXPECT_EQ(dblText(12.5 + 0.25), u"12.75");
    EXPECT_EQ(dblText(1.0 / 3.0), u"0.333333333333333");
    EXPECT_EQ(dblText(123456789012345.0), u"123456789012345");
    EXPECT_EQ(dblText(1e15), u"1E+15");
    EXPECT_EQ(dblText(3.5e17), u"3.5E+17");
    EXPECT_EQ(dblText(0.0001), u"0.0001");
    EXPECT_EQ(dblText(0.00001), u"1E-05");
    EXPECT_EQ(dblText(-1.5e-7), u"-1.5E-07");
    EXPECT_EQ(errorOf([] { dblText(std::numeric_limits<double>::infinity()); }), kErrOverflow);
    EXPECT_EQ(errorOf([] { dblText(std::numeric_limits<double>::quiet_NaN()); }), kErrOverflow);
}

TEST(NumberTexts, SinglesKeepSevenDigits)
{
    EXPECT_EQ(sngText(123456.8f), u"123456.8");
    EXPECT_EQ(sngText(123456.78f), u"123456.8");
    EXPECT_EQ(sngText(1234568.f), u"1234568");
    EXPECT_EQ(sngText(12345678.f), u"1.234568E+07");
    EXPECT_EQ(sngText(0.13f), u"0.13");
    EXPECT_EQ(sngText(-0.0f), u"0");
    EXPECT_EQ(sngText(28.52f), u"28.52");
}

TEST(Rounding, HalfAwayFromZeroOnTheSingleValue)
{
    auto r = [](float x) { return sngText(rud(x, -2)); };
    EXPECT_EQ(r(0.125f), u"0.13");
    EXPECT_EQ(r(-0.125f), u"-0.13");
    EXPECT_EQ(r(11.025f), u"11.02");  // the single lies just below the tie
    EXPECT_EQ(r(28.525f), u"28.52");
    EXPECT_EQ(r(37.275f), u"37.28");
    EXPECT_EQ(r(0.004f), u"0");
    EXPECT_EQ(r(0.005f), u"0");  // 0.004999999888...
    EXPECT_EQ(r(0.375f), u"0.38");
    EXPECT_EQ(r(1040.f), u"1040");
    EXPECT_EQ(r(123456.789f), u"123456.8");
    EXPECT_EQ(sngText(rud(1234.25f, 0)), u"1234");  // whole numbers at n = 0
    EXPECT_EQ(sngText(rud(1234.56f, -1)), u"1234.6");
    EXPECT_EQ(errorOf([] { rud(0.125f, -3); }), kErrDivisionByZero);
    EXPECT_EQ(errorOf([] { rud(0.125f, 8); }), kErrOverflow);
}
