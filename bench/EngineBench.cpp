// What the audio thread pays: per voice-sample with 1, 4, 8 and all 17 voices
// sounding (heaviest and lightest filter) on every instruction-set path the
// CPU has, side by side in one run, and an idle instance per 64-frame block.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/FloatingPointGuard.h"
#include "synth/DrumTamrikInstrument.h"
#include "vst/AVstXSynth.h"
#include "synth/DrumVoices.h"

using namespace tamrik;

namespace {

// The engine as the instrument runs it: the outputs cleared, then rendered
// under the floating-point guard. The path is picked per instance at
// construction, from TAMRIK_ISA.
struct Fixture {
    SynthParameters params;
    DrumVoices engine{params};
    std::vector<float> left = std::vector<float>(64), right = std::vector<float>(64);

    explicit Fixture(const char* isa) {
        setenv("TAMRIK_ISA", isa, 1);
        engine.initEngine();
        unsetenv("TAMRIK_ISA");
    }

    void setParameter(int32_t index, float value) { params.set(index, value); }

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

// Long notes (A 0, H and R 1), FM and Ring, Clip 0.5 with Multi: every stage
// of a voice does work.
void sounding(benchmark::State& state, const char* isa, float weight, int32_t voices) {
    Fixture f(isa);
    const std::pair<int32_t, float> settings[] = {
        {kA, 0.0f},    {kH, 1.0f},    {kR, 1.0f},     {kWeight, weight}, {kFM, 1.0f},
        {kRing, 1.0f}, {kClip, 0.5f}, {kMulti, 1.0f}, {kWave1, 0.25f},   {kWave2, 0.5f}};
    for (auto [i, v] : settings) f.setParameter(i, v);
    int64_t blocks = 0;
    for (auto _ : state) {
        if (blocks++ % 512 == 0) f.play(voices);  // voices never run out
        f.block();
        benchmark::DoNotOptimize(f.left.data());
    }
    state.counters["ns_per_voice_sample"] = benchmark::Counter(
        static_cast<double>(blocks) * 64 * voices,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
    state.counters["realtime_x"] =
        benchmark::Counter(static_cast<double>(blocks) * 64 / 44100.0, benchmark::Counter::kIsRate);
}

// The instrument's own processReplacing with nothing sounding.
void idleBlock(benchmark::State& state, const char* isa) {
    setenv("TAMRIK_ISA", isa, 1);
    AVstXSynth synth(nullptr, std::make_unique<DrumTamrikInstrument>());
    unsetenv("TAMRIK_ISA");
    std::vector<float> left(64), right(64);
    float* outputs[2] = {left.data(), right.data()};
    for (auto _ : state) {
        synth.processReplacing(nullptr, outputs, 64);
        benchmark::DoNotOptimize(left.data());
    }
}

const bool registered = [] {
    for (const char* isa : {"scalar", "sse2", "avx2", "avx512"}) {
        const std::string tag = std::string("/") + isa;
        for (int32_t voices : {17, 8, 4, 1})
            benchmark::RegisterBenchmark(
                ("Heavy/voices:" + std::to_string(voices) + tag).c_str(),
                [=](benchmark::State& s) { sounding(s, isa, 1.0f, voices); });
        benchmark::RegisterBenchmark(("Light/voices:17" + tag).c_str(),
                                     [=](benchmark::State& s) { sounding(s, isa, 0.0f, 17); });
        benchmark::RegisterBenchmark(("IdleBlock" + tag).c_str(),
                                     [=](benchmark::State& s) { idleBlock(s, isa); });
    }
    return true;
}();

}  // namespace
