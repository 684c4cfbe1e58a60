// Degenerate projection matrices through every analysis and every output of the command line:
// defined results meet their closed forms, the rest is undefined, and no inf or NaN shows.
#include "cli/commandline.h"

#include "core/matrixtext.h"
#include "core/results.h"
#include "core/stageanalysis.h"
#include "core/whatif.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

using namespace tarnvale;

namespace {

struct Case
{
    const char *name;
    const char *text; // as --matrix takes it
    double lambda; // lambda1 in closed form
    bool irreducible;
    int period; // 0: none (reducible, or [0])
};

// lambda1 of each from its characteristic polynomial: a triangular matrix's largest diagonal
// entry; x^2 = 1 for [0 2; 0.5 0]; x^3 = 8 * 0.5 * 0.5 = 2 for the 3-cycle.
const Case kCases[] = {
    {"singular", "0 0; 0 1", 1.0, false, 0},
    {"singular irreducible", "1 1; 1 1", 2.0, true, 1},
    {"reducible", "0.5 0 0; 0.3 0.8 0; 0 0.2 0.1", 0.8, false, 0},
    {"reducible upper", "0.9 0.4; 0 0.6", 0.9, false, 0},
    {"period 2", "0 2; 0.5 0", 1.0, true, 2},
    {"period 3", "0 0 8; 0.5 0 0; 0 0.5 0", std::cbrt(2.0), true, 3},
    {"all zero", "0 0; 0 0", 0.0, false, 0},
    {"zero", "0", 0.0, true, 0},
    {"huge", "1e300 1e300; 1e300 1e300", 2e300, true, 1},
    {"huge period 2", "0 1e300; 1e300 0", 1e300, true, 2},
    {"huge and tiny", "1e300 0; 1e-300 1e-300", 1e300, false, 0},
};

bool showsInfOrNan(const std::string &text)
{
    static const std::regex bad("\\b(inf|infinity|nan)\\b", std::regex::icase);
    return std::regex_search(text, bad);
}

std::string run(std::vector<std::string> arguments, int *status = nullptr)
{
    arguments.insert(arguments.begin(), "tarnvale");
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    std::ostringstream out, err;
    const int code = cli::RunCommandLine(static_cast<int>(argv.size()), argv.data(), out, err);
    if (status)
        *status = code;
    return out.str() + err.str();
}

std::string number(double x)
{
    std::ostringstream text;
    text.precision(17);
    text << x;
    return text.str();
}

void expectClose(std::optional<double> value, double expected, const std::string &what)
{
    ASSERT_TRUE(value) << what;
    EXPECT_LE(std::fabs(*value - expected), 1e-12 * std::max(1.0, expected)) << what;
}

TEST(Degenerate, EveryAnalysisGivesTheClosedFormOrUndefinedNeverInfOrNan)
{
    const std::filesystem::path file
        = std::filesystem::temp_directory_path() / "tarnvale-degenerate.csv";
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.name);
        const MatrixTextParse parsed = ParseMatrixText(c.text);
        ASSERT_TRUE(parsed.ok) << parsed.message;
        const StageModel &model = parsed.model;

        const StageAnalysis analysis = AnalyseStage(model);
        expectClose(analysis.lambda, c.lambda, "lambda1");
        EXPECT_EQ(analysis.irreducible, c.irreducible);
        EXPECT_EQ(analysis.period.value_or(0), c.period);
        EXPECT_EQ(analysis.intrinsicRate.has_value(), c.lambda > 0);
        EXPECT_EQ(analysis.doublingTime.has_value(), c.lambda > 0 && c.lambda != 1);
        if (c.lambda == 0) {
            EXPECT_FALSE(analysis.stableDistribution || analysis.elasticity);
        }
        for (const ResultField &field : ReportedResults()) {
            if (!field.has(ModelKind::Stage))
                continue;
            const ResultValue value = ValueOf(field, analysis);
            if (const auto number = NumberOf(value)) {
                EXPECT_TRUE(std::isfinite(*number)) << field.key;
            }
            if (const auto *numbers = NumbersOf(value))
                for (double x : *numbers) {
                    EXPECT_TRUE(std::isfinite(x)) << field.key;
                }
        }

        // k A has lambda1 k lambda1(A); lambda1 = 1 where k = 1 / lambda1.
        const VariationFit all = FitTarget(model, {TargetKind::All});
        ASSERT_TRUE(all.ok) << all.message;
        const Sweep sweep = SweepLambda(all.variation, 0, 2, 5);
        ASSERT_EQ(sweep.lambda.size(), 5u);
        for (std::size_t k = 0; k < 5; ++k)
            expectClose(sweep.lambda[k], c.lambda * sweep.values[k], "sweep");
        const BreakEven even = FindBreakEven(all.variation);
        if (c.lambda > 0 && c.lambda < 1e100) {
            expectClose(even.value, 1 / c.lambda, "break-even of A");
        } else {
            EXPECT_EQ(even.value.has_value(), even.reason.empty());
        }
        for (const char *target : {"a[1,1]", "row[1]"}) {
            const VariationFit fit = FitTarget(model, *ParseTarget(target));
            ASSERT_TRUE(fit.ok) << fit.message;
            const BreakEven b = FindBreakEven(fit.variation);
            EXPECT_EQ(b.value.has_value(), b.reason.empty()) << target;
            if (b.value) {
                EXPECT_TRUE(std::isfinite(*b.value)) << target;
            }
        }

        // Against itself every contribution is 0; against a copy with a(1,1) raised, the sum
        // approximates the change of lambda1.
        StageModel perturbed = model;
        perturbed.a.at(0, 0) += 0.01 * std::max(1.0, c.lambda);
        for (const StageModel *other : {&model, const_cast<const StageModel *>(&perturbed)}) {
            const LtreResult ltre = AnalyseLtre(model, *other);
            ASSERT_TRUE(ltre.ok) << ltre.message;
            if (other == &model && ltre.ltre.sum) {
                EXPECT_EQ(*ltre.ltre.sum, 0.0);
            }
            if (ltre.ltre.sum && ltre.ltre.lambdaDifference) {
                EXPECT_NEAR(*ltre.ltre.sum, *ltre.ltre.lambdaDifference,
                            0.01 * std::fabs(*ltre.ltre.lambdaDifference));
            }
            for (auto x : {ltre.ltre.lambdaFirst, ltre.ltre.lambdaSecond, ltre.ltre.sum,
                           ltre.ltre.lambdaDifference})
                EXPECT_TRUE(!x || std::isfinite(*x));
            if (ltre.ltre.contributions)
                for (double x : ltre.ltre.contributions->values) {
                    EXPECT_TRUE(std::isfinite(x));
                }
        }

        // The command line, from --matrix and from a file in format M, every output and each
        // what-if.
        std::string grid = c.text;
        for (char &ch : grid)
            ch = ch == ' ' ? ',' : ch;
        for (std::size_t at; (at = grid.find(";,")) != std::string::npos;)
            grid.replace(at, 2, "\n");
        std::ofstream(file) << grid << '\n';
        std::string perturbedText;
        for (int i = 0; i < model.stages(); ++i)
            for (int j = 0; j < model.stages(); ++j)
                perturbedText += (j ? " " : i ? "; " : "") + number(perturbed.a.at(i, j));
        const std::string lower = number(0.5 * std::max(1.0, c.lambda));
        const std::vector<std::vector<std::string>> commands = {
            {"--report"},
            {"--report", "--vary", "A", "--from", "0", "--to", "2", "--points", "5"},
            {"--report", "--vary", "a[1,1]", "--from", "0", "--to", "1e300"},
            {"--report", "--break-even", "A"},
            {"--report", "--break-even", "row[1]", "--lambda", lower},
            {"--report", "--ltre", "--matrix", perturbedText},
        };
        for (const auto &command : commands)
            for (const char *output : {"", "--json", "--csv"})
                for (const auto &input : std::vector<std::vector<std::string>> {
                         {"--matrix", c.text}, {"--format", "M", file.string()}}) {
                    std::vector<std::string> arguments = command;
                    if (*output)
                        arguments.insert(arguments.begin() + 1, output);
                    arguments.insert(arguments.end(), input.begin(), input.end());
                    int status = -1;
                    const std::string shown = run(arguments, &status);
                    std::string line;
                    for (const auto &a : arguments)
                        line += a + ' ';
                    EXPECT_EQ(status, 0) << line << '\n' << shown;
                    EXPECT_FALSE(showsInfOrNan(shown)) << line << '\n' << shown;
                    // r of a dying population is undefined.
                    if (command.size() == 1 && c.lambda == 0) {
                        EXPECT_NE(shown.find(*output == 0           ? "undefined"
                                                 : output[2] == 'j' ? "null"
                                                                    : ",0,,"),
                                  std::string::npos)
                            << line << '\n'
                            << shown;
                    }
                }
    }
    std::filesystem::remove(file);
}

} // namespace
