#include "EditorHost.h"

#include <atomic>
#include <cmath>
#include <map>
#include <string>
#include <system_error>

#include <unistd.h>

#include "HostHarness.h"
#include "binding/Products.h"

namespace tamrik::test {

namespace {

std::mutex registryMutex;
std::map<vst::AEffect*, EditorHost*> registry;

std::atomic<int> platformScale{0};

template <tk::OffscreenBackend::Faces faces>
std::unique_ptr<tk::Backend> offscreen() {
    auto backend = std::make_unique<tk::OffscreenBackend>(tk::TPoint{0, 0}, faces);
    backend->SetPlatformScale(platformScale.load());
    return backend;
}

}  // namespace

EditorHost::EditorHost(tk::OffscreenBackend::Faces faces, Hosted hosted) {
    GrEditor::setBackendFactory(faces == tk::OffscreenBackend::Faces::BuiltIn
                                    ? &offscreen<tk::OffscreenBackend::Faces::BuiltIn>
                                    : &offscreen<tk::OffscreenBackend::Faces::System>);
    // A settings file of its own, so that no user's choice (and no scale a
    // test picks) reaches another editor.
    static std::atomic<int> count{0};
    settings_ = std::filesystem::temp_directory_path() /
                ("tamrik-settings-" + std::to_string(::getpid()) + "-" + std::to_string(count++));
    GrEditor::setSettingsFile(settings_);
    // As the plug-in libraries make them (plugin/VstEntry.cpp).
    const binding::Product& product = hosted == Hosted::Kit ? binding::drumTamrikKit() : binding::drumTamrik();
    synth_ = std::make_unique<AVstXSynth>(&EditorHost::callback, binding::makeInstrument(product), &createGrEditor);
    const std::lock_guard<std::mutex> lock(registryMutex);
    registry[effect()] = this;
}

EditorHost::~EditorHost() {
    if (synth_) close();
    std::error_code ec;
    std::filesystem::remove(settings_, ec);
}

void EditorHost::setPlatformScale(int percent) { platformScale.store(percent); }

void EditorHost::close() {
    vst::AEffect* e = effect();
    {
        const std::lock_guard<std::mutex> lock(registryMutex);
        registry.erase(e);
    }
    // effClose deletes the instance; the pointer must not be deleted again.
    e->dispatcher(e, vst::effClose, 0, 0, nullptr, 0.0f);
    (void)synth_.release();
}

intptr_t EditorHost::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    return effect()->dispatcher(effect(), opcode, index, value, ptr, opt);
}

void EditorHost::setParameter(int32_t index, float value) { effect()->setParameter(effect(), index, value); }

float EditorHost::getParameter(int32_t index) { return effect()->getParameter(effect(), index); }

double EditorHost::render(int32_t frames, uint8_t note) {
    EventBlock events({midiEvent(0x90, note, 100)});
    dispatch(vst::effProcessEvents, 0, 0, events.build());
    return render(frames);
}

double EditorHost::render(int32_t frames) {
    outputs_.assign(size_t(effect()->numOutputs), std::vector<float>(size_t(frames), 0.0f));
    std::vector<float*> outputs;
    for (auto& channel : outputs_) outputs.push_back(channel.data());
    effect()->processReplacing(effect(), nullptr, outputs.data(), frames);
    double sum = 0.0;
    for (const auto& channel : outputs_)
        for (const float v : channel) sum += std::abs(double(v));
    return sum;
}

intptr_t EditorHost::openEditor() {
    static int parent;
    return dispatch(vst::effEditOpen, 0, 0, &parent);
}

tk::OffscreenBackend& EditorHost::screen() const {
    return dynamic_cast<tk::OffscreenBackend&>(form().GetBackend());
}

void EditorHost::tick() {
    screen().Advance(100);
    dispatch(vst::effEditIdle);
}

void EditorHost::click(int x, int y) {
    screen().MoveMouse(x, y);
    screen().PressLeft();
    screen().ReleaseLeft();
}

std::vector<Automation> EditorHost::automations() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return automations_;
}

std::vector<HostCall> EditorHost::calls() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

void EditorHost::clearAutomations() {
    const std::lock_guard<std::mutex> lock(mutex_);
    automations_.clear();
    calls_.clear();
}

intptr_t EditorHost::callback(vst::AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void*, float opt) {
    if (opcode == vst::audioMasterVersion) return 2400;
    if (opcode != vst::audioMasterAutomate && opcode != vst::audioMasterBeginEdit &&
        opcode != vst::audioMasterEndEdit && opcode != vst::audioMasterSizeWindow)
        return 0;
    const std::lock_guard<std::mutex> lock(registryMutex);
    const auto it = registry.find(effect);
    if (it == registry.end()) return 0;
    const std::lock_guard<std::mutex> own(it->second->mutex_);
    it->second->calls_.push_back({opcode, index, opcode == vst::audioMasterSizeWindow ? value : 0});
    if (opcode == vst::audioMasterAutomate) it->second->automations_.push_back({index, opt});
    if (opcode == vst::audioMasterSizeWindow) return it->second->grantSizes_ ? 1 : 0;
    return 0;
}

}  // namespace tamrik::test
