// Fuzz target "midi_file": tamrik-render's reader on any bytes. It must answer
// a song or a MidiError that points inside the file, never crash, hang or
// allocate beyond what the file can describe; a song it answers must be
// ordered and must map to frames that never go back in time.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "tools/tamrik-render/MidiFileReader.h"
#include "tools/tamrik-render/SongClock.h"

using tamrik::render::MidiError;
using tamrik::render::MidiFileReader;
using tamrik::render::MidiSong;
using tamrik::render::SongClock;

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "midi_file: %s\n", what);
    std::abort();
}

void checkSong(const MidiSong& song, size_t fileSize) {
    // Every message and tempo took bytes of its own.
    if (song.messages.size() + song.tempos.size() > fileSize) fail("more events than bytes");
    if (song.ticksPerQuarter == 0) fail("zero ticks per quarter note");
    uint64_t tick = 0;
    for (const auto& m : song.messages) {
        if (m.tick < tick) fail("messages out of order");
        if (m.tick > song.endTick) fail("a message after the song's end");
        if (m.size < 2 || m.size > 3 || m.bytes[0] < 0x80 || m.bytes[0] >= 0xF0) fail("a malformed message");
        tick = m.tick;
    }
    tick = 0;
    for (const auto& t : song.tempos) {
        if (t.tick < tick) fail("tempo changes out of order");
        tick = t.tick;
    }
    for (uint32_t rate : {8000u, 44100u, 384000u}) {
        const SongClock clock(song, rate);
        int64_t frame = 0;
        for (const auto& m : song.messages) {
            const int64_t at = clock.frameAt(m.tick);
            if (at < frame) fail("a later tick at an earlier frame");
            frame = at;
        }
        if (clock.frameAt(song.endTick) < frame) fail("the end before the last message");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        checkSong(MidiFileReader::parse(std::span<const uint8_t>(data, size)), size);
    } catch (const MidiError& e) {
        if (e.offset() > size) fail("an error offset beyond the file");
    }
    return 0;
}
