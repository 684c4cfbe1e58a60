#pragma once

#include "core/state.h"

namespace tarnvale::test {

// The last age class of the longest life table the reader takes (201 age classes).
inline constexpr int kLongestLastAgeClass = 200;

// A life table in data-file mode, as the reader leaves it in the state: age classes
// 0 ... lastAgeClass, no young at age 0, `fecundity` at every later age, `survival` at every age.
inline AnalysisState LongTable(double fecundity, double survival,
                               int lastAgeClass = kLongestLastAgeClass)
{
    AnalysisState state;
    state.DataLoaded = "Yes";
    state.LastAgeClass = lastAgeClass;
    for (int i = 0; i <= lastAgeClass; ++i) {
        state.Fecundity[i] = i == 0 ? 0.0 : fecundity;
        state.Survival[i] = survival;
    }
    return state;
}

} // namespace tarnvale::test
