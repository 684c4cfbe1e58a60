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

// The order is the order of every report: the counts, the rates, the per-class arrays, the
// eigenvalues and the period.
const ResultField kFields[] = {
    {"age_classes", nullptr, "Age classes", nullptr, K::Scalar,
     [](const LeslieAnalysis &a) { return ResultValue(static_cast<double>(a.ageClasses)); },
     nullptr},
    {"lambda", nullptr, "Finite rate of increase lambda1", nullptr, K::Scalar,
     [](const LeslieAnalysis &a) { return number(a.lambda); }, nullptr},
    {"r", nullptr, "Intrinsic rate of increase r", nullptr, K::Scalar,
     [](const LeslieAnalysis &a) { return number(a.intrinsicRate); }, nullptr},
    {"R0", nullptr, "Net reproductive rate R0", nullptr, K::Scalar,
     [](const LeslieAnalysis &a) { return number(a.netReproductiveRate); }, nullptr},
    {"T", nullptr, "Mean generation time T", nullptr, K::Scalar,
     [](const LeslieAnalysis &a) { return number(a.generationTime); }, nullptr},
    {"doubling_time", nullptr, "Doubling time", nullptr, K::Scalar,
     [](const LeslieAnalysis &a) { return number(a.doublingTime); }, nullptr},
    {"birth_rate", nullptr, "Birth rate at SAD", nullptr, K::Scalar,
     [](const LeslieAnalysis &a) { return number(a.birthRate); }, nullptr},
    {"survival_rate", nullptr, "Survival rate at SAD", nullptr, K::Scalar,
     [](const LeslieAnalysis &a) { return number(a.survivalRate); }, nullptr},
    {"death_rate", nullptr, "Death rate at SAD", nullptr, K::Scalar,
     [](const LeslieAnalysis &a) { return number(a.deathRate); }, nullptr},
    {"sad", nullptr, "SAD", "SAD", K::PerClass,
     [](const LeslieAnalysis &a) { return numbers(a.stableAgeDistribution); }, nullptr},
    {"reproductive_values", nullptr, "reproductive value", "Reproductive value", K::PerClass,
     [](const LeslieAnalysis &a) { return numbers(a.reproductiveValues); }, nullptr},
    {"fecundity", "sensitivity", "dlambda/dF", "\u2202\u03bb/\u2202F(x)", K::PerClass,
     [](const LeslieAnalysis &a) { return numbers(a.sensitivityFecundity); }, nullptr},
    {"survival", "sensitivity", "dlambda/ds", "\u2202\u03bb/\u2202s(x)", K::PerClass,
     [](const LeslieAnalysis &a) { return numbers(a.sensitivitySurvival); }, nullptr},
    {"fecundity", "elasticity", "elasticity F", "Elasticity to F(x)", K::PerClass,
     [](const LeslieAnalysis &a) { return numbers(a.elasticityFecundity); }, nullptr},
    {"survival", "elasticity", "elasticity s", "Elasticity to s(x)", K::PerClass,
     [](const LeslieAnalysis &a) { return numbers(a.elasticitySurvival); }, nullptr},
    {"eigenvalue_2_modulus", nullptr, "|lambda2|", nullptr, K::Scalar,
     [](const LeslieAnalysis &a) { return number(a.secondModulus); }, nullptr},
    {"damping_ratio", nullptr, "Damping ratio lambda1/|lambda2|", nullptr, K::Scalar,
     [](const LeslieAnalysis &a) { return number(a.dampingRatio); }, nullptr},
    {"period", nullptr, "Period", nullptr, K::Scalar,
     [](const LeslieAnalysis &a) { return count(a.period); }, nullptr},
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
