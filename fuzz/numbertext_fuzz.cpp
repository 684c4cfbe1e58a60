// libFuzzer target for the number texts. Every input is read three ways: as a text for
// TextToNumber, and its first bytes as the bit pattern of a double and of a float. Whatever the
// bytes:
// - the scanner reads only inside the text, and the text up to where ScanNumber ends the number
//   reads the same (the input is an exact-size allocation, so a read
//   past its end is an AddressSanitizer finding), never returns NaN, and returns an infinite
//   value exactly when it says the text is out of range;
// - every finite number has a non-empty text that reads back to a number with the same text
//   (15 digits for a double, 7 for a single rounded with ToSingle as the matrix cells are),
//   with two exceptions that the digits shown cannot avoid: a double so close to the largest
//   one that its 15-digit text lies beyond the double range must then read as out of range,
//   not as some other number; and 7 digits are one more than a single always keeps, so a
//   single shown as a power of ten may read back as the single just below it, shown one unit
//   lower in the 7th digit of the decade below ("1E+28" reads as 9.999999442E+27, shown
//   "9.999999E+27");
// - NumberToPaddedText is NumberToText with one blank before values >= 0 and no "0" before the
//   point below 1.
#include "core/numbertext.h"
#include "core/state.h"
#include "fuzz/fuzzsupport.h"

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

using namespace tarnvale;
using tarnvale::fuzz::require;

namespace {

void checkScanned(const ScannedNumber &n)
{
    require(!std::isnan(n.value));
    require(std::isinf(n.value) == n.outOfRange);
}

// The padded form, built from the plain one by its own rule.
std::string padded(const std::string &plain)
{
    if (plain.starts_with("-0."))
        return "-" + plain.substr(2);
    if (plain.starts_with("0."))
        return " " + plain.substr(1);
    if (plain.starts_with("-"))
        return plain;
    return " " + plain;
}

// The significant digits of a number text, without sign, point, exponent and outer zeros.
std::string significantDigits(const std::string &text)
{
    std::string digits;
    for (char c : text.substr(0, text.find('E')))
        if (c >= '0' && c <= '9')
            digits += c;
    digits.erase(0, digits.find_first_not_of('0'));
    digits.erase(digits.find_last_not_of('0') + 1);
    return digits;
}

// The forms both precisions share: no text for a value that is not finite, a text otherwise, the
// padded form derived from it, and a scan of it that says what it read. Empty for a value that is
// not finite.
template<typename Number> std::optional<ScannedNumber> scanShownText(Number v, std::string &text)
{
    text = NumberToText(v);
    if (!std::isfinite(v)) {
        require(text.empty() && NumberToPaddedText(v).empty());
        return std::nullopt;
    }
    require(!text.empty());
    require(NumberToPaddedText(v) == padded(text));
    const ScannedNumber back = TextToNumber(text);
    checkScanned(back);
    return back;
}

void checkDouble(double v)
{
    std::string text;
    const std::optional<ScannedNumber> scanned = scanShownText(v, text);
    if (!scanned)
        return;
    const ScannedNumber back = *scanned;
    if (back.outOfRange) {
        // Only a text that rounded up past the largest double may do that: 1.79769313486232E+308
        // lies beyond it by more than half a unit in the last place.
        require(std::fabs(v) >= 1.797693134862315e308);
        require(std::signbit(back.value) == std::signbit(v));
        return;
    }
    require(NumberToText(back.value) == text);
}

void checkFloat(float v)
{
    std::string text;
    const std::optional<ScannedNumber> scanned = scanShownText(v, text);
    if (!scanned)
        return;
    const ScannedNumber back = *scanned;
    require(!back.outOfRange);
    const float single = ToSingle(back.value);
    require(std::isfinite(single));
    const std::string again = NumberToText(single);
    if (again == text)
        return;
    require(significantDigits(text) == "1");
    const double shown = std::fabs(back.value), below = std::fabs(TextToNumber(again).value);
    require(std::fabs(below - shown * 0.9999999) <= shown * 1e-14);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const ScannedNumber scanned = TextToNumber(input);
    checkScanned(scanned);
    // The number ends where ScanNumber says: the text up to there reads the same.
    const NumberExtent extent = ScanNumber(input);
    require(extent.end <= size && extent.found == (extent.end > 0));
    const ScannedNumber head = TextToNumber(input.substr(0, extent.end));
    require(head.outOfRange == scanned.outOfRange
            && std::signbit(head.value) == std::signbit(scanned.value)
            && (head.value == scanned.value || (head.outOfRange && scanned.outOfRange)));
    // Numbers typed by the fuzzer reach the edges of the range (the largest double, the
    // subnormals) more readily than random bit patterns do.
    if (!scanned.outOfRange) {
        checkDouble(scanned.value);
        checkFloat(ToSingle(scanned.value));
    }

    if (size >= sizeof(double)) {
        double d;
        std::memcpy(&d, data, sizeof d);
        checkDouble(d);
    }
    if (size >= sizeof(float)) {
        float f;
        std::memcpy(&f, data, sizeof f);
        checkFloat(f);
    }
    return 0;
}
