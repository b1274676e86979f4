#include "EditorHost.h"

#include <atomic>
#include <cmath>
#include <string>
#include <system_error>

#include <unistd.h>

#include "HostHarness.h"
#include "binding/Products.h"

namespace tamrik::test {

namespace {

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
    openWith([&](vst::audioMasterCallback host) {
        synth_ = new AVstXSynth(host, binding::makeInstrument(product), &createGrEditor);
        return synth_->getAeffect();
    });
}

EditorHost::~EditorHost() {
    if (isOpen()) close();
    std::error_code ec;
    std::filesystem::remove(settings_, ec);
}

void EditorHost::setPlatformScale(int percent) { platformScale.store(percent); }

void EditorHost::close() {
    Vst2Instance::close();
    synth_ = nullptr;
}

double EditorHost::render(int32_t frames, uint8_t note) {
    EventBlock events({midiEvent(0x90, note, 100)});
    sendEvents(events);
    return render(frames);
}

double EditorHost::render(int32_t frames) {
    outputs_.assign(size_t(effect()->numOutputs), std::vector<float>(size_t(frames), 0.0f));
    std::vector<float*> outputs;
    for (auto& channel : outputs_) outputs.push_back(channel.data());
    processReplacing(outputs.data(), frames);
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

intptr_t EditorHost::hostRequest(vst::AEffect*, int32_t opcode, int32_t index, intptr_t value, void*, float opt) {
    if (opcode == vst::audioMasterVersion) return 2400;
    if (opcode != vst::audioMasterAutomate && opcode != vst::audioMasterBeginEdit &&
        opcode != vst::audioMasterEndEdit && opcode != vst::audioMasterSizeWindow)
        return 0;
    const std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back({opcode, index, opcode == vst::audioMasterSizeWindow ? value : 0});
    if (opcode == vst::audioMasterAutomate) automations_.push_back({index, opt});
    if (opcode == vst::audioMasterSizeWindow) return grantSizes_ ? 1 : 0;
    return 0;
}

}  // namespace tamrik::test
