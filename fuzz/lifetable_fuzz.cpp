// libFuzzer target for the life-table reader. The first byte of an input chooses the format
// (bit 0: format B) and whether the state already holds a table (bit 1); the rest is the file.
// Whatever the file, the reader must not crash, must refuse with a message and leave the state
// exactly as it was, or succeed with a table the computations can use: 0 ... 200 age classes,
// finite numbers or empty values wherever a computation reads, nothing written beyond the record
// that ended the table.
#include "core/state.h"
#include "fuzz/fuzzsupport.h"
#include "io/lifetable.h"
#include "tablecheck.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <istream>
#include <optional>
#include <sstream>
#include <streambuf>
#include <string>
#include <variant>
#include <vector>

using namespace tarnvale;
using tarnvale::fuzz::MemoryBuffer;
using tarnvale::fuzz::require;

namespace {

bool finiteOrNotANumber(const TableValue &value)
{
    const double *number = std::get_if<double>(&value);
    return !number || std::isfinite(*number);
}

bool isNumber(const TableValue &value)
{
    const double *number = std::get_if<double>(&value);
    return number && std::isfinite(*number);
}

bool numberOrEmpty(const TableValue &value)
{
    return isNumber(value) || std::holds_alternative<std::monostate>(value);
}

AnalysisState earlierTable()
{
    AnalysisState s;
    std::string text = "\"age,l(x),m(x)\"\n";
    for (int i = 0; i < 240; ++i)
        text += std::to_string(i) + "," + std::to_string(1.0 / (i + 1)) + ",2\n";
    std::istringstream in(text);
    require(ReadLifeTable(s, in, "earlier", TableFormat::B).ok);
    s.AgeX[205] = std::string("text left by someone");
    return s;
}

// The reader writes at most 202 records (the table and the record that ended it).
constexpr int kWritable = kMaxRecords + 1;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    // Two starting states and a working copy of each, put back after every input: copying a
    // whole state for every input would cost more than the read.
    static AnalysisState fresh, earlier = earlierTable();
    static AnalysisState workFresh = fresh, workEarlier = earlier;
    const TableFormat format = (data[0] & 1) ? TableFormat::B : TableFormat::A;
    AnalysisState &before = (data[0] & 2) ? earlier : fresh;
    AnalysisState &state = (data[0] & 2) ? workEarlier : workFresh;

    MemoryBuffer buffer(data + 1, size - 1);
    std::istream in(&buffer);
    const ReadResult result = ReadLifeTable(state, in, "fuzz.txt", format);

    // The reader names no other member and no slot beyond the writable ones; the whole state is
    // compared for one input in eight (chosen by length, so a rerun checks the same inputs),
    // since comparing it costs several times the read.
    if (size % 8 == 0) {
        require(sameOutsideTheTable(state, before));
        require(sameSlots(state, before, kWritable, kTableSlots));
    }

    if (!result.ok) {
        require(state.LastAgeClass == before.LastAgeClass);
        require(sameSlots(state, before, 0, kWritable));
        require(result.message.starts_with("The file \"fuzz.txt\"")
                || result.message.starts_with("Line "));
        require(result.message.ends_with("\n\nNothing has been changed."));
        return 0;
    }

    require(result.message.empty());
    require(state.LastAgeClass && *state.LastAgeClass >= 0 && *state.LastAgeClass <= 200);
    const int n = *state.LastAgeClass;
    // What the computations read is a number or empty (0); the ages and the last survival rate
    // of format A are never read and may hold anything.
    for (int i = 0; i <= n; ++i) {
        require(numberOrEmpty(state.Fecundity[i]));
        if (format == TableFormat::B) {
            require(isNumber(state.Survival[i]));
            require(isNumber(state.Lx[i]) && std::get<double>(state.Lx[i]) != 0.0);
        } else if (i < n) {
            require(numberOrEmpty(state.Survival[i]));
        }
    }
    for (int i = 0; i < kWritable; ++i)
        require(finiteOrNotANumber(state.AgeX[i]) && finiteOrNotANumber(state.Fecundity[i])
                && finiteOrNotANumber(state.Survival[i]) && finiteOrNotANumber(state.Lx[i])
                && finiteOrNotANumber(state.Mx[i]));
    // Beyond the table only the record that ended it is written.
    require(sameSlots(state, before, n + 2, kWritable));
    // What the cells would show can always be written.
    for (int i = 0; i < 4; ++i)
        (void)TableText(state.Fecundity[i]);
    for (int i = 0; i < 3; ++i)
        (void)TableText(state.Survival[i]);

    restoreSlots(state, before, kWritable);
    return 0;
}
