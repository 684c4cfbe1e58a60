#include "core/vectorstate.h"

namespace tarnvale {

void ResetUpperVectorState()
{
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    // The instruction exists only where AVX does, and the test also asks whether the system
    // saves those registers; elsewhere there is no upper half to clear.
    if (__builtin_cpu_supports("avx"))
        __asm__ volatile("vzeroupper" ::
                             : "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7",
                               "xmm8", "xmm9", "xmm10", "xmm11", "xmm12", "xmm13", "xmm14",
                               "xmm15");
#endif
}

} // namespace tarnvale
