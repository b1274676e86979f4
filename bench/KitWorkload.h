// The workload the Kit is measured on, shared by the Google Benchmark runner
// and the instruction counter: DrumTamrik with 16 voices, or the Kit with
// the same 16 voices on 1, 4 or 16 pads (each pad the engine benchmark's
// heavy sound, on its own key, no chokes), blocks of 64 frames into 18
// cleared channels through the instrument's render.
#pragma once

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "kit/FactoryKits.h"
#include "kit/KitInstrument.h"
#include "synth/DrumTamrikInstrument.h"

namespace tamrik::bench {

struct KitWorkload {
    static constexpr int32_t kFrames = 64;
    static constexpr int32_t kVoices = 16;
    // Notes are played again every this many blocks (as the engine's workload).
    static constexpr int64_t kReplayBlocks = 512;

    // pads 0: DrumTamrik itself; else the Kit with its voices on that many
    // pads; on `path` (or the best this CPU has, where it lacks it).
    KitWorkload(int32_t padCount, InstructionSet path) : pads(padCount) {
        // Long notes, FM and Ring, Clip 0.5 with Multi, the heavy filter:
        // every stage of a voice does work.
        constexpr std::pair<int32_t, float> kBusySound[] = {
            {kA, 0.0f},    {kH, 1.0f},    {kR, 1.0f},     {kWeight, 1.0f}, {kFM, 1.0f},
            {kRing, 1.0f}, {kClip, 0.5f}, {kMulti, 1.0f}, {kWave1, 0.25f}, {kWave2, 0.5f}};
        if (pads == 0) {
            instrument = std::make_unique<DrumTamrikInstrument>(path);
            for (auto [i, v] : kBusySound) instrument->setParameter(i, v);
        } else {
            instrument = std::make_unique<kit::KitInstrument>(path);
            for (int32_t p = 0; p < kit::kPads; ++p) {
                for (auto [i, v] : kBusySound) instrument->setParameter(kit::padIndex(p, i), v);
                // No chokes: the hats would cut each other short.
                instrument->setParameter(kit::padIndex(p, kit::kSoundParameters + kit::kChoke), 0.0f);
            }
        }
        for (int32_t c = 0; c < kit::kOutputChannels; ++c) {
            channel[size_t(c)].assign(kFrames, 0.0f);
            pointers[size_t(c)] = channel[size_t(c)].data();
        }
    }

    // Exactly 16 voices from here on: what still sounds stops first (a pad's
    // earlier note would otherwise ring on beside the new one, where
    // DrumTamrik's 17 voices in rotation take it over).
    void play() {
        const uint8_t silence[3] = {0xB0, 126, 0};
        instrument->receiveMidi(silence, 3, 0);
        for (int32_t v = 0; v < kVoices; ++v) {
            const int32_t key = pads == 0 ? 36 + 3 * v : kit::kDefaultKeys[size_t(v % pads)];
            const uint8_t bytes[3] = {0x90, uint8_t(key), 100};
            instrument->receiveMidi(bytes, 3, 0);
        }
    }

    void block() {
        if (blocks++ % kReplayBlocks == 0 && pads >= 0) play();
        for (auto& c : channel) std::fill(c.begin(), c.end(), 0.0f);
        instrument->render(pointers.data(), kFrames);
    }

    int32_t pads;  // -1: the Kit with nothing sounding
    int64_t blocks = 0;
    std::unique_ptr<Instrument> instrument;
    std::array<std::vector<float>, kit::kOutputChannels> channel;
    std::array<float*, kit::kOutputChannels> pointers{};
};

}  // namespace tamrik::bench
