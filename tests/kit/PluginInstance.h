// One instance of a built plug-in library, made and driven as a host does
// (through the record's entries only), with every output channel rendered.
// The Kit's host tests load DrumTamrik and DrumTamrik Kit side by side.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hosting/EventBlock.h"
#include "hosting/Vst2Library.h"
#include "vst/AEffect.h"

namespace tamrik::test {

class PluginInstance {
public:
    explicit PluginInstance(const std::string& libraryPath);
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    vst::AEffect* effect() const { return effect_; }
    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    void setParameter(int32_t index, float value);
    float getParameter(int32_t index);
    void note(uint8_t key, uint8_t velocity, int32_t deltaFrames = 0, uint8_t channel = 0);

    // frames samples of every output channel, in blocks of `block`.
    std::vector<std::vector<float>> render(int32_t frames, int32_t block = 64);
    // One block of frames samples: the sum of its magnitudes over every output.
    double loudness(int32_t frames);

private:
    vst::AEffect* effect_ = nullptr;
    hosting::EventBlock events_;
};

}  // namespace tamrik::test
