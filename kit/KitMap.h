// The Kit's parameters and what their values mean. Every parameter is a
// value from 0 to 1 as hosts store it; pad p (0 to 15) owns the indices
// 30 * p + i, where i 0-21 are the sound's parameters in DrumTamrik's order
// and i 22-29 the pad's own settings below; 480 is the MIDI channel and 481
// the master volume, 482 in all.
//
// Value mappings (v is the stored value; RoundEven throughout):
//   Key, Pitch   note RoundEven(v * 127), held to 0..127
//   Level        gain (2v)^2: 0.5 is exactly 1 (0 dB), 1 is 4 (+12 dB)
//   Pan          balance: left min(1, 2(1 - v)), right min(1, 2v); the centre
//                0.5 gives 1 and 1, so a centred pad passes through unchanged
//   Output       RoundEven(v * 8): 0 Main, 1-8 the stereo pairs Aux 1-8
//   Choke        RoundEven(v * 8): 0 none, 1-8 the group
//   Velocity     amount a = v held to 0..1; a note of velocity n plays with
//                RoundEven(127 + a * (n - 127)): 1 passes n as it comes,
//                0 plays every note at 127
//   Mute         on when RoundEven(v) is 1
//   Channel      RoundEven(v * 16): 0 omni, 1-16 that channel only
//   Volume       as Level: (2v)^2, exactly 1 at the default 0.5
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "common/RoundEven.h"
#include "synth/ParameterTable.h"

namespace tamrik::kit {

constexpr int32_t kPads = 16;
constexpr int32_t kPadStride = 30;
constexpr int32_t kSoundParameters = kNumParameters;  // 22

// A pad's own settings, after its sound's parameters.
enum PadSetting : int32_t { kKey, kPitch, kLevel, kPan, kOutput, kChoke, kVelocity, kMute, kPadSettings };
static_assert(kSoundParameters + kPadSettings == kPadStride);

constexpr int32_t kChannelIndex = kPads * kPadStride;  // 480
constexpr int32_t kVolumeIndex = kChannelIndex + 1;     // 481
constexpr int32_t kKitParameters = kVolumeIndex + 1;    // 482

constexpr int32_t kAuxPairs = 8;
constexpr int32_t kOutputChannels = 2 * (1 + kAuxPairs);  // 18
constexpr int32_t kChokeGroups = 8;

constexpr bool isKitParameter(int32_t index) { return index >= 0 && index < kKitParameters; }
// The pad an index belongs to, or -1 for the kit-wide ones.
constexpr int32_t padOf(int32_t index) { return index < kChannelIndex ? index / kPadStride : -1; }
constexpr int32_t slotOf(int32_t index) { return index % kPadStride; }
constexpr int32_t padIndex(int32_t pad, int32_t slot) { return pad * kPadStride + slot; }

inline int32_t clampInt(int32_t k, int32_t low, int32_t high) {
    return k < low ? low : (k > high ? high : k);
}
// NaN never gets here (refused on the way in); RoundEven's answer for
// values beyond the int32 range is INT32_MIN, which clamps to the low end.
inline int32_t noteOf(float v) { return clampInt(roundEven(static_cast<double>(v) * 127.0), 0, 127); }
inline int32_t eighthOf(float v) { return clampInt(roundEven(static_cast<double>(v) * 8.0), 0, 8); }
inline int32_t channelOf(float v) { return clampInt(roundEven(static_cast<double>(v) * 16.0), 0, 16); }
inline float clampUnit(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }
inline bool switchOn(float v) { return roundEven(static_cast<double>(v)) == 1; }
inline double levelGain(float v) { return (2.0 * v) * (2.0 * v); }
inline double panLeft(float v) { return v <= 0.5f ? 1.0 : 2.0 * (1.0 - static_cast<double>(v)); }
inline double panRight(float v) { return v >= 0.5f ? 1.0 : 2.0 * static_cast<double>(v); }
inline int32_t blendVelocity(float amount, int32_t velocity) {
    const double a = amount < 0.0f ? 0.0 : (amount > 1.0f ? 1.0 : static_cast<double>(amount));
    return clampInt(roundEven(127.0 + a * (velocity - 127)), 0, 127);
}

// Every kit parameter in the order a whole kit loads: each pad's sound as a
// program loads (CutOff before Env, sweep times before their scales), then
// the pads' own settings, then Channel and Volume; whoever loads a kit this
// way gets the derived values a loaded kit has.
inline constexpr std::array<int32_t, kKitParameters> kKitLoadOrder = [] {
    std::array<int32_t, kKitParameters> order{};
    size_t at = 0;
    for (int32_t p = 0; p < kPads; ++p)
        for (int32_t i : kProgramLoadOrder) order[at++] = padIndex(p, i);
    for (int32_t p = 0; p < kPads; ++p)
        for (int32_t s = kSoundParameters; s < kPadStride; ++s) order[at++] = padIndex(p, s);
    order[at++] = kChannelIndex;
    order[at++] = kVolumeIndex;
    return order;
}();

// "36 C1": the number and the name, with 36 (the General MIDI kick) as C1.
inline std::string noteLabel(int32_t note) {
    static constexpr const char* kNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    note = clampInt(note, 0, 127);
    return std::to_string(note) + " " + kNames[note % 12] + std::to_string(note / 12 - 2);
}

// The value that stands for a note, a group or an output: k / steps.
constexpr float valueOfStep(int32_t k, int32_t steps) { return static_cast<float>(k) / static_cast<float>(steps); }

}  // namespace tamrik::kit
