#include "PluginInstance.h"

#include <algorithm>
#include <cmath>

#include "LoadedLibrary.h"

namespace tamrik::test {

PluginInstance::PluginInstance(const std::string& libraryPath) {
    open(LoadedLibrary<hosting::Vst2Library>(libraryPath));
    dispatch(vst::effOpen);
    dispatch(vst::effSetSampleRate, 0, 0, nullptr, 44100.0f);
    dispatch(vst::effMainsChanged, 0, 1);
}

void PluginInstance::note(uint8_t key, uint8_t velocity, int32_t deltaFrames, uint8_t channel) {
    events_.clear();
    events_.add(hosting::midiEvent(uint8_t(0x90 | channel), key, velocity, deltaFrames));
    sendEvents(events_);
}

std::vector<std::vector<float>> PluginInstance::render(int32_t frames, int32_t block) {
    std::vector<std::vector<float>> out(size_t(effect()->numOutputs), std::vector<float>(size_t(frames)));
    std::vector<float*> pointers(out.size());
    for (int32_t at = 0; at < frames; at += block) {
        for (size_t c = 0; c < out.size(); ++c) pointers[c] = out[c].data() + at;
        processReplacing(pointers.data(), std::min(block, frames - at));
    }
    return out;
}

double PluginInstance::loudness(int32_t frames) {
    double sum = 0.0;
    for (const auto& channel : render(frames, frames))
        for (float v : channel) sum += std::abs(double(v));
    return sum;
}

}  // namespace tamrik::test
