#pragma once

namespace tarnvale {

// Marks the upper halves of the processor's 256-bit vector registers as unused (VZEROUPPER), on
// x86-64 processors that have such registers; does nothing anywhere else. Called before the
// computations that call the maths library in a loop (std::pow for every term of f).
//
// Why: the maths library runs AVX code, this program the older SSE code, and while the upper
// halves are marked in use many Intel processors charge for every switch between the two,
// some 120 ns on the machines this was measured on, twice per std::pow call: a curve of 10000
// points on a 201-class table took ten times as long. Qt 6.4 leaves them so after each string
// hash on processors with 256-bit AES instructions, which means after most events. Clearing
// them changes no value: this program's computations use only the lower 128 bits.
void ResetUpperVectorState();

} // namespace tarnvale
