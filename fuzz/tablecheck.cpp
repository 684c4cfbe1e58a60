#include "tablecheck.h"

#include <utility>
#include <vector>

using namespace tarnvale;

namespace {

using Column = std::vector<TableValue> AnalysisState::*;
constexpr Column kColumns[] = {&AnalysisState::AgeX, &AnalysisState::Fecundity,
                               &AnalysisState::Survival, &AnalysisState::Lx, &AnalysisState::Mx};

} // namespace

bool sameSlots(const AnalysisState &a, const AnalysisState &b, int from, int to)
{
    for (Column column : kColumns)
        for (int i = from; i < to; ++i)
            if (!((a.*column)[i] == (b.*column)[i]))
                return false;
    return true;
}

bool sameOutsideTheTable(AnalysisState &a, AnalysisState &b)
{
    std::vector<TableValue> asideA[std::size(kColumns)], asideB[std::size(kColumns)];
    for (std::size_t k = 0; k < std::size(kColumns); ++k) {
        asideA[k] = std::move(a.*kColumns[k]);
        asideB[k] = std::move(b.*kColumns[k]);
    }
    const std::optional<int> lastA = a.LastAgeClass;
    a.LastAgeClass = b.LastAgeClass;
    const bool same = a == b;
    a.LastAgeClass = lastA;
    for (std::size_t k = 0; k < std::size(kColumns); ++k) {
        a.*kColumns[k] = std::move(asideA[k]);
        b.*kColumns[k] = std::move(asideB[k]);
    }
    return same;
}

void restoreSlots(AnalysisState &state, const AnalysisState &from, int count)
{
    for (Column column : kColumns)
        for (int i = 0; i < count; ++i)
            (state.*column)[i] = (from.*column)[i];
    state.LastAgeClass = from.LastAgeClass;
}
