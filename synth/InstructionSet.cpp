#include "synth/InstructionSet.h"

#include <algorithm>
#include <cstring>

namespace tamrik {

InstructionSet bestInstructionSet() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    // These answers include the operating system's support for the wider
    // registers (XGETBV), not just the CPU's.
#if defined(TAMRIK_HAVE_AVX512)
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx512dq"))
        return InstructionSet::avx512;
#endif
#if defined(TAMRIK_HAVE_AVX2)
    if (__builtin_cpu_supports("avx2")) return InstructionSet::avx2;
#endif
#if defined(__SSE2__)
    if (__builtin_cpu_supports("sse2")) return InstructionSet::sse2;
#endif
#endif
    return InstructionSet::scalar;
}

InstructionSet runnable(InstructionSet path) { return std::min(path, bestInstructionSet()); }

InstructionSet instructionSetNamed(const char* name, InstructionSet otherwise) {
    for (InstructionSet path : kInstructionSets)
        if (name && std::strcmp(name, nameOf(path)) == 0) return runnable(path);
    return runnable(otherwise);
}

}  // namespace tamrik
