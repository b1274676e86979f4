#include "PluginInstance.h"

#include <algorithm>
#include <cmath>

#include "LoadedLibrary.h"

namespace tamrik::test {

namespace {

intptr_t VST_CDECL host(vst::AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == vst::audioMasterVersion ? 2400 : 0;
}

}  // namespace

PluginInstance::PluginInstance(const std::string& libraryPath)
    : effect_(LoadedLibrary<hosting::Vst2Library>(libraryPath).instantiate(&host)) {
    dispatch(vst::effOpen);
    dispatch(vst::effSetSampleRate, 0, 0, nullptr, 44100.0f);
    dispatch(vst::effMainsChanged, 0, 1);
}

PluginInstance::~PluginInstance() { dispatch(vst::effClose); }

intptr_t PluginInstance::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void PluginInstance::setParameter(int32_t index, float value) { effect_->setParameter(effect_, index, value); }

float PluginInstance::getParameter(int32_t index) { return effect_->getParameter(effect_, index); }

void PluginInstance::note(uint8_t key, uint8_t velocity, int32_t deltaFrames, uint8_t channel) {
    events_.clear();
    events_.add(hosting::midiEvent(uint8_t(0x90 | channel), key, velocity, deltaFrames));
    dispatch(vst::effProcessEvents, 0, 0, events_.build());
}

std::vector<std::vector<float>> PluginInstance::render(int32_t frames, int32_t block) {
    std::vector<std::vector<float>> out(size_t(effect_->numOutputs), std::vector<float>(size_t(frames)));
    std::vector<float*> pointers(out.size());
    for (int32_t at = 0; at < frames; at += block) {
        for (size_t c = 0; c < out.size(); ++c) pointers[c] = out[c].data() + at;
        effect_->processReplacing(effect_, nullptr, pointers.data(), std::min(block, frames - at));
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
