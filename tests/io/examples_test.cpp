// The shipped examples against the publications they cite: lambda1 of each stage matrix by power
// iteration, and R0 and the source's r of each life table, each to the digits the source prints.
#include "core/leslie.h"
#include "io/lifetable.h"
#include "io/matrixfile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

using namespace tarnvale;

namespace {

using Grid = std::vector<std::vector<double>>;

std::string example(const std::string &name)
{
    return std::string(TARNVALE_EXAMPLES_DIR) + "/" + name;
}

// A part of a matrix file as rows of numbers.
Grid rowsOf(const SquareMatrix &m)
{
    Grid rows(static_cast<std::size_t>(m.n));
    for (int i = 0; i < m.n; ++i)
        for (int j = 0; j < m.n; ++j)
            rows[static_cast<std::size_t>(i)].push_back(m.at(i, j));
    return rows;
}

StageModel readModel(const std::string &file)
{
    const MatrixFileRead read = ReadMatrixFile(example(file));
    EXPECT_TRUE(read.ok) << read.message;
    return read.model;
}

// The growth of the total from a start of ones, once the dominant stage structure has taken over.
double powerIteration(const Grid &a)
{
    const std::size_t n = a.size();
    std::vector<long double> v(n, 1.0L), w(n);
    long double growth = 0;
    for (int step = 0; step < 20000; ++step) {
        long double before = 0, after = 0;
        for (std::size_t i = 0; i < n; ++i) {
            w[i] = 0;
            for (std::size_t j = 0; j < n; ++j)
                w[i] += a[i][j] * v[j];
            before += v[i];
            after += w[i];
        }
        growth = after / before;
        for (std::size_t i = 0; i < n; ++i)
            v[i] = w[i] / after;
    }
    return static_cast<double>(growth);
}

LeslieTable readTable(const std::string &file, TableFormat format)
{
    const LifeTableRead read = ReadLeslieTable(example(file), format);
    EXPECT_TRUE(read.ok) << read.message;
    return read.table;
}

// The root of sum l(x) F(x) exp(-r (x + offset)) = 1: the source's own form, its young of class x
// counted `offset` after age x (Tarnvale counts them at x + 1), by bisection.
double sourceRate(const LeslieTable &t, double offset)
{
    const auto excess = [&](double r) {
        double sum = 0, l = 1;
        for (int x = 0; x < t.ageClasses(); ++x) {
            sum += l * t.fecundity[x] * std::exp(-r * (x + offset));
            if (x + 1 < t.ageClasses())
                l *= t.survival[x];
        }
        return sum - 1;
    };
    double low = -5, high = 5;
    for (int i = 0; i < 200; ++i)
        (excess((low + high) / 2) > 0 ? low : high) = (low + high) / 2;
    return (low + high) / 2;
}

TEST(Examples, stageMatricesGrowAsTheirSourcesSay)
{
    struct Case
    {
        const char *file;
        std::size_t stages;
        double lambda; // as the source prints it
        double tolerance; // half a unit of its last digit
    };
    const Case cases[] = {
        {"StageM-LoggerheadTurtle.csv", 7, 0.9450, 0.00005}, // Crouse et al. 1987
        {"StageM-KillerWhale.csv", 4, 1.0254, 0.00005}, // Brault & Caswell 1993
    };
    for (const Case &c : cases) {
        const StageModel model = readModel(c.file);
        ASSERT_EQ(static_cast<std::size_t>(model.stages()), c.stages) << c.file;
        EXPECT_NEAR(powerIteration(rowsOf(model.a)), c.lambda, c.tolerance) << c.file;
    }
}

// Werner & Caswell give the seeds of a flowering plant (431) and their fates; Caswell's
// fertilities are their products. The parts must add up to a matrix that grows.
TEST(Examples, teaselFertilitiesAreTheSeedsTimesTheirFates)
{
    const StageModel model = readModel("StageM-Teasel.csv");
    ASSERT_TRUE(model.split());
    const Grid u = rowsOf(*model.u), f = rowsOf(*model.f);
    ASSERT_EQ(u.size(), 6u);
    ASSERT_EQ(f.size(), 6u);
    const double fates[] = {0.748, 0, 0.008, 0.07, 0.002, 0};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_NEAR(f[i][5], 431 * fates[i], 1e-9) << "row " << i;
        for (std::size_t j = 0; j < 5; ++j)
            EXPECT_EQ(f[i][j], 0.0) << i << ' ' << j;
    }
    for (std::size_t j = 0; j < 6; ++j) {
        double survival = 0;
        for (std::size_t i = 0; i < 6; ++i)
            survival += u[i][j];
        EXPECT_LE(survival, 1.0) << "column " << j;
    }
    EXPECT_NEAR(powerIteration(rowsOf(model.a)), 2.3339, 0.00005);
}

TEST(Examples, lifeTablesReproduceTheirSourcesNumbers)
{
    struct Case
    {
        const char *file;
        TableFormat format;
        std::optional<double> r0; // as the source prints it, when it could be read
        double r0Tolerance;
        double r; // the source's, in its own form
        double rTolerance;
        double offset; // where the source counts the young of class x, after age x
    };
    const Case cases[] = {
        // Begon, Townsend & Harper (2006), Table 4.5: exp(-r x).
        {"ExampleB-Barnacle.txt", TableFormat::B, 1.28, 0.005, 0.085, 0.0005, 0},
        // Birch (1948): the pivotal ages x + 0.5. His R0 could not be read here.
        {"ExampleB-RiceWeevil.txt", TableFormat::B, std::nullopt, 0, 0.76, 0.005, 0.5},
        // Bernardelli (1941): a matrix, young counted at the next census; it repeats every
        // three years.
        {"ExampleA-Bernardelli.txt", TableFormat::A, 1, 1e-12, 0, 1e-12, 1},
    };
    for (const Case &c : cases) {
        const LeslieTable table = readTable(c.file, c.format);
        const LeslieAnalysis analysis = AnalyseLeslie(table);
        ASSERT_TRUE(analysis.netReproductiveRate) << c.file;
        if (c.r0) {
            EXPECT_NEAR(*analysis.netReproductiveRate, *c.r0, c.r0Tolerance) << c.file;
        }
        EXPECT_NEAR(sourceRate(table, c.offset), c.r, c.rTolerance) << c.file;
    }
}

} // namespace
