// The sixteen factory drum sounds, as plain data shared by the panel's preset
// list, the Kit's factory kits and the command-line renderer, so that all of
// them send the very same values. A preset is a parameter value per index, or nothing where
// the preset leaves that parameter as it is (every preset but "AllReset"
// leaves Volume alone). No dependencies: the table knows no plug-in classes.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "synth/ParameterTable.h"

namespace tamrik {

constexpr int kPresetParameterCount = 22;
static_assert(kPresetParameterCount == kNumParameters, "a preset holds every parameter");
constexpr int kFactoryPresetCount = 16;

struct FactoryPreset {
    std::string_view name;
    // By parameter index; empty where the preset does not set the parameter.
    std::array<std::optional<float>, kPresetParameterCount> values;
};

extern const std::array<FactoryPreset, kFactoryPresetCount> kFactoryPresets;

// nullptr for a name that is not a preset (exact, case-sensitive match).
const FactoryPreset* findFactoryPreset(std::string_view name);

}  // namespace tamrik
