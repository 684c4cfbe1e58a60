#include "core/results.h"

#include <cmath>

namespace tarnvale {

namespace {

ResultValue number(const std::optional<double> &value)
{
    if (value && std::isfinite(*value))
        return *value;
    return {};
}

ResultValue count(const std::optional<int> &value)
{
    return value ? ResultValue(static_cast<double>(*value)) : ResultValue();
}

ResultValue numbers(const std::optional<std::vector<double>> &values)
{
    return values ? ResultValue(*values) : ResultValue();
}

using K = ResultKind;

ResultValue entries(const std::optional<SquareMatrix> &matrix)
{
    return matrix ? ResultValue(matrix->values) : ResultValue();
}

ResultValue flag(bool value)
{
    return value;
}

using K = ResultKind;
using L = const LeslieAnalysis &;
using S = const StageAnalysis &;

// The order is the order of every report: the counts, the rates, the per-class arrays, the
// eigenvalues and the period, then what only stage models have.
const ResultField kFields[] = {
    {"age_classes", nullptr, "Age classes", nullptr, K::Scalar,
     [](L a) { return ResultValue(static_cast<double>(a.ageClasses)); }, nullptr},
    {"stages", nullptr, "Stages", nullptr, K::Scalar, nullptr,
     [](S a) { return ResultValue(static_cast<double>(a.stages)); }},
    {"stage_names", nullptr, "Stage names", nullptr, K::Names, nullptr,
     [](S a) { return a.names.empty() ? ResultValue() : ResultValue(a.names); }},
    {"lambda", nullptr, "Finite rate of increase lambda1", nullptr, K::Scalar,
     [](L a) { return number(a.lambda); }, [](S a) { return number(a.lambda); }},
    {"r", nullptr, "Intrinsic rate of increase r", nullptr, K::Scalar,
     [](L a) { return number(a.intrinsicRate); }, [](S a) { return number(a.intrinsicRate); }},
    {"R0", nullptr, "Net reproductive rate R0", nullptr, K::Scalar,
     [](L a) { return number(a.netReproductiveRate); },
     [](S a) { return number(a.netReproductiveRate); }},
    {"T", nullptr, "Mean generation time T", nullptr, K::Scalar,
     [](L a) { return number(a.generationTime); }, [](S a) { return number(a.generationTime); }},
    {"doubling_time", nullptr, "Doubling time", nullptr, K::Scalar,
     [](L a) { return number(a.doublingTime); }, [](S a) { return number(a.doublingTime); }},
    {"birth_rate", nullptr, "Birth rate at SAD", nullptr, K::Scalar,
     [](L a) { return number(a.birthRate); }, nullptr},
    {"survival_rate", nullptr, "Survival rate at SAD", nullptr, K::Scalar,
     [](L a) { return number(a.survivalRate); }, nullptr},
    {"death_rate", nullptr, "Death rate at SAD", nullptr, K::Scalar,
     [](L a) { return number(a.deathRate); }, nullptr},
    {"sad", nullptr, "SAD", "SAD", K::PerClass,
     [](L a) { return numbers(a.stableAgeDistribution); }, nullptr},
    {"stable_distribution", nullptr, "stable distribution w", "Stable distribution w", K::PerClass,
     nullptr, [](S a) { return numbers(a.stableDistribution); }},
    {"reproductive_values", nullptr, "reproductive value", "Reproductive value", K::PerClass,
     [](L a) { return numbers(a.reproductiveValues); },
     [](S a) { return numbers(a.reproductiveValues); }},
    {"fecundity", "sensitivity", "dlambda/dF", "\u2202\u03bb/\u2202F(x)", K::PerClass,
     [](L a) { return numbers(a.sensitivityFecundity); }, nullptr},
    {"survival", "sensitivity", "dlambda/ds", "\u2202\u03bb/\u2202s(x)", K::PerClass,
     [](L a) { return numbers(a.sensitivitySurvival); }, nullptr},
    {"sensitivity", nullptr, "Sensitivities dlambda1/da(i,j)",
     "Sensitivities \u2202\u03bb1/\u2202a(i,j)", K::PerEntry, nullptr,
     [](S a) { return entries(a.sensitivity); }},
    {"fecundity", "elasticity", "elasticity F", "Elasticity to F(x)", K::PerClass,
     [](L a) { return numbers(a.elasticityFecundity); }, nullptr},
    {"survival", "elasticity", "elasticity s", "Elasticity to s(x)", K::PerClass,
     [](L a) { return numbers(a.elasticitySurvival); }, nullptr},
    {"elasticity", nullptr, "Elasticities", "Elasticities", K::PerEntry, nullptr,
     [](S a) { return entries(a.elasticity); }},
    {"eigenvalue_2_modulus", nullptr, "|lambda2|", nullptr, K::Scalar,
     [](L a) { return number(a.secondModulus); }, [](S a) { return number(a.secondModulus); }},
    {"damping_ratio", nullptr, "Damping ratio lambda1/|lambda2|", nullptr, K::Scalar,
     [](L a) { return number(a.dampingRatio); }, [](S a) { return number(a.dampingRatio); }},
    {"period", nullptr, "Period", nullptr, K::Scalar, [](L a) { return count(a.period); },
     [](S a) { return count(a.period); }},
    {"irreducible", nullptr, "irreducible", nullptr, K::Flag, nullptr,
     [](S a) { return flag(a.irreducible); }, "reducible"},
    {"primitive", nullptr, "primitive", nullptr, K::Flag, nullptr,
     [](S a) { return flag(a.primitive); }, "not primitive"},
    {"ergodic", nullptr, "ergodic", nullptr, K::Flag, nullptr,
     [](S a) { return a.ergodic ? flag(*a.ergodic) : ResultValue(); }, "not ergodic"},
    {"life_expectancy", nullptr, "life expectancy", "Life expectancy", K::PerClass, nullptr,
     [](S a) { return numbers(a.lifeExpectancy); }},
};

} // namespace

std::span<const ResultField> ReportedResults()
{
    return kFields;
}

std::vector<const ResultField *> ResultsOf(ModelKind model, ResultKind kind)
{
    std::vector<const ResultField *> fields;
    for (const ResultField &field : kFields)
        if (field.kind == kind && field.has(model))
            fields.push_back(&field);
    return fields;
}

ResultValue ValueOf(const ResultField &field, const LeslieAnalysis &analysis)
{
    return field.leslie ? field.leslie(analysis) : ResultValue();
}

ResultValue ValueOf(const ResultField &field, const StageAnalysis &analysis)
{
    return field.stage ? field.stage(analysis) : ResultValue();
}

std::optional<double> NumberOf(const ResultValue &value)
{
    if (const double *number = std::get_if<double>(&value))
        return *number;
    return std::nullopt;
}

const std::vector<double> *NumbersOf(const ResultValue &value)
{
    return std::get_if<std::vector<double>>(&value);
}

} // namespace tarnvale
