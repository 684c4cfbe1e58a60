#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnvale {

// What TextToNumber read from a text.
struct ScannedNumber
{
    double value = 0.0; // the number, correctly rounded to the nearest double
    bool outOfRange = false; // the text denotes a number beyond the double range; value is then
                             // +-infinity and must not be shown or computed with
};

// Where the number at the start of a text stands, by TextToNumber's rules (below).
struct NumberExtent
{
    bool found = false; // a number stands there: at least one digit after the optional sign
    std::size_t end = 0; // index just after its last character; trailing skipped ones excluded
    bool blanksInside = false; // skipped characters stood between two of its characters ("1 2")
};

// `text` without the spaces and tabs around it, as a field of a file is read.
std::string_view TrimSpacesAndTabs(std::string_view text);

// Finds the number that TextToNumber reads from `text`, without reading its value: a caller
// with a stricter rule (the whole text is one number) compares `end` with the text's length.
NumberExtent ScanNumber(std::string_view text);

// Reads the number at the start of `text`: blanks, tabs and line feeds are skipped wherever they
// stand; then an optional sign, digits with at most one ".", and an optional exponent (E, e, D or
// d, an optional sign, digits). Reading stops at the first other character; a text without a
// leading number gives 0. Numbers too small for a double read as 0. Never depends on the locale.
ScannedNumber TextToNumber(std::string_view text);

// Whether `text` is a decimal number written with a comma for its point ("0,5", "-1,25e-3"): one
// comma, and the text with a "." in its place reads whole as a number. Messages then name the
// decimal point, the usual cause where a spreadsheet is set to a European locale.
bool IsDecimalCommaNumber(std::string_view text);

// The text of a number as a text box shows it: at most 15 significant digits for a double and 7
// for a single, rounded from the exact binary value with ties away from zero, no trailing zeros,
// "-" before negative values, "0" before the point below 1. Exponent form ("1E+15",
// "-4.62990896377136E-06") when the rounded magnitude is at least 1E+15 (single: 1E+07) or below
// 1E-05 and not zero. -0 gives "0". Infinite and NaN values, which no caller may show, give "".
std::string NumberToText(double value);
std::string NumberToText(float value);

// NumberToText's form with at most `digits` significant digits (1 ... 15), in exponent form from
// 10^digits on as well: "0.1235", "12.35", "1.235E+04", "1.235E-06".
std::string NumberToShortText(double value, int digits);

// The form used inside the equation text and for chart labels: the digits of NumberToText, one
// blank before values >= 0, no "0" before the point below 1 (" .5", "-.25").
std::string NumberToPaddedText(double value);
std::string NumberToPaddedText(float value);

} // namespace tarnvale
