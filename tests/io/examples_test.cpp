// The shipped examples against the publications they cite: lambda1 of each stage matrix by power
// iteration, and R0 and the source's r of each life table, each to the digits the source prints.
#include "core/leslie.h"
#include "io/lifetable.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

using namespace tarnvale;

namespace {

using Grid = std::vector<std::vector<double>>;

std::string example(const std::string &name)
{
    return std::string(TARNVALE_EXAMPLES_DIR) + "/" + name;
}

// The numbers of a matrix file, one grid per part ([U], [F], ...; one grid when it has none).
// Comment lines and quoted fields (the stage names) are skipped. Just enough for the shipped
// files, whose stage names hold no comma.
std::vector<Grid> readParts(const std::string &path)
{
    std::ifstream in(path);
    std::vector<Grid> parts(1);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[') {
            if (!parts.back().empty())
                parts.emplace_back();
            continue;
        }
        std::vector<double> row;
        std::stringstream fields(line);
        std::string field;
        while (std::getline(fields, field, ',')) {
            if (field.empty() || field[0] == '"')
                continue;
            double value = 0;
            std::from_chars(field.data(), field.data() + field.size(), value);
            row.push_back(value);
        }
        if (!row.empty())
            parts.back().push_back(row);
    }
    return parts;
}

Grid sumOf(const std::vector<Grid> &parts)
{
    Grid a = parts.front();
    for (std::size_t p = 1; p < parts.size(); ++p)
        for (std::size_t i = 0; i < a.size(); ++i)
            for (std::size_t j = 0; j < a.size(); ++j)
                a[i][j] += parts[p][i][j];
    return a;
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
        const std::vector<Grid> parts = readParts(example(c.file));
        ASSERT_EQ(parts.size(), 1u) << c.file;
        ASSERT_EQ(parts[0].size(), c.stages) << c.file;
        for (const auto &row : parts[0])
            ASSERT_EQ(row.size(), c.stages) << c.file;
        EXPECT_NEAR(powerIteration(parts[0]), c.lambda, c.tolerance) << c.file;
    }
}

// Werner & Caswell give the seeds of a flowering plant (431) and their fates; Caswell's
// fertilities are their products. The parts must add up to a matrix that grows.
TEST(Examples, teaselFertilitiesAreTheSeedsTimesTheirFates)
{
    const std::vector<Grid> parts = readParts(example("StageM-Teasel.csv"));
    ASSERT_EQ(parts.size(), 2u);
    const Grid &u = parts[0], &f = parts[1];
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
    EXPECT_NEAR(powerIteration(sumOf(parts)), 2.3339, 0.00005);
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
