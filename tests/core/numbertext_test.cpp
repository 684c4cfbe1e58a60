#include "core/numbertext.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

using namespace tarnvale;

namespace {

TEST(TextToNumber, ReadsTheLeadingNumberAndSkipsBlanksTabsAndLineFeeds)
{
    struct Case
    {
        const char *text;
        double value;
    };
    const Case cases[] = {
        {" 1 2", 12.0},
        {"-.5e1x", -5.0},
        {"abc", 0.0},
        {"", 0.0},
        {"\t3\n4", 34.0},
        {"  -  7", -7.0},
        {"+8", 8.0},
        {"12abc", 12.0},
        {"1.5D2", 150.0},
        {"1.5d-1", 0.15},
        {"2E3", 2000.0},
        {"2e+3", 2000.0},
        {"1 e 2", 100.0},
        {"-", 0.0},
        {"+", 0.0},
        {".", 0.0},
        {"-.", 0.0},
        {"1.2.3", 1.2},
        {"1e", 1.0},
        {"1e+", 1.0},
        {"1ex5", 1.0},
        {"0.50", 0.5},
        {".25", 0.25},
        {"5.", 5.0},
        {"0.1", 0.1},
        {"1,5", 1.0},
        {"\r5", 0.0},
        {"--5", 0.0},
        {"1e-400", 0.0},
        {"4.9e-324", 4.9406564584124654e-324},
        {"9007199254740993", 9007199254740992.0}, // the tie goes to the even double
        {"1.7976931348623157e308", DBL_MAX},
    };
    for (const Case &c : cases) {
        const ScannedNumber n = TextToNumber(c.text);
        EXPECT_EQ(n.value, c.value) << '"' << c.text << '"';
        EXPECT_FALSE(n.outOfRange) << '"' << c.text << '"';
    }
}

TEST(TextToNumber, SaysWhenTheNumberLiesBeyondTheDoubleRange)
{
    struct Case
    {
        const char *text;
        double sign;
    };
    const Case cases[] = {{"1e400", 1},
                          {"-1e400", -1},
                          {"1D309", 1},
                          {"1.7976931348623159e308", 1},
                          {"1e99999999999999999999", 1},
                          {"123456789e301", 1},
                          {"- 9 e 9 9 9", -1}};
    for (const Case &c : cases) {
        const ScannedNumber n = TextToNumber(c.text);
        EXPECT_TRUE(n.outOfRange) << c.text;
        EXPECT_TRUE(std::isinf(n.value)) << c.text;
        EXPECT_EQ(std::signbit(n.value), c.sign < 0) << c.text;
    }
    // Tiny numbers are not out of range: they read as zero.
    EXPECT_FALSE(TextToNumber("0.000000001e-99999").outOfRange);
    EXPECT_FALSE(TextToNumber("0e99999").outOfRange);
}

TEST(NumberToText, DoublesShowAtMostFifteenDigitsRoundedFromTheExactValue)
{
    struct Case
    {
        double value;
        const char *text;
    };
    const Case cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {1.0, "1"},
        {100.0, "100"},
        {0.5, "0.5"},
        {-0.25, "-0.25"},
        {11.75, "11.75"},
        {-2.9375, "-2.9375"},
        {1234.5, "1234.5"},
        {0.1, "0.1"},
        {0.0001, "0.0001"},
        {0.000123, "0.000123"},
        {2.0 / 3.0, "0.666666666666667"},
        {-1.0 / 3.0, "-0.333333333333333"},
        {1.21978759765625, "1.21978759765625"},
        // Exact ties at the 16th digit go away from zero (printf would round to even).
        {1.219757080078125, "1.21975708007813"},
        {-1.219757080078125, "-1.21975708007813"},
        {284208216104418.5, "284208216104419"},
        // A 16th digit that rounds to 5 but lies below it in the exact value rounds down.
        {2.9794848700521346, "2.97948487005213"},
        {7.954897800064085, "7.95489780006409"},
        {123456789012345.6, "123456789012346"},
        {99999999999999.99, "100000000000000"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(NumberToText(c.value), c.text) << c.text;
}

TEST(NumberToText, ExponentFormAtBothEnds)
{
    struct Case
    {
        double value;
        const char *text;
    };
    const Case cases[] = {
        {1e15, "1E+15"},
        {999999999999999.9, "1E+15"}, // decided after rounding
        {999999999999999.0, "999999999999999"},
        {-1.5e20, "-1.5E+20"},
        {1e308, "1E+308"},
        {DBL_MAX, "1.79769313486232E+308"},
        {1e-5, "0.00001"},
        {0.0000099999999999999999, "0.00001"},
        {9.99999999999999e-6, "9.99999999999999E-06"},
        {-4.62990896377136e-06, "-4.62990896377136E-06"},
        {1e-100, "1E-100"},
        {5e-324, "4.94065645841247E-324"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(NumberToText(c.value), c.text) << c.text;
}

TEST(NumberToText, SinglesShowAtMostSevenDigits)
{
    struct Case
    {
        float value;
        const char *text;
    };
    const Case cases[] = {
        {0.0f, "0"},
        {0.5f, "0.5"},
        {-0.35f, "-0.35"}, // exactly -0.3499999940395355
        {0.1f, "0.1"},
        {123456.7f, "123456.7"},
        {9999999.0f, "9999999"},
        {1e7f, "1E+07"},
        {16777216.0f, "1.677722E+07"},
        {3.4028235e38f, "3.402823E+38"},
        {1e-5f, "0.00001"},
        {1.5e-6f, "1.5E-06"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(NumberToText(c.value), c.text) << c.text;
}

TEST(NumberToPaddedText, BlankBeforeNonNegativeAndNoZeroBeforeThePoint)
{
    struct Case
    {
        double value;
        const char *text;
    };
    const Case cases[] = {
        {0.0, " 0"},      {1.0, " 1"},      {4.0, " 4"},       {0.5, " .5"},
        {0.25, " .25"},   {-0.25, "-.25"},  {-1.5, "-1.5"},    {0.0001, " .0001"},
        {1e-6, " 1E-06"}, {2e15, " 2E+15"}, {-3e-7, "-3E-07"}, {12.5, " 12.5"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(NumberToPaddedText(c.value), c.text) << c.text;
    EXPECT_EQ(NumberToPaddedText(-0.35f), "-.35");
    EXPECT_EQ(NumberToPaddedText(0.1f), " .1");
}

TEST(NumberToText, NonFiniteValuesAreNeverShownAsNumbers)
{
    EXPECT_EQ(NumberToText(std::numeric_limits<double>::infinity()), "");
    EXPECT_EQ(NumberToText(std::numeric_limits<double>::quiet_NaN()), "");
    EXPECT_EQ(NumberToPaddedText(-std::numeric_limits<float>::infinity()), "");
}

TEST(NumberToText, ReadsBackToTheDigitsShown)
{
    // Every value shown reads back as the same text: the search hands values on through texts.
    const double values[]
        = {1.0 / 7.0, 12345.678901234567, 6.02214076e23, 1.602176634e-19, -0.0003, 1.5,
           2.0 / 3.0, 1e15 - 1,           1e-5};
    for (double v : values) {
        const std::string text = NumberToText(v);
        EXPECT_EQ(NumberToText(TextToNumber(text).value), text) << text;
    }
}

} // namespace
