// What the editor form needs of the instrument, and nothing more: send a
// value the user set (so that the host hears of it too) and read a value
// back. The VST editor hands the form the instrument itself through this;
// a binding whose instrument lives elsewhere (a separate UI process or
// library) hands it an adapter over that binding's own messages.
//
// UI thread: the form calls both from its handlers and its refresh timer.
#pragma once

#include <cstdint>

namespace tamrik {

class ParameterLink {
public:
    virtual void setParameterAutomated(int32_t index, float value) = 0;
    virtual float getParameter(int32_t index) = 0;

protected:
    ~ParameterLink() = default;
};

}  // namespace tamrik
