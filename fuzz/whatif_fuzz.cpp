// libFuzzer target for the command line's "what if" options on a matrix text (parts allowed):
// --vary, --break-even and --ltre through --json. The first byte chooses the option and the
// target's kind, the next three its indices and numbers; the rest is the text, two texts split at
// the first "|" for an LTRE. Whatever the input:
// - the command line reports without an "inf" or "nan", or refuses with nothing but "[]";
// - a break-even value v found for lambda1 >= L gives lambda1(v) >= L, and where the target's
//   elasticity there is at least 1e-3 (and lambda1 is well conditioned) lambda1 at a value 1e-9
//   smaller (relative) stays below L;
// - where lambda1 > 0 and its condition number is below 1e3, the elasticities sum to 1 within
//   1e-12.
#include "cli/commandline.h"
#include "core/leslie.h"
#include "core/matrixtext.h"
#include "core/stageanalysis.h"
#include "core/whatif.h"
#include "fuzz/fuzzsupport.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

using namespace tarnvale;
using tarnvale::fuzz::require;

namespace {

// The model the command line makes of a text, or nothing where it refuses it.
std::optional<PopulationModel> modelOf(const std::string &text)
{
    MatrixTextParse parse = ParseMatrixText(text);
    if (!parse.ok || CheckStageModel(parse.model))
        return std::nullopt;
    if (!parse.model.split() && parse.model.stages() <= kMaxLeslieClasses)
        if (std::optional<LeslieTable> table = LeslieTableOf(parse.model.a))
            return PopulationModel(std::move(*table));
    return PopulationModel(std::move(parse.model));
}

int stagesOf(const PopulationModel &model)
{
    return ProjectionMatrix(model).n;
}

// The elasticities of a model sum to 1 where lambda1 is positive and well conditioned.
void checkElasticities(const PopulationModel &model)
{
    if (const auto *table = std::get_if<LeslieTable>(&model)) {
        const LeslieAnalysis a = AnalyseLeslie(*table);
        if (!a.lambda || !(*a.lambda > 0) || !a.elasticityFecundity || !a.elasticitySurvival)
            return;
        const double sum
            = std::accumulate(a.elasticityFecundity->begin(), a.elasticityFecundity->end(), 0.0)
            + std::accumulate(a.elasticitySurvival->begin(), a.elasticitySurvival->end(), 0.0);
        require(std::fabs(sum - 1) <= 1e-12);
        return;
    }
    const StageAnalysis a = AnalyseStage(std::get<StageModel>(model));
    if (!a.lambda || !(*a.lambda > 0) || !a.elasticity || !a.conditionNumber
        || !(*a.conditionNumber < 1e3))
        return;
    const double sum
        = std::accumulate(a.elasticity->values.begin(), a.elasticity->values.end(), 0.0);
    require(std::fabs(sum - 1) <= 1e-12);
}

// lambda1's condition number in the model with the target at `value`, where it is known.
std::optional<double> conditionAt(const Variation &variation, double value)
{
    const PopulationModel changed = ChangedModel(variation, value);
    StageModel model;
    model.a = ProjectionMatrix(changed);
    return AnalyseStage(model).conditionNumber;
}

void checkBreakEven(const Variation &variation, const BreakEven &found)
{
    if (!found.value) {
        require(!found.reason.empty());
        return;
    }
    const double v = *found.value, target = found.lambdaTarget;
    require(std::isfinite(v) && v >= 0);
    const std::optional<double> at = LambdaAt(variation, v);
    require(at && *at >= target);
    if (v == 0)
        return;
    // The elasticity of lambda1 to the target at v, by a central difference.
    const double step = 1e-6;
    const std::optional<double> up = LambdaAt(variation, v * (1 + step));
    const std::optional<double> down = LambdaAt(variation, v * (1 - step));
    const std::optional<double> condition = conditionAt(variation, v);
    if (!up || !down || !(*at > 0) || !condition || !(*condition < 1e3))
        return;
    const double elasticity = (*up - *down) / (2 * step * *at);
    if (elasticity >= 1e-3) {
        const std::optional<double> below = LambdaAt(variation, v * (1 - 1e-9));
        require(below && *below < target);
    }
}

// The command line on the arguments: a report without inf or nan, or a refusal that writes an
// empty array.
void checkCommandLine(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), {"tarnvale", "--report", "--json"});
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    std::ostringstream out, err;
    const int status = cli::RunCommandLine(static_cast<int>(argv.size()), argv.data(), out, err);
    require(status == 0 || status == 1);
    // A number that is not finite would stand as inf or nan right after ":", "[", "," or "-";
    // the reasons' words ("dominant") hold such letters too.
    const std::string report = out.str();
    for (const char *word : {"inf", "nan"})
        for (std::size_t at = report.find(word); at != std::string::npos;
             at = report.find(word, at + 1))
            require(at == 0 || std::string(":[,-").find(report[at - 1]) == std::string::npos);
    if (status == 1)
        require(!err.str().empty());
}

std::string targetText(std::uint8_t kind, std::uint8_t first, std::uint8_t second, int n)
{
    // Indices from 1 up to one past the model, so that some fall outside it.
    const auto index = [n](std::uint8_t byte) { return std::to_string(1 + byte % (n + 1)); };
    const auto age = [n](std::uint8_t byte) { return std::to_string(byte % (n + 1)); };
    switch (kind % 7) {
    case 0:
        return "A";
    case 1:
        return "row[" + index(first) + "]";
    case 2:
        return "F";
    case 3:
        return "U";
    case 4:
        return "a[" + index(first) + "," + index(second) + "]";
    case 5:
        return "F(" + age(first) + ")";
    default:
        return "s(" + age(first) + ")";
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 5)
        return 0;
    const std::uint8_t choice = data[0], first = data[1], second = data[2], number = data[3];
    const std::string text(reinterpret_cast<const char *>(data) + 4, size - 4);
    // An argument of a command line cannot hold a NUL.
    if (text.find('\0') != std::string::npos)
        return 0;
    const int mode = choice % 3;

    if (mode == 2) {
        const std::size_t bar = text.find('|');
        const std::string one = text.substr(0, bar);
        const std::string two = bar == std::string::npos ? one : text.substr(bar + 1);
        const std::optional<PopulationModel> a = modelOf(one), b = modelOf(two);
        if (a && b && stagesOf(*a) <= 40 && stagesOf(*b) <= 40) {
            const LtreResult ltre = AnalyseLtre(*a, *b);
            require(ltre.ok == (stagesOf(*a) == stagesOf(*b)));
            checkCommandLine({"--ltre", "--matrix", one, "--matrix", two});
        }
        return 0;
    }

    const std::optional<PopulationModel> model = modelOf(text);
    if (!model || stagesOf(*model) > 40)
        return 0;
    checkElasticities(*model);
    const int n = stagesOf(*model);
    const std::string target = targetText(choice / 3, first, second, n);
    const std::optional<WhatIfTarget> parsed = ParseTarget(target);
    require(parsed.has_value());
    if (mode == 0) {
        const double from = (number & 15) / 8.0, to = from + (number >> 4) / 4.0;
        checkCommandLine({"--vary", target, "--from", std::to_string(from), "--to",
                          std::to_string(to), "--points", std::to_string(2 + second % 15),
                          "--matrix", text});
        return 0;
    }
    const double lambdas[] = {1, 0.5, 2, 1e-3, 1e3, 1.5, 0.9, 1.1};
    const double lambda = lambdas[number % 8];
    const VariationFit fit = FitTarget(*model, *parsed);
    if (fit.ok)
        checkBreakEven(fit.variation, FindBreakEven(fit.variation, lambda));
    checkCommandLine(
        {"--break-even", target, "--lambda", std::to_string(lambda), "--matrix", text});
    return 0;
}
