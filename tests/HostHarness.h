// A test host: loads the built DrumTamrik.so exactly as a DAW does (through
// the tools' own loader), finds VSTPluginMain (else main), keeps the record, calls the five
// entries through it and records every request the instrument makes of the
// host. Tests of what a host sees go through this, not through C++ calls.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "hosting/EventBlock.h"
#include "hosting/Vst2Instance.h"
#include "vst/AEffect.h"

namespace tamrik::test {

struct HostRequest {
    vst::AEffect* effect;
    int32_t opcode;
    int32_t index;
    intptr_t value;
    void* ptr;
    float opt;
};

using hosting::EventBlock;
using hosting::midiEvent;
using hosting::PluginEntry;

// An entry of the built library, loaded once per process and kept until
// exit; nil when the library exports no such name.
PluginEntry pluginEntry(const char* symbol);

class HostHarness : public hosting::Vst2Instance {
public:
    // Calls the entry; `effect()` is nil when the entry answered nil.
    explicit HostHarness(const char* entrySymbol = "VSTPluginMain", intptr_t versionAnswer = 2400);
    // Closes while the requests are still recorded.
    ~HostHarness() override;

    using Vst2Instance::process;
    using Vst2Instance::processReplacing;
    void processReplacing(float* left, float* right, int32_t frames);
    void process(float* left, float* right, int32_t frames);

    // One MIDI message at deltaFrames through effProcessEvents.
    intptr_t sendMidi(uint8_t status, uint8_t data1, uint8_t data2, int32_t deltaFrames = 0);
    using Vst2Instance::sendEvents;
    intptr_t sendEvents(const std::vector<vst::VstMidiEvent>& events);
    static vst::VstMidiEvent midi(uint8_t status, uint8_t data1, uint8_t data2,
                                  int32_t deltaFrames = 0) {
        return midiEvent(status, data1, data2, deltaFrames);
    }

    // Renders frames samples in blocks of `block`, left channel only
    // (both channels always carry the same signal).
    std::vector<float> render(int32_t frames, int32_t block = 64);

    std::vector<HostRequest> requests() const;
    std::vector<HostRequest> requests(int32_t opcode) const;
    void clearRequests();
    // Answers for host requests; the default answers only audioMasterVersion.
    std::function<intptr_t(const HostRequest&)> answer;

private:
    intptr_t hostRequest(vst::AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                         float opt) override;

    intptr_t versionAnswer_;
    mutable std::mutex mutex_;
    std::vector<HostRequest> requests_;
};

}  // namespace tamrik::test
