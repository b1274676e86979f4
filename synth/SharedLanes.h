// The voices of several sounds rendered together, so that voices of
// different sounds share lane groups: each lane carries its own sound's
// settings (DrumVoices::LaneSettings), and each sound's voices still add up,
// voice 0 to 16 in order, into that sound's own output, bit for bit what its
// DrumVoices::render gives. The same voice code as DrumVoices (its lane
// kernels, and for a lone voice its renderer across time or the one-voice
// code); only the forming of the groups is here.
//
// Audio thread only; no allocation (the object holds every row it needs).
#pragma once

#include <cstdint>

#include "synth/DrumVoices.h"

namespace tamrik {

class SharedLanes {
public:
    static constexpr int32_t kMaxSounds = 16;

    // Adds `frames` samples of each sound's voices to its output out[k] (one
    // channel), for sounds[0 .. count), count at most kMaxSounds: the caller
    // leaves out sounds that rest. The sounds share one instruction-set path
    // (the first sound's). With `pairs`, each sound's sum instead goes to
    // out[k] and then to pairs[k], as adding that channel, cleared, to both
    // would give it; the sounds in order, chunk by chunk.
    void render(DrumVoices* const* sounds, float* const* out, int32_t count, int32_t frames,
                float* const* pairs = nullptr);

private:
    struct Entry {
        int32_t sound, voice;
    };
    // Every branch the lane kernel takes on a sound's settings rather than
    // lane by lane, and the rows it reads: sounds that agree on these share
    // a group through LanePath::valuesByLane.
    struct Switches {
        uint32_t flags;
        int32_t osc1At, osc2At;
        bool operator==(const Switches&) const = default;
    };
    static Switches switchesOf(const DrumVoices::BlockSettings& s);
    // Renders the sounding voices entries[0 .. count), all of filter weight
    // `weight`, into rows from `nextRow` on.
    void renderWeight(DrumVoices* const* sounds, const Entry* entries, int32_t count,
                      int32_t weight, int32_t frames, int32_t& nextRow);

    static constexpr int32_t kMaxVoices = kMaxSounds * DrumVoices::kVoices;

    DrumVoices::BlockSettings settings[kMaxSounds] = {};
    Switches switches[kMaxSounds] = {};
    DrumVoices::VoiceLanes group{};
    DrumVoices::LaneSettings groupSettings{};
    alignas(64) int32_t groupStart[DrumVoices::kLanes] = {}, groupEnd[DrumVoices::kLanes] = {};
    Entry byWeight[3][kMaxVoices] = {};
    const float* rowOf[kMaxSounds][DrumVoices::kVoices] = {};
    // One row per sounding voice, and room for a group's idle lanes past the last.
    alignas(64) float rows[kMaxVoices + 16][DrumVoices::kChunk] = {};
};

}  // namespace tamrik
