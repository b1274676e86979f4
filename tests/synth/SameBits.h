// The comparison every wide-path check makes against the one-voice code: bit
// for bit, except that every NaN counts as one value. Which of two NaN
// operands an addition passes on depends on the compiler's operand order (it
// may swap them), so not even one path built at two optimisation levels
// agrees on a NaN's sign.
#pragma once

#include <cmath>
#include <cstring>

#include "synth/DrumVoices.h"

namespace tamrik::test {

inline bool sameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

inline bool sameBits(const float* a, const float* b, size_t count) {
    for (size_t n = 0; n < count; ++n)
        if (!sameBits(a[n], b[n])) return false;
    return true;
}

inline bool sameBits(const DrumVoices::Voice& a, const DrumVoices::Voice& b) {
    const float floats[][2] = {{a.phase1, b.phase1},         {a.phase2, b.phase2},      {a.cutoffBase, b.cutoffBase},
                               {a.baseInc1, b.baseInc1},     {a.baseInc2, b.baseInc2},  {a.sweepStep1, b.sweepStep1},
                               {a.sweepStep2, b.sweepStep2}, {a.voiceGain, b.voiceGain}};
    for (auto [x, y] : floats)
        if (!sameBits(x, y)) return false;
    const int32_t ints[][2] = {{a.note, b.note},
                               {a.velocity, b.velocity},
                               {a.low1, b.low1},
                               {a.band1, b.band1},
                               {a.high1, b.high1},
                               {a.low2, b.low2},
                               {a.band2, b.band2},
                               {a.high2, b.high2},
                               {a.smooth, b.smooth},
                               {a.attackCount, b.attackCount},
                               {a.holdCount, b.holdCount},
                               {a.releaseCount, b.releaseCount},
                               {a.sweep1Left, b.sweep1Left},
                               {a.sweep2Left, b.sweep2Left},
                               {a.stage, b.stage}};
    for (auto [x, y] : ints)
        if (x != y) return false;
    return true;
}

}  // namespace tamrik::test
