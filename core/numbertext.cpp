#include "core/numbertext.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace tarnvale {

namespace {

bool isSkipped(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Walks a text while skipping the characters TextToNumber ignores, and keeps the characters it
// takes: where the last one stood and whether skipped characters stood between two of them.
class Scanner
{
public:
    explicit Scanner(std::string_view text)
        : m_text(text)
    {
        skip();
    }
    char peek() const { return m_pos < m_text.size() ? m_text[m_pos] : '\0'; }
    void take(std::string &into)
    {
        if (m_taken && m_pos > m_end)
            m_blanksInside = true;
        into += m_text[m_pos];
        m_taken = true;
        m_end = ++m_pos;
        skip();
    }

    // What has been taken so far, to go back to when an exponent turns out to have no digits.
    struct Mark
    {
        std::size_t pos, end;
        bool blanksInside;
    };
    Mark mark() const { return {m_pos, m_end, m_blanksInside}; }
    void rewind(const Mark &m)
    {
        m_pos = m.pos;
        m_end = m.end;
        m_blanksInside = m.blanksInside;
    }
    std::size_t end() const { return m_end; }
    bool blanksInside() const { return m_blanksInside; }

private:
    void skip()
    {
        while (m_pos < m_text.size() && isSkipped(m_text[m_pos]))
            ++m_pos;
    }
    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    bool m_taken = false;
    bool m_blanksInside = false;
};

// The number at the start of a text: where it ends, and its characters without the skipped ones
// in from_chars' own syntax ("e" for every exponent letter).
struct Scan
{
    NumberExtent extent;
    std::string clean;
};

Scan scanNumber(std::string_view text)
{
    Scan result;
    std::string &clean = result.clean;
    Scanner s(text);
    if (s.peek() == '+' || s.peek() == '-')
        s.take(clean);
    bool anyDigit = false, seenPoint = false;
    while (isDigit(s.peek()) || (s.peek() == '.' && !seenPoint)) {
        seenPoint = seenPoint || s.peek() == '.';
        anyDigit = anyDigit || isDigit(s.peek());
        s.take(clean);
    }
    if (!anyDigit)
        return {};

    const char e = s.peek();
    if (e == 'E' || e == 'e' || e == 'D' || e == 'd') {
        const Scanner::Mark mark = s.mark();
        std::string exponent;
        s.take(exponent);
        exponent[0] = 'e';
        if (s.peek() == '+' || s.peek() == '-')
            s.take(exponent);
        bool exponentDigit = false;
        while (isDigit(s.peek())) {
            exponentDigit = true;
            s.take(exponent);
        }
        if (exponentDigit)
            clean += exponent;
        else
            s.rewind(mark);
    }
    result.extent = {true, s.end(), s.blanksInside()};
    return result;
}

// Decimal exponent of the leading significant digit of a clean number text ("123.4e5" gives 7),
// for telling an overflow from an underflow. Saturates far beyond any double.
long long leadingExponent(std::string_view clean)
{
    constexpr long long limit = 1'000'000'000LL;
    long long beforePoint = 0; // significant digits before the point
    long long zerosAfterPoint = 0;
    bool seenPoint = false, seenSignificant = false;
    std::size_t i = 0;
    if (i < clean.size() && (clean[i] == '+' || clean[i] == '-'))
        ++i;
    for (; i < clean.size() && clean[i] != 'e'; ++i) {
        const char c = clean[i];
        if (c == '.') {
            seenPoint = true;
        } else if (!seenSignificant && c == '0') {
            if (seenPoint)
                ++zerosAfterPoint;
        } else {
            seenSignificant = true;
            if (!seenPoint && beforePoint < limit)
                ++beforePoint;
        }
    }
    long long exponent = 0;
    if (i < clean.size()) {
        ++i;
        bool negative = false;
        if (clean[i] == '+' || clean[i] == '-')
            negative = clean[i++] == '-';
        for (; i < clean.size(); ++i)
            exponent = std::min(limit, exponent * 10 + (clean[i] - '0'));
        if (negative)
            exponent = -exponent;
    }
    return exponent + (beforePoint > 0 ? beforePoint - 1 : -(zerosAfterPoint + 1));
}

// The significant digits and decimal exponent of a finite, non-zero magnitude rounded to
// `digits` significant digits, ties away from zero, as decided by the exact binary value.
struct Rounded
{
    std::string digits; // no trailing zeros, at least one digit
    int exponent = 0; // value = d.ddd x 10^exponent
};

Rounded roundSignificant(double magnitude, int digits)
{
    // One more digit than kept: printf-style conversion rounds that digit to nearest-even, which
    // decides our rounding unless it came out as 5. Then only the exact expansion can tell a tie
    // (which rounds up) from a value just below it.
    char buffer[1100];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                std::chars_format::scientific, digits);
    std::string_view text(buffer, result.ptr - buffer);
    auto mantissaDigits = [](std::string_view t) {
        std::string d;
        for (char c : t.substr(0, t.find('e')))
            if (isDigit(c))
                d += c;
        return d;
    };
    std::string all = mantissaDigits(text);
    if (all[digits] == '5') {
        result = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                               std::chars_format::scientific, 1074);
        text = std::string_view(buffer, result.ptr - buffer);
        all = mantissaDigits(text);
    }
    int exponent = 0;
    const std::string_view exponentText = text.substr(text.find('e') + 1);
    std::from_chars(exponentText.data() + (exponentText[0] == '+' ? 1 : 0),
                    exponentText.data() + exponentText.size(), exponent);

    std::string kept = all.substr(0, digits);
    if (all[digits] >= '5') {
        int i = digits - 1;
        while (i >= 0 && kept[i] == '9')
            kept[i--] = '0';
        if (i >= 0) {
            ++kept[i];
        } else {
            kept.insert(kept.begin(), '1');
            kept.pop_back();
            ++exponent;
        }
    }
    while (kept.size() > 1 && kept.back() == '0')
        kept.pop_back();
    return {kept, exponent};
}

// Shared by both precisions and both forms. `limit` is the exponent from which exponent form
// starts (15 or 7); `padded` selects NumberToPaddedText's form.
std::string format(double value, int digits, int limit, bool padded)
{
    if (!std::isfinite(value))
        return {};
    if (value == 0.0)
        return padded ? " 0" : "0";
    const Rounded r = roundSignificant(std::fabs(value), digits);

    std::string text = value < 0 ? "-" : (padded ? " " : "");
    if (r.exponent >= limit || r.exponent < -5) {
        text += r.digits[0];
        if (r.digits.size() > 1)
            text += "." + r.digits.substr(1);
        text += r.exponent < 0 ? "E-" : "E+";
        const std::string e = std::to_string(std::abs(r.exponent));
        text += (e.size() < 2 ? "0" : "") + e;
    } else if (r.exponent >= 0) {
        const std::size_t whole = static_cast<std::size_t>(r.exponent) + 1;
        std::string d = r.digits;
        if (d.size() < whole)
            d.append(whole - d.size(), '0');
        text += d.substr(0, whole);
        if (d.size() > whole)
            text += "." + d.substr(whole);
    } else {
        text += padded ? "." : "0.";
        text.append(static_cast<std::size_t>(-r.exponent - 1), '0');
        text += r.digits;
    }
    return text;
}

} // namespace

bool IsDecimalCommaNumber(std::string_view text)
{
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos || text.find(',', comma + 1) != std::string_view::npos
        || text.find('.') != std::string_view::npos)
        return false;
    std::string dotted(text);
    dotted[comma] = '.';
    const NumberExtent number = ScanNumber(dotted);
    return number.found && number.end == dotted.size() && !number.blanksInside;
}

NumberExtent ScanNumber(std::string_view text)
{
    return scanNumber(text).extent;
}

ScannedNumber TextToNumber(std::string_view text)
{
    const Scan scan = scanNumber(text);
    if (!scan.extent.found)
        return {};
    const std::string &clean = scan.clean;
    const char *first = clean.data();
    if (*first == '+')
        ++first;
    double value = 0.0;
    const auto [end, ec] = std::from_chars(first, clean.data() + clean.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range) {
        const bool negative = clean[0] == '-';
        if (leadingExponent(clean) >= 0)
            return {negative ? -std::numeric_limits<double>::infinity()
                             : std::numeric_limits<double>::infinity(),
                    true};
        return {negative ? -0.0 : 0.0, false};
    }
    return {value, false};
}

std::string NumberToText(double value)
{
    return format(value, 15, 15, false);
}
std::string NumberToText(float value)
{
    return format(value, 7, 7, false);
}
std::string NumberToShortText(double value, int digits)
{
    digits = std::clamp(digits, 1, 15);
    return format(value, digits, digits, false);
}
std::string NumberToPaddedText(double value)
{
    return format(value, 15, 15, true);
}
std::string NumberToPaddedText(float value)
{
    return format(value, 7, 7, true);
}

std::string_view TrimSpacesAndTabs(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

} // namespace tarnvale
