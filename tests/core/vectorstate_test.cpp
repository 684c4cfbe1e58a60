#include "core/vectorstate.h"

#include "core/curve.h"
#include "core/search.h"
#include "longtable.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <initializer_list>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <cpuid.h>
#define TARNVALE_WATCH_VECTOR_STATE 1
#endif

using namespace tarnvale;

namespace {

#ifdef TARNVALE_WATCH_VECTOR_STATE
// Whether the processor has the registers and tells which of their parts are in use (XGETBV
// with ECX = 1, "XINUSE").
bool canWatchUpperHalves()
{
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __builtin_cpu_supports("avx") && __get_cpuid_count(0xD, 1, &eax, &ebx, &ecx, &edx)
        && (eax & (1u << 2)) != 0;
}

bool upperHalvesInUse()
{
    unsigned low = 0, high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(1));
    return (low & (1u << 2)) != 0; // bit 2: the upper halves of YMM0 ... YMM15
}

// What Qt's string hash leaves behind.
void markUpperHalvesInUse()
{
    __asm__ volatile("vinsertf128 $1, %%xmm0, %%ymm0, %%ymm0" ::: "xmm0");
}
#else
bool canWatchUpperHalves()
{
    return false;
}
bool upperHalvesInUse()
{
    return false;
}
void markUpperHalvesInUse() { }
#endif

} // namespace

TEST(ResetUpperVectorState, ClearsTheMarkLeftByWideInstructions)
{
    if (!canWatchUpperHalves())
        GTEST_SKIP() << "this processor has no 256-bit registers or does not tell their use";
    markUpperHalvesInUse();
    ASSERT_TRUE(upperHalvesInUse());
    ResetUpperVectorState();
    EXPECT_FALSE(upperHalvesInUse());
}

// The computations run, and so end, with the upper halves clear, whatever the window that called
// them left; the maths library does not mark them again.
TEST(ResetUpperVectorState, CurveAndSearchEvaluateWithTheUpperHalvesClear)
{
    if (!canWatchUpperHalves())
        GTEST_SKIP() << "this processor has no 256-bit registers or does not tell their use";
    for (bool table : {false, true}) {
        AnalysisState state = table ? test::LongTable(0.05, 0.97) : AnalysisState {};
        ReadMatrixCells(state, kDefaultCellTexts);

        markUpperHalvesInUse();
        ASSERT_TRUE(PlotCurve(state, "0", "1.5", "0.01").ok);
        EXPECT_FALSE(upperHalvesInUse()) << "PlotCurve, table " << table;

        markUpperHalvesInUse();
        EvaluateCharacteristic(state, kDefaultCellTexts, 1.2);
        EXPECT_FALSE(upperHalvesInUse()) << "EvaluateCharacteristic, table " << table;

        markUpperHalvesInUse();
        ASSERT_TRUE(TryBracket(state, kDefaultCellTexts, "0", "2").ok);
        EXPECT_FALSE(upperHalvesInUse()) << "TryBracket, table " << table;
    }
}

// Only the upper halves are cleared: the curve gives the same doubles, bit for bit, whether it
// starts with them marked or not.
TEST(ResetUpperVectorState, ChangesNoValueOfTheCurve)
{
    for (bool table : {false, true}) {
        AnalysisState clean = table ? test::LongTable(0.05, 0.97) : AnalysisState {};
        ReadMatrixCells(clean, kDefaultCellTexts);
        AnalysisState marked = clean;
        ASSERT_TRUE(PlotCurve(clean, "-0.35", "1.5", "0.001").ok);
        if (canWatchUpperHalves())
            markUpperHalvesInUse();
        ASSERT_TRUE(PlotCurve(marked, "-0.35", "1.5", "0.001").ok);
        ASSERT_EQ(clean.PlotCount, marked.PlotCount);
        for (int i = 1; i <= clean.PlotCount; ++i) {
            ASSERT_EQ(std::bit_cast<std::uint64_t>(clean.PlotFx[i]),
                      std::bit_cast<std::uint64_t>(marked.PlotFx[i]))
                << "point " << i << ", table " << table;
        }
    }
}
