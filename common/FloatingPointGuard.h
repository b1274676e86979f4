// Runs a stretch of code under the floating-point settings the sound is
// defined with: round to nearest, every exception masked, no flush-to-zero
// or denormals-are-zero, and the x87 unit at full extended precision. Hosts
// often switch on flush-to-zero on their audio threads, and a host could
// change the rounding; either would change the bits we produce. Windows
// starts its threads with the x87 at 53-bit precision, which would change
// the long double sections of the wave tables. The caller's settings come
// back when the guard goes out of scope, so the host never sees a change.
#pragma once

#include <cstdint>

#include "common/FloatingPointRegisters.h"

namespace tamrik {

class FloatingPointGuard {
public:
    FloatingPointGuard() {
#if defined(TAMRIK_HAS_MXCSR)
        savedCsr = readMxcsr();
        csrChanged = (savedCsr & ~kFlags) != kDefaultCsr;
        if (csrChanged) writeMxcsr(kDefaultCsr | (savedCsr & kFlags));
#endif
#if defined(TAMRIK_HAS_X87)
        savedControlWord = readX87ControlWord();
        controlWordChanged = (savedControlWord & kControlMask) != kDefaultControlWord;
        if (controlWordChanged)
            writeX87ControlWord(static_cast<uint16_t>((savedControlWord & ~kControlMask) | kDefaultControlWord));
#endif
    }
    ~FloatingPointGuard() {
#if defined(TAMRIK_HAS_MXCSR)
        if (csrChanged) writeMxcsr(savedCsr);
#endif
#if defined(TAMRIK_HAS_X87)
        if (controlWordChanged) writeX87ControlWord(savedControlWord);
#endif
    }
    FloatingPointGuard(const FloatingPointGuard&) = delete;
    FloatingPointGuard& operator=(const FloatingPointGuard&) = delete;

private:
#if defined(TAMRIK_HAS_MXCSR)
    static constexpr uint32_t kFlags = 0x3F;         // sticky exception flags
    static constexpr uint32_t kDefaultCsr = 0x1F80;  // all masked, nearest, no FTZ/DAZ
    uint32_t savedCsr;
    bool csrChanged;
#endif
#if defined(TAMRIK_HAS_X87)
    static constexpr uint16_t kControlMask = 0x0F3F;         // exception masks, precision, rounding
    static constexpr uint16_t kDefaultControlWord = 0x033F;  // all masked, 64-bit, nearest
    uint16_t savedControlWord;
    bool controlWordChanged;
#endif
};

}  // namespace tamrik
