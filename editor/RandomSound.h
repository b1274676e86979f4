// A new drum sound at random, drawn from ranges that sound like drums: a
// short attack, curves, waves, filter types and octaves from their lists,
// cutoff and sweeps where drums live, ring and FM now and then, and a Volume
// that is never silent. Locked groups keep their values. Every value lies on
// its control's steps, so the panel shows exactly what was drawn.
//
// The generator is our own (SplitMix64) so that a seed draws the same sound
// on every platform and library.
#pragma once

#include <array>
#include <cstdint>

#include "synth/ParameterTable.h"

namespace tamrik {

enum class SoundGroup { Osc, Env, Filter, Amp };
inline constexpr int kSoundGroupCount = 4;

SoundGroup soundGroupOf(int parameterIndex);

class RandomSound {
public:
    explicit RandomSound(uint64_t seed) : state_(seed) {}

    // current with every parameter of an unlocked group drawn anew.
    std::array<float, kNumParameters> Draw(const std::array<float, kNumParameters>& current,
                                           const std::array<bool, kSoundGroupCount>& locked);

private:
    uint64_t Next();
    // Uniform in [low, high], on steps of 1 / steps.
    float Between(double low, double high, int steps);
    float Item(int count);
    float Chance(double probability);

    uint64_t state_;
};

}  // namespace tamrik
