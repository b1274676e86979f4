// One program: the 22 parameter values (in program order, CutOff first,
// Octave last) and a name of at most 23 characters.
#pragma once

#include <atomic>
#include <cstdint>

#include "synth/Parameters.h"

namespace tamrik {

class VstXSynthProgram {
public:
    static constexpr int32_t kNameSize = 24;

    VstXSynthProgram();  // every value at its default, named "Basic"

    // By parameter index; the host may set them from any thread.
    float value(int32_t index) const;
    void setValue(int32_t index, float v);

    const char* name() const { return name_; }
    void setName(const char* text);  // keeps the first 23 characters

    void copyFrom(const VstXSynthProgram& other);

private:
    std::atomic<float> values[kNumParameters];
    char name_[kNameSize];
};

}  // namespace tamrik
