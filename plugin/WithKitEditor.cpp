// The Kit's library carries the Kit's panel, which reaches the instrument's
// KitControls through the binding that holds it.
#include "editor/KitGrEditor.h"
#include "kit/KitInstrument.h"
#include "plugin/EditorFactory.h"

namespace tamrik {

namespace {

vst::AEffEditor* createKitEditor(vst::AudioEffect* effect) {
    auto& kit = static_cast<kit::KitInstrument&>(static_cast<AVstXSynth*>(effect)->instrument());
    return new KitGrEditor(effect, kit);
}

}  // namespace

AVstXSynth::EditorFactory editorFactory() { return &createKitEditor; }

}  // namespace tamrik
