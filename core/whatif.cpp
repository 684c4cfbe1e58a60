#include "core/whatif.h"

#include "core/numbertext.h"
#include "core/stageanalysis.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace tarnvale {

namespace {

std::optional<double> finite(double value)
{
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

std::size_t at(int i)
{
    return static_cast<std::size_t>(i);
}

int sizeOf(const PopulationModel &model)
{
    if (const auto *table = std::get_if<LeslieTable>(&model))
        return table->ageClasses();
    return std::get<StageModel>(model).stages();
}

std::string sizeText(int n)
{
    return std::to_string(n) + " x " + std::to_string(n);
}

// Where a Leslie matrix's entry (i, j) stands: F(j) in the first row, s(j) on the sub-diagonal,
// or outside the pattern.
enum class LesliePlace { Fecundity, Survival, Outside };

LesliePlace placeOf(int i, int j)
{
    if (i == 0)
        return LesliePlace::Fecundity;
    return i == j + 1 ? LesliePlace::Survival : LesliePlace::Outside;
}

// A Leslie table stays one under every change but that of an entry outside its pattern.
bool staysLeslie(const WhatIfTarget &target)
{
    return target.kind != TargetKind::Entry
        || placeOf(target.row, target.column) != LesliePlace::Outside;
}

SquareMatrix leslieMatrix(const LeslieTable &table)
{
    const int n = table.ageClasses();
    SquareMatrix a(n);
    for (int x = 0; x < n; ++x) {
        a.at(0, x) = table.fecundity[at(x)];
        if (x + 1 < n)
            a.at(x + 1, x) = table.survival[at(x)];
    }
    return a;
}

void scale(std::vector<double> &values, double k)
{
    for (double &v : values)
        v *= k;
}

void scaleRow(SquareMatrix &a, int i, double k)
{
    for (int j = 0; j < a.n; ++j)
        a.at(i, j) *= k;
}

// A table with a target that keeps it in the Leslie pattern at `value`.
LeslieTable changedTable(LeslieTable table, const WhatIfTarget &target, double value)
{
    switch (target.kind) {
    case TargetKind::Entry:
        if (placeOf(target.row, target.column) == LesliePlace::Fecundity)
            table.fecundity[at(target.column)] = value;
        else
            table.survival[at(target.column)] = value;
        break;
    case TargetKind::Fecundity:
        table.fecundity[at(target.age)] = value;
        break;
    case TargetKind::Survival:
        table.survival[at(target.age)] = value;
        break;
    case TargetKind::All:
        scale(table.fecundity, value);
        scale(table.survival, value);
        break;
    case TargetKind::Row:
        if (target.row == 0)
            scale(table.fecundity, value);
        else
            table.survival[at(target.row - 1)] *= value;
        break;
    case TargetKind::PartF:
        scale(table.fecundity, value);
        break;
    case TargetKind::PartU:
        scale(table.survival, value);
        break;
    }
    return table;
}

// A + (k - 1) P entry by entry, kept >= 0 where a record's parts exceed its A: k = 1 leaves A as
// it is to the last bit, and no entry decreases as k grows.
void shiftByPart(SquareMatrix &a, const SquareMatrix &part, double k)
{
    for (std::size_t e = 0; e < a.values.size(); ++e)
        a.values[e] = std::max(0.0, a.values[e] + (k - 1) * part.values[e]);
}

// A of a stage model with the target at `value`.
SquareMatrix changedMatrix(const StageModel &model, const WhatIfTarget &target, double value)
{
    SquareMatrix a = model.a;
    switch (target.kind) {
    case TargetKind::Entry:
        a.at(target.row, target.column) = value;
        break;
    case TargetKind::All:
        scale(a.values, value);
        break;
    case TargetKind::Row:
        scaleRow(a, target.row, value);
        break;
    case TargetKind::PartF:
        shiftByPart(a, *model.f, value);
        break;
    case TargetKind::PartU:
        shiftByPart(a, *model.u, value);
        break;
    case TargetKind::Fecundity:
    case TargetKind::Survival:
        break; // FitTarget refuses them for a stage model
    }
    return a;
}

// The changed projection matrix of a Leslie table whose entry outside the pattern changes.
SquareMatrix changedLeslieMatrix(const LeslieTable &table, const WhatIfTarget &target, double value)
{
    SquareMatrix a = leslieMatrix(table);
    a.at(target.row, target.column) = value;
    return a;
}

bool usableValue(double value)
{
    return std::isfinite(value) && value >= 0;
}

std::optional<double> lambdaOf(const PopulationModel &model)
{
    if (const auto *table = std::get_if<LeslieTable>(&model))
        return LeslieLambda(*table);
    return DominantEigenvalue(std::get<StageModel>(model).a);
}

// The entries (i, j) the target changes that are not 0 in `a` (for an entry, that one whatever
// its value).
std::vector<std::pair<int, int>> changedEntries(const Variation &variation, const SquareMatrix &a)
{
    const WhatIfTarget &t = variation.target;
    switch (t.kind) {
    case TargetKind::Entry:
        return {{t.row, t.column}};
    case TargetKind::Fecundity:
        return {{0, t.age}};
    case TargetKind::Survival:
        return {{t.age + 1, t.age}};
    default:
        break;
    }
    // The part F or U: a Leslie table's first row or sub-diagonal, or the part itself.
    const auto *model = std::get_if<StageModel>(&variation.model);
    const SquareMatrix *part = !model ? nullptr
        : t.kind == TargetKind::PartF ? &*model->f
        : t.kind == TargetKind::PartU ? &*model->u
                                      : nullptr;
    std::vector<std::pair<int, int>> entries;
    for (int i = 0; i < a.n; ++i)
        for (int j = 0; j < a.n; ++j) {
            const bool inGroup = t.kind == TargetKind::All
                || (t.kind == TargetKind::Row && i == t.row) || (part && part->at(i, j) > 0)
                || (!model && t.kind == TargetKind::PartF && i == 0)
                || (!model && t.kind == TargetKind::PartU && i == j + 1);
            if (inGroup && a.at(i, j) > 0)
                entries.emplace_back(i, j);
        }
    return entries;
}

// Whether an entry the target raises lies on a cycle of the life-cycle graph: only such an
// entry feeds back into itself, so raising any other leaves every class's Perron root, and so
// lambda1, as it was.
bool raisesACycle(const Variation &variation)
{
    const double probe = variation.present > 0 ? variation.present : 1.0;
    const SquareMatrix a = ProjectionMatrix(ChangedModel(variation, probe));
    const MatrixStructure structure = StructureOf(a);
    const std::vector<std::pair<int, int>> entries = changedEntries(variation, a);
    return std::any_of(entries.begin(), entries.end(), [&](const std::pair<int, int> &e) {
        return e.first == e.second
            || structure.classOf[at(e.first)] == structure.classOf[at(e.second)];
    });
}

// A whole number of at most 6 digits at `pos`, blanks around it skipped.
std::optional<int> readIndex(std::string_view text, std::size_t &pos)
{
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    const std::size_t start = pos;
    while (pos < text.size() && pos - start < 7 && text[pos] >= '0' && text[pos] <= '9')
        ++pos;
    if (pos == start || pos - start > 6)
        return std::nullopt;
    int value = 0;
    std::from_chars(text.data() + start, text.data() + pos, value);
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    return value;
}

bool consume(std::string_view text, std::size_t &pos, std::string_view what)
{
    if (text.substr(pos, what.size()) != what)
        return false;
    pos += what.size();
    return true;
}

} // namespace

bool IsGroup(const WhatIfTarget &target)
{
    return target.kind == TargetKind::All || target.kind == TargetKind::Row
        || target.kind == TargetKind::PartF || target.kind == TargetKind::PartU;
}

bool IsHarvest(const WhatIfTarget &target)
{
    return target.kind == TargetKind::All || target.kind == TargetKind::Row;
}

std::optional<WhatIfTarget> ParseTarget(std::string_view text)
{
    WhatIfTarget target;
    if (text == "A" || text == "F" || text == "U") {
        target.kind = text == "A" ? TargetKind::All
            : text == "F"         ? TargetKind::PartF
                                  : TargetKind::PartU;
        return target;
    }
    std::size_t pos = 0;
    std::optional<int> first, second;
    if (consume(text, pos, "a[")) {
        target.kind = TargetKind::Entry;
        first = readIndex(text, pos);
        if (!first || !consume(text, pos, ","))
            return std::nullopt;
        second = readIndex(text, pos);
        if (!second || !consume(text, pos, "]") || *first < 1 || *second < 1)
            return std::nullopt;
        target.row = *first - 1;
        target.column = *second - 1;
    } else if (consume(text, pos, "row[")) {
        target.kind = TargetKind::Row;
        first = readIndex(text, pos);
        if (!first || !consume(text, pos, "]") || *first < 1)
            return std::nullopt;
        target.row = *first - 1;
    } else if (consume(text, pos, "F(") || consume(text, pos, "s(")) {
        target.kind = text[0] == 'F' ? TargetKind::Fecundity : TargetKind::Survival;
        first = readIndex(text, pos);
        if (!first || !consume(text, pos, ")"))
            return std::nullopt;
        target.age = *first;
    } else {
        return std::nullopt;
    }
    if (pos != text.size())
        return std::nullopt;
    return target;
}

std::string TargetText(const WhatIfTarget &target)
{
    switch (target.kind) {
    case TargetKind::Entry:
        return "a[" + std::to_string(target.row + 1) + "," + std::to_string(target.column + 1)
            + "]";
    case TargetKind::Fecundity:
        return "F(" + std::to_string(target.age) + ")";
    case TargetKind::Survival:
        return "s(" + std::to_string(target.age) + ")";
    case TargetKind::All:
        return "A";
    case TargetKind::Row:
        return "row[" + std::to_string(target.row + 1) + "]";
    case TargetKind::PartF:
        return "F";
    case TargetKind::PartU:
        return "U";
    }
    return {};
}

VariationFit FitTarget(PopulationModel model, const WhatIfTarget &target)
{
    VariationFit fit;
    const int n = sizeOf(model);
    const std::string name = TargetText(target);
    const auto *table = std::get_if<LeslieTable>(&model);
    const auto *stage = std::get_if<StageModel>(&model);
    const auto inside = [n](int i) { return i >= 0 && i < n; };
    double present = 1.0;
    switch (target.kind) {
    case TargetKind::Entry:
        if (!inside(target.row) || !inside(target.column)) {
            fit.message = name + " lies outside the " + sizeText(n) + " matrix";
            return fit;
        }
        present = table ? leslieMatrix(*table).at(target.row, target.column)
                        : stage->a.at(target.row, target.column);
        break;
    case TargetKind::Fecundity:
    case TargetKind::Survival: {
        const bool fecundity = target.kind == TargetKind::Fecundity;
        if (!table) {
            fit.message = name + (fecundity ? " is a fecundity" : " is a survival rate")
                + " by age, which a stage model does not have";
            return fit;
        }
        const int count = fecundity ? n : n - 1;
        if (target.age >= count) {
            fit.message = count == 0 ? name + ": the table has no survival rate"
                                     : name
                    + (fecundity ? " lies beyond the last age class of the table, F("
                                 : " lies beyond the last survival rate of the table, s(")
                    + std::to_string(count - 1) + ")";
            return fit;
        }
        present = fecundity ? table->fecundity[at(target.age)] : table->survival[at(target.age)];
        break;
    }
    case TargetKind::Row:
        if (!inside(target.row)) {
            fit.message = name + " lies outside the " + sizeText(n) + " matrix";
            return fit;
        }
        break;
    case TargetKind::PartF:
    case TargetKind::PartU:
        if (stage && !stage->split()) {
            fit.message = "the model is not split into U and F, so it has no part " + name;
            return fit;
        }
        break;
    case TargetKind::All:
        break;
    }
    fit.ok = true;
    fit.variation = {std::move(model), target, present};
    return fit;
}

PopulationModel ChangedModel(const Variation &variation, double value)
{
    const WhatIfTarget &target = variation.target;
    if (const auto *table = std::get_if<LeslieTable>(&variation.model)) {
        if (staysLeslie(target))
            return changedTable(*table, target, value);
        StageModel model;
        model.a = changedLeslieMatrix(*table, target, value);
        model.names = StageModelFromLeslie(*table).names;
        return model;
    }
    StageModel model = std::get<StageModel>(variation.model);
    model.a = changedMatrix(model, target, value);
    const auto eachPart = [&model](auto change) {
        for (std::optional<SquareMatrix> *part : {&model.u, &model.f, &model.c})
            if (*part)
                change(**part);
    };
    switch (target.kind) {
    case TargetKind::Entry:
        model.u.reset();
        model.f.reset();
        model.c.reset();
        break;
    case TargetKind::All:
        eachPart([value](SquareMatrix &part) { scale(part.values, value); });
        break;
    case TargetKind::Row:
        eachPart([value, &target](SquareMatrix &part) { scaleRow(part, target.row, value); });
        break;
    case TargetKind::PartF:
        scale(model.f->values, value);
        break;
    case TargetKind::PartU:
        scale(model.u->values, value);
        break;
    case TargetKind::Fecundity:
    case TargetKind::Survival:
        break;
    }
    return model;
}

std::optional<double> LambdaAt(const Variation &variation, double value)
{
    if (!usableValue(value))
        return std::nullopt;
    if (const auto *table = std::get_if<LeslieTable>(&variation.model)) {
        if (staysLeslie(variation.target))
            return LeslieLambda(changedTable(*table, variation.target, value));
        return DominantEigenvalue(changedLeslieMatrix(*table, variation.target, value));
    }
    return DominantEigenvalue(
        changedMatrix(std::get<StageModel>(variation.model), variation.target, value));
}

Growth GrowthAt(const Variation &variation, double value)
{
    if (!usableValue(value))
        return {};
    if (const auto *table = std::get_if<LeslieTable>(&variation.model)) {
        if (staysLeslie(variation.target))
            return LeslieGrowth(changedTable(*table, variation.target, value));
        return StageGrowth(changedLeslieMatrix(*table, variation.target, value));
    }
    return StageGrowth(
        changedMatrix(std::get<StageModel>(variation.model), variation.target, value));
}

Sweep SweepLambda(const Variation &variation, double from, double to, int points)
{
    Sweep sweep;
    sweep.target = variation.target;
    if (points < kMinSweepPoints || points > kMaxSweepPoints || !(from <= to))
        return sweep;
    for (int k = 0; k < points; ++k) {
        const double value = from + (to - from) * k / (points - 1);
        sweep.values.push_back(value);
        sweep.lambda.push_back(LambdaAt(variation, value));
    }
    return sweep;
}

BreakEven FindBreakEven(const Variation &variation, double lambdaTarget)
{
    BreakEven result;
    result.target = variation.target;
    result.lambdaTarget = lambdaTarget;
    const auto reached = [lambdaTarget](const std::optional<double> &lambda) {
        return lambda && *lambda >= lambdaTarget;
    };
    std::optional<double> lambdaLow = LambdaAt(variation, 0.0);
    if (reached(lambdaLow)) {
        result.reason = "already above " + NumberToText(lambdaTarget) + " without it";
        return result;
    }
    const double start = variation.present > 0 ? variation.present : 1.0;
    const double bound = std::min(start * 1e6, std::numeric_limits<double>::max());
    double low = 0.0, high = start;
    std::optional<double> lambdaHigh = LambdaAt(variation, high);
    while (!reached(lambdaHigh)) {
        if (!lambdaHigh) {
            result.reason = "\u03bb1 is undefined at " + NumberToText(high);
            return result;
        }
        if (high >= bound) {
            if (!raisesACycle(variation))
                result.reason = IsGroup(variation.target)
                    ? "these entries do not raise \u03bb1 enough: they lie on no cycle through "
                      "the dominant part"
                    : "this entry does not raise \u03bb1 enough: it lies on no cycle through the "
                      "dominant part";
            else
                result.reason = "\u03bb1 stays below " + NumberToText(lambdaTarget) + " up to "
                    + NumberToText(bound) + ", a million times "
                    + (variation.present > 0 ? "the present value" : "1");
            return result;
        }
        low = high;
        lambdaLow = lambdaHigh;
        high = std::min(2 * high, bound);
        lambdaHigh = LambdaAt(variation, high);
    }
    // Each step halves the bracket; from [0, start] a root far below start takes more steps
    // than the 40 of a bracket [x, 2x], but never more than the exponent range allows.
    for (int step = 0; step < 2200 && high - low > 1e-12 * high; ++step) {
        const double middle = low + (high - low) / 2;
        if (!(middle > low && middle < high))
            break;
        const std::optional<double> lambda = LambdaAt(variation, middle);
        (reached(lambda) ? high : low) = middle;
        (reached(lambda) ? lambdaHigh : lambdaLow) = lambda;
    }
    // lambda1 is smooth across a bracket this narrow: one secant step puts the value where
    // lambda1 meets the target to rounding, not merely within the bracket's 1e-12. It is taken
    // only where lambda1 there does reach the target: rounding may put it a hair below, and a
    // bracket at the bottom of the double range ([0, the smallest subnormal], where lambda1 still
    // reaches the target) sends it to 0.
    double value = high;
    if (lambdaLow && *lambdaHigh > *lambdaLow) {
        const double secant = std::clamp(
            low + (lambdaTarget - *lambdaLow) * (high - low) / (*lambdaHigh - *lambdaLow), low,
            high);
        if (secant < high && reached(LambdaAt(variation, secant)))
            value = secant;
    }
    result.value = value;
    return result;
}

LtreResult AnalyseLtre(const PopulationModel &first, const PopulationModel &second)
{
    LtreResult result;
    for (const PopulationModel *model : {&first, &second}) {
        std::optional<std::string> problem;
        if (const auto *table = std::get_if<LeslieTable>(model))
            problem = CheckLeslieTable(*table);
        else
            problem = CheckStageModel(std::get<StageModel>(*model));
        if (problem) {
            result.message = *problem;
            return result;
        }
    }
    const SquareMatrix a1 = ProjectionMatrix(first), a2 = ProjectionMatrix(second);
    if (a1.n != a2.n) {
        result.message
            = "the matrix is " + sizeText(a2.n) + " where the first is " + sizeText(a1.n);
        return result;
    }
    Ltre &ltre = result.ltre;
    ltre.n = a1.n;
    ltre.lambdaFirst = lambdaOf(first);
    ltre.lambdaSecond = lambdaOf(second);
    if (ltre.lambdaFirst && ltre.lambdaSecond)
        ltre.lambdaDifference = finite(*ltre.lambdaSecond - *ltre.lambdaFirst);
    StageModel mean;
    mean.a = SquareMatrix(a1.n);
    for (std::size_t e = 0; e < a1.values.size(); ++e)
        mean.a.values[e] = 0.5 * a1.values[e] + 0.5 * a2.values[e];
    const StageAnalysis analysis = AnalyseStage(mean);
    if (analysis.sensitivity) {
        SquareMatrix contributions(a1.n);
        double sum = 0.0;
        for (std::size_t e = 0; e < a1.values.size(); ++e) {
            contributions.values[e]
                = (a2.values[e] - a1.values[e]) * analysis.sensitivity->values[e];
            sum += contributions.values[e];
        }
        if (std::all_of(contributions.values.begin(), contributions.values.end(),
                        [](double c) { return std::isfinite(c); })) {
            ltre.contributions = std::move(contributions);
            ltre.sum = finite(sum);
        }
    }
    result.ok = true;
    return result;
}

SquareMatrix ProjectionMatrix(const PopulationModel &model)
{
    if (const auto *table = std::get_if<LeslieTable>(&model))
        return leslieMatrix(*table);
    return std::get<StageModel>(model).a;
}

} // namespace tarnvale
