#include "editor/PresetList.h"

namespace tamrik {

const std::array<std::string_view, kPresetListCount> kPresetListItems = {
    "Preset",  "--------", "AllReset", "RingFM",  "BassLine", "Slash",
    "StdBD1",  "P_Kick",   "H_Snare",  "Q_Snare", "Z_Snare",  "MoMoMon",
    "RezKick", "Metalic",  "kyuum",    "Computer", "CHH",     "Animal",
};

const FactoryPreset* factoryPresetAtListPosition(int position) {
    const int index = position - kFirstPresetListPosition;
    if (index < 0 || index >= kFactoryPresetCount) return nullptr;
    return &kFactoryPresets[static_cast<size_t>(index)];
}

}  // namespace tamrik
