// One running instance of the plug-in, driven as a DAW drives it offline:
// effOpen, sample rate, block size, program, then effMainsChanged 1; per
// block the block's events and processReplacing; at the end effMainsChanged
// 0 and effClose. It answers the plug-in's calls as an offline host.
// Everything goes through the plug-in record; no engine class is seen.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hosting/EventBlock.h"
#include "hosting/Vst2Instance.h"
#include "hosting/Vst2Library.h"

namespace tamrik::render {

using hosting::EventBlock;
// The tool's name for the VST 2 library it drives.
using PluginLibrary = hosting::Vst2Library;

class OfflineInstance : public hosting::Vst2Instance {
public:
    // Opens the instance at program `program` with every derived value
    // computed for `sampleRate`; it is not yet processing (see start).
    // Throws ToolError for a plug-in that cannot process replacing.
    OfflineInstance(const PluginLibrary& library, uint32_t sampleRate, int blockSize, int program);
    ~OfflineInstance() override;

    // effMainsChanged 1: from here on the instance renders.
    void start();
    // Sends the events (if any) and renders `frames` frames into the
    // outputs, which are valid until the next call.
    void process(EventBlock& events, int frames);
    const float* output(int channel) const { return outputs[static_cast<size_t>(channel)].data(); }
    int outputCount() const { return static_cast<int>(outputs.size()); }

private:
    // audioMasterVersion answers 2400; rate and block size as opened.
    intptr_t hostRequest(vst::AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                         float opt) override;

    uint32_t sampleRate;
    int blockSize;
    bool started = false;
    std::vector<std::vector<float>> outputs;
    std::vector<float*> outputPointers;
};

}  // namespace tamrik::render
