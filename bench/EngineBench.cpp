// What the audio thread pays: per voice-sample with all 17 voices sounding
// (heaviest and lightest filter), and an idle instance per 64-frame block.
#include <benchmark/benchmark.h>

#include <vector>

#include "synth/AVstXSynth.h"

using namespace tamrik;

namespace {

intptr_t host(vst::AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == vst::audioMasterVersion ? 2400 : 0;
}

struct Fixture {
    AVstXSynth synth{host};
    std::vector<float> left = std::vector<float>(64), right = std::vector<float>(64);
    float* outputs[2] = {left.data(), right.data()};

    void allVoices() {
        std::vector<vst::VstMidiEvent> events(DrumVoices::kVoices);
        std::vector<intptr_t> block(2 + events.size() + 1, 0);
        block[0] = static_cast<intptr_t>(events.size());
        for (size_t i = 0; i < events.size(); ++i) {
            events[i] = {};
            events[i].type = vst::kVstMidiType;
            events[i].midiData[0] = static_cast<char>(0x90);
            events[i].midiData[1] = static_cast<char>(36 + 3 * i);
            events[i].midiData[2] = 100;
            block[2 + i] = reinterpret_cast<intptr_t>(&events[i]);
        }
        synth.processEvents(reinterpret_cast<vst::VstEvents*>(block.data()));
    }
};

void sounding(benchmark::State& state, float weight) {
    Fixture f;
    const std::pair<int32_t, float> settings[] = {
        {kA, 0.0f},  {kH, 1.0f},    {kR, 1.0f},      {kWeight, weight}, {kFM, 1.0f},
        {kRing, 1.0f}, {kClip, 0.5f}, {kMulti, 1.0f}, {kWave1, 0.25f},   {kWave2, 0.5f}};
    for (auto [i, v] : settings) f.synth.setParameter(i, v);
    int64_t blocks = 0;
    for (auto _ : state) {
        if (blocks++ % 512 == 0) f.allVoices();  // voices never run out
        f.synth.processReplacing(nullptr, f.outputs, 64);
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
        f.synth.processReplacing(nullptr, f.outputs, 64);
        benchmark::DoNotOptimize(f.left.data());
    }
}

}  // namespace

BENCHMARK(SeventeenVoicesHeavy);
BENCHMARK(SeventeenVoicesLight);
BENCHMARK(IdleInstanceBlock);
