// The tables every instance in the process shares: five waveforms (sine, saw,
// square, triangle, noise), each as three 4096-entry sections (the plain
// wave and two phase-shifted blends), and the frequency of each MIDI note.
//
// Every construction of an instance builds them again, which gives the same
// values except for the noise, whose generator runs on from where the
// previous build left it. A build may run while another instance renders,
// and the renderers read rows with vector gathers, which plain memory allows
// and atomics do not. So everything but the noise is written once, by the
// first build, and never again; the noise lives in a few slots: a build
// writes a slot no renderer holds and then publishes it, and a renderer
// holds the current slot for one block (a Reader). Readers take no lock and
// see the new noise from their next block on.
#pragma once

#include <atomic>
#include <cstdint>

namespace tamrik {

class WaveTables {
public:
    static constexpr int32_t kLength = 4096;
    static constexpr int32_t kWaves = 5;
    static constexpr int32_t kSections = 3;
    static constexpr int32_t kNoise = 4;

    // Builds the tables (all of them the first time, then the noise); the
    // builds are serialised, and one waits while every spare slot is held.
    static void build();

    // Holds the current noise slot until destroyed: lock-free, for the audio
    // thread, one per block. Without `readsNoise` it holds nothing (the fixed
    // waves never change) and must not be asked for the noise.
    class Reader {
    public:
        explicit Reader(bool readsNoise = true);
        ~Reader();
        Reader(const Reader&) = delete;
        Reader& operator=(const Reader&) = delete;

        // Section `section` of waveform `wave` (0 sine .. 4 noise), kLength entries.
        const float* row(int32_t wave, int32_t section) const {
            return tables[wave == kNoise ? kWaves - 1 + slot : wave][section];
        }
        // The same row as an offset from origin(): lanes of one gather may
        // read different rows.
        int32_t offset(int32_t wave, int32_t section) const {
            return static_cast<int32_t>(row(wave, section) - origin());
        }
        static const float* origin() { return tables[0][0]; }
        // Every row again in double, at the same offsets from originWide(): the
        // same values (a single widens exactly), for lanes that would widen
        // each value they read.
        static const double* originWide() { return widened[0][0]; }

    private:
        int32_t slot = -1;
    };

    // Section `section` of waveform `wave` at i & 4095, through a Reader.
    static float at(int32_t wave, int32_t section, int32_t i);
    static float noteFrequency(int32_t note) { return noteFrequencies[note & 127]; }

private:
    static constexpr int32_t kSlots = 3;
    // The fixed waves, then the noise slots: one array, so that any row is
    // an offset from the first.
    alignas(64) static float tables[kWaves - 1 + kSlots][kSections][kLength];
    alignas(64) static double widened[kWaves - 1 + kSlots][kSections][kLength];
    static float noteFrequencies[128];
    static std::atomic<int32_t> currentSlot;
    static std::atomic<int32_t> readers[kSlots];
};

}  // namespace tamrik
