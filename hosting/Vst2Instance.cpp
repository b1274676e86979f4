// The plug-in calls one host function for all its instances; a table from
// record to instance finds the one it means. The record's own field for the
// host (resvd1) stays untouched: a plug-in may check that nobody wrote it.
#include "hosting/Vst2Instance.h"

#include <map>
#include <mutex>

namespace tamrik::hosting {

namespace {

std::mutex registryMutex;
std::map<vst::AEffect*, Vst2Instance*>& registry() {
    static auto* instances = new std::map<vst::AEffect*, Vst2Instance*>;
    return *instances;
}
// The instance whose entry is running on this thread.
thread_local Vst2Instance* openingNow = nullptr;

constexpr intptr_t kHostVstVersion = 2400;

}  // namespace

Vst2Instance::Opening::Opening(Vst2Instance* instance) { openingNow = instance; }
Vst2Instance::Opening::~Opening() { openingNow = nullptr; }

Vst2Instance::~Vst2Instance() {
    if (effect_) close();
}

bool Vst2Instance::open(PluginEntry entry) {
    const Opening opening(this);
    return adopt(entry(&Vst2Instance::callback));
}

void Vst2Instance::open(const Vst2Library& library) {
    const Opening opening(this);
    adopt(library.instantiate(&Vst2Instance::callback));
}

bool Vst2Instance::adopt(vst::AEffect* effect) {
    effect_ = effect;
    if (!effect_) return false;
    const std::lock_guard<std::mutex> lock(registryMutex);
    registry()[effect_] = this;
    return true;
}

intptr_t Vst2Instance::close() {
    vst::AEffect* effect = effect_;
    const intptr_t answer = effect->dispatcher(effect, vst::effClose, 0, 0, nullptr, 0.0f);
    const std::lock_guard<std::mutex> lock(registryMutex);
    registry().erase(effect);
    effect_ = nullptr;
    return answer;
}

intptr_t Vst2Instance::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) const {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void Vst2Instance::setParameter(int32_t index, float value) { effect_->setParameter(effect_, index, value); }

float Vst2Instance::getParameter(int32_t index) const { return effect_->getParameter(effect_, index); }

std::vector<std::string> Vst2Instance::parameterNames() const {
    std::vector<std::string> names;
    for (int32_t index = 0; index < effect_->numParams; ++index) {
        // Names are 8 bytes by the format; room to spare guards against a
        // plug-in that writes past that.
        char name[64] = {};
        dispatch(vst::effGetParamName, index, 0, name);
        name[sizeof name - 1] = '\0';
        names.emplace_back(name);
    }
    return names;
}

intptr_t Vst2Instance::sendEvents(EventBlock& events) {
    return dispatch(vst::effProcessEvents, 0, 0, events.build());
}

void Vst2Instance::processReplacing(float** outputs, int32_t frames) {
    effect_->processReplacing(effect_, nullptr, outputs, frames);
}

void Vst2Instance::process(float** outputs, int32_t frames) { effect_->process(effect_, nullptr, outputs, frames); }

intptr_t Vst2Instance::hostRequest(vst::AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == vst::audioMasterVersion ? kHostVstVersion : 0;
}

intptr_t VST_CDECL Vst2Instance::callback(vst::AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                          void* ptr, float opt) {
    Vst2Instance* instance = openingNow;
    if (effect) {
        const std::lock_guard<std::mutex> lock(registryMutex);
        const auto found = registry().find(effect);
        if (found != registry().end()) instance = found->second;
    }
    return instance ? instance->hostRequest(effect, opcode, index, value, ptr, opt) : 0;
}

}  // namespace tamrik::hosting
