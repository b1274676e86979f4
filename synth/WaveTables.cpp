#include "synth/WaveTables.h"

#include <cmath>
#include <mutex>
#include <thread>

#include "synth/Sine.h"

namespace tamrik {

alignas(64) float WaveTables::tables[kWaves - 1 + kSlots][kSections][kLength];
alignas(64) double WaveTables::widened[kWaves - 1 + kSlots][kSections][kLength];
float WaveTables::noteFrequencies[128];
std::atomic<int32_t> WaveTables::currentSlot{0};
std::atomic<int32_t> WaveTables::readers[kSlots];

namespace {

enum { kSine, kSaw, kSquare, kTriangle };

// The runtime's linear congruential generator: state 0 at load, never seeded,
// so the first instance of a process always gets the same noise.
class NoiseGenerator {
public:
    // (s * range) div 2^32 after the step: for range 2, the top bit.
    uint32_t draw(uint32_t range) {
        state = state * 134775813u + 1u;
        return static_cast<uint32_t>((static_cast<uint64_t>(state) * range) >> 32);
    }

private:
    uint32_t state = 0;
};

NoiseGenerator noiseGenerator;
std::mutex buildMutex;
bool builtOnce = false;  // under buildMutex

}  // namespace

// Seq_cst throughout: a reader announces itself and then checks the slot is
// still current, a build stops announcing a slot and then checks nobody
// holds it, so one of the two always sees the other.
WaveTables::Reader::Reader(bool readsNoise) {
    while (readsNoise) {
        slot = currentSlot.load();
        readers[slot].fetch_add(1);
        if (currentSlot.load() == slot) return;
        readers[slot].fetch_sub(1);
    }
}

WaveTables::Reader::~Reader() {
    if (slot >= 0) readers[slot].fetch_sub(1);
}

float WaveTables::at(int32_t wave, int32_t section, int32_t i) {
    const Reader reader;
    return reader.row(wave, section)[i & (kLength - 1)];
}

void WaveTables::build() {
    const std::lock_guard<std::mutex> lock(buildMutex);
    int32_t slot = currentSlot.load();
    while (slot == currentSlot.load() || readers[slot].load() != 0) {
        slot = (slot + 1) % kSlots;
        if (slot == currentSlot.load()) std::this_thread::yield();
    }
    const int32_t table[kWaves] = {kSine, kSaw, kSquare, kTriangle, kWaves - 1 + slot};
    float w[kWaves][kLength];

    for (int32_t i = 0; i < kLength; ++i) {
        w[kSaw][i] = static_cast<float>(static_cast<double>(i) / 4096.0 * 2.0 - 1.0);
        w[kSquare][i] = i < 2048 ? -1.0f : 1.0f;
    }
    // Quarter-wave symmetry makes both halves mirror each other exactly.
    const long double pi = 3.141592653589793238462643383279502884L;
    for (int32_t j = 0; j < 1024; ++j) {
        w[kSine][j] = static_cast<float>(tableSine(static_cast<long double>(j) * pi / 2048.0L));
        w[kSine][j + 3072] =
            static_cast<float>(tableSine(static_cast<long double>(j - 1024) * pi / 2048.0L));
        w[kSine][j + 1024] = -w[kSine][j + 3072];
        w[kSine][j + 2048] = -w[kSine][j];
    }
    for (int32_t j = 0; j < 1024; ++j) {
        w[kTriangle][j] = static_cast<float>(j / 1024.0);
        w[kTriangle][j + 1024] = 1.0f - w[kTriangle][j];
        w[kTriangle][j + 2048] = -w[kTriangle][j];
        w[kTriangle][j + 3072] = w[kTriangle][j] - 1.0f;
    }
    // -1 and 0, not -1 and +1.
    for (int32_t i = 0; i < kLength; ++i)
        w[kNoise][i] = static_cast<float>(static_cast<int32_t>(noiseGenerator.draw(2)) - 1);

    // The blends are weighed in extended precision and summed left to right.
    // Once built, the fixed waves would only get the same values again.
    for (int32_t i = 0; i < kLength; ++i) {
        for (int32_t wave = builtOnce ? kNoise : 0; wave < kWaves; ++wave) {
            const float* s = w[wave];
            float(*rows)[kLength] = tables[table[wave]];
            rows[0][i] = s[i];
            rows[1][i] = static_cast<float>(0.37L * s[i] + 0.33L * s[(i + 1024) % kLength] +
                                            0.3L * s[(i + 1536) % kLength]);
            rows[2][i] = static_cast<float>(0.37L * s[i] + 0.33L * s[(i + 1280) % kLength] +
                                            0.3L * s[(i + 512) % kLength]);
            for (int32_t section = 0; section < kSections; ++section)
                widened[table[wave]][section][i] = rows[section][i];
        }
    }
    currentSlot.store(slot);
    if (builtOnce) return;
    builtOnce = true;

    const double r = 1.059463094359;
    double x = 6.875;
    for (int k = 0; k < 3; ++k) x = x * r;
    for (int32_t n = 0; n < 128; ++n) {
        noteFrequencies[n] = static_cast<float>(x);
        x = x * r;
    }
}

}  // namespace tamrik
