#pragma once

#include "core/state.h"

// Comparisons of whole states for the fuzzer's checks. They live in a file of their own that is
// built without the fuzzer's coverage instrumentation: they are not under test, and instrumented
// they would cost far more time than the read they check.

// The life-table columns agree at the indices from ... to - 1.
bool sameSlots(const tarnvale::AnalysisState &a, const tarnvale::AnalysisState &b, int from,
               int to);

// Every member but the life-table columns and LastAgeClass agrees. Moves the columns aside for
// the comparison and puts them back, so nothing is copied.
bool sameOutsideTheTable(tarnvale::AnalysisState &a, tarnvale::AnalysisState &b);

// Copies the columns' indices 0 ... count - 1 and LastAgeClass from `from` into `state`.
void restoreSlots(tarnvale::AnalysisState &state, const tarnvale::AnalysisState &from, int count);
