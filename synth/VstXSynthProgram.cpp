#include "synth/VstXSynthProgram.h"

#include <cstring>

#include "common/StringCopy.h"

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

void VstXSynthProgram::setName(const char* text) { copyString(name_, text, kNameSize); }

void VstXSynthProgram::copyFrom(const VstXSynthProgram& other) {
    for (int32_t i = 0; i < kNumParameters; ++i) setValue(i, other.value(i));
    std::memcpy(name_, other.name_, kNameSize);
}

}  // namespace tamrik
