// The workload the engine is measured on, shared by the Google Benchmark
// runner and the instruction counter: long notes (A 0, H and R 1), FM and
// Ring, Clip 0.5 with Multi, Wave1 saw, Wave2 square, blocks of 64 frames
// cleared and rendered under the floating-point guard as processReplacing
// does them.
#pragma once

#include <algorithm>
#include <utility>
#include <vector>

#include "common/FloatingPointGuard.h"
#include "synth/DrumVoices.h"
#include "synth/Parameters.h"

namespace tamrik::bench {

// The engine on `path` (or the best this CPU has, where it lacks it).
struct Workload {
    SynthParameters params;
    DrumVoices engine;
    std::vector<float> left = std::vector<float>(64), right = std::vector<float>(64);

    Workload(InstructionSet path, float weight) : engine(params, path) {
        engine.initEngine();
        const std::pair<int32_t, float> settings[] = {
            {kA, 0.0f},    {kH, 1.0f},    {kR, 1.0f},     {kWeight, weight}, {kFM, 1.0f},
            {kRing, 1.0f}, {kClip, 0.5f}, {kMulti, 1.0f}, {kWave1, 0.25f},   {kWave2, 0.5f}};
        for (auto [i, v] : settings) params.set(i, v);
    }

    void play(int32_t voices) {
        engine.allSoundOff();
        for (int32_t i = 0; i < voices; ++i) engine.playNote(36 + 3 * i, 100, 0);
    }

    void block() {
        std::fill(left.begin(), left.end(), 0.0f);
        std::fill(right.begin(), right.end(), 0.0f);
        const FloatingPointGuard fp;
        engine.render(left.data(), right.data(), 64);
    }
};

// Notes are played again every this many blocks, so voices never run out.
constexpr int64_t kReplayBlocks = 512;

}  // namespace tamrik::bench
