// libFuzzer target for the matrix text of the command line (--matrix) and for everything run on
// a matrix it accepts. The first byte chooses the projection (bits 0-1: the start vector equal,
// first class, SAD, or the first row's text typed as a start vector; bits 2-7: the steps, 63 for
// the most); the rest is the text. Whatever the text:
// - ParseLeslieMatrix accepts exactly what an independent reading of its rules accepts, and
//   takes the same numbers (strtod, correctly rounded like TextToNumber); a refusal carries no
//   table and names the first entry at fault by row and column, or the row for an empty or
//   ragged one, or the matrix when it is empty, too long or not square;
// - on an accepted matrix every result of AnalyseLeslie and ProjectLeslie is a finite number or
//   undefined; lambda1 satisfies the Euler-Lotka equation sum exp(a(x) - (x + 1) u) = 1,
//   a(x) = ln l(x) F(x), u = ln lambda1, whose terms the solver keeps in the double range the
//   same way, to 1e-12 of the sum of its terms (plus the rounding of the exponents, see
//   checkEulerLotka); the elasticities sum to 1 within 1e-12;
// - for one input in eight without a NUL, the whole command line (--report --json --steps ...)
//   reports it without an "inf" or "nan" (as a Leslie table, or as a stage model when
//   ParseMatrixText takes what ParseLeslieMatrix refuses: another pattern, parts, more rows), or
//   refuses it with nothing on standard output and ParseMatrixText's message on standard error.
#include "cli/commandline.h"
#include "core/leslie.h"
#include "core/matrixtext.h"
#include "core/projection.h"
#include "fuzz/fuzzsupport.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

using namespace tarnvale;
using tarnvale::fuzz::require;

namespace {

bool blank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::vector<std::string> split(const std::string &text, char separator)
{
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == separator)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

std::vector<std::string> words(const std::string &text)
{
    std::vector<std::string> result;
    std::string word;
    for (char c : text + ' ') {
        if (!blank(c)) {
            word += c;
        } else if (!word.empty()) {
            result.push_back(word);
            word.clear();
        }
    }
    return result;
}

// The entries of a row: without a comma its words; with commas, the words of each piece between
// them, or one empty entry for a piece without any.
std::vector<std::string> entriesOf(const std::string &row)
{
    if (row.find(',') == std::string::npos)
        return words(row);
    std::vector<std::string> entries;
    for (const std::string &piece : split(row, ',')) {
        const std::vector<std::string> w = words(piece);
        if (w.empty())
            entries.emplace_back();
        entries.insert(entries.end(), w.begin(), w.end());
    }
    return entries;
}

// A whole entry read as [+-] digits [. digits] [(E|e|D|d) [+-] digits] with a digit in the
// mantissa; nothing for any other text or one beyond the double range.
std::optional<double> number(const std::string &entry)
{
    std::size_t i = 0, mantissa = 0;
    auto digits = [&] {
        std::size_t count = 0;
        for (; i < entry.size() && entry[i] >= '0' && entry[i] <= '9'; ++i)
            ++count;
        return count;
    };
    if (i < entry.size() && (entry[i] == '+' || entry[i] == '-'))
        ++i;
    mantissa = digits();
    if (i < entry.size() && entry[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return std::nullopt;
    std::string c = entry;
    if (i < entry.size() && std::string("EeDd").find(entry[i]) != std::string::npos) {
        c[i++] = 'e';
        if (i < entry.size() && (entry[i] == '+' || entry[i] == '-'))
            ++i;
        if (digits() == 0)
            return std::nullopt;
    }
    if (i != entry.size())
        return std::nullopt;
    const double value = std::strtod(c.c_str(), nullptr);
    if (std::isinf(value))
        return std::nullopt;
    return value;
}

struct Expected
{
    std::string prefix; // how a refusal's message begins; empty when the matrix is accepted
    LeslieTable table;
};

std::string rowText(std::size_t r)
{
    return "row " + std::to_string(r + 1);
}

Expected expectedReading(const std::string &text)
{
    const std::vector<std::string> rowTexts = split(text, ';');
    const std::size_t n = rowTexts.size();
    if (n == 1 && entriesOf(rowTexts[0]).empty())
        return {"the matrix is empty", {}};
    if (n > static_cast<std::size_t>(kMaxLeslieClasses))
        return {"the matrix has " + std::to_string(n) + " rows;", {}};
    std::vector<std::vector<std::string>> rows;
    for (std::size_t r = 0; r < n; ++r) {
        rows.push_back(entriesOf(rowTexts[r]));
        if (rows[r].empty() || rows[r].size() != rows[0].size())
            return {rowText(r) + " ", {}};
    }
    if (rows[0].size() != n)
        return {"the matrix has " + std::to_string(n), {}};
    Expected expected;
    expected.table.fecundity.assign(n, 0.0);
    expected.table.survival.assign(n - 1, 0.0);
    for (std::size_t r = 0; r < n; ++r) {
        for (std::size_t c = 0; c < n; ++c) {
            const std::string where = rowText(r) + ", column " + std::to_string(c + 1) + ": ";
            const std::optional<double> value = number(rows[r][c]);
            if (!value || *value < 0)
                return {where, {}};
            if (r == 0)
                expected.table.fecundity[c] = *value;
            else if (c + 1 == r)
                expected.table.survival[c] = *value;
            else if (*value != 0)
                return {where, {}};
        }
    }
    return expected;
}

void requireFinite(const std::optional<double> &value)
{
    require(!value || std::isfinite(*value));
}

void requireFinite(const std::optional<std::vector<double>> &values)
{
    if (values)
        for (double v : *values)
            require(std::isfinite(v));
}

double sumOf(const std::vector<double> &values)
{
    double sum = 0.0;
    for (double v : values)
        sum += v;
    return sum;
}

// The Euler-Lotka equation at u = ln lambda1, with every term t(x) = exp(a(x) - (x + 1) u) formed
// from logarithms so that no l(x), F(x) or lambda1^(x + 1) needs to lie in the double range. It
// holds to 1e-12 of the sum, plus the rounding of the exponents themselves: a(x) and (x + 1) u
// reach 1e5 for rates near the ends of the range, where one unit in their last place is already
// 1e-11, and no lambda1 could do better than that.
void checkEulerLotka(const LeslieTable &table, double u)
{
    double logL = 0.0, sum = 0.0, rounding = 0.0;
    for (std::size_t x = 0; x < table.fecundity.size(); ++x) {
        if (x > 0)
            logL += std::log(table.survival[x - 1]);
        if (table.fecundity[x] > 0 && std::isfinite(logL)) {
            const double a = logL + std::log(table.fecundity[x]), age = static_cast<double>(x + 1);
            const double term = std::exp(a - age * u);
            sum += term;
            rounding += term * (std::fabs(a) + age * std::fabs(u)) * DBL_EPSILON;
        }
    }
    require(std::fabs(sum - 1.0) <= 1e-12 * sum + rounding);
}

void checkAnalysis(const LeslieTable &table, const LeslieAnalysis &a)
{
    require(a.ageClasses == table.ageClasses());
    for (const std::optional<double> &value :
         {a.lambda, a.intrinsicRate, a.netReproductiveRate, a.generationTime, a.doublingTime,
          a.birthRate, a.survivalRate, a.deathRate, a.secondModulus, a.dampingRatio})
        requireFinite(value);
    for (const std::optional<std::vector<double>> *values :
         {&a.stableAgeDistribution, &a.reproductiveValues, &a.sensitivityFecundity,
          &a.sensitivitySurvival, &a.elasticityFecundity, &a.elasticitySurvival})
        requireFinite(*values);
    for (std::complex<double> mu : a.eigenvalues)
        require(std::isfinite(mu.real()) && std::isfinite(mu.imag()));
    if (a.lambda && *a.lambda > 0) {
        require(a.intrinsicRate.has_value());
        checkEulerLotka(table, *a.intrinsicRate);
    }
    if (a.elasticityFecundity && a.elasticitySurvival)
        require(std::fabs(sumOf(*a.elasticityFecundity) + sumOf(*a.elasticitySurvival) - 1.0)
                <= 1e-12);
}

void checkProjection(const Projection &p, int steps)
{
    const std::size_t points = static_cast<std::size_t>(steps) + 1;
    require(p.logTotal.size() == points && p.total.size() == points && p.shares.size() == points
            && p.distance.size() == points && p.growthRatio.size() == points - 1);
    for (std::size_t t = 0; t < points; ++t) {
        require(!std::isnan(p.logTotal[t]) && p.logTotal[t] != HUGE_VAL);
        requireFinite(p.total[t]);
        requireFinite(p.shares[t]);
        requireFinite(p.distance[t]);
        if (t + 1 < points)
            requireFinite(p.growthRatio[t]);
    }
}

// The command line on the text: a report without inf or nan, or the parser's refusal on standard
// error and nothing on standard output.
void checkCommandLine(const std::string &text, const LeslieParse &parse, int steps)
{
    std::string stepsText = std::to_string(steps);
    std::string arguments[]
        = {"tarnvale", "--report", "--json", "--steps", stepsText, "--matrix", text};
    char *argv[std::size(arguments)];
    for (std::size_t i = 0; i < std::size(arguments); ++i)
        argv[i] = arguments[i].data();
    std::ostringstream out, err;
    const int status = cli::RunCommandLine(static_cast<int>(std::size(arguments)), argv, out, err);
    const MatrixTextParse general = parse.ok ? MatrixTextParse {} : ParseMatrixText(text);
    if (!parse.ok && !general.ok) {
        require(status == 1 && out.str() == "[]\n");
        require(err.str().starts_with("tarnvale: matrix: " + general.message));
        return;
    }
    require(status == 0 && err.str().empty());
    const std::string report = out.str();
    require(report.find("inf") == std::string::npos && report.find("nan") == std::string::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string text(reinterpret_cast<const char *>(data) + 1, size - 1);
    const int choice = data[0] & 3;
    const int steps = (data[0] >> 2) == 63 ? kMaxProjectionSteps : std::max(1, data[0] >> 2);

    const LeslieParse parse = ParseLeslieMatrix(text);
    const Expected expected = expectedReading(text);
    // An argument of a command line cannot hold a NUL.
    if (size % 8 == 0 && text.find('\0') == std::string::npos)
        checkCommandLine(text, parse, steps);
    if (!parse.ok) {
        require(!expected.prefix.empty() && parse.message.starts_with(expected.prefix));
        require(parse.table == LeslieTable {});
        return 0;
    }
    require(expected.prefix.empty() && parse.table == expected.table);
    require(!CheckLeslieTable(parse.table));

    const LeslieAnalysis analysis = AnalyseLeslie(parse.table);
    checkAnalysis(parse.table, analysis);

    const StartChoice choices[]
        = {StartChoice::Equal, StartChoice::FirstClass, StartChoice::Stable, StartChoice::Typed};
    const StartVector start = MakeStartVector(analysis, choices[choice], split(text, ';').front());
    if (!start.ok) {
        require(!start.message.empty());
        return 0;
    }
    require(start.shares.size() == parse.table.fecundity.size());
    checkProjection(ProjectLeslie(parse.table, start.shares, steps, analysis.stableAgeDistribution),
                    steps);
    return 0;
}
