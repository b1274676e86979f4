#include "OfflineInstance.h"

#include <algorithm>
#include <cstring>

#include "common/StringCopy.h"
#include "ToolError.h"

namespace tamrik::render {

namespace {

constexpr intptr_t kHostVstVersion = 2400;
constexpr intptr_t kProcessLevelOffline = 4;
constexpr intptr_t kLanguageEnglish = 1;

// Vendor and product buffers hold 64 bytes.
void copyHostString(void* destination, const char* text) {
    copyString(static_cast<char*>(destination), text, vst::kVstMaxVendorStrLen);
}

}  // namespace

OfflineInstance::OfflineInstance(const PluginLibrary& library, uint32_t rate, int frames, int program)
    : sampleRate(rate), blockSize(frames) {
    open(library);
    if (effect()->processReplacing == nullptr) {
        close();
        throw ToolError(library.path() + ": expected a plug-in that can process replacing");
    }
    dispatch(vst::effOpen);
    dispatch(vst::effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    dispatch(vst::effSetBlockSize, 0, frames);
    // Selecting the program, even program 0 again, recomputes every value that
    // depends on the sample rate.
    dispatch(vst::effSetProgram, 0, program);
    outputs.assign(static_cast<size_t>(std::max(effect()->numOutputs, 2)),
                   std::vector<float>(static_cast<size_t>(frames)));
    for (std::vector<float>& channel : outputs) outputPointers.push_back(channel.data());
}

OfflineInstance::~OfflineInstance() {
    if (started) dispatch(vst::effMainsChanged, 0, 0);
    close();
}

void OfflineInstance::start() {
    dispatch(vst::effMainsChanged, 0, 1);
    started = true;
}

void OfflineInstance::process(EventBlock& events, int frames) {
    if (!events.empty()) sendEvents(events);
    processReplacing(outputPointers.data(), frames);
}

intptr_t OfflineInstance::hostRequest(vst::AEffect*, int32_t opcode, int32_t, intptr_t, void* ptr, float) {
    switch (opcode) {
        case vst::audioMasterVersion: return kHostVstVersion;
        case vst::audioMasterWantMidi: return 1;
        case vst::audioMasterGetSampleRate: return sampleRate;
        case vst::audioMasterGetBlockSize: return blockSize;
        case vst::audioMasterGetCurrentProcessLevel: return kProcessLevelOffline;
        case vst::audioMasterGetLanguage: return kLanguageEnglish;
        case vst::audioMasterGetVendorVersion: return 1;
        case vst::audioMasterGetVendorString:
            copyHostString(ptr, "DrumTamrik");
            return 1;
        case vst::audioMasterGetProductString:
            copyHostString(ptr, "tamrik-render");
            return 1;
        case vst::audioMasterCanDo: {
            const char* what = static_cast<const char*>(ptr);
            return what != nullptr && (std::strcmp(what, "sendVstEvents") == 0 ||
                                       std::strcmp(what, "sendVstMidiEvent") == 0 ||
                                       std::strcmp(what, "offline") == 0)
                       ? 1
                       : 0;
        }
        default:
            // Automation reports, idle calls, time info (none: we have no transport)
            // and every other request need nothing from an offline renderer.
            return 0;
    }
}

}  // namespace tamrik::render
