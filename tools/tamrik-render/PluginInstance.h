// One running instance of the plug-in, driven as a DAW drives it: effOpen,
// sample rate, block size, program, then effMainsChanged 1; per block the
// block's events (effProcessEvents) and processReplacing; at the end
// effMainsChanged 0 and effClose. It also answers the plug-in's calls to the
// host. Everything goes through the plug-in record; no engine class is seen.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hosting/EventBlock.h"
#include "hosting/Vst2Library.h"

namespace tamrik::render {

using hosting::EventBlock;
// The tool's name for the VST 2 library it drives.
using PluginLibrary = hosting::Vst2Library;

class PluginInstance {
public:
    // Opens the instance at program `program` with every derived value
    // computed for `sampleRate`; it is not yet processing (see start).
    // Throws ToolError for a plug-in that cannot process replacing.
    PluginInstance(const PluginLibrary& library, uint32_t sampleRate, int blockSize, int program);
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    // By index, as the plug-in names them (effGetParamName).
    std::vector<std::string> parameterNames() const;
    float parameter(int32_t index) const;
    void setParameter(int32_t index, float value);

    // effMainsChanged 1: from here on the instance renders.
    void start();
    // Sends the events (if any) and renders `frames` frames into the first two
    // outputs, which are valid until the next call.
    void process(EventBlock& events, int frames);
    const float* output(int channel) const { return outputs[static_cast<size_t>(channel)].data(); }
    int outputCount() const { return static_cast<int>(outputs.size()); }

    // The plug-in's calls to the host. audioMasterVersion answers 2400.
    static intptr_t hostCallback(vst::AEffect* effect, int32_t opcode, int32_t index,
                                 intptr_t value, void* ptr, float opt);

private:
    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0,
                      void* ptr = nullptr, float opt = 0.0f) const;

    vst::AEffect* effect;
    uint32_t sampleRate;
    int blockSize;
    bool started = false;
    std::vector<std::vector<float>> outputs;
    std::vector<float*> outputPointers;
};

}  // namespace tamrik::render
