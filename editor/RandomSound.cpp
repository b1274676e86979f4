// The ranges are a sound designer's, not the parameters' full spans: a
// random point of the whole space is mostly noise bursts and silence.
#include "editor/RandomSound.h"

#include <cmath>

namespace tamrik {

SoundGroup soundGroupOf(int index) {
    switch (index) {
        case kA: case kH: case kR: case kCurve: return SoundGroup::Env;
        case kCutOff: case kQ: case kType: case kEnv: case kWeight: return SoundGroup::Filter;
        case kVolume: case kClip: case kMulti: return SoundGroup::Amp;
        default: return SoundGroup::Osc;
    }
}

uint64_t RandomSound::Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

float RandomSound::Between(double low, double high, int steps) {
    const int first = int(std::ceil(low * steps - 1e-9)), last = int(std::floor(high * steps + 1e-9));
    const int pick = first + int(Next() % uint64_t(last - first + 1));
    return float(pick) / float(steps);
}

float RandomSound::Item(int count) { return float(Next() % uint64_t(count)) / float(count - 1); }

float RandomSound::Chance(double probability) {
    return double(Next() >> 11) * 0x1.0p-53 < probability ? 1.0f : 0.0f;
}

std::array<float, kNumParameters> RandomSound::Draw(const std::array<float, kNumParameters>& current,
                                                    const std::array<bool, kSoundGroupCount>& locked) {
    constexpr int knob = 100, slider = 50;
    std::array<float, kNumParameters> v{};
    // Drawn in a fixed order whatever is locked, so a lock changes nothing
    // else that a seed gives.
    v[kA] = Between(0.0, 0.12, slider);
    v[kH] = Between(0.0, 0.3, slider);
    v[kR] = Between(0.2, 0.8, slider);
    v[kCurve] = Item(3);
    v[kCutOff] = Between(0.2, 0.9, knob);
    v[kQ] = Between(0.0, 0.6, knob);
    v[kType] = Item(3);
    v[kEnv] = Between(0.3, 0.9, knob);
    v[kWave1] = Item(5);
    v[kWave2] = Item(5);
    v[kWeight] = Item(3);
    v[kW1Time] = Between(0.2, 0.8, knob);
    v[kW2Time] = Between(0.2, 0.8, knob);
    v[kW1Scale] = Between(0.1, 0.9, knob);
    v[kW2Scale] = Between(0.1, 0.9, knob);
    v[kOscMix] = Between(0.0, 1.0, slider);
    v[kRing] = Chance(0.2);
    v[kFM] = Chance(0.25);
    v[kVolume] = Between(0.5, 0.9, slider);
    v[kClip] = Between(0.5, 1.0, slider);
    v[kMulti] = Chance(0.2);
    v[kOctave] = Item(3);
    for (int i = 0; i < kNumParameters; ++i)
        if (locked[size_t(soundGroupOf(i))]) v[size_t(i)] = current[size_t(i)];
    return v;
}

}  // namespace tamrik
