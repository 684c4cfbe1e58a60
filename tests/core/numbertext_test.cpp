#include "core/numbertext.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

using namespace tarnvale;

namespace {

TEST(TextToNumber, ReadsTheLeadingNumber)
{
    struct Case
    {
        const char *text;
        double value;
    };
    const Case cases[]
        = {{" 1 2", 12.0},   {"-.5e1x", -5.0}, {"abc", 0.0},    {"", 0.0},        {"\t3\n4", 34.0},
           {"  -  7", -7.0}, {"+8", 8.0},      {"1.5D2", 150},  {"1.5d-1", 0.15}, {"2e+3", 2000},
           {"1 e 2", 100.0}, {"-", 0.0},       {".", 0.0},      {"1.2.3", 1.2},   {"1e", 1.0},
           {"1e+", 1.0},     {".25", 0.25},    {"5.", 5.0},     {"0.1", 0.1},     {"1,5", 1.0},
           {"\r5", 0.0},     {"--5", 0.0},     {"1e-400", 0.0}, {"0e99999", 0.0}, {"-0.1e1", -1}};
    for (const Case &c : cases) {
        EXPECT_EQ(TextToNumber(c.text).value, c.value) << '"' << c.text << '"';
        EXPECT_FALSE(TextToNumber(c.text).outOfRange) << '"' << c.text << '"';
    }
    // Correctly rounded, down to the smallest subnormal and up to the largest double.
    EXPECT_EQ(TextToNumber("9007199254740993").value, 9007199254740992.0); // tie to even
    EXPECT_EQ(TextToNumber("4.9e-324").value, 4.9406564584124654e-324);
    EXPECT_EQ(TextToNumber("0.000000001e-99999").value, 0.0);
    EXPECT_EQ(TextToNumber("1.7976931348623157e308").value, DBL_MAX);
}

TEST(ScanNumber, SaysWhereTheNumberEndsAndWhetherBlanksStoodInside)
{
    // The reader's rule "the whole field is one number" is found, end == size and no blanks
    // inside; each case says what TextToNumber reads and where it stops.
    struct Case
    {
        const char *text;
        bool found;
        std::size_t end;
        bool blanksInside;
    };
    const Case cases[] = {
        {"12", true, 2, false},     {"-1.5e3", true, 6, false}, {"+.5D-2", true, 6, false},
        {"  7", true, 3, false},    {"7  ", true, 1, false},    {"1 2", true, 3, true},
        {"- 5", true, 3, true},     {"1e", true, 1, false},     {"1e+", true, 1, false},
        {"1e 5", true, 4, true},    {"1.2.3", true, 3, false},  {"0x10", true, 1, false},
        {".", false, 0, false},     {"", false, 0, false},      {"abc", false, 0, false},
        {"\t3\n4x", true, 4, true},
    };
    for (const Case &c : cases) {
        const NumberExtent n = ScanNumber(c.text);
        EXPECT_EQ(n.found, c.found) << c.text;
        EXPECT_EQ(n.end, c.end) << c.text;
        EXPECT_EQ(n.blanksInside, c.blanksInside) << c.text;
    }
}

TEST(TextToNumber, SaysWhenTheNumberLiesBeyondTheDoubleRange)
{
    for (const char *text :
         {"1e400", "1D309", "1.7976931348623159e308", "123456789e301", "1e99999999999999999999"}) {
        EXPECT_TRUE(TextToNumber(text).outOfRange) << text;
        EXPECT_EQ(TextToNumber(text).value, INFINITY) << text;
    }
    EXPECT_TRUE(TextToNumber("- 9 e 9 9 9").outOfRange);
    EXPECT_EQ(TextToNumber("- 9 e 9 9 9").value, -INFINITY);
}

TEST(NumberToText, AtMostFifteenDigitsRoundedFromTheExactValue)
{
    struct Case
    {
        double value;
        const char *text;
    };
    // Infinite and NaN values, which no caller may show, give "".
    const Case plain[]
        = {{0.0, "0"},        {-0.0, "0"},    {100.0, "100"},     {0.5, "0.5"},
           {-0.25, "-0.25"},  {0.1, "0.1"},   {0.0001, "0.0001"}, {1e15, "1E+15"},
           {1e-5, "0.00001"}, {INFINITY, ""}, {NAN, ""},          {2.0 / 3.0, "0.666666666666667"}};
    // Ties at the 16th digit go away from zero, where printf would round to even; a 16th digit
    // that prints as 5 but lies below it in the exact value rounds down. Exponent form is decided
    // after rounding, at both ends.
    const Case rounded[] = {{1.21978759765625, "1.21978759765625"},
                            {1.219757080078125, "1.21975708007813"},
                            {-1.219757080078125, "-1.21975708007813"},
                            {284208216104418.5, "284208216104419"},
                            {2.9794848700521346, "2.97948487005213"},
                            {7.954897800064085, "7.95489780006409"},
                            {99999999999999.99, "100000000000000"},
                            {999999999999999.0, "999999999999999"},
                            {999999999999999.9, "1E+15"},
                            {DBL_MAX, "1.79769313486232E+308"},
                            {0.0000099999999999999999, "0.00001"},
                            {9.99999999999999e-6, "9.99999999999999E-06"},
                            {-4.62990896377136e-06, "-4.62990896377136E-06"},
                            {5e-324, "4.94065645841247E-324"}};
    const auto check = [](const Case &c) {
        EXPECT_EQ(NumberToText(c.value), c.text) << c.text;
        // The search hands values on as texts: a text shown reads back to itself.
        if (std::fabs(c.value) < DBL_MAX) {
            EXPECT_EQ(NumberToText(TextToNumber(c.text).value), c.text) << c.text;
        }
    };
    for (const Case &c : plain)
        check(c);
    for (const Case &c : rounded)
        check(c);
    // Singles show at most seven digits; -0.35f is exactly -0.3499999940395355.
    EXPECT_EQ(NumberToText(-0.35f), "-0.35");
    EXPECT_EQ(NumberToText(123456.7f), "123456.7");
    EXPECT_EQ(NumberToText(9999999.0f), "9999999");
    EXPECT_EQ(NumberToText(1e7f), "1E+07");
    EXPECT_EQ(NumberToText(16777216.0f), "1.677722E+07");
}

TEST(NumberToPaddedText, BlankBeforeNonNegativeAndNoZeroBeforeThePoint)
{
    struct Case
    {
        double value;
        const char *text;
    };
    const Case cases[]
        = {{0.0, " 0"},    {4.0, " 4"},        {12.5, " 12.5"},  {0.5, " .5"},     {-0.25, "-.25"},
           {-1.5, "-1.5"}, {0.0001, " .0001"}, {1e-6, " 1E-06"}, {-3e-7, "-3E-07"}};
    for (const Case &c : cases)
        EXPECT_EQ(NumberToPaddedText(c.value), c.text) << c.text;
    EXPECT_EQ(NumberToPaddedText(-0.35f), "-.35");
}

} // namespace
