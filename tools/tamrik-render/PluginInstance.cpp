// The host side of one instance. The record's resvd1 field, which VST 2
// reserves for the host, points back to the instance so that the host
// callback can answer the sample rate and block size it was opened with.
#include "PluginInstance.h"

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

vst::AEffect* replacingInstance(const PluginLibrary& library, vst::audioMasterCallback host) {
    vst::AEffect* effect = library.instantiate(host);
    if (effect->processReplacing == nullptr) {
        effect->dispatcher(effect, vst::effClose, 0, 0, nullptr, 0.0f);
        throw ToolError(library.path() + ": expected a plug-in that can process replacing");
    }
    return effect;
}

}  // namespace

PluginInstance::PluginInstance(const PluginLibrary& library, uint32_t rate, int frames, int program)
    : effect(replacingInstance(library, &PluginInstance::hostCallback)), sampleRate(rate),
      blockSize(frames) {
    effect->resvd1 = reinterpret_cast<intptr_t>(this);
    dispatch(vst::effOpen);
    dispatch(vst::effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    dispatch(vst::effSetBlockSize, 0, frames);
    // Selecting the program, even program 0 again, recomputes every value that
    // depends on the sample rate.
    dispatch(vst::effSetProgram, 0, program);
    outputs.assign(static_cast<size_t>(std::max(effect->numOutputs, 2)),
                   std::vector<float>(static_cast<size_t>(frames)));
    for (std::vector<float>& channel : outputs) outputPointers.push_back(channel.data());
}

PluginInstance::~PluginInstance() {
    if (started) dispatch(vst::effMainsChanged, 0, 0);
    dispatch(vst::effClose);
}

std::vector<std::string> PluginInstance::parameterNames() const {
    std::vector<std::string> names;
    for (int32_t index = 0; index < effect->numParams; ++index) {
        // Names are 8 bytes by the format; room to spare guards against a
        // plug-in that writes past that.
        char name[64] = {};
        dispatch(vst::effGetParamName, index, 0, name);
        name[sizeof name - 1] = '\0';
        names.emplace_back(name);
    }
    return names;
}

float PluginInstance::parameter(int32_t index) const {
    return effect->getParameter(effect, index);
}

void PluginInstance::setParameter(int32_t index, float value) {
    effect->setParameter(effect, index, value);
}

void PluginInstance::start() {
    dispatch(vst::effMainsChanged, 0, 1);
    started = true;
}

void PluginInstance::process(EventBlock& events, int frames) {
    if (!events.empty()) dispatch(vst::effProcessEvents, 0, 0, events.build());
    effect->processReplacing(effect, nullptr, outputPointers.data(), frames);
}

intptr_t PluginInstance::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                  float opt) const {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

intptr_t PluginInstance::hostCallback(vst::AEffect* effect, int32_t opcode, int32_t /*index*/,
                                      intptr_t /*value*/, void* ptr, float /*opt*/) {
    // Before the entry returns, the record has no host pointer yet.
    const auto* self =
        effect != nullptr ? reinterpret_cast<const PluginInstance*>(effect->resvd1) : nullptr;
    switch (opcode) {
        case vst::audioMasterVersion: return kHostVstVersion;
        case vst::audioMasterWantMidi: return 1;
        case vst::audioMasterGetSampleRate: return self ? self->sampleRate : 0;
        case vst::audioMasterGetBlockSize: return self ? self->blockSize : 0;
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
