// PadButton: one pad of the Kit's pad strip: its number, its name and a
// light that the panel turns on for a moment at every hit. A click selects
// it; a Shift- or Ctrl-click, or a right-click, auditions it; a double-click
// asks to rename it.
#pragma once

#include <string>

#include "toolkit/Toolkit.h"

namespace tamrik {

class PadButton : public tk::TCustomControl {
public:
    PadButton(tk::TWinControl* parent, int number);

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    bool Selected() const { return selected_; }
    void SetSelected(bool selected);
    bool Lit() const { return lit_; }
    void SetLit(bool lit);

    tk::TNotifyEvent OnSelect;
    tk::TNotifyEvent OnAudition;
    tk::TNotifyEvent OnRename;

protected:
    void WndProc(tk::TMessage& message) override;
    void Paint(tk::TCanvas& canvas) override;

private:
    static void Fire(const tk::TNotifyEvent& event, PadButton* sender) {
        if (event) event(sender);
    }

    int number_;
    std::string caption_;
    bool selected_ = false;
    bool lit_ = false;
};

}  // namespace tamrik
