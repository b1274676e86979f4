// The sixteen factory drum sounds of the editor's preset list, as plain data
// shared by the editor and the command-line renderer so that both send the
// very same values. A preset is a parameter value per index, or nothing where
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
// The list shows a title and a separator line before the presets.
constexpr int kPresetListCount = kFactoryPresetCount + 2;
constexpr int kFirstPresetListPosition = 2;

struct FactoryPreset {
    std::string_view name;
    // By parameter index; empty where the preset does not set the parameter.
    std::array<std::optional<float>, kPresetParameterCount> values;
};

// The list items in order: "Preset", "--------", then the preset names.
extern const std::array<std::string_view, kPresetListCount> kPresetListItems;
extern const std::array<FactoryPreset, kFactoryPresetCount> kFactoryPresets;

// nullptr for a name that is not a preset (exact, case-sensitive match).
const FactoryPreset* findFactoryPreset(std::string_view name);
// The preset at a list position; nullptr for the title, the separator and
// any position outside the list.
const FactoryPreset* factoryPresetAtListPosition(int position);

}  // namespace tamrik
