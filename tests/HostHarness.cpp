#include "HostHarness.h"

#include <algorithm>

#include "LoadedLibrary.h"

namespace tamrik::test {

PluginEntry pluginEntry(const char* symbol) {
    return reinterpret_cast<PluginEntry>(LoadedLibrary<hosting::SharedLibrary>(TAMRIK_PLUGIN_PATH).symbol(symbol));
}

HostHarness::HostHarness(const char* entrySymbol, intptr_t versionAnswer) : versionAnswer_(versionAnswer) {
    if (PluginEntry entry = pluginEntry(entrySymbol)) open(entry);
}

HostHarness::~HostHarness() {
    if (isOpen()) close();
}

intptr_t HostHarness::hostRequest(vst::AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                  float opt) {
    const HostRequest request{effect, opcode, index, value, ptr, opt};
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
    }
    if (answer) return answer(request);
    return opcode == vst::audioMasterVersion ? versionAnswer_ : 0;
}

void HostHarness::processReplacing(float* left, float* right, int32_t frames) {
    float* outputs[2] = {left, right};
    processReplacing(outputs, frames);
}

void HostHarness::process(float* left, float* right, int32_t frames) {
    float* outputs[2] = {left, right};
    process(outputs, frames);
}

intptr_t HostHarness::sendMidi(uint8_t status, uint8_t data1, uint8_t data2, int32_t deltaFrames) {
    return sendEvents({midi(status, data1, data2, deltaFrames)});
}

intptr_t HostHarness::sendEvents(const std::vector<vst::VstMidiEvent>& events) {
    EventBlock block(events);
    return sendEvents(block);
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
