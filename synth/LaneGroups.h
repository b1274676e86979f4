// The lane-group scheduler: the voices that sound in a chunk formed into
// lane groups whatever their places (or sounds). Full groups of the widest
// path go first, then the rest through the narrowest path that holds it; a
// lone voice renders through its path's lanes across time (LoneVoice.h),
// and on the scalar path every voice runs the one-voice code, two at a time.
// A group of one sound's neighbouring voices renders where the voices are;
// any other group is copied into lanes of its own and back.
//
// Used by DrumVoices for a single sound and by SharedLanes for the voices of
// several sounds. Audio thread only; no allocation.
#pragma once

#include <cstdint>

#include "synth/DrumVoices.h"

namespace tamrik {

class LaneGroups {
public:
    struct Entry {
        int32_t sound, voice;
    };

    // A chunk's voices of one or more sounds, handed to render a filter
    // weight at a time.
    struct Chunk {
        DrumVoices* const* sounds;
        const DrumVoices::BlockSettings* settings;  // by sound
        // By sound: lanes of several sounds take their settings from
        // `perLane`, the values alone where their switches agree. A single
        // sound passes neither.
        const DrumVoices::Switches* switches;
        DrumVoices::LaneSettings* perLane;
        // The voices' rows go into rows[nextRow ..); rowOf[k][v] gets the
        // row of voice v of sounds[k].
        float (*rows)[DrumVoices::kChunk];
        const float* (*rowOf)[DrumVoices::kVoices];
        // The voices of one call: entries[0 .. count), by sound and each
        // sound's in voice order, all of filter weight `weight`.
        const Entry* entries;
        int32_t count, weight, frames;
        int32_t nextRow;  // the first free row; render moves it past the rows it fills
    };

    void render(Chunk& chunk);

    const float* voiceRows[DrumVoices::kVoices] = {};  // a single sound's, for its render

private:
    using Voice = DrumVoices::Voice;
    using VoiceLanes = DrumVoices::VoiceLanes;
    using BlockSettings = DrumVoices::BlockSettings;

    // A voice alone, for filter weight `weight`: across time on the lead
    // sound's widest lane path, else the one-voice code.
    static int32_t renderAlone(const DrumVoices& lead, int32_t weight, Voice& voice, float* row,
                               int32_t from, int32_t frames, const BlockSettings& s);

    // A group's voices copied side by side, with where each starts and ends.
    VoiceLanes lanes{};
    alignas(64) int32_t start[DrumVoices::kLanes] = {}, end[DrumVoices::kLanes] = {};
};

}  // namespace tamrik
