// What DrumTamrik Kit costs the audio thread: a kit with nothing sounding per
// 64-frame block, and 16 voices sounding on 1, 4 and 16 pads next to
// DrumTamrik's 16 voices, per voice-sample, in one run (the widest path the
// CPU has; TAMRIK_ISA forces another).
#include <benchmark/benchmark.h>

#include <array>
#include <vector>

#include "kit/FactoryKits.h"
#include "kit/KitInstrument.h"
#include "synth/DrumTamrikInstrument.h"

using namespace tamrik;
using namespace tamrik::kit;

namespace {

constexpr int32_t kFrames = 64;
constexpr int32_t kVoices = 16;

// Long notes, FM and Ring, Clip 0.5 with Multi, the heavy filter: every
// stage of a voice does work (as the engine benchmark's heavy case).
constexpr std::pair<int32_t, float> kBusySound[] = {
    {kA, 0.0f},    {kH, 1.0f},    {kR, 1.0f},     {kWeight, 1.0f}, {kFM, 1.0f},
    {kRing, 1.0f}, {kClip, 0.5f}, {kMulti, 1.0f}, {kWave1, 0.25f}, {kWave2, 0.5f}};

struct Outputs {
    std::array<std::vector<float>, kOutputChannels> channel;
    std::array<float*, kOutputChannels> pointers;
    Outputs() {
        for (int32_t c = 0; c < kOutputChannels; ++c) {
            channel[size_t(c)].assign(kFrames, 0.0f);
            pointers[size_t(c)] = channel[size_t(c)].data();
        }
    }
    void clear() {
        for (auto& c : channel) std::fill(c.begin(), c.end(), 0.0f);
    }
};

void perVoiceSample(benchmark::State& state, int64_t blocks) {
    state.counters["ns_per_voice_sample"] = benchmark::Counter(
        static_cast<double>(blocks) * kFrames * kVoices,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}

void note(Instrument& in, int32_t key) {
    const uint8_t bytes[3] = {0x90, uint8_t(key), 100};
    in.receiveMidi(bytes, 3, 0);
}

// Exactly 16 voices from here on: what still sounds stops first (a pad's
// earlier note would otherwise ring on beside the new one, where
// DrumTamrik's 17 voices in rotation take it over).
void replay(Instrument& in, int32_t pads) {
    const uint8_t silence[3] = {0xB0, 126, 0};
    in.receiveMidi(silence, 3, 0);
    for (int32_t v = 0; v < kVoices; ++v)
        note(in, pads == 0 ? 36 + 3 * v : kDefaultKeys[size_t(v % pads)]);
}

void drumTamrik(benchmark::State& state) {
    DrumTamrikInstrument drum;
    for (auto [i, v] : kBusySound) drum.setParameter(i, v);
    Outputs out;
    int64_t blocks = 0;
    for (auto _ : state) {
        if (blocks++ % 512 == 0) replay(drum, 0);
        out.clear();
        drum.render(out.pointers.data(), kFrames);
        benchmark::DoNotOptimize(out.pointers[0]);
    }
    perVoiceSample(state, blocks);
}

// 16 voices spread over `pads` pads: each pad on its own key, with the
// same sound (the lanes of a group then carry equal values, which costs
// them nothing: each lane still reads its own).
void kitVoices(benchmark::State& state, int32_t pads) {
    KitInstrument kit;
    for (int32_t p = 0; p < kPads; ++p) {
        for (auto [i, v] : kBusySound) kit.setParameter(padIndex(p, i), v);
        // No chokes: the hats would cut each other short.
        kit.setParameter(padIndex(p, kSoundParameters + kChoke), 0.0f);
    }
    Outputs out;
    int64_t blocks = 0;
    for (auto _ : state) {
        if (blocks++ % 512 == 0) replay(kit, pads);
        out.clear();
        kit.render(out.pointers.data(), kFrames);
        benchmark::DoNotOptimize(out.pointers[0]);
    }
    perVoiceSample(state, blocks);
}

void idleKit(benchmark::State& state) {
    KitInstrument kit;
    Outputs out;
    for (auto _ : state) {
        kit.render(out.pointers.data(), kFrames);
        benchmark::DoNotOptimize(out.pointers[0]);
    }
}

BENCHMARK(drumTamrik)->Name("DrumTamrik/voices:16");
BENCHMARK_CAPTURE(kitVoices, 1, 1)->Name("Kit/voices:16/pads:1");
BENCHMARK_CAPTURE(kitVoices, 4, 4)->Name("Kit/voices:16/pads:4");
BENCHMARK_CAPTURE(kitVoices, 16, 16)->Name("Kit/voices:16/pads:16");
BENCHMARK(idleKit)->Name("Kit/IdleBlock");

}  // namespace
