// Fuzz target "engine_paths": a fuzzed parameter set and stream of event
// blocks, parameter changes and audio calls, played on two instances: one on
// the widest instruction-set path the CPU has, as the plug-in runs, and one
// forced onto the one-voice code. After every audio call both outputs and
// every voice's state must agree bit for bit (NaNs count as one value, see
// SameBits.h).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "FuzzInput.h"
#include "hosting/EventBlock.h"
#include "synth/DrumTamrikInstrument.h"
#include "vst/AVstXSynth.h"
#include "tests/synth/SameBits.h"

using tamrik::AVstXSynth;
using tamrik::DrumTamrikInstrument;
using tamrik::DrumVoices;
using tamrik::fuzz::FuzzInput;
using tamrik::test::sameBits;

namespace {

constexpr int32_t kMaxFrames = 4096;
constexpr uint32_t kMaxEvents = 40;
constexpr int32_t kMaxSteps = 48;

[[noreturn]] void fail(const char* what, int32_t step) {
    std::fprintf(stderr, "engine_paths: %s (step %d)\n", what, static_cast<int>(step));
    std::abort();
}

intptr_t hostCallback(vst::AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == vst::audioMasterVersion ? 2400 : 0;
}

const tamrik::DrumVoices& voices(AVstXSynth& synth) {
    return static_cast<const DrumTamrikInstrument&>(synth.instrument()).voices();
}

std::unique_ptr<AVstXSynth> instance(tamrik::InstructionSet path) {
    return std::make_unique<AVstXSynth>(hostCallback, std::make_unique<DrumTamrikInstrument>(path));
}

// Mostly within 0..1 and a little beyond; sometimes any float at all.
float parameterValue(FuzzInput& in) {
    if (in.below(8) == 0) return in.take<float>();
    return static_cast<float>(in.below(2401)) / 2000.0f - 0.1f;
}

// Note-ons on any channel, controller 126 and other messages, anywhere in
// and beyond the block; bursts of one note retrigger voice after voice.
void addEvents(FuzzInput& in, tamrik::hosting::EventBlock& block) {
    const uint32_t count = in.below(kMaxEvents + 1);
    for (uint32_t k = 0; k < count; ++k) {
        const uint8_t kind = in.byte();
        uint8_t bytes[3] = {static_cast<uint8_t>(0x90 | (kind & 0x0F)), in.byte(), in.byte()};
        if (kind >= 0xE0)
            bytes[0] = static_cast<uint8_t>(0xB0 | (kind & 0x0F)), bytes[1] = 126;
        else if (kind >= 0xD0)
            bytes[0] = in.byte();
        const int32_t delta = static_cast<int32_t>(in.below(kMaxFrames + 200)) - 100;
        block.addMidi(delta, bytes, sizeof bytes);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    std::unique_ptr<AVstXSynth> synths[2] = {instance(tamrik::bestInstructionSet()),
                                             instance(tamrik::InstructionSet::scalar)};
    const float rate = in.below(4) == 0 ? 8000.0f * static_cast<float>(1 + in.below(48)) : 44100.0f;
    for (auto& s : synths) s->setSampleRate(rate);
    for (int32_t p = 0; p < tamrik::kNumParameters; ++p) {
        const float v = parameterValue(in);
        for (auto& s : synths) s->setParameter(p, v);
    }

    tamrik::hosting::EventBlock block;
    std::vector<float> out[2][2];
    for (int32_t step = 0; step < kMaxSteps && !in.empty(); ++step) {
        switch (in.below(4)) {
            case 0: {
                block.clear();
                addEvents(in, block);
                for (auto& s : synths) s->processEvents(block.build());
                break;
            }
            case 1: {
                const int32_t p = static_cast<int32_t>(in.below(tamrik::kNumParameters));
                const float v = parameterValue(in);
                for (auto& s : synths) s->setParameter(p, v);
                break;
            }
            default: {
                const int32_t frames = static_cast<int32_t>(in.below(kMaxFrames + 1));
                const bool replacing = in.below(2) == 0;
                const float before = static_cast<float>(static_cast<int8_t>(in.byte())) / 16.0f;
                for (int32_t k = 0; k < 2; ++k) {
                    for (auto& channel : out[k]) channel.assign(static_cast<size_t>(frames), before);
                    float* outputs[2] = {out[k][0].data(), out[k][1].data()};
                    if (replacing)
                        synths[k]->processReplacing(nullptr, outputs, frames);
                    else
                        synths[k]->process(nullptr, outputs, frames);
                }
                for (int32_t c = 0; c < 2; ++c)
                    if (!sameBits(out[0][c].data(), out[1][c].data(), out[0][c].size()))
                        fail("the paths' outputs differ", step);
                for (int32_t v = 0; v < DrumVoices::kVoices; ++v)
                    if (!sameBits(voices(*synths[0]).voice(v), voices(*synths[1]).voice(v)))
                        fail("the paths' voices differ", step);
                break;
            }
        }
    }
    return 0;
}
