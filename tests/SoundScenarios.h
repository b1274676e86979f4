// The fixed sound scenarios and their golden hashes, shared by every test
// that must prove a build sounds bit for bit like the VST build: settings,
// sample rate, and the four-note groove each scenario plays over 16384
// frames. The hash is FNV-1a over the raw bytes of the left channel.
#pragma once

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "Hashing.h"
#include "synth/ParameterTable.h"

namespace tamrik::test::sound {

inline uint64_t hashOf(const std::vector<float>& samples) {
    Fnv1a h;
    for (float s : samples) {
        uint32_t bits;
        std::memcpy(&bits, &s, sizeof bits);
        h.add(bits);
    }
    return h.value();
}

struct Scenario {
    const char* name;
    std::vector<std::pair<int32_t, float>> settings;
    float sampleRate;
    uint64_t golden;
};

constexpr int32_t kFrames = 16384;

struct GrooveNote {
    int32_t frame;
    uint8_t note, velocity;
};
constexpr GrooveNote kGroove[] = {{0, 60, 40}, {3000, 36, 69}, {3001, 72, 98}, {9000, 127, 127}};

// clang-format off
inline const std::vector<Scenario> kScenarios = {
    {"defaults", {}, 44100.0f, 0xa1cb34fed2c478c4ull},
    {"saw-tri", {{kWave1, 0.25f}, {kWave2, 0.75f}, {kOscMix, 0.3f}}, 44100.0f, 0x8ba41f4f160723d6ull},
    {"ring-fm-square", {{kRing, 1.0f}, {kFM, 1.0f}, {kWave2, 0.5f}, {kW2Scale, 0.9f}}, 44100.0f, 0x2c00c04978312e1eull},
    {"middle-band", {{kWeight, 0.5f}, {kType, 0.5f}, {kQ, 0.8f}, {kCutOff, 0.9f}}, 44100.0f, 0x3563bb773b55ba76ull},
    {"heavy-high", {{kWeight, 1.0f}, {kType, 1.0f}, {kQ, 0.95f}, {kEnv, 0.0f}}, 44100.0f, 0xa93aa0ba3d9579b5ull},
    {"middle-low-sqr", {{kWeight, 0.5f}, {kCurve, 0.5f}, {kA, 0.2f}, {kH, 0.3f}}, 44100.0f, 0x6c8a465884022119ull},
    {"heavy-low-sqrt", {{kWeight, 1.0f}, {kCurve, 1.0f}, {kOctave, 0.0f}, {kW1Time, 0.1f}}, 44100.0f, 0x6d40821d89372854ull},
    {"clip", {{kClip, 0.5f}, {kVolume, 1.0f}}, 44100.0f, 0xb0dc046d5ebceb1aull},
    {"clip-multi", {{kClip, 0.3f}, {kMulti, 1.0f}, {kWave1, 0.5f}}, 44100.0f, 0x524ee710df938774ull},
    {"rate-48000", {{kR, 0.3f}, {kWeight, 1.0f}}, 48000.0f, 0x0b7878eef21a395full},
    {"runaway-phase", {{kOctave, 0.0f}, {kW1Scale, 1.0f}, {kW2Scale, 1.0f}, {kR, 0.7f}}, 44100.0f, 0xc62ab02101461005ull},
};
// clang-format on

// This one also moves CutOff at every 256th frame, to movingCutoff(frame).
inline const Scenario kCutoffMoves = {"cutoff-moves", {{kWeight, 1.0f}}, 44100.0f, 0x379cfae50efb44e0ull};
constexpr int32_t kCutoffStep = 256;
inline float movingCutoff(int32_t frame) { return static_cast<float>(frame % 4096) / 4096.0f; }

}  // namespace tamrik::test::sound
