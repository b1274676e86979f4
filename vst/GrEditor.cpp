// Open calls are counted and only the first makes the form, so a host that
// opens twice before closing keeps one panel. A close without an open is
// ignored rather than counted below zero, which would keep a later open
// from ever making the form again.
#include "vst/GrEditor.h"

#include "editor/TForm1.h"
#include "vst/AVstXSynth.h"
#include "vst/AudioEffectX.h"

namespace tamrik {

GrEditor::GrEditor(vst::AudioEffect* owner, const binding::Product& product, Instrument& instrument)
    : AEffEditor(owner), instrument_(instrument), panel_(product, *this) {}

GrEditor::~GrEditor() {
    if (openCount > 0) {
        openCount = 1;
        close();
    }
}

int32_t GrEditor::getRect(vst::ERect** rect) {
    editorRect = {};
    editorRect.bottom = int16_t(panel_.height());
    editorRect.right = int16_t(panel_.width());
    *rect = &editorRect;
    return 1;
}

int32_t GrEditor::open(void* window) {
    ++openCount;
    if (openCount == 1) {
        auto* x = dynamic_cast<vst::AudioEffectX*>(effect);
        const auto resizeHost = [x](int width, int height) { return x && x->sizeWindow(width, height); };
        if (!panel_.open(reinterpret_cast<tk::NativeWindow>(window), instrument_, resizeHost)) {
            openCount = 0;
            return 0;
        }
    }
    panel_.show();
    return 1;
}

void GrEditor::close() {
    if (openCount == 0) return;
    --openCount;
    if (openCount == 0) panel_.close();
}

void GrEditor::idle() {
    AEffEditor::idle();
    panel_.idle();
}

void GrEditor::update() { panel_.repaint(); }

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

vst::AEffEditor* createGrEditor(vst::AudioEffect* effect) {
    auto* synth = dynamic_cast<AVstXSynth*>(effect);
    if (!synth) return nullptr;
    const binding::Product* product = binding::productOf(synth->instrument());
    if (!product) return nullptr;
    return new GrEditor(effect, *product, synth->instrument());
}

}  // namespace tamrik
