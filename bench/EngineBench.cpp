// What the audio thread pays: per voice-sample with 1, 4, 8, 16 and all 17 voices
// sounding (heaviest and lightest filter) on every instruction-set path the
// CPU has, side by side in one run, and an idle instance per 64-frame block.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bench/EngineWorkload.h"
#include "synth/DrumTamrikInstrument.h"
#include "vst/AVstXSynth.h"

using namespace tamrik;

namespace {

// Every path of the shared workload, 17, 8, 4 or 1 notes held.
void sounding(benchmark::State& state, InstructionSet isa, float weight, int32_t voices) {
    bench::Workload w(isa, weight);
    int64_t blocks = 0;
    for (auto _ : state) {
        if (blocks++ % bench::kReplayBlocks == 0) w.play(voices);
        w.block();
        benchmark::DoNotOptimize(w.left.data());
    }
    state.counters["ns_per_voice_sample"] = benchmark::Counter(
        static_cast<double>(blocks) * 64 * voices,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
    state.counters["realtime_x"] =
        benchmark::Counter(static_cast<double>(blocks) * 64 / 44100.0, benchmark::Counter::kIsRate);
}

// The instrument's own processReplacing with nothing sounding.
void idleBlock(benchmark::State& state, InstructionSet isa) {
    AVstXSynth synth(nullptr, std::make_unique<DrumTamrikInstrument>(isa));
    std::vector<float> left(64), right(64);
    float* outputs[2] = {left.data(), right.data()};
    for (auto _ : state) {
        synth.processReplacing(nullptr, outputs, 64);
        benchmark::DoNotOptimize(left.data());
    }
}

const bool registered = [] {
    for (InstructionSet isa : kInstructionSets) {
        const std::string tag = std::string("/") + nameOf(isa);
        for (int32_t voices : {17, 16, 8, 4, 1})
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
