// Tempo segments are built once; several tempo events on one tick leave the
// last one in force, as a sequencer plays them.
#include "SongClock.h"

#include <algorithm>
#include <limits>

namespace tamrik::render {

SongClock::SongClock(const MidiSong& song, uint32_t rate)
    : ticksPerQuarter(song.ticksPerQuarter), sampleRate(rate) {
    segments.push_back({0, 500000, 0});
    for (const TempoChange& change : song.tempos) {
        const Segment& last = segments.back();
        const unsigned __int128 elapsed =
            last.elapsed + static_cast<unsigned __int128>(change.tick - last.tick) *
                               last.microsPerQuarter;
        if (change.tick == last.tick)
            segments.back().microsPerQuarter = change.microsPerQuarter;
        else
            segments.push_back({change.tick, change.microsPerQuarter, elapsed});
    }
}

int64_t SongClock::frameAt(uint64_t tick) const {
    const auto after = std::upper_bound(
        segments.begin(), segments.end(), tick,
        [](uint64_t t, const Segment& segment) { return t < segment.tick; });
    const Segment& segment = *(after - 1);
    const unsigned __int128 elapsed =
        segment.elapsed +
        static_cast<unsigned __int128>(tick - segment.tick) * segment.microsPerQuarter;
    const unsigned __int128 unitsPerSecond =
        static_cast<unsigned __int128>(ticksPerQuarter) * 1000000u;
    // A file holds under 2^32 events of at most 2^28 ticks at under 2^24 us per
    // quarter, so elapsed stays below 2^84 and the product below 2^116.
    const unsigned __int128 frame = (elapsed * sampleRate + unitsPerSecond / 2) / unitsPerSecond;
    const auto limit = static_cast<unsigned __int128>(std::numeric_limits<int64_t>::max());
    return static_cast<int64_t>(std::min(frame, limit));
}

}  // namespace tamrik::render
