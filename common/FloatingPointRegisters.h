// The two x86 registers that decide how floating point computes: the x87
// control word (exception masks, precision, rounding) and the SSE MXCSR
// (masks, rounding, flush-to-zero, denormals-are-zero). The one place of
// inline assembly in the code base; for x86 targets, 32- and 64-bit.
#pragma once

#include <cstdint>
#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace tamrik {

#if defined(__x86_64__) || defined(__i386__)
#define TAMRIK_HAS_X87 1
inline uint16_t readX87ControlWord() {
    uint16_t word;
    __asm__ volatile("fnstcw %0" : "=m"(word));
    return word;
}

inline void writeX87ControlWord(uint16_t word) { __asm__ volatile("fldcw %0" : : "m"(word)); }
#endif

#if defined(__SSE__)
#define TAMRIK_HAS_MXCSR 1
inline uint32_t readMxcsr() { return _mm_getcsr(); }
inline void writeMxcsr(uint32_t csr) { _mm_setcsr(csr); }
#endif

}  // namespace tamrik
