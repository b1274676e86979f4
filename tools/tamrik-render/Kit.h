// A drum kit: which MIDI note plays which factory sound, and at what pitch.
// Each entry becomes one plug-in instance, so two entries may share a preset
// and differ in pitch (a high and a low tom). Written on the command line as
// "36=StdBD1,38=H_Snare,45=MoMoMon@62", the optional "@N" being the note the
// instance plays whatever note triggers it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "synth/FactoryPresets.h"

namespace tamrik::render {

struct KitEntry {
    uint8_t note = 0;   // the MIDI note that triggers the sound
    uint8_t pitch = 0;  // the note the instance is played at
    const FactoryPreset* preset = nullptr;
};

class Kit {
public:
    // Throws ToolError naming the entry at fault. Entries without "@N" play
    // at defaultPitch.
    static Kit parse(std::string_view text, uint8_t defaultPitch);

    const std::vector<KitEntry>& entries() const { return entries_; }

private:
    std::vector<KitEntry> entries_;
};

}  // namespace tamrik::render
