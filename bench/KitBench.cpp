// What DrumTamrik Kit costs the audio thread: 16 voices sounding on 1, 4 and
// 16 pads next to DrumTamrik's 16 voices, per voice-sample, and a kit with
// nothing sounding per 64-frame block through processReplacing, in one run
// (the widest path the CPU has; TAMRIK_ISA forces another).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "bench/KitWorkload.h"
#include "vst/AVstXSynth.h"

using namespace tamrik;

namespace {

const InstructionSet kPath = instructionSetNamed(std::getenv("TAMRIK_ISA"), bestInstructionSet());

void sounding(benchmark::State& state, int32_t pads) {
    bench::KitWorkload w(pads, kPath);
    for (auto _ : state) {
        w.block();
        benchmark::DoNotOptimize(w.pointers[0]);
    }
    state.counters["ns_per_voice_sample"] = benchmark::Counter(
        static_cast<double>(w.blocks) * bench::KitWorkload::kFrames * bench::KitWorkload::kVoices,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}

void idleKit(benchmark::State& state) {
    AVstXSynth synth(nullptr, std::make_unique<kit::KitInstrument>(kPath));
    std::vector<std::vector<float>> channels(kit::kOutputChannels, std::vector<float>(64));
    float* outputs[kit::kOutputChannels];
    for (int32_t c = 0; c < kit::kOutputChannels; ++c) outputs[c] = channels[size_t(c)].data();
    for (auto _ : state) {
        synth.processReplacing(nullptr, outputs, 64);
        benchmark::DoNotOptimize(outputs[0]);
    }
}

BENCHMARK_CAPTURE(sounding, drum, 0)->Name("DrumTamrik/voices:16");
BENCHMARK_CAPTURE(sounding, 1, 1)->Name("Kit/voices:16/pads:1");
BENCHMARK_CAPTURE(sounding, 4, 4)->Name("Kit/voices:16/pads:4");
BENCHMARK_CAPTURE(sounding, 16, 16)->Name("Kit/voices:16/pads:16");
BENCHMARK(idleKit)->Name("Kit/IdleBlock");

}  // namespace
