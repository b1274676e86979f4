// Open calls are counted and only the first makes the form, so a host that
// opens twice before closing keeps one panel. A close without an open is
// ignored rather than counted below zero, which would keep a later open
// from ever making the form again.
#include "editor/GrEditor.h"

#include <atomic>
#include <mutex>
#include <optional>

#include "editor/UserSettings.h"

#include "toolkit/PlatformBackend.h"
#include "vst/AudioEffectX.h"

namespace tamrik {

namespace {

std::atomic<GrEditor::BackendFactory> backendFactory{nullptr};

std::mutex settingsMutex;
std::filesystem::path settingsOverride;

std::filesystem::path settingsFile() {
    const std::lock_guard<std::mutex> lock(settingsMutex);
    return settingsOverride.empty() ? userSettingsFile() : settingsOverride;
}

std::unique_ptr<tk::Backend> makeBackend() {
    const GrEditor::BackendFactory factory = backendFactory.load();
    return factory ? factory() : tk::CreatePlatformBackend();
}

}  // namespace

GrEditor::GrEditor(vst::AudioEffect* owner) : AEffEditor(owner) {}

GrEditor::~GrEditor() {
    if (openCount > 0) {
        openCount = 1;
        close();
    }
}

void GrEditor::setBackendFactory(BackendFactory factory) { backendFactory.store(factory); }

void GrEditor::setSettingsFile(std::filesystem::path file) {
    const std::lock_guard<std::mutex> lock(settingsMutex);
    settingsOverride = std::move(file);
}

int32_t GrEditor::getRect(vst::ERect** rect) {
    editorRect = {};
    const tk::Scale scale = form ? form->GetScale() : readChosenScale(settingsFile()).value_or(tk::Scale());
    editorRect.bottom = int16_t(scale.Dev(form ? form->FormHeight() : formHeight()));
    editorRect.right = int16_t(scale.Dev(TForm1::kWidth));
    *rect = &editorRect;
    return 1;
}

int32_t GrEditor::open(void* window) {
    parentWindow = window;
    ++openCount;
    if (openCount == 1) {
        std::unique_ptr<TForm1> created = makeForm(makeBackend(), *this);
        if (!created->CreateParented(reinterpret_cast<tk::NativeWindow>(window))) {
            openCount = 0;
            parentWindow = nullptr;
            return 0;
        }
        form = std::move(created);
        auto* x = dynamic_cast<vst::AudioEffectX*>(effect);
        // The scale: the user's own choice, else what the platform asks for.
        // The host sized its window from getRect, at the chosen scale.
        const std::optional<tk::Scale> chosen = readChosenScale(settingsFile());
        const int platform = form->GetBackend().PlatformScalePercent();
        if (!chosen && platform > 0 && tk::Scale(platform) != tk::Scale()) {
            form->SetScale(tk::Scale(platform));
            if (!x || !x->sizeWindow(form->DeviceWidth(), form->DeviceHeight())) form->SetScale(tk::Scale());
        } else if (chosen) {
            form->SetScale(*chosen);
        }
        // A scale the user picks: the host is asked for the new size, a
        // refusal keeps the panel as it was, and the choice is kept.
        form->OnScaleChosen = [this, x](tk::Scale scale) {
            if (!x || !x->sizeWindow(form->DeviceWidth(), form->DeviceHeight())) return false;
            writeChosenScale(settingsFile(), scale);
            return true;
        };
    }
    form->ShowForm();
    return 1;
}

std::unique_ptr<TForm1> GrEditor::makeForm(std::unique_ptr<tk::Backend> backend, ParameterLink& link) {
    return std::make_unique<TForm1>(std::move(backend), link);
}

void GrEditor::close() {
    if (openCount == 0) return;
    --openCount;
    if (openCount == 0 && form) {
        form.reset();
        parentWindow = nullptr;
    }
}

void GrEditor::idle() {
    AEffEditor::idle();
    if (form) form->Idle();
}

void GrEditor::update() {
    if (form) form->Repaint();
}

void GrEditor::setParameterAutomated(int32_t index, float value) {
    effect->setParameterAutomated(index, value);
}

float GrEditor::getParameter(int32_t index) { return effect->getParameter(index); }

void GrEditor::beginEdit(int32_t index) {
    if (auto* x = dynamic_cast<vst::AudioEffectX*>(effect)) x->beginEdit(index);
}

void GrEditor::endEdit(int32_t index) {
    if (auto* x = dynamic_cast<vst::AudioEffectX*>(effect)) x->endEdit(index);
}

vst::AEffEditor* createGrEditor(vst::AudioEffect* owner) { return new GrEditor(owner); }

}  // namespace tamrik
