#include "core/leslie.h"

#include "core/numbertext.h"

#include <Eigen/Core>
#include <Eigen/Eigenvalues>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace tarnvale {

namespace {

constexpr double kMinusInfinity = -std::numeric_limits<double>::infinity();

std::string classText(int x)
{
    return "age class " + std::to_string(x);
}

// ln(e^a + e^b) without leaving the double range; -infinity stands for 0.
double logAdd(double a, double b)
{
    if (a == kMinusInfinity)
        return b;
    if (b == kMinusInfinity)
        return a;
    const double top = std::max(a, b);
    return top + std::log1p(std::exp(-std::fabs(a - b)));
}

std::optional<double> finite(double value)
{
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

std::optional<std::vector<double>> finiteArray(std::vector<double> values)
{
    for (double v : values)
        if (!std::isfinite(v))
            return std::nullopt;
    return values;
}

// ln l(x) for x = 0 ... n - 1 (-infinity once a survival rate is 0).
std::vector<double> logSurvivorship(const LeslieTable &table)
{
    std::vector<double> logL(table.fecundity.size(), 0.0);
    for (std::size_t x = 0; x + 1 < logL.size(); ++x)
        logL[x + 1] = logL[x] + std::log(table.survival[x]);
    return logL;
}

// lambda1 as u = ln lambda1 from phi(u) = ln sum exp(a(x) - (x + 1) u) = 0, a(x) = ln l(x) F(x).
// phi is convex and decreasing, and phi(u0) >= 0 at u0 = max a(x) / (x + 1), so Newton's method
// from u0 climbs to the root from below without overshooting; it stops when a step no longer
// moves u upwards, which is at the root to rounding.
double logLambdaOf(const std::vector<double> &a)
{
    double u = kMinusInfinity;
    for (std::size_t x = 0; x < a.size(); ++x)
        if (a[x] != kMinusInfinity)
            u = std::max(u, a[x] / static_cast<double>(x + 1));
    for (int iteration = 0; iteration < 200; ++iteration) {
        double top = kMinusInfinity;
        for (std::size_t x = 0; x < a.size(); ++x)
            if (a[x] != kMinusInfinity)
                top = std::max(top, a[x] - static_cast<double>(x + 1) * u);
        double sum = 0.0, ageSum = 0.0;
        for (std::size_t x = 0; x < a.size(); ++x) {
            if (a[x] == kMinusInfinity)
                continue;
            const double term = std::exp(a[x] - static_cast<double>(x + 1) * u - top);
            sum += term;
            ageSum += static_cast<double>(x + 1) * term;
        }
        const double phi = top + std::log(sum);
        const double next = u + phi / (ageSum / sum);
        if (!(next > u))
            break;
        u = next;
    }
    return u;
}

// q(z) = z^m - sum c(x) z^(m - 1 - x) and q'(z) by Horner's rule, with the size of the terms,
// sum |coefficient| |z|^i, which bounds the rounding error of q.
struct Horner
{
    double vr = 1, vi = 0, dr = 0, di = 0, size = 1;
};

Horner evaluate(const std::vector<double> &c, double zr, double zi)
{
    Horner h;
    const double modulus = std::hypot(zr, zi);
    for (double cx : c) {
        const double ndr = h.dr * zr - h.di * zi + h.vr;
        h.di = h.dr * zi + h.di * zr + h.vi;
        h.dr = ndr;
        const double nvr = h.vr * zr - h.vi * zi - cx;
        h.vi = h.vr * zi + h.vi * zr;
        h.vr = nvr;
        h.size = h.size * modulus + std::fabs(cx);
    }
    return h;
}

// Whether every z is a root of q to the accuracy its coefficients allow.
bool rootsAccurate(const std::vector<double> &c, const std::vector<std::complex<double>> &z)
{
    const double tolerance
        = 64.0 * static_cast<double>(c.size() + 1) * std::numeric_limits<double>::epsilon();
    for (std::complex<double> root : z) {
        const Horner h = evaluate(c, root.real(), root.imag());
        if (!(std::hypot(h.vr, h.vi) <= tolerance * h.size))
            return false;
    }
    return true;
}

// Starting points for Aberth's iteration from the Newton polygon of q: each edge of the upper
// convex hull of the points (i, ln |a(i)|), a(i) the coefficient of z^i, from i to j stands for
// j - i roots of about the modulus (|a(i)| / |a(j)|)^(1 / (j - i)); they start evenly spaced on
// that circle.
std::vector<std::complex<double>> newtonPolygonStarts(const std::vector<double> &c)
{
    const std::size_t m = c.size();
    std::vector<std::pair<double, double>> points; // (i, ln |a(i)|)
    for (std::size_t i = 0; i <= m; ++i) {
        const double a = i == m ? 1.0 : c[m - 1 - i];
        if (a != 0)
            points.emplace_back(static_cast<double>(i), std::log(std::fabs(a)));
    }
    std::vector<std::pair<double, double>> hull;
    for (const auto &p : points) {
        while (hull.size() >= 2) {
            const auto &o = hull[hull.size() - 2], &q = hull.back();
            if ((q.first - o.first) * (p.second - o.second)
                    - (q.second - o.second) * (p.first - o.first)
                >= 0)
                hull.pop_back();
            else
                break;
        }
        hull.push_back(p);
    }
    // Coefficients of the lowest powers that underflowed to 0 stand for roots at 0.
    std::vector<std::complex<double>> starts(static_cast<std::size_t>(hull.front().first), 0.0);
    const double pi = std::acos(-1.0);
    for (std::size_t e = 0; e + 1 < hull.size(); ++e) {
        const int count = static_cast<int>(hull[e + 1].first - hull[e].first);
        const double radius = std::exp((hull[e].second - hull[e + 1].second) / count);
        for (int l = 0; l < count; ++l)
            starts.push_back(std::polar(radius, 2 * pi * l / count + 0.4 + 1.1 * e));
    }
    return starts;
}

// Aberth's iteration on the roots z of q: Newton's correction q / q' for each root, damped by
// the pull of the others, so that all converge at once and none settles on another's root.
void aberth(const std::vector<double> &c, std::vector<std::complex<double>> &z)
{
    const std::size_t m = z.size();
    std::vector<double> re(m), im(m);
    for (std::size_t i = 0; i < m; ++i) {
        re[i] = z[i].real();
        im[i] = z[i].imag();
    }
    std::vector<bool> settled(m, false);
    for (int iteration = 0; iteration < 200; ++iteration) {
        bool moved = false;
        for (std::size_t i = 0; i < m; ++i) {
            if (settled[i])
                continue;
            const Horner h = evaluate(c, re[i], im[i]);
            const double dd = h.dr * h.dr + h.di * h.di;
            if (!(dd > 0) || !std::isfinite(dd))
                continue;
            const double nr = (h.vr * h.dr + h.vi * h.di) / dd;
            const double ni = (h.vi * h.dr - h.vr * h.di) / dd;
            double sr = 0, si = 0;
            for (std::size_t j = 0; j < m; ++j) {
                const double er = re[i] - re[j], ei = im[i] - im[j];
                const double ee = er * er + ei * ei;
                if (j == i || ee == 0)
                    continue;
                sr += er / ee;
                si -= ei / ee;
            }
            const double denr = 1 - (nr * sr - ni * si), deni = -(nr * si + ni * sr);
            const double den = denr * denr + deni * deni;
            if (!(den > 0) || !std::isfinite(den))
                continue;
            const double wr = (nr * denr + ni * deni) / den;
            const double wi = (ni * denr - nr * deni) / den;
            if (!std::isfinite(wr) || !std::isfinite(wi))
                continue;
            re[i] -= wr;
            im[i] -= wi;
            // A root whose value is within the rounding of its terms has nothing left to gain.
            if (std::hypot(h.vr, h.vi)
                <= 4.0 * static_cast<double>(m) * std::numeric_limits<double>::epsilon() * h.size)
                settled[i] = true;
            else
                moved = true;
        }
        if (!moved)
            break;
    }
    for (std::size_t i = 0; i < m; ++i)
        z[i] = {re[i], im[i]};
}

// The eigenvalues of the real Schur form of the companion matrix of q, which is already upper
// Hessenberg; empty when the iteration fails.
std::vector<std::complex<double>> schurEigenvalues(const std::vector<double> &c)
{
    const Eigen::Index size = static_cast<Eigen::Index>(c.size());
    Eigen::MatrixXd h = Eigen::MatrixXd::Zero(size, size);
    for (Eigen::Index x = 0; x < size; ++x) {
        h(0, x) = c[static_cast<std::size_t>(x)];
        if (x + 1 < size)
            h(x + 1, x) = 1.0;
    }
    std::vector<std::complex<double>> values;
    Eigen::RealSchur<Eigen::MatrixXd> schur(size);
    schur.computeFromHessenberg(h, Eigen::MatrixXd::Identity(size, size), false);
    if (schur.info() != Eigen::Success)
        return values;
    const Eigen::MatrixXd &t = schur.matrixT();
    for (Eigen::Index i = 0; i < size;) {
        if (i + 1 == size || t(i + 1, i) == 0.0) {
            values.emplace_back(t(i, i), 0.0);
            ++i;
            continue;
        }
        // A 2 x 2 block: its pair of eigenvalues.
        const double p = 0.5 * (t(i, i) - t(i + 1, i + 1));
        const double q = p * p + t(i + 1, i) * t(i, i + 1);
        const double z = std::sqrt(std::fabs(q));
        if (q >= 0) {
            values.emplace_back(t(i + 1, i + 1) + p + std::copysign(z, p), 0.0);
            values.emplace_back(t(i + 1, i + 1) + p - std::copysign(z, p), 0.0);
        } else {
            values.emplace_back(t(i + 1, i + 1) + p, z);
            values.emplace_back(t(i + 1, i + 1) + p, -z);
        }
        i += 2;
    }
    return values;
}

// Up to this many reproducing classes the Schur form is tried first (well under a millisecond);
// a longer table goes straight to Aberth's iteration, which for 201 classes takes about a
// millisecond against 10 to 40 for the Schur form.
constexpr std::size_t kSchurClasses = 60;

// The eigenvalues of the reproducing block of A (classes 0 ... k, every l(x) > 0 there), as
// multiples of lambda1. The similarity D^-1 A D / lambda1 with D = diag(l(x) / lambda1^x) turns
// the block into the companion matrix of q, whose first row c(x) = l(x) F(x) / lambda1^(x + 1)
// sums to 1 and whose sub-diagonal is 1, and which is still upper Hessenberg.
//
// The real Schur form of that matrix is backward stable for the matrix as a whole, not for each
// coefficient: where the coefficients span many orders of magnitude (l(x) F(x) falling fast), an
// error of the size of the largest moves a cluster of small roots by percents, or to 0. Aberth's
// iteration on q errs relative to each coefficient instead (Horner's rule), so it finds every
// root as accurately as its coefficients allow. Each result is checked against q; the other way
// takes over where the first falls short.
std::vector<std::complex<double>> relativeEigenvalues(const std::vector<double> &c)
{
    if (c.size() == 1)
        return {c[0]};
    std::vector<std::complex<double>> values;
    if (c.size() <= kSchurClasses) {
        values = schurEigenvalues(c);
        if (values.size() == c.size() && rootsAccurate(c, values))
            return values;
    }
    values = newtonPolygonStarts(c);
    aberth(c, values);
    return values;
}

} // namespace

LeslieTable LeslieTableFrom(const AnalysisState &state, const CellTexts &cells)
{
    LeslieTable table;
    if (!state.dataFileMode()) {
        for (int cell : kFecundityCells)
            table.fecundity.push_back(CellNumber(cells, cell));
        for (int cell : kSurvivalCells)
            table.survival.push_back(CellNumber(cells, cell));
        return table;
    }
    return LeslieTableOfData(state);
}

LeslieTable LeslieTableOfData(const AnalysisState &state)
{
    LeslieTable table;
    if (!state.hasLifeTable())
        return table;
    const int last = *state.LastAgeClass;
    for (int x = 0; x <= last; ++x) {
        table.fecundity.push_back(TableNumber(state.Fecundity[x]));
        if (x < last)
            table.survival.push_back(TableNumber(state.Survival[x]));
    }
    return table;
}

std::optional<std::string> CheckLeslieTable(const LeslieTable &table)
{
    if (table.fecundity.empty())
        return std::string("the table has no age class");
    if (table.survival.size() + 1 != table.fecundity.size())
        return std::string("the table needs one survival rate fewer than its age classes");
    for (std::size_t x = 0; x < table.fecundity.size(); ++x) {
        const int age = static_cast<int>(x);
        const double f = table.fecundity[x];
        if (!std::isfinite(f))
            return classText(age) + ": the fecundity is not a finite number";
        if (f < 0)
            return classText(age) + ": the fecundity " + NumberToText(f) + " is negative";
        if (x == table.survival.size())
            continue;
        const double s = table.survival[x];
        if (!std::isfinite(s))
            return classText(age) + ": the survival rate is not a finite number";
        if (s < 0)
            return classText(age) + ": the survival rate " + NumberToText(s) + " is negative";
    }
    return std::nullopt;
}

std::vector<std::string> SplitEntries(const std::string &text)
{
    std::vector<std::string> entries;
    std::string entry;
    bool afterComma = false; // only blanks since the last comma: another comma ends an empty entry
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (!entry.empty()) {
                entries.push_back(entry);
                entry.clear();
            }
            continue;
        }
        if (c == ',') {
            if (!entry.empty())
                entries.push_back(entry);
            else if (afterComma || entries.empty())
                entries.emplace_back(); // ",," or a leading comma: an empty entry
            entry.clear();
            afterComma = true;
            continue;
        }
        entry.push_back(c);
        afterComma = false;
    }
    if (!entry.empty())
        entries.push_back(entry);
    else if (afterComma)
        entries.emplace_back(); // a trailing comma
    return entries;
}

EntryRate ReadEntryRate(const std::string &entry)
{
    EntryRate rate;
    const NumberExtent extent = ScanNumber(entry);
    const ScannedNumber number = TextToNumber(entry);
    // TextToNumber skips blanks wherever they stand; an entry holds none.
    if (entry.find_first_of(" \t\n") != std::string::npos || !extent.found
        || extent.end != entry.size() || number.outOfRange || !std::isfinite(number.value))
        rate.problem = entry.empty() ? std::string("the entry is empty")
                                     : "\"" + entry + "\" is not a finite decimal number";
    else if (number.value < 0)
        rate.problem = entry + " is negative";
    else
        rate.value = number.value;
    return rate;
}

LeslieParse ParseLeslieMatrix(const std::string &text)
{
    LeslieParse result;
    std::vector<std::string> rowTexts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(';', start);
        rowTexts.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    if (rowTexts.size() == 1 && SplitEntries(rowTexts[0]).empty()) {
        result.message = "the matrix is empty";
        return result;
    }
    if (rowTexts.size() > static_cast<std::size_t>(kMaxLeslieClasses)) {
        result.message = "the matrix has " + std::to_string(rowTexts.size())
            + " rows; a Leslie matrix here has at most " + std::to_string(kMaxLeslieClasses);
        return result;
    }
    const std::size_t n = rowTexts.size();
    std::vector<std::vector<std::string>> rows;
    for (std::size_t r = 0; r < n; ++r) {
        rows.push_back(SplitEntries(rowTexts[r]));
        const std::string row = "row " + std::to_string(r + 1);
        if (rows[r].empty()) {
            result.message = row + " is empty";
            return result;
        }
        if (rows[r].size() != rows[0].size()) {
            result.message = row + " has " + std::to_string(rows[r].size())
                + " entries where row 1 has " + std::to_string(rows[0].size());
            return result;
        }
    }
    if (rows[0].size() != n) {
        result.message = "the matrix has " + std::to_string(n) + (n == 1 ? " row" : " rows")
            + " of " + std::to_string(rows[0].size()) + " entries; a Leslie matrix is square";
        return result;
    }
    LeslieTable table;
    table.fecundity.assign(n, 0.0);
    table.survival.assign(n - 1, 0.0);
    for (std::size_t r = 0; r < n; ++r) {
        for (std::size_t c = 0; c < n; ++c) {
            const std::string &entry = rows[r][c];
            const std::string where
                = "row " + std::to_string(r + 1) + ", column " + std::to_string(c + 1) + ": ";
            const EntryRate rate = ReadEntryRate(entry);
            if (!rate.problem.empty()) {
                result.message = where + rate.problem;
                return result;
            }
            const double value = rate.value;
            if (r == 0)
                table.fecundity[c] = value;
            else if (c + 1 == r)
                table.survival[c] = value;
            else if (value != 0) {
                result.message = where + entry
                    + " lies outside the first row and the sub-diagonal of a Leslie matrix";
                return result;
            }
        }
    }
    result.ok = true;
    result.table = std::move(table);
    return result;
}

namespace {

// The terms of the Euler-Lotka sum, which every step of the analysis starts from.
struct LotkaTerms
{
    std::vector<double> logL; // ln l(x)
    std::vector<double> a; // ln l(x) F(x), -infinity where it is 0
    std::optional<std::size_t> last; // the last class that reproduces
    int period = 0; // gcd of the ages x + 1 of the reproducing classes
    double r0 = 0.0;
    bool summed = false; // R0 was summed directly, not from the logarithms
};

LotkaTerms lotkaTerms(const LeslieTable &table)
{
    LotkaTerms terms;
    const std::size_t n = table.fecundity.size();
    terms.logL = logSurvivorship(table);
    terms.a.assign(n, kMinusInfinity);
    for (std::size_t x = 0; x < n; ++x) {
        if (table.fecundity[x] > 0 && terms.logL[x] != kMinusInfinity) {
            terms.a[x] = terms.logL[x] + std::log(table.fecundity[x]);
            terms.last = x;
            terms.period = std::gcd(terms.period, static_cast<int>(x + 1));
        }
    }

    // R0 summed in age order as the results window sums it, so that a table whose R0 is 1 to
    // the last bit has lambda1 = 1 exactly. That sum holds only while every l(x) is a normal
    // double: one that underflows to 0 (or overflows) takes every later class with it, though
    // later rates may bring l(x) back; then R0 comes from the logarithms.
    double r0 = table.fecundity[0];
    double product = 1.0;
    for (std::size_t x = 0; x + 1 < n; ++x) {
        product *= table.survival[x];
        r0 += product * table.fecundity[x + 1];
    }
    terms.summed = std::all_of(terms.logL.begin(), terms.logL.end(), [](double logLx) {
        return logLx == kMinusInfinity || std::fabs(logLx) < 700.0;
    });
    if (!terms.summed) {
        double logR0 = kMinusInfinity;
        for (double ax : terms.a)
            logR0 = logAdd(logR0, ax);
        r0 = std::exp(logR0);
    }
    terms.r0 = r0;
    return terms;
}

// lambda1 as u = ln lambda1, with r, the doubling time and T; empty where lambda1 leaves the
// double range.
std::optional<double> dominantRoot(LeslieAnalysis &analysis, const LotkaTerms &terms)
{
    const double u = terms.summed && terms.r0 == 1.0 ? 0.0 : logLambdaOf(terms.a);
    const double lambda = std::exp(u);
    if (!(lambda > 0) || !std::isfinite(lambda))
        return std::nullopt;
    analysis.lambda = lambda;
    analysis.intrinsicRate = u;
    if (u != 0) {
        analysis.doublingTime = finite(std::log(2.0) / u);
        if (terms.r0 > 0 && std::isfinite(terms.r0))
            analysis.generationTime = finite(std::log(terms.r0) / u);
    }
    return u;
}

// The SAD w(x), proportional to l(x) / lambda1^x, and the rates at it. Returns ln w(x) before
// it is scaled to sum 1, and the logarithm of that sum.
std::pair<std::vector<double>, double> stableDistribution(LeslieAnalysis &analysis,
                                                          const LotkaTerms &terms, double u)
{
    const std::size_t n = terms.logL.size();
    std::vector<double> logW(n);
    double logWSum = kMinusInfinity;
    for (std::size_t x = 0; x < n; ++x) {
        logW[x] = terms.logL[x] - static_cast<double>(x) * u;
        logWSum = logAdd(logWSum, logW[x]);
    }
    std::vector<double> w(n);
    for (std::size_t x = 0; x < n; ++x)
        w[x] = std::exp(logW[x] - logWSum);
    analysis.stableAgeDistribution = finiteArray(w);
    if (analysis.stableAgeDistribution) {
        const double lambda = *analysis.lambda;
        const double birth = lambda * w[0];
        analysis.birthRate = finite(birth);
        analysis.survivalRate = finite(lambda - birth);
        analysis.deathRate = finite(1 - (lambda - birth));
    }
    return {std::move(logW), logWSum};
}

// Reproductive values from v(x) = (F(x) + s(x) v(x + 1)) / lambda1, in logarithms, then scaled
// to v(0) = 1. Returns ln v(x) before the scaling.
std::vector<double> reproductiveValues(LeslieAnalysis &analysis, const LeslieTable &table, double u)
{
    const std::size_t n = table.fecundity.size();
    std::vector<double> logV(n);
    for (std::size_t i = n; i-- > 0;) {
        double logSum = table.fecundity[i] > 0 ? std::log(table.fecundity[i]) : kMinusInfinity;
        if (i + 1 < n && table.survival[i] > 0)
            logSum = logAdd(logSum, std::log(table.survival[i]) + logV[i + 1]);
        logV[i] = logSum == kMinusInfinity ? kMinusInfinity : logSum - u;
    }
    std::vector<double> v(n);
    for (std::size_t x = 0; x < n; ++x)
        v[x] = logV[x] == kMinusInfinity ? 0.0 : std::exp(logV[x] - logV[0]);
    analysis.reproductiveValues = finiteArray(v);
    return logV;
}

// The sensitivities v(0) w(x) / <v, w> and v(x + 1) w(x) / <v, w>, from logarithms: w(x) and
// v(x) may each lie beyond the double range or in its subnormal end, where they keep only a few
// bits, while their products do not.
void sensitivities(LeslieAnalysis &analysis, const std::vector<double> &logW, double logWSum,
                   const std::vector<double> &logV)
{
    const std::size_t n = logW.size();
    double logVw = kMinusInfinity;
    for (std::size_t x = 0; x < n; ++x)
        logVw = logAdd(logVw, logV[x] - logV[0] + logW[x] - logWSum);
    std::vector<double> sf(n), ss(n - 1);
    for (std::size_t x = 0; x < n; ++x) {
        sf[x] = std::exp(logW[x] - logWSum - logVw);
        if (x + 1 < n)
            ss[x] = std::exp(logV[x + 1] - logV[0] + logW[x] - logWSum - logVw);
    }
    analysis.sensitivityFecundity = finiteArray(sf);
    analysis.sensitivitySurvival = finiteArray(ss);
}

// c(x) = l(x) F(x) / lambda1^(x + 1), the terms of the Euler-Lotka sum, as the solver scales
// them. With their mean age T the elasticity of F(x) is c(x) / T and that of s(x) the sum of
// c(y) over y > x, divided by T: they sum to 1 whatever the rounding of the terms, which for
// rates far from 1 is that of ln lambda1 times the age, and the rounding of lambda1 itself,
// which in the subnormal range keeps only a few bits, does not enter. Returns c(0 ... last).
std::vector<double> elasticities(LeslieAnalysis &analysis, const LotkaTerms &terms, double u)
{
    const std::size_t n = terms.a.size();
    std::vector<double> c(n, 0.0);
    double meanAge = 0.0;
    for (std::size_t x = 0; x <= *terms.last; ++x) {
        c[x] = terms.a[x] == kMinusInfinity ? 0.0
                                            : std::exp(terms.a[x] - static_cast<double>(x + 1) * u);
        meanAge += static_cast<double>(x + 1) * c[x];
    }
    std::vector<double> ef(n), es(n - 1);
    double later = 0.0;
    for (std::size_t x = n; x-- > 0;) {
        ef[x] = c[x] / meanAge;
        if (x + 1 < n)
            es[x] = later / meanAge;
        later += c[x];
    }
    analysis.elasticityFecundity = finiteArray(ef);
    analysis.elasticitySurvival = finiteArray(es);
    c.resize(*terms.last + 1);
    return c;
}

// Every eigenvalue, |lambda2| and the damping ratio, from the reproducing block in units of
// lambda1 (`c`, its companion polynomial); the classes after it add zeros.
void eigenvalues(LeslieAnalysis &analysis, const std::vector<double> &c, int period)
{
    const std::size_t n = static_cast<std::size_t>(analysis.ageClasses);
    const double lambda = *analysis.lambda;
    std::vector<std::complex<double>> relative = relativeEigenvalues(c);
    if (relative.size() != c.size())
        return;
    // The dominant one is 1 in these units; it is replaced by lambda1 itself.
    const auto dominant = std::min_element(relative.begin(), relative.end(),
                                           [](std::complex<double> p, std::complex<double> q) {
                                               return std::abs(p - 1.0) < std::abs(q - 1.0);
                                           });
    relative.erase(dominant);
    std::sort(relative.begin(), relative.end(), [](std::complex<double> p, std::complex<double> q) {
        if (std::abs(p) != std::abs(q))
            return std::abs(p) > std::abs(q);
        if (p.real() != q.real())
            return p.real() > q.real();
        return p.imag() > q.imag();
    });
    analysis.eigenvalues.push_back(lambda);
    for (std::complex<double> mu : relative)
        analysis.eigenvalues.push_back(mu * lambda);
    analysis.eigenvalues.resize(n, 0.0);

    if (n == 1)
        return;
    double second = relative.empty() ? 0.0 : std::abs(relative.front());
    if (period > 1)
        second = 1.0;
    else if (second <= 8.0 * static_cast<double>(n) * std::numeric_limits<double>::epsilon())
        second = 0.0;
    analysis.secondModulus = finite(second * lambda);
    if (second > 0)
        analysis.dampingRatio = period > 1 ? 1.0 : 1.0 / second;
}

} // namespace

LeslieAnalysis AnalyseLeslie(const LeslieTable &table)
{
    LeslieAnalysis analysis;
    analysis.ageClasses = table.ageClasses();
    if (CheckLeslieTable(table))
        return analysis;
    const LotkaTerms terms = lotkaTerms(table);
    analysis.netReproductiveRate = finite(terms.r0);
    if (!terms.last) {
        // No class reproduces: every eigenvalue is 0 and nothing that divides by lambda1 exists.
        const std::size_t n = table.fecundity.size();
        analysis.lambda = 0.0;
        analysis.eigenvalues.assign(n, 0.0);
        if (n > 1)
            analysis.secondModulus = 0.0;
        return analysis;
    }
    analysis.period = terms.period;
    const std::optional<double> u = dominantRoot(analysis, terms);
    if (!u)
        return analysis;
    const auto [logW, logWSum] = stableDistribution(analysis, terms, *u);
    const std::vector<double> logV = reproductiveValues(analysis, table, *u);
    sensitivities(analysis, logW, logWSum, logV);
    eigenvalues(analysis, elasticities(analysis, terms, *u), terms.period);
    return analysis;
}

namespace {

// lambda1 and r (and with `distribution` the SAD) by the very steps of AnalyseLeslie, so that a
// sweep meets the report's lambda1 to the last bit at the present value.
Growth growthOf(const LeslieTable &table, bool distribution)
{
    Growth growth;
    if (CheckLeslieTable(table))
        return growth;
    const LotkaTerms terms = lotkaTerms(table);
    if (!terms.last) {
        growth.lambda = 0.0;
        return growth;
    }
    LeslieAnalysis analysis;
    const std::optional<double> u = dominantRoot(analysis, terms);
    growth.lambda = analysis.lambda;
    growth.intrinsicRate = analysis.intrinsicRate;
    if (u && distribution) {
        stableDistribution(analysis, terms, *u);
        growth.stableDistribution = std::move(analysis.stableAgeDistribution);
    }
    return growth;
}

} // namespace

std::optional<double> LeslieLambda(const LeslieTable &table)
{
    return growthOf(table, false).lambda;
}

Growth LeslieGrowth(const LeslieTable &table)
{
    return growthOf(table, true);
}

std::string PeriodicNote(const LeslieAnalysis &analysis)
{
    if (!analysis.periodic())
        return {};
    return "the population cycles with period " + std::to_string(*analysis.period)
        + "; the age structure does not approach the SAD";
}

} // namespace tarnvale
