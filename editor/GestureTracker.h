// GestureTracker: which of a form's controls has a gesture open, so that
// each gesture reaches the host as one beginEdit ... endEdit of its
// parameter. The form numbers its controls (slots); a held control's first
// change opens its parameter's edit and the form ends it once the control
// is let go; a value set at once (a default, a wheel notch, a preset) is an
// edit of its own, or a change inside the edit a drag of that control keeps
// open.
//
// An open edit remembers the parameter it began on and ends there, even when
// the slot shows another parameter by then (the Kit's settings follow the
// selected pad); nothing is left open when the tracker goes.
//
// UI thread only, like the forms that own it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "editor/ParameterLink.h"

namespace tamrik {

class GestureTracker {
public:
    GestureTracker(ParameterLink& link, int slots);
    ~GestureTracker();
    GestureTracker(const GestureTracker&) = delete;
    GestureTracker& operator=(const GestureTracker&) = delete;

    // A value from a control the user holds: the first opens the edit.
    void Change(int slot, int32_t index, float value);
    // A value set at once: inside the slot's open edit of that parameter,
    // else a whole edit.
    void Set(int slot, int32_t index, float value);
    // Ends the open edits of the controls no longer held (held(slot) says).
    template <typename Held>
    void EndReleased(Held held) {
        for (int slot = 0; slot < int(open_.size()); ++slot)
            if (open_[size_t(slot)] && !held(slot)) End(slot);
    }
    void EndAll();
    bool IsOpen(int slot) const { return open_[size_t(slot)].has_value(); }

private:
    void End(int slot);

    ParameterLink& link_;
    // By slot: the parameter whose edit is open.
    std::vector<std::optional<int32_t>> open_;
};

}  // namespace tamrik
