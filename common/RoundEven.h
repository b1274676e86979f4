// RoundEven: the one float-to-integer conversion of the whole system, the
// nearest integer with halves going to the even neighbour.
#pragma once

#include <cmath>
#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tamrik {

// Nearest int32, ties to even, in the default rounding mode. NaN and values
// outside the int32 range give INT32_MIN (0x80000000), the "integer
// indefinite" answer of the x86 conversion instructions, so that hostile
// parameter values give a defined result instead of undefined behaviour.
inline int32_t roundEven(double x) {
#if defined(__SSE2__)
    // cvtsd2si (every x86-64 target, and 32-bit ones built with SSE2): one
    // instruction, ties to even under the default MXCSR mode, and the
    // hardware itself answers INT32_MIN for NaN and overflow.
    return _mm_cvtsd_si32(_mm_set_sd(x));
#else
    const double r = std::nearbyint(x);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) return INT32_MIN;
    return static_cast<int32_t>(r);
#endif
}

// A single converts to double exactly, so rounding it directly (cvtss2si)
// gives the same integer without the widening.
inline int32_t roundEven(float x) {
#if defined(__SSE2__)
    return _mm_cvtss_si32(_mm_set_ss(x));
#else
    return roundEven(static_cast<double>(x));
#endif
}

// The 64-bit form; NaN and values outside the int64 range give INT64_MIN.
inline int64_t roundEven64(double x) {
    const double r = std::nearbyint(x);
    if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0)) return INT64_MIN;
    return static_cast<int64_t>(r);
}

}  // namespace tamrik
