// The voices of several sounds rendered together, so that voices of
// different sounds share lane groups: each lane carries its own sound's
// settings (DrumVoices::LaneSettings), and each sound's voices still add up,
// voice 0 to 16 in order, into that sound's own output, bit for bit what its
// DrumVoices::render gives. The same voice code and groups as DrumVoices
// (LaneGroups: lane kernels, and for a lone voice its renderer across
// time); here the sounds' voices are sorted by filter weight and each
// sound's rows added to its output (RowSums).
//
// Audio thread only; no allocation (the object holds every row it needs).
#pragma once

#include <cstdint>

#include "synth/DrumVoices.h"
#include "synth/LaneGroups.h"

namespace tamrik {

class SharedLanes {
public:
    static constexpr int32_t kMaxSounds = 16;

    // Adds `frames` samples of each sound's voices to its output out[k] (one
    // channel), for sounds[0 .. count), count at most kMaxSounds: the caller
    // leaves out sounds that rest. The sounds share one instruction-set path
    // (the first sound's). With `pairs`, each sound's sum instead goes to
    // out[k] and then to pairs[k], as adding that channel, cleared, to both
    // would give it; the sounds in order, chunk by chunk. With `pairs` and
    // `peaks`, peaks[k] becomes the larger of itself and the peak of sound
    // k's sum (PeakMeter::peakOf).
    void render(DrumVoices* const* sounds, float* const* out, int32_t count, int32_t frames,
                float* const* pairs = nullptr, float* peaks = nullptr);

private:
    using Entry = LaneGroups::Entry;
    static constexpr int32_t kMaxVoices = kMaxSounds * DrumVoices::kVoices;

    DrumVoices::BlockSettings settings[kMaxSounds] = {};
    DrumVoices::Switches switches[kMaxSounds] = {};
    LaneGroups groups;
    DrumVoices::LaneSettings groupSettings{};
    Entry byWeight[3][kMaxVoices] = {};
    const float* rowOf[kMaxSounds][DrumVoices::kVoices] = {};
    // One row per sounding voice, and room for a group's idle lanes past the last.
    alignas(64) float rows[kMaxVoices + 16][DrumVoices::kChunk] = {};
};

}  // namespace tamrik
