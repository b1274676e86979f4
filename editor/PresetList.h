// The panel's preset list: a title and a separator line, then the factory
// sounds by name. The sounds themselves are data of the engine's
// (synth/FactoryPresets.h); this is only how the list shows them.
#pragma once

#include <array>
#include <string_view>

#include "synth/FactoryPresets.h"

namespace tamrik {

constexpr int kPresetListCount = kFactoryPresetCount + 2;
constexpr int kFirstPresetListPosition = 2;

// The list items in order: "Preset", "--------", then the preset names.
extern const std::array<std::string_view, kPresetListCount> kPresetListItems;

// The preset at a list position; nullptr for the title, the separator and
// any position outside the list.
const FactoryPreset* factoryPresetAtListPosition(int position);

}  // namespace tamrik
