#include "core/stagemodel.h"

#include "core/numbertext.h"

#include <algorithm>
#include <cmath>

namespace tarnvale {

namespace {

// Why `part` (named `name`) cannot stand beside an A of n stages, or nothing.
std::optional<std::string> checkPart(const SquareMatrix &part, const char *name, int n)
{
    const std::string label(name);
    if (part.n != n)
        return label + " has " + std::to_string(part.n) + (part.n == 1 ? " stage" : " stages")
            + " where A has " + std::to_string(n);
    const std::size_t size = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    if (part.values.size() != size)
        return label + " holds " + std::to_string(part.values.size()) + " entries where "
            + std::to_string(n) + " stages need " + std::to_string(size);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const double value = part.at(i, j);
            if (std::isfinite(value) && value >= 0)
                continue;
            const std::string where = label + ", row " + std::to_string(i + 1) + ", column "
                + std::to_string(j + 1) + ": ";
            return where
                + (std::isfinite(value) ? NumberToText(value) + " is negative"
                                        : std::string("the entry is not a finite number"));
        }
    }
    return std::nullopt;
}

} // namespace

std::string StageName(const std::vector<std::string> &names, int i)
{
    if (i >= 0 && static_cast<std::size_t>(i) < names.size())
        return names[static_cast<std::size_t>(i)];
    return std::to_string(i + 1);
}

std::string StageName(const StageModel &model, int i)
{
    return StageName(model.names, i);
}

std::optional<std::string> CheckStageModel(const StageModel &model)
{
    const int n = model.stages();
    if (n < 1)
        return std::string("the model has no stage");
    if (n > kMaxStages)
        return "the model has " + std::to_string(n) + " stages; at most "
            + std::to_string(kMaxStages) + " can be analysed";
    if (auto problem = checkPart(model.a, "A", n))
        return problem;
    if (model.u.has_value() != model.f.has_value())
        return std::string(model.u ? "U is given without F" : "F is given without U");
    const std::pair<const std::optional<SquareMatrix> *, const char *> parts[]
        = {{&model.u, "U"}, {&model.f, "F"}, {&model.c, "C"}};
    for (const auto &[part, name] : parts) {
        if (*part) {
            if (auto problem = checkPart(**part, name, n))
                return problem;
        }
    }
    if (!model.names.empty() && model.names.size() != static_cast<std::size_t>(n))
        return "the model has " + std::to_string(model.names.size())
            + (model.names.size() == 1 ? " stage name for " : " stage names for ")
            + std::to_string(n) + " stages";
    return std::nullopt;
}

StageModel StageModelFromLeslie(const LeslieTable &table)
{
    const int n = table.ageClasses();
    StageModel model;
    model.a = SquareMatrix(n);
    model.u = SquareMatrix(n);
    model.f = SquareMatrix(n);
    for (int x = 0; x < n; ++x) {
        const double f = table.fecundity[static_cast<std::size_t>(x)];
        model.a.at(0, x) = f;
        model.f->at(0, x) = f;
        if (x + 1 < n && static_cast<std::size_t>(x) < table.survival.size()) {
            const double s = table.survival[static_cast<std::size_t>(x)];
            model.a.at(x + 1, x) = s;
            model.u->at(x + 1, x) = s;
        }
        model.names.push_back(std::to_string(x));
    }
    return model;
}

SquareMatrix AddParts(const SquareMatrix &u, const SquareMatrix &f,
                      const std::optional<SquareMatrix> &c)
{
    SquareMatrix a = u;
    for (std::size_t k = 0; k < a.values.size(); ++k) {
        a.values[k] += f.values[k];
        if (c)
            a.values[k] += c->values[k];
    }
    return a;
}

std::optional<SquareMatrix> SumOfParts(const StageModel &model)
{
    if (!model.split())
        return std::nullopt;
    const auto fits = [&model](const SquareMatrix &part) {
        return part.n == model.u->n && part.values.size() == model.u->values.size();
    };
    if (!fits(*model.f) || (model.c && !fits(*model.c)))
        return std::nullopt;
    return AddParts(*model.u, *model.f, model.c);
}

} // namespace tarnvale
