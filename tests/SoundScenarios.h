// The fixed sound scenarios and their golden hashes, shared by every test
// that must prove a build sounds bit for bit like the VST build: settings,
// sample rate, and the four-note groove each scenario plays over 16384
// frames. The hash is FNV-1a over the raw bytes of the left channel.
#pragma once

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace tamrik::test::sound {

enum { A, H, R, Curve, CutOff, Q, Type, Env, Wave1, Wave2, Weight, W1Time, W2Time, W1Scale,
       W2Scale, OscMix, Ring, FM, Volume, Clip, Multi, Octave };

inline uint64_t hashOf(const std::vector<float>& samples) {
    uint64_t h = 1469598103934665603ull;
    for (float s : samples) {
        uint32_t bits;
        std::memcpy(&bits, &s, sizeof bits);
        for (int k = 0; k < 4; ++k) {
            h ^= (bits >> (8 * k)) & 0xFF;
            h *= 1099511628211ull;
        }
    }
    return h;
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

inline const std::vector<Scenario> kScenarios = {
    {"defaults", {}, 44100.0f, 0xa1cb34fed2c478c4ull},
    {"saw-tri", {{Wave1, 0.25f}, {Wave2, 0.75f}, {OscMix, 0.3f}}, 44100.0f, 0x8ba41f4f160723d6ull},
    {"ring-fm-square", {{Ring, 1.0f}, {FM, 1.0f}, {Wave2, 0.5f}, {W2Scale, 0.9f}}, 44100.0f, 0x2c00c04978312e1eull},
    {"middle-band", {{Weight, 0.5f}, {Type, 0.5f}, {Q, 0.8f}, {CutOff, 0.9f}}, 44100.0f, 0x3563bb773b55ba76ull},
    {"heavy-high", {{Weight, 1.0f}, {Type, 1.0f}, {Q, 0.95f}, {Env, 0.0f}}, 44100.0f, 0xa93aa0ba3d9579b5ull},
    {"middle-low-sqr", {{Weight, 0.5f}, {Curve, 0.5f}, {A, 0.2f}, {H, 0.3f}}, 44100.0f, 0x6c8a465884022119ull},
    {"heavy-low-sqrt", {{Weight, 1.0f}, {Curve, 1.0f}, {Octave, 0.0f}, {W1Time, 0.1f}}, 44100.0f, 0x6d40821d89372854ull},
    {"clip", {{Clip, 0.5f}, {Volume, 1.0f}}, 44100.0f, 0xb0dc046d5ebceb1aull},
    {"clip-multi", {{Clip, 0.3f}, {Multi, 1.0f}, {Wave1, 0.5f}}, 44100.0f, 0x524ee710df938774ull},
    {"rate-48000", {{R, 0.3f}, {Weight, 1.0f}}, 48000.0f, 0x0b7878eef21a395full},
    {"runaway-phase", {{Octave, 0.0f}, {W1Scale, 1.0f}, {W2Scale, 1.0f}, {R, 0.7f}}, 44100.0f, 0xc62ab02101461005ull},
};

// This one also moves CutOff at every 256th frame, to movingCutoff(frame).
inline const Scenario kCutoffMoves = {"cutoff-moves", {{Weight, 1.0f}}, 44100.0f, 0x379cfae50efb44e0ull};
constexpr int32_t kCutoffStep = 256;
inline float movingCutoff(int32_t frame) { return static_cast<float>(frame % 4096) / 4096.0f; }

}  // namespace tamrik::test::sound
