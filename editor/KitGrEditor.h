// The Kit's VST 2 editor: GrEditor with the Kit's panel, which also needs
// the instrument's KitControls (names, auditions, hit counts, the last
// note), handed in by the plug-in that made both.
#pragma once

#include "editor/GrEditor.h"
#include "editor/KitForm.h"
#include "kit/KitControls.h"

namespace tamrik {

class KitGrEditor final : public GrEditor {
public:
    KitGrEditor(vst::AudioEffect* owner, kit::KitControls& controls) : GrEditor(owner), controls_(controls) {}

protected:
    std::unique_ptr<TForm1> makeForm(std::unique_ptr<tk::Backend> backend, tamrik::ParameterLink& link) override {
        return std::make_unique<KitForm>(std::move(backend), link, controls_);
    }
    int formHeight() const override { return KitForm::kKitFormHeight; }

private:
    kit::KitControls& controls_;
};

}  // namespace tamrik
