// Fuzz target "block_runner": the block runner every binding plays its
// host's blocks through, on the Kit (18 channels), with whatever a host may
// send: blocks of any length (0 included), events of every kind at any
// frame and in any order, keys, channels and parameter indices out of
// range, raw MIDI of any length, and output buffers missing, shared between
// channels or handed anew. Each channel's buffer ends at a guard page, so a
// write one sample past the block faults.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "FuzzInput.h"
#include "GuardedBuffer.h"
#include "binding/BlockRunner.h"
#include "kit/KitInstrument.h"

using tamrik::binding::BlockRunner;
using tamrik::fuzz::FuzzInput;
using tamrik::fuzz::GuardedBuffer;

namespace {

constexpr uint32_t kMaxFrames = 1024;
constexpr int32_t kChannels = tamrik::kit::kOutputChannels;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto* const kit = new tamrik::kit::KitInstrument;  // one draw of noise for the whole run
    static std::vector<std::unique_ptr<GuardedBuffer>> buffers = [] {
        std::vector<std::unique_ptr<GuardedBuffer>> b;
        for (int32_t c = 0; c < kChannels; ++c) b.push_back(std::make_unique<GuardedBuffer>(kMaxFrames * sizeof(float)));
        return b;
    }();
    FuzzInput in(data, size);
    BlockRunner runner(*kit);
    kit->allSoundOff();
    for (int block = 0; block < 6 && !in.empty(); ++block) {
        const uint32_t frames = in.below(kMaxFrames + 1);
        const uint32_t events = in.below(48);
        for (uint32_t e = 0; e < events; ++e) {
            const uint32_t frame = in.byte() & 1 ? in.take<uint32_t>() : in.below(frames + 8);
            switch (in.below(4)) {
                case 0: runner.noteOn(frame, int32_t(in.byte()) - 8, int32_t(in.byte()) - 64, int32_t(in.take<int16_t>())); break;
                case 1: runner.choke(frame, int32_t(in.byte()) - 2, int32_t(in.byte()) % 20 - 2); break;
                case 2: {
                    const auto bytes = in.bytes(in.below(6));
                    runner.midi(frame, bytes.data(), bytes.size());
                    break;
                }
                default: {
                    float value = 0.0f;
                    const uint32_t bits = in.take<uint32_t>();
                    std::memcpy(&value, &bits, sizeof value);
                    runner.parameter(frame, int32_t(in.below(kit->parameterCount() + 40)) - 20, in.byte() & 1 ? value : float(bits % 1001) / 1000.0f);
                    break;
                }
            }
        }
        float* outputs[kChannels];
        const uint8_t layout = in.byte();
        for (int32_t c = 0; c < kChannels; ++c) {
            outputs[c] = static_cast<float*>(buffers[size_t(c)]->last(frames * sizeof(float)));
            if (layout & 1 && c > 0 && in.byte() % 4 == 0) outputs[c] = outputs[c - 1];  // shared
            if (layout & 2 && in.byte() % 8 == 0) outputs[c] = nullptr;               // missing
        }
        runner.run(layout & 4 ? nullptr : outputs, frames,
                   layout & 8 ? BlockRunner::Outputs::Add : BlockRunner::Outputs::Replace);
    }
    return 0;
}
