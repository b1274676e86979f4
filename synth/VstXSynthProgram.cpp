#include "synth/VstXSynthProgram.h"

#include <cstring>

namespace tamrik {

VstXSynthProgram::VstXSynthProgram() : name_{} {
    for (int32_t i = 0; i < kNumParameters; ++i) setValue(i, kParameterTable[i].defaultValue);
    setName("Basic");
}

float VstXSynthProgram::value(int32_t index) const {
    return values[kParameterTable[index].programSlot].load(std::memory_order_relaxed);
}

void VstXSynthProgram::setValue(int32_t index, float v) {
    values[kParameterTable[index].programSlot].store(v, std::memory_order_relaxed);
}

void VstXSynthProgram::setName(const char* text) {
    size_t n = 0;
    while (n + 1 < kNameSize && text[n] != '\0') ++n;
    std::memcpy(name_, text, n);
    name_[n] = '\0';
}

void VstXSynthProgram::copyFrom(const VstXSynthProgram& other) {
    for (int32_t i = 0; i < kNumParameters; ++i) setValue(i, other.value(i));
    std::memcpy(name_, other.name_, kNameSize);
}

}  // namespace tamrik
