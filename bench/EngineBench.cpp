// What the audio thread pays: per voice-sample with all 17 voices sounding
// (heaviest and lightest filter), and an idle instance per 64-frame block.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "common/FloatingPointGuard.h"
#include "synth/DrumVoices.h"

using namespace tamrik;

namespace {

// The engine as the instrument runs it: the outputs cleared, then rendered
// under the floating-point guard.
struct Fixture {
    SynthParameters params;
    DrumVoices engine{params};
    std::vector<float> left = std::vector<float>(64), right = std::vector<float>(64);

    Fixture() { engine.initEngine(); }

    void setParameter(int32_t index, float value) { params.set(index, value, 44100.0f); }

    void allVoices() {
        for (int32_t i = 0; i < DrumVoices::kVoices; ++i) engine.playNote(36 + 3 * i, 100, 0);
    }

    void block() {
        std::fill(left.begin(), left.end(), 0.0f);
        std::fill(right.begin(), right.end(), 0.0f);
        const FloatingPointGuard fp;
        engine.render(left.data(), right.data(), 64);
    }
};

void sounding(benchmark::State& state, float weight) {
    Fixture f;
    const std::pair<int32_t, float> settings[] = {
        {kA, 0.0f},  {kH, 1.0f},    {kR, 1.0f},      {kWeight, weight}, {kFM, 1.0f},
        {kRing, 1.0f}, {kClip, 0.5f}, {kMulti, 1.0f}, {kWave1, 0.25f},   {kWave2, 0.5f}};
    for (auto [i, v] : settings) f.setParameter(i, v);
    int64_t blocks = 0;
    for (auto _ : state) {
        if (blocks++ % 512 == 0) f.allVoices();  // voices never run out
        f.block();
        benchmark::DoNotOptimize(f.left.data());
    }
    state.counters["ns_per_voice_sample"] = benchmark::Counter(
        static_cast<double>(blocks) * 64 * DrumVoices::kVoices,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
    state.counters["realtime_x"] = benchmark::Counter(static_cast<double>(blocks) * 64 / 44100.0,
                                                      benchmark::Counter::kIsRate);
}

void SeventeenVoicesHeavy(benchmark::State& state) { sounding(state, 1.0f); }
void SeventeenVoicesLight(benchmark::State& state) { sounding(state, 0.0f); }

void IdleInstanceBlock(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        f.block();
        benchmark::DoNotOptimize(f.left.data());
    }
}

}  // namespace

BENCHMARK(SeventeenVoicesHeavy);
BENCHMARK(SeventeenVoicesLight);
BENCHMARK(IdleInstanceBlock);
