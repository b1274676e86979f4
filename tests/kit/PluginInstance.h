// One instance of a built plug-in library, made and driven as a host does
// (through the record's entries only), with every output channel rendered.
// The Kit's host tests load DrumTamrik and DrumTamrik Kit side by side.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hosting/EventBlock.h"
#include "hosting/Vst2Instance.h"

namespace tamrik::test {

class PluginInstance : public hosting::Vst2Instance {
public:
    // Open at 44.1 kHz and resumed.
    explicit PluginInstance(const std::string& libraryPath);

    void note(uint8_t key, uint8_t velocity, int32_t deltaFrames = 0, uint8_t channel = 0);

    // frames samples of every output channel, in blocks of `block`.
    std::vector<std::vector<float>> render(int32_t frames, int32_t block = 64);
    // One block of frames samples: the sum of its magnitudes over every output.
    double loudness(int32_t frames);

private:
    hosting::EventBlock events_;
};

}  // namespace tamrik::test
