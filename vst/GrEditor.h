// GrEditor: the instrument's editor as a VST 2 host sees it. It shows the
// product's panel (binding/EditorPanel.h: which form, its scale, its size)
// inside the window the host hands to effEditOpen, reports the panel's
// rectangle, lets the host's idle calls drive the form (X events, the
// refresh timer, painting) and destroys the form at the last close. A
// scale the user picks is asked of the host with audioMasterSizeWindow.
//
// The host may call it from any one thread at a time (often not its GUI
// thread); everything the form does happens inside these calls. The form
// reaches the instrument through the editor's forwarding calls.
#pragma once

#include <filesystem>
#include <memory>

#include "binding/EditorPanel.h"
#include "binding/Products.h"
#include "editor/ParameterLink.h"
#include "vst/AEffEditor.h"
#include "vst/AudioEffect.h"

namespace tamrik {

class TForm1;

class GrEditor : public vst::AEffEditor, private ParameterLink {
public:
    GrEditor(vst::AudioEffect* owner, const binding::Product& product, Instrument& instrument);
    ~GrEditor() override;

    // UI thread, all of them.
    // The panel at its scale (top 0, left 0, bottom 361, right 505 for
    // DrumTamrik at 100 %): hosts size the window they open us in from
    // this, asked before the first open.
    int32_t getRect(vst::ERect** rect) override;
    // 1 with the form shown in window; 0, with nothing left open, when
    // window is not a window the form can live in.
    int32_t open(void* window) override;
    void close() override;
    // Also the toolkit's message loop: pending X events, due timers, paint.
    void idle() override;
    void update() override;

    TForm1* getForm() const { return panel_.form(); }
    int32_t getOpenCount() const { return openCount; }

    // Process-wide test hooks (binding/EditorPanel.h).
    static void setBackendFactory(binding::EditorPanel::BackendFactory factory) {
        binding::EditorPanel::setBackendFactory(factory);
    }
    static void setSettingsFile(std::filesystem::path file) {
        binding::EditorPanel::setSettingsFile(std::move(file));
    }

private:
    void setParameterAutomated(int32_t index, float value) override;
    float getParameter(int32_t index) override;
    // audioMasterBeginEdit / audioMasterEndEdit.
    void beginEdit(int32_t index) override;
    void endEdit(int32_t index) override;

    Instrument& instrument_;
    int32_t openCount = 0;
    vst::ERect editorRect{};
    binding::EditorPanel panel_;  // last: the form goes before what it reaches
};

// The factory every VST 2 library of ours constructs its effect with: the
// panel of the product whose instrument the effect holds.
vst::AEffEditor* createGrEditor(vst::AudioEffect* effect);

}  // namespace tamrik
