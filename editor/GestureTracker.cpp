#include "editor/GestureTracker.h"

namespace tamrik {

GestureTracker::GestureTracker(ParameterLink& link, int slots) : link_(link), open_(size_t(slots)) {}

GestureTracker::~GestureTracker() { EndAll(); }

void GestureTracker::Change(int slot, int32_t index, float value) {
    std::optional<int32_t>& open = open_[size_t(slot)];
    if (open != index) {
        if (open) End(slot);
        open = index;
        link_.beginEdit(index);
    }
    link_.setParameterAutomated(index, value);
}

void GestureTracker::Set(int slot, int32_t index, float value) {
    const bool inside = open_[size_t(slot)] == index;
    if (!inside) link_.beginEdit(index);
    link_.setParameterAutomated(index, value);
    if (!inside) link_.endEdit(index);
}

void GestureTracker::EndAll() {
    for (int slot = 0; slot < int(open_.size()); ++slot)
        if (open_[size_t(slot)]) End(slot);
}

void GestureTracker::End(int slot) {
    const int32_t index = *open_[size_t(slot)];
    open_[size_t(slot)].reset();
    link_.endEdit(index);
}

}  // namespace tamrik
