#include "HostHarness.h"

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <map>

#include "LoadedLibrary.h"

namespace tamrik::test {

namespace {

std::mutex registryMutex;
std::map<vst::AEffect*, HostHarness*> registry;
thread_local HostHarness* constructing = nullptr;

}  // namespace

PluginEntry pluginEntry(const char* symbol) {
    return reinterpret_cast<PluginEntry>(LoadedLibrary<hosting::SharedLibrary>(TAMRIK_PLUGIN_PATH).symbol(symbol));
}

HostHarness::HostHarness(const char* entrySymbol, intptr_t versionAnswer)
    : versionAnswer_(versionAnswer) {
    PluginEntry entry = pluginEntry(entrySymbol);
    if (!entry) return;
    constructing = this;
    effect_ = entry(&HostHarness::callback);
    constructing = nullptr;
    if (effect_) {
        const std::lock_guard<std::mutex> lock(registryMutex);
        registry[effect_] = this;
    }
}

HostHarness::~HostHarness() {
    if (effect_) close();
}

intptr_t HostHarness::close() {
    vst::AEffect* e = effect_;
    const intptr_t result = e->dispatcher(e, vst::effClose, 0, 0, nullptr, 0.0f);
    const std::lock_guard<std::mutex> lock(registryMutex);
    registry.erase(e);
    effect_ = nullptr;
    return result;
}

intptr_t VST_CDECL HostHarness::callback(vst::AEffect* effect, int32_t opcode, int32_t index,
                                         intptr_t value, void* ptr, float opt) {
    HostHarness* host = constructing;
    if (effect) {
        const std::lock_guard<std::mutex> lock(registryMutex);
        auto it = registry.find(effect);
        if (it != registry.end()) host = it->second;
    }
    if (!host) return 0;
    return host->onRequest({effect, opcode, index, value, ptr, opt});
}

intptr_t HostHarness::onRequest(const HostRequest& request) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
    }
    if (answer) return answer(request);
    return request.opcode == vst::audioMasterVersion ? versionAnswer_ : 0;
}

intptr_t HostHarness::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                               float opt) {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void HostHarness::setParameter(int32_t index, float value) {
    effect_->setParameter(effect_, index, value);
}

float HostHarness::getParameter(int32_t index) { return effect_->getParameter(effect_, index); }

void HostHarness::processReplacing(float* left, float* right, int32_t frames) {
    float* outputs[2] = {left, right};
    effect_->processReplacing(effect_, nullptr, outputs, frames);
}

void HostHarness::process(float* left, float* right, int32_t frames) {
    float* outputs[2] = {left, right};
    effect_->process(effect_, nullptr, outputs, frames);
}

intptr_t HostHarness::sendMidi(uint8_t status, uint8_t data1, uint8_t data2, int32_t deltaFrames) {
    return sendEvents({midi(status, data1, data2, deltaFrames)});
}

intptr_t HostHarness::sendEvents(const std::vector<vst::VstMidiEvent>& events) {
    EventBlock block(events);
    return dispatch(vst::effProcessEvents, 0, 0, block.build());
}

std::vector<float> HostHarness::render(int32_t frames, int32_t block) {
    std::vector<float> left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames));
    for (int32_t start = 0; start < frames; start += block) {
        const int32_t n = std::min(block, frames - start);
        processReplacing(left.data() + start, right.data() + start, n);
    }
    return left;
}

std::vector<HostRequest> HostHarness::requests() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

std::vector<HostRequest> HostHarness::requests(int32_t opcode) const {
    std::vector<HostRequest> out;
    for (const HostRequest& r : requests())
        if (r.opcode == opcode) out.push_back(r);
    return out;
}

void HostHarness::clearRequests() {
    const std::lock_guard<std::mutex> lock(mutex_);
    requests_.clear();
}

}  // namespace tamrik::test
