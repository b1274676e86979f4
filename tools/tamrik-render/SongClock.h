// Turns MIDI ticks into sample frames through the song's tempo map. Time is
// kept as an exact integer (microseconds times ticks per quarter note) so that
// a note lands on the frame nearest its true time however long the song is.
#pragma once

#include <cstdint>
#include <vector>

#include "MidiFileReader.h"

namespace tamrik::render {

class SongClock {
public:
    SongClock(const MidiSong& song, uint32_t sampleRate);
    // The nearest frame, halves rounding up; saturates at INT64_MAX.
    int64_t frameAt(uint64_t tick) const;

private:
    struct Segment {
        uint64_t tick;
        uint32_t microsPerQuarter;
        unsigned __int128 elapsed;  // microseconds x ticksPerQuarter at `tick`
    };
    std::vector<Segment> segments;
    uint32_t ticksPerQuarter;
    uint32_t sampleRate;
};

}  // namespace tamrik::render
