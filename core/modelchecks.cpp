#include "core/modelchecks.h"

#include "core/leslie.h"
#include "core/numbertext.h"
#include "core/stageanalysis.h"
#include "core/stagemodel.h"

#include <Eigen/Core>
#include <Eigen/LU>

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace tarnvale {

namespace {

bool isSeparator(char c)
{
    return c == ' ' || c == '\t' || c == ';';
}

// Calls `take` with each entry of `text` in turn.
template<typename Take> void forEachEntry(std::string_view text, Take take)
{
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isSeparator(text[i]))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && !isSeparator(text[i]))
            ++i;
        if (i > start)
            take(text.substr(start, i - start));
    }
}

std::string where(int row, int column)
{
    return "row " + std::to_string(row + 1) + ", column " + std::to_string(column + 1);
}

bool holdsMissing(const std::optional<RecordMatrix> &m)
{
    return !m || std::any_of(m->entries.begin(), m->entries.end(), [](auto e) { return !e; });
}

bool allMissing(const std::optional<RecordMatrix> &m)
{
    return !m || std::all_of(m->entries.begin(), m->entries.end(), [](auto e) { return !e; });
}

bool allZeroOrMissing(const std::optional<RecordMatrix> &m)
{
    return !m || std::all_of(m->entries.begin(), m->entries.end(), [](auto e) {
        return !e || *e == 0.0;
    });
}

// A matrix without "NA" as the analyses take it; empty when it holds one.
std::optional<SquareMatrix> complete(const std::optional<RecordMatrix> &m)
{
    if (holdsMissing(m))
        return std::nullopt;
    SquareMatrix square(m->n);
    std::transform(m->entries.begin(), m->entries.end(), square.values.begin(),
                   [](auto e) { return *e; });
    return square;
}

std::optional<bool> naA(const RecordMatrices &m)
{
    return holdsMissing(m.a);
}
std::optional<bool> naU(const RecordMatrices &m)
{
    return holdsMissing(m.u);
}
std::optional<bool> naF(const RecordMatrices &m)
{
    return holdsMissing(m.f);
}
std::optional<bool> naC(const RecordMatrices &m)
{
    return holdsMissing(m.c);
}
std::optional<bool> zeroU(const RecordMatrices &m)
{
    return allZeroOrMissing(m.u);
}
std::optional<bool> zeroF(const RecordMatrices &m)
{
    return allZeroOrMissing(m.f);
}

std::optional<bool> zeroColumnSumU(const RecordMatrices &m)
{
    if (!m.u)
        return true;
    for (int j = 0; j < m.u->n; ++j) {
        double sum = 0.0;
        for (int i = 0; i < m.u->n; ++i)
            sum += m.u->at(i, j).value_or(0.0);
        if (sum == 0.0)
            return true;
    }
    return false;
}

// R's solve() factors with partial pivoting (LAPACK dgesv) and refuses a zero pivot, then a
// reciprocal condition number in the 1-norm (dgecon's estimate) below its tolerance, the double
// epsilon. Eigen's estimate is the same Hager-Higham one.
std::optional<bool> singularU(const RecordMatrices &m)
{
    const std::optional<SquareMatrix> u = complete(m.u);
    if (!u)
        return std::nullopt;
    const Eigen::Index n = u->n;
    Eigen::MatrixXd fundamental = Eigen::MatrixXd::Identity(n, n);
    for (int i = 0; i < u->n; ++i)
        for (int j = 0; j < u->n; ++j)
            fundamental(i, j) -= u->at(i, j);
    const Eigen::PartialPivLU<Eigen::MatrixXd> lu(fundamental);
    for (Eigen::Index k = 0; k < n; ++k)
        if (lu.matrixLU()(k, k) == 0.0)
            return true;
    // A NaN (from entries near the double range) cannot be inverted either.
    return !(lu.rcond() >= DBL_EPSILON);
}

// all.equal(target, current) of two numbers, with R's default tolerance: relative to the target
// when the target is larger than the tolerance, absolute otherwise.
bool allEqual(double target, double current)
{
    if (target == current)
        return true;
    const double tolerance = std::sqrt(DBL_EPSILON);
    double difference = std::fabs(target - current);
    const double scale = std::fabs(target);
    if (std::isfinite(scale) && scale > tolerance)
        difference /= scale;
    return difference <= tolerance;
}

std::optional<bool> componentSum(const RecordMatrices &m)
{
    // A part of "NA" only counts as 0, as cdb_flag's ComponentSum makes it.
    std::vector<const RecordMatrix *> parts;
    for (const std::optional<RecordMatrix> *part : {&m.u, &m.f, &m.c})
        if (!allMissing(*part))
            parts.push_back(&**part);
    if (parts.empty())
        return std::nullopt;
    const int n = parts.front()->n;
    if (std::any_of(parts.begin(), parts.end(), [n](auto p) { return p->n != n; }))
        return false;

    std::vector<std::optional<double>> sum(parts.front()->entries.size(), 0.0);
    for (const RecordMatrix *part : parts)
        for (std::size_t k = 0; k < sum.size(); ++k)
            sum[k] = sum[k] && part->entries[k] ? std::optional(*sum[k] + *part->entries[k])
                                                : std::nullopt;
    if (std::all_of(sum.begin(), sum.end(), [](auto e) { return !e || *e == 0.0; }))
        return std::nullopt;
    // A matrix of "NA" matches no sum that holds a number.
    if (!m.a || m.a->n != n)
        return false;
    for (std::size_t k = 0; k < sum.size(); ++k) {
        const std::optional<double> a = m.a->entries[k];
        if (sum[k].has_value() != a.has_value() || (a && !allEqual(*sum[k], *a)))
            return false;
    }
    return true;
}

std::optional<bool> ergodic(const RecordMatrices &m)
{
    if (m.analysisOfA)
        return m.analysisOfA->ergodic;
    std::optional<SquareMatrix> a = complete(m.a);
    if (!a)
        return std::nullopt;
    StageModel model;
    model.a = std::move(*a);
    return AnalyseStage(model).ergodic;
}

std::optional<bool> irreducible(const RecordMatrices &m)
{
    const std::optional<SquareMatrix> a = complete(m.a);
    if (!a)
        return std::nullopt;
    return StructureOf(*a).irreducible;
}

std::optional<bool> primitive(const RecordMatrices &m)
{
    const std::optional<SquareMatrix> a = complete(m.a);
    if (!a)
        return std::nullopt;
    return StructureOf(*a).primitive();
}

std::optional<bool> survivalOfOneOrMore(const RecordMatrices &m)
{
    if (allMissing(m.u))
        return std::nullopt;
    double largest = -HUGE_VAL;
    for (const std::optional<double> &e : m.u->entries)
        if (e)
            largest = std::max(largest, *e);
    return largest >= 1.0;
}

const std::array<ModelCheck, kModelCheckCount> kChecks = {{
    {"check_NA_A", true, naA},
    {"check_NA_U", true, naU},
    {"check_NA_F", true, naF},
    {"check_NA_C", true, naC},
    {"check_zero_U", true, zeroU},
    {"check_zero_F", true, zeroF},
    {"check_zero_U_colsum", true, zeroColumnSumU},
    {"check_singular_U", true, singularU},
    {"check_component_sum", false, componentSum},
    {"check_ergodic", false, ergodic},
    {"check_irreducible", false, irreducible},
    {"check_primitive", false, primitive},
    {"check_surv_gte_1", true, survivalOfOneOrMore},
}};

} // namespace

RecordMatrixText ParseRecordMatrix(std::string_view text)
{
    RecordMatrixText result;
    text = TrimSpacesAndTabs(text);
    if (text.empty() || text == "NA") {
        result.missing = true;
        result.problem = "is missing";
        return result;
    }
    if (text.front() == '[')
        text.remove_prefix(1);
    if (!text.empty() && text.back() == ']')
        text.remove_suffix(1);

    // Counted first, so that a text of millions of entries is refused before it is stored.
    std::size_t count = 0;
    forEachEntry(text, [&](std::string_view) { ++count; });
    if (count == 0) {
        result.missing = true;
        result.problem = "is missing";
        return result;
    }
    const auto n = static_cast<std::size_t>(std::llround(std::sqrt(static_cast<double>(count))));
    if (n * n != count) {
        result.problem = "holds " + std::to_string(count) + " entries, not a square number";
        return result;
    }
    if (n > static_cast<std::size_t>(kMaxStages)) {
        result.problem
            = "has " + std::to_string(n) + " stages, more than " + std::to_string(kMaxStages);
        return result;
    }

    RecordMatrix matrix;
    matrix.n = static_cast<int>(n);
    matrix.entries.reserve(count);
    forEachEntry(text, [&](std::string_view entry) {
        const int row = static_cast<int>(matrix.entries.size() / n);
        const int column = static_cast<int>(matrix.entries.size() % n);
        std::string problem;
        std::optional<double> value;
        if (entry == "NA") {
            problem = where(row, column) + " is NA";
        } else {
            const EntryRate rate = ReadEntryRate(std::string(entry));
            if (rate.problem.empty()) {
                value = rate.value;
            } else {
                problem = where(row, column) + ": " + rate.problem;
                // A negative entry is a number all the same, and the checks read it.
                if (entry.front() == '-') {
                    const EntryRate magnitude = ReadEntryRate(std::string(entry.substr(1)));
                    if (magnitude.problem.empty())
                        value = -magnitude.value;
                }
            }
        }
        if (result.problem.empty())
            result.problem = std::move(problem);
        matrix.entries.push_back(value);
    });
    result.matrix = std::move(matrix);
    return result;
}

const std::array<ModelCheck, kModelCheckCount> &ModelChecks()
{
    return kChecks;
}

std::optional<std::size_t> ModelCheckIndex(std::string_view name)
{
    for (std::size_t i = 0; i < kChecks.size(); ++i)
        if (kChecks[i].name == name)
            return i;
    return std::nullopt;
}

ModelCheckValues RunModelChecks(const RecordMatrices &matrices)
{
    ModelCheckValues values;
    for (std::size_t i = 0; i < kChecks.size(); ++i)
        values[i] = kChecks[i].compute(matrices);
    return values;
}

bool IsWorrying(const ModelCheck &check, std::optional<bool> value)
{
    return value && *value == check.worryingValue;
}

} // namespace tarnvale
