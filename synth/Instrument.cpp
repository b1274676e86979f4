#include "synth/Instrument.h"

#include <string_view>

#include "synth/ParameterText.h"

namespace tamrik {

bool Instrument::valueFromText(int32_t index, const char* text, float& value) const {
    if (!text || index < 0 || index >= parameterCount()) return false;
    const std::string_view typed = trimmedText(text);
    if (const int32_t steps = parameterSteps(index); steps > 0)
        for (int32_t k = 0; k <= steps; ++k) {
            char name[64];
            choiceName(index, k, name, sizeof name);
            if (name[0] && sameTextIgnoringCase(typed, name)) {
                value = float(k) / float(steps);
                return true;
            }
        }
    char label[64];
    parameterLabel(index, label, sizeof label);
    const auto number = parseNumber(typed, label);
    if (!number) return false;
    value = float(*number);
    return true;
}

}  // namespace tamrik
