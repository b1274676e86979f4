// Open calls are counted and only the first makes the form, so a host that
// opens twice before closing keeps one panel. A close without an open is
// ignored rather than counted below zero, which would keep a later open
// from ever making the form again.
#include "editor/GrEditor.h"

#include <atomic>

#include "toolkit/PlatformBackend.h"

namespace tamrik {

namespace {

std::atomic<GrEditor::BackendFactory> backendFactory{nullptr};

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

int32_t GrEditor::getRect(vst::ERect** rect) {
    editorRect = {};
    editorRect.bottom = int16_t(form ? form->Height() : TForm1::kHeight);
    editorRect.right = int16_t(form ? form->Width() : TForm1::kWidth);
    *rect = &editorRect;
    return 1;
}

int32_t GrEditor::open(void* window) {
    parentWindow = window;
    ++openCount;
    if (openCount == 1) {
        auto created = std::make_unique<TForm1>(makeBackend(), static_cast<ParameterLink&>(*this));
        if (!created->CreateParented(reinterpret_cast<tk::NativeWindow>(window))) {
            openCount = 0;
            parentWindow = nullptr;
            return 0;
        }
        form = std::move(created);
    }
    form->ShowForm();
    return 1;
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

vst::AEffEditor* createGrEditor(vst::AudioEffect* owner) { return new GrEditor(owner); }

}  // namespace tamrik
