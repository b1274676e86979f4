// The tables every instance in the process shares: five waveforms (sine, saw,
// square, triangle, noise), each as three 4096-entry sections (the plain
// wave and two phase-shifted blends), and the frequency of each MIDI note.
//
// Every construction of an instance rebuilds them, which writes the same
// values again except for the noise, whose generator runs on from where the
// previous build left it. A build may run while another instance renders, so
// each entry is a relaxed 32-bit atomic: a reader sees the old or the new
// value, and on x86 the load is a plain move.
#pragma once

#include <atomic>
#include <cstdint>

namespace tamrik {

class WaveTables {
public:
    static constexpr int32_t kLength = 4096;
    static constexpr int32_t kWaves = 5;
    static constexpr int32_t kSections = 3;

    // Builds every table; serialised against concurrent builds.
    static void build();

    // Section `section` of waveform `wave` (0 sine .. 4 noise) at i & 4095.
    static float at(int32_t wave, int32_t section, int32_t i) {
        return entries[wave][section][i & (kLength - 1)].load(std::memory_order_relaxed);
    }
    static float noteFrequency(int32_t note) {
        return noteFrequencies[note & 127].load(std::memory_order_relaxed);
    }

private:
    static std::atomic<float> entries[kWaves][kSections][kLength];
    static std::atomic<float> noteFrequencies[128];
};

}  // namespace tamrik
