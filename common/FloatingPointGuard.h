// Runs a stretch of code under the floating-point settings the sound is
// defined with: round to nearest, every exception masked, no flush-to-zero
// or denormals-are-zero, and the x87 unit at full extended precision. Hosts
// often switch on flush-to-zero on their audio threads, and a host could
// change the rounding; either would change the bits we produce. The caller's
// settings come back when the guard goes out of scope, so the host never sees
// a change.
#pragma once

#include <cstdint>
#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

namespace tamrik {

class FloatingPointGuard {
public:
#if defined(__x86_64__) || defined(__i386__)
    FloatingPointGuard() {
        savedCsr = _mm_getcsr();
        __asm__ volatile("fnstcw %0" : "=m"(savedControlWord));
        csrChanged = (savedCsr & ~kFlags) != kDefaultCsr;
        controlWordChanged = (savedControlWord & kControlMask) != kDefaultControlWord;
        if (csrChanged) _mm_setcsr(kDefaultCsr | (savedCsr & kFlags));
        if (controlWordChanged) {
            const uint16_t word =
                static_cast<uint16_t>((savedControlWord & ~kControlMask) | kDefaultControlWord);
            __asm__ volatile("fldcw %0" : : "m"(word));
        }
    }
    ~FloatingPointGuard() {
        if (csrChanged) _mm_setcsr(savedCsr);
        if (controlWordChanged) __asm__ volatile("fldcw %0" : : "m"(savedControlWord));
    }

private:
    static constexpr uint32_t kFlags = 0x3F;            // sticky exception flags
    static constexpr uint32_t kDefaultCsr = 0x1F80;     // all masked, nearest, no FTZ/DAZ
    static constexpr uint16_t kControlMask = 0x0F3F;    // exception masks, precision, rounding
    static constexpr uint16_t kDefaultControlWord = 0x033F;  // all masked, 64-bit, nearest
    uint32_t savedCsr;
    uint16_t savedControlWord;
    bool csrChanged, controlWordChanged;
#endif

public:
    FloatingPointGuard(const FloatingPointGuard&) = delete;
    FloatingPointGuard& operator=(const FloatingPointGuard&) = delete;
};

}  // namespace tamrik
