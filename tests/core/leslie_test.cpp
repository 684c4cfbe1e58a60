// The Leslie analysis against computations written here from the matrix itself: power iteration on
// A + I for lambda1, w and v (it converges for periodic tables too), finite differences of
// lambda1 for the sensitivities, and tables whose eigenvalues are known in closed form.
#include "core/leslie.h"
#include "tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>

namespace {

using namespace tarnvale;

// y = A x for the Leslie structure, in long double.
std::vector<long double> multiply(const LeslieTable &t, const std::vector<long double> &x)
{
    std::vector<long double> y(x.size(), 0.0L);
    for (std::size_t i = 0; i < x.size(); ++i)
        y[0] += t.fecundity[i] * x[i];
    for (std::size_t i = 0; i + 1 < x.size(); ++i)
        y[i + 1] = t.survival[i] * x[i];
    return y;
}

// y = A^T x.
std::vector<long double> multiplyTransposed(const LeslieTable &t, const std::vector<long double> &x)
{
    std::vector<long double> y(x.size());
    for (std::size_t i = 0; i < x.size(); ++i)
        y[i] = t.fecundity[i] * x[0] + (i + 1 < x.size() ? t.survival[i] * x[i + 1] : 0.0L);
    return y;
}

struct PowerResult
{
    long double lambda = 0;
    std::vector<long double> vector; // scaled to sum 1
};

// Power iteration on A + I (or its transpose): the shift makes the dominant eigenvalue the only
// one of largest modulus even when the table cycles.
PowerResult powerIteration(const LeslieTable &t, bool transposed)
{
    const std::size_t n = t.fecundity.size();
    std::vector<long double> x(n, 1.0L / n);
    long double growth = 0;
    for (int k = 0; k < 400000; ++k) {
        std::vector<long double> y = transposed ? multiplyTransposed(t, x) : multiply(t, x);
        long double sum = 0, change = 0;
        for (std::size_t i = 0; i < n; ++i)
            sum += (y[i] += x[i]);
        for (std::size_t i = 0; i < n; ++i) {
            change = std::max(change, std::fabs(y[i] / sum - x[i]));
            x[i] = y[i] / sum;
        }
        growth = sum;
        if (change < 1e-18L && k > 10)
            break;
    }
    return {growth - 1, x};
}

std::vector<double> randomRates(std::mt19937 &random, std::size_t count, double low, double high)
{
    std::uniform_real_distribution<double> draw(low, high);
    std::vector<double> values(count);
    for (double &v : values)
        v = draw(random);
    return values;
}

struct Table
{
    const char *name;
    LeslieTable table;
};

std::vector<Table> checkedTables()
{
    std::mt19937 random(12);
    std::vector<Table> tables = {
        {"default matrix", {{0, 1, 2, 1}, {0.5, 1, 0.5}}},
        {"post-reproductive", {{0, 1.2, 1.5, 0, 0}, {0.6, 0.5, 0.4, 0.3}}},
        {"survival above 1", {{0, 0, 0.3, 0.8}, {1.5, 1.2, 0.9}}},
        {"declining", {{0.1, 0.4, 0.2}, {0.3, 0.2}}},
        {"one class", {{1.7}, {}}},
        // 201 classes: one young at each age from 1, a survival of 0.5 throughout.
        {"201 classes", {std::vector<double>(201, 0.3), std::vector<double>(200, 0.5)}},
    };
    tables.back().table.fecundity[0] = 0;
    // 40 classes whose l(x) F(x) span 50 orders of magnitude: too steep for the Schur form alone.
    tables.push_back({"steep", {std::vector<double>(40, 1.0), std::vector<double>(39, 0.05)}});
    for (int i = 0; i < 6; ++i) {
        const std::size_t n = 2 + static_cast<std::size_t>(i) * 7;
        tables.push_back(
            {"random", {randomRates(random, n, 0, 3), randomRates(random, n - 1, 0.05, 1)}});
    }
    return tables;
}

TEST(LeslieAnalysis, agreesWithPowerIterationAndFiniteDifferences)
{
    for (const auto &[name, table] : checkedTables()) {
        SCOPED_TRACE(name + std::string(" n = ") + std::to_string(table.ageClasses()));
        const LeslieAnalysis a = AnalyseLeslie(table);
        const PowerResult right = powerIteration(table, false);
        const PowerResult left = powerIteration(table, true);
        const std::size_t n = table.fecundity.size();
        ASSERT_TRUE(a.lambda && a.stableAgeDistribution && a.reproductiveValues);
        EXPECT_NEAR(*a.lambda, static_cast<double>(right.lambda), 1e-13 * *a.lambda);
        EXPECT_NEAR(std::log(*a.lambda), *a.intrinsicRate, 1e-15);
        for (std::size_t x = 0; x < n; ++x) {
            EXPECT_NEAR((*a.stableAgeDistribution)[x], static_cast<double>(right.vector[x]), 1e-12);
            const double v = static_cast<double>(left.vector[x] / left.vector[0]);
            EXPECT_NEAR((*a.reproductiveValues)[x], v, 1e-11 * std::max(1.0, v)) << x;
        }
        EXPECT_NEAR(*a.birthRate + *a.survivalRate, *a.lambda, 1e-14);

        // Sensitivities against central differences of lambda1; elasticities sum to 1.
        double elasticitySum = 0;
        for (double e : *a.elasticityFecundity)
            elasticitySum += e;
        for (double e : *a.elasticitySurvival)
            elasticitySum += e;
        EXPECT_NEAR(elasticitySum, 1.0, 1e-12);
        const std::size_t stride = std::max<std::size_t>(1, (2 * n - 1) / 12);
        for (std::size_t x = 0; x < 2 * n - 1; x += stride) {
            const bool fecundity = x < n;
            const std::size_t i = fecundity ? x : x - n;
            LeslieTable up = table, down = table;
            double &upValue = fecundity ? up.fecundity[i] : up.survival[i];
            double &downValue = fecundity ? down.fecundity[i] : down.survival[i];
            const double h = 1e-5 * std::max(upValue, 0.1);
            upValue += h;
            downValue = std::max(0.0, downValue - h);
            const double slope
                = (*AnalyseLeslie(up).lambda - *AnalyseLeslie(down).lambda) / (upValue - downValue);
            const double sensitivity
                = fecundity ? (*a.sensitivityFecundity)[i] : (*a.sensitivitySurvival)[i];
            EXPECT_NEAR(sensitivity, slope, 1e-6 * std::max(1.0, std::fabs(slope))) << x;
        }

        // Every eigenvalue solves det(A - mu I) = 0: mu^n = sum l(x) F(x) mu^(n - 1 - x).
        ASSERT_EQ(a.eigenvalues.size(), n);
        for (std::complex<double> mu : a.eigenvalues) {
            const std::complex<long double> m(mu.real(), mu.imag());
            std::complex<long double> power = 1, sum = 0;
            long double l = 1, size = 0;
            for (std::size_t x = 0; x < n; ++x) {
                sum = sum * m + l * static_cast<long double>(table.fecundity[x]);
                size = size * std::abs(m) + l * static_cast<long double>(table.fecundity[x]);
                if (x + 1 < n)
                    l *= table.survival[x];
                power *= m;
            }
            EXPECT_LE(std::abs(power - sum), 1e-9 * (size + std::abs(power))) << mu;
        }
    }
}

TEST(LeslieAnalysis, secondEigenvalueOfTablesWithKnownRoots)
{
    struct Case
    {
        LeslieTable table;
        double secondModulus;
        std::optional<double> damping;
        int period;
        double tolerance = 1e-13; // a double root is only good to the square root of rounding
    };
    const double third = 0.33333333333333331;
    const Case cases[] = {
        // lambda^3 - 0.5 lambda^2 - 2.5 lambda - 1 = (lambda - 2)(lambda + 1)(lambda + 0.5)
        {{{0.5, 5, 2.5}, {0.5, 0.8}}, 1.0, 2.0, 1},
        // (lambda - 1.5)(lambda^2 + lambda + 0.5): a complex pair of modulus sqrt(0.5)
        {{{0.5, 2, 3}, {0.5, 0.5}}, std::sqrt(0.5), 1.5 / std::sqrt(0.5), 1},
        // (lambda - 1)(lambda + 0.5)^2: a double root
        {{{0, 1.5, 1}, {0.5, 0.5}}, 0.5, 2.0, 1, 1e-7},
        // lambda^2 = 0.3 lambda: the other root is 0, so there is no damping ratio
        {{{0.3, 0}, {0.9}}, 0.0, std::nullopt, 1},
        // Bernardelli's beetle: lambda^3 = 1
        {{{0, 0, 6}, {0.5, third}}, 1.0, 1.0, 3},
        // young only in the last of four classes: lambda^4 = 0.6 * 0.5 * 0.4 * 10
        {{{0, 0, 0, 10}, {0.6, 0.5, 0.4}}, std::pow(1.2, 0.25), 1.0, 4},
    };
    for (const Case &c : cases) {
        const LeslieAnalysis a = AnalyseLeslie(c.table);
        ASSERT_TRUE(a.secondModulus);
        EXPECT_NEAR(*a.secondModulus, c.secondModulus, c.tolerance);
        EXPECT_EQ(a.dampingRatio.has_value(), c.damping.has_value());
        if (c.damping) {
            EXPECT_NEAR(*a.dampingRatio, *c.damping, 10 * c.tolerance);
        }
        EXPECT_EQ(a.period, c.period);
        if (c.period > 1) {
            EXPECT_EQ(*a.dampingRatio, 1.0); // exactly: the structure never settles
            for (std::complex<double> mu : a.eigenvalues)
                EXPECT_NEAR(std::abs(mu), *a.lambda, 1e-13);
            EXPECT_EQ(PeriodicNote(a),
                      "the population cycles with period " + std::to_string(c.period)
                          + "; the age structure does not approach the SAD");
        }
    }
}

TEST(LeslieAnalysis, leavesUndefinedWhatLambdaDoesNotDefine)
{
    // Bernardelli's beetle: R0 is 1 to the last bit, so lambda1 is 1 exactly.
    const LeslieAnalysis beetle = AnalyseLeslie({{0, 0, 6}, {0.5, 0.33333333333333331}});
    EXPECT_EQ(beetle.netReproductiveRate, 1.0);
    EXPECT_EQ(beetle.lambda, 1.0);
    EXPECT_EQ(beetle.intrinsicRate, 0.0);
    EXPECT_FALSE(beetle.generationTime || beetle.doublingTime);
    EXPECT_TRUE(beetle.stableAgeDistribution);

    // No class reproduces: lambda1 = 0 and nothing that divides by it.
    const LeslieAnalysis barren = AnalyseLeslie({{0, 0, 0}, {0.5, 0.5}});
    EXPECT_EQ(barren.lambda, 0.0);
    EXPECT_EQ(barren.netReproductiveRate, 0.0);
    EXPECT_FALSE(barren.intrinsicRate || barren.generationTime || barren.stableAgeDistribution
                 || barren.reproductiveValues || barren.sensitivityFecundity || barren.birthRate
                 || barren.dampingRatio || barren.period);
    EXPECT_EQ(barren.eigenvalues, std::vector<std::complex<double>>(3, 0.0));

    // Young only after a zero survival rate: nobody reaches them.
    const LeslieAnalysis cut = AnalyseLeslie({{0, 0, 4}, {0.5, 0}});
    EXPECT_EQ(cut.lambda, 0.0);

    // A long table whose lambda1 is tiny: l(x) / lambda1^x leaves the double range, the SAD
    // still exists.
    LeslieTable tiny {std::vector<double>(201, 0), std::vector<double>(200, 1e-3)};
    tiny.fecundity[1] = 1e-3;
    const LeslieAnalysis small = AnalyseLeslie(tiny);
    EXPECT_NEAR(*small.lambda, 1e-3, 1e-16);
    ASSERT_TRUE(small.stableAgeDistribution);
    EXPECT_NEAR((*small.stableAgeDistribution)[0], 1.0 / 201, 1e-14);
}

TEST(LeslieAnalysis, staysFiniteOnRatesAtTheEdgesOfTheDoubleRange)
{
    const std::vector<double> extremes = {0, 1e-300, 1e-5, 0.5, 3, 1e300, 1.7e308};
    std::mt19937 random(5);
    for (int i = 0; i < 40; ++i) {
        const std::size_t n = i % 4 == 0 ? 201 : 1 + random() % 12;
        LeslieTable table;
        for (std::size_t x = 0; x < n; ++x) {
            table.fecundity.push_back(extremes[random() % extremes.size()]);
            if (x + 1 < n)
                table.survival.push_back(extremes[random() % extremes.size()]);
        }
        const LeslieAnalysis a = AnalyseLeslie(table);
        for (const std::optional<double> &value :
             {a.lambda, a.intrinsicRate, a.netReproductiveRate, a.generationTime, a.doublingTime,
              a.birthRate, a.survivalRate, a.deathRate, a.secondModulus, a.dampingRatio})
            EXPECT_TRUE(!value || std::isfinite(*value)) << i;
        for (const auto &values : {a.stableAgeDistribution, a.reproductiveValues,
                                   a.sensitivityFecundity, a.sensitivitySurvival})
            for (double v : values.value_or(std::vector<double> {}))
                EXPECT_TRUE(std::isfinite(v)) << i;
        EXPECT_EQ(a.eigenvalues.size(), a.lambda ? n : 0u) << i;
        for (std::complex<double> mu : a.eigenvalues)
            EXPECT_TRUE(std::isfinite(mu.real()) && std::isfinite(mu.imag())) << i;
    }
}

TEST(LeslieAnalysis, elasticitiesAreSharesOfTheEulerLotkaTerms)
{
    // With t(x) = l(x) F(x) / lambda1^(x + 1), the terms of the Euler-Lotka sum, and their mean
    // age T = sum (x + 1) t(x), the elasticity of F(x) is t(x) / T and that of s(x) is the sum of
    // t(y) over y > x, divided by T. The t(x) are formed from logarithms here. A matrix times c
    // has the same elasticities; a subnormal lambda1 keeps only a few bits, and w(x) or v(x) may
    // leave the double range, where their products do not. They agree to 1e-12: at a scale of
    // 1e+-300 the logarithms, near +-690, carry a rounding of about 1e-13.
    std::vector<LeslieTable> tables;
    for (double c : {1.0, 1e-300, 1e-320, 4.9e-324, 1e300})
        tables.push_back({{c, c}, {c}});
    tables.push_back({{1e-300, 0, 1e300}, {1e300, 1e-300}}); // w(2) underflows, v(2) w(2) not
    tables.push_back({{0, 1.5, 2, 0.5}, {0.6, 0.8, 0.4}});
    for (const LeslieTable &table : tables) {
        const LeslieAnalysis a = AnalyseLeslie(table);
        ASSERT_TRUE(a.intrinsicRate && a.elasticityFecundity && a.elasticitySurvival);
        const std::size_t n = table.fecundity.size();
        std::vector<double> t(n);
        double logL = 0, meanAge = 0;
        for (std::size_t x = 0; x < n; ++x) {
            logL += x > 0 ? std::log(table.survival[x - 1]) : 0.0;
            t[x] = table.fecundity[x] > 0
                ? std::exp(logL + std::log(table.fecundity[x]) - (x + 1.0) * *a.intrinsicRate)
                : 0.0;
            meanAge += (x + 1.0) * t[x];
        }
        for (std::size_t x = 0; x < n; ++x) {
            double later = 0;
            for (std::size_t y = x + 1; y < n; ++y)
                later += t[y];
            EXPECT_NEAR((*a.elasticityFecundity)[x], t[x] / meanAge, 1e-12) << table.fecundity[0];
            if (x + 1 < n) {
                EXPECT_NEAR((*a.elasticitySurvival)[x], later / meanAge, 1e-12)
                    << table.fecundity[0];
            }
        }
    }
}

TEST(LeslieAnalysis, survivorshipMayLeaveTheDoubleRangeAndComeBack)
{
    // l(1) F(1) = 1 and l(3) F(3) = 1, but l(2) = l(3) = 1e-330 and 1e-60 on the way, below the
    // double range and back: R0 = 2, and lambda1^-2 + lambda1^-4 = 1 gives lambda1^2 = the
    // golden ratio.
    const LeslieAnalysis a = AnalyseLeslie({{0, 1e300, 0, 1e60}, {1e-300, 1e-30, 1e270}});
    ASSERT_TRUE(a.netReproductiveRate && a.lambda);
    EXPECT_NEAR(*a.netReproductiveRate, 2.0, 1e-12);
    EXPECT_NEAR(*a.lambda, std::sqrt((1 + std::sqrt(5.0)) / 2), 1e-12);
}

TEST(LeslieAnalysis, refusesNegativeAndNonFiniteRatesNamingTheClass)
{
    struct Case
    {
        LeslieTable table;
        const char *message;
    };
    const Case cases[] = {
        {{{}, {}}, "the table has no age class"},
        {{{0, 1}, {0.5, 0.5}}, "the table needs one survival rate fewer than its age classes"},
        {{{0, -1, 2}, {0.5, 0.5}}, "age class 1: the fecundity -1 is negative"},
        {{{0, 1, 2}, {0.5, -0.25}}, "age class 1: the survival rate -0.25 is negative"},
        {{{0, 1, HUGE_VAL}, {0.5, 0.5}}, "age class 2: the fecundity is not a finite number"},
        {{{0, 1, 2}, {NAN, 0.5}}, "age class 0: the survival rate is not a finite number"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(CheckLeslieTable(c.table).value_or(""), c.message);
        const LeslieAnalysis a = AnalyseLeslie(c.table);
        EXPECT_FALSE(a.lambda || a.netReproductiveRate || a.period) << c.message;
        EXPECT_TRUE(a.eigenvalues.empty());
    }
    EXPECT_FALSE(CheckLeslieTable({{0, 1, 2}, {0.5, 1.5}})); // above 1 is computed with
}

TEST(LeslieTableFrom, readsTheCellsOrTheLifeTable)
{
    const LeslieTable matrix
        = LeslieTableFrom(AnalysisState {}, withCells({{4, "0.25"}, {9, "x"}}));
    EXPECT_EQ(matrix, (LeslieTable {{0, 1, 2, 1}, {0.25, 0, 0.5}}));
    AnalysisState state = tableState({0, 1.5, 2}, {0.5, 0.25});
    state.Fecundity[1] = std::string("1.5");
    state.Survival[0] = std::monostate {};
    EXPECT_EQ(LeslieTableFrom(state, kNoCells), (LeslieTable {{0, 1.5, 2}, {0, 0.25}}));
}

TEST(ParseLeslieMatrix, readsEntriesWholeAndNamesWhatIsWrong)
{
    struct Case
    {
        const char *text;
        const char *message; // "" when the text is read
    };
    const Case cases[] = {
        {"0 1 2 1; 0.5 0 0 0; 0 1 0 0; 0 0 0.5 0", ""},
        {" 0,1 , 2,1;0.5\t0 0 0;0 1 0 0;0 0 .5e0 0 ", ""},
        {"1.5", ""},
        {"", "the matrix is empty"},
        {"  ", "the matrix is empty"},
        {"0 1; ;", "row 2 is empty"},
        {"0 1; 0.5", "row 2 has 1 entries where row 1 has 2"},
        {"0 1 2; 0.5 0 0", "the matrix has 2 rows of 3 entries; a Leslie matrix is square"},
        {"0 1; 0.5 0;", "row 3 is empty"},
        {"0 1 2; 0.5 0 0; 0 0.5 0.1",
         "row 3, column 3: 0.1 lies outside the first row and the "
         "sub-diagonal of a Leslie matrix"},
        {"0 1; -0.5 0", "row 2, column 1: -0.5 is negative"},
        {"0 12x; 0.5 0", "row 1, column 2: \"12x\" is not a finite decimal number"},
        {"0 1e999; 0.5 0", "row 1, column 2: \"1e999\" is not a finite decimal number"},
        {"0 nan; 0.5 0", "row 1, column 2: \"nan\" is not a finite decimal number"},
        {"0,,1; 0.5 0 0; 0 1 0", "row 1, column 2: the entry is empty"},
    };
    for (const Case &c : cases) {
        const LeslieParse parse = ParseLeslieMatrix(c.text);
        EXPECT_EQ(parse.message, c.message) << c.text;
        EXPECT_EQ(parse.ok, *c.message == '\0') << c.text;
    }
    EXPECT_EQ(ParseLeslieMatrix("0 1 2 1; 0.5 0 0 0; 0 1 0 0; 0 0 0.5 0").table,
              (LeslieTable {{0, 1, 2, 1}, {0.5, 1, 0.5}}));
    std::string big = "1";
    for (int i = 1; i < 202; ++i)
        big += ";1";
    EXPECT_EQ(ParseLeslieMatrix(big).message,
              "the matrix has 202 rows; a Leslie matrix here has at most 201");
}

} // namespace
