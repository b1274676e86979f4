// What the editor form needs of the instrument, and nothing more: send a
// value the user set (so that the host hears of it too) and read a value
// back. Each format binding implements it: the VST editor forwards to the
// effect (which tells the host), the LV2 UI answers over the port protocol;
// the form never sees the instrument or the format.
//
// A gesture (a drag, a wheel notch, a click) is bracketed by beginEdit and
// endEdit of its parameter, so that a host records it as one touch; a
// binding whose host has no such notion leaves them empty.
//
// UI thread: the form calls them from its handlers and its refresh timer.
#pragma once

#include <cstdint>

namespace tamrik {

class ParameterLink {
public:
    virtual void setParameterAutomated(int32_t index, float value) = 0;
    virtual float getParameter(int32_t index) = 0;
    virtual void beginEdit(int32_t /*index*/) {}
    virtual void endEdit(int32_t /*index*/) {}

protected:
    ~ParameterLink() = default;
};

}  // namespace tamrik
