// The sound panel's ParameterLink inside the Kit's panel: the panel's
// parameter i (0 to 21) is parameter i of the selected pad, so the panel,
// its presets, its randomize and its habits work on one pad unchanged.
#pragma once

#include <cstdint>

#include "editor/ParameterLink.h"
#include "kit/KitMap.h"

namespace tamrik {

class PadLink : public ParameterLink {
public:
    explicit PadLink(ParameterLink& kit) : kit_(kit) {}

    int32_t Pad() const { return pad_; }
    void SetPad(int32_t pad) { pad_ = kit::clampInt(pad, 0, kit::kPads - 1); }

    void setParameterAutomated(int32_t index, float value) override {
        if (Sound(index)) kit_.setParameterAutomated(kit::padIndex(pad_, index), value);
    }
    float getParameter(int32_t index) override {
        return Sound(index) ? kit_.getParameter(kit::padIndex(pad_, index)) : 0.0f;
    }
    void beginEdit(int32_t index) override {
        if (Sound(index)) kit_.beginEdit(kit::padIndex(pad_, index));
    }
    void endEdit(int32_t index) override {
        if (Sound(index)) kit_.endEdit(kit::padIndex(pad_, index));
    }

protected:
    ~PadLink() = default;

private:
    static bool Sound(int32_t index) { return index >= 0 && index < kit::kSoundParameters; }

    ParameterLink& kit_;
    int32_t pad_ = 0;
};

}  // namespace tamrik
