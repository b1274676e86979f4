// The MIDI file reader and the tick-to-frame clock: what a well-formed file
// yields, the byte offset every kind of damage is reported at, and a bounded
// mutation fuzz run that must end in a song or a MidiError, never worse.
#include "MidiFileReader.h"
#include "SongClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "MidiBytes.h"

namespace tamrik::render {
namespace {

using test::Bytes;
using test::endOfTrack;
using test::join;
using test::midiFile;
using test::tempo;

size_t errorOffset(const Bytes& bytes) {
    try {
        MidiFileReader::parse(bytes);
    } catch (const MidiError& e) {
        return e.offset();
    }
    ADD_FAILURE() << "parsed without error";
    return SIZE_MAX;
}

// Format 1: a tempo track and two note tracks with running status, a sysex
// and an unknown meta event in between.
Bytes sampleSong() {
    return midiFile(1, 96,
                    {join({tempo(400000), endOfTrack(0)}),
                     join({{0x00, 0x99, 36, 100, 0x30, 38, 90},  // running status
                           {0x00, 0xF0, 0x02, 0x7E, 0xF7},       // sysex
                           {0x10, 0x89, 36, 0},
                           {0x00, 0xFF, 0x01, 0x02, 'h', 'i'},
                           endOfTrack(0x20)}),
                     join({{0x30, 0x90, 60, 64, 0x00, 0xB0, 126, 0}, endOfTrack(0)})});
}

TEST(MidiFileReader, MergesTracksInTickOrderWithRunningStatus) {
    const MidiSong song = MidiFileReader::parse(sampleSong());
    EXPECT_EQ(song.ticksPerQuarter, 96);
    ASSERT_EQ(song.tempos.size(), 1u);
    EXPECT_EQ(song.tempos[0].microsPerQuarter, 400000u);
    struct Expected {
        uint64_t tick;
        uint8_t status, data1, data2, size;
    };
    const Expected expected[] = {
        {0x00, 0x99, 36, 100, 3}, {0x30, 0x99, 38, 90, 3},  // track 1 first at tick 0x30
        {0x30, 0x90, 60, 64, 3},  {0x30, 0xB0, 126, 0, 3},
        {0x40, 0x89, 36, 0, 3},
    };
    ASSERT_EQ(song.messages.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const MidiMessage& m = song.messages[i];
        EXPECT_EQ(m.tick, expected[i].tick) << i;
        EXPECT_EQ(m.bytes[0], expected[i].status) << i;
        EXPECT_EQ(m.bytes[1], expected[i].data1) << i;
        EXPECT_EQ(m.bytes[2], expected[i].data2) << i;
        EXPECT_EQ(m.size, expected[i].size) << i;
    }
    EXPECT_EQ(song.endTick, 0x60u);  // end of track 1 after its last delta
}

TEST(MidiFileReader, ReadsShortMessagesUnknownChunksAndLongHeaders) {
    Bytes bytes = midiFile(0, 480, {join({{0x00, 0xC5, 0x07, 0x05, 0xD5, 0x40}, endOfTrack()})});
    // A longer header and a foreign chunk before the track are both skipped.
    bytes[7] = 8;
    bytes.insert(bytes.begin() + 14, {0, 0});
    const Bytes alien = test::chunk("XFIH", {1, 2, 3});
    bytes.insert(bytes.begin() + 16, alien.begin(), alien.end());
    const MidiSong song = MidiFileReader::parse(bytes);
    ASSERT_EQ(song.messages.size(), 2u);
    EXPECT_EQ(song.messages[0].size, 2);
    EXPECT_EQ(song.messages[0].bytes[1], 0x07);
    EXPECT_EQ(song.messages[1].bytes[0], 0xD5);
    EXPECT_EQ(song.messages[1].tick, 5u);
}

TEST(MidiFileReader, ReportsWhereTheFileGoesWrong) {
    EXPECT_EQ(errorOffset({}), 0u);
    EXPECT_EQ(errorOffset({'R', 'I', 'F', 'F', 0, 0, 0, 6}), 0u);
    EXPECT_EQ(errorOffset(midiFile(2, 96, {endOfTrack()})), 8u);      // format 2
    EXPECT_EQ(errorOffset(midiFile(1, 96, {})), 10u);                 // no tracks
    EXPECT_EQ(errorOffset(midiFile(0, 0xE728, {endOfTrack()})), 12u);  // SMPTE time
    EXPECT_EQ(errorOffset(midiFile(0, 0, {endOfTrack()})), 12u);
    // Track data starts at 22.
    EXPECT_EQ(errorOffset(midiFile(0, 96, {{0x00, 0x40, 0x40}})), 23u);  // no running status
    EXPECT_EQ(errorOffset(midiFile(0, 96, {{0x00, 0x90, 0x3C, 0x90}})), 25u);  // data >= 0x80
    EXPECT_EQ(errorOffset(midiFile(0, 96, {{0x81, 0x81, 0x81, 0x81, 0x00}})), 22u);  // 5-byte number
    EXPECT_EQ(errorOffset(midiFile(0, 96, {{0x00, 0xF3, 0x01}})), 23u);  // not a file event
    EXPECT_EQ(errorOffset(midiFile(0, 96, {{0x00, 0xFF, 0x51, 0x02, 1, 2}})), 25u);  // tempo size
    EXPECT_EQ(errorOffset(midiFile(0, 96, {{0x00, 0xFF, 0x01, 0x09, 'a'}})), 26u);  // meta overruns
    // Sysex and meta events end running status.
    EXPECT_EQ(errorOffset(midiFile(0, 96, {{0x00, 0x90, 60, 1, 0x00, 0xF0, 0x00, 0x00, 60, 1}})),
              30u);
    // The header promises two tracks, the file holds one.
    Bytes oneTrack = midiFile(1, 96, {endOfTrack()});
    oneTrack[11] = 2;
    EXPECT_EQ(errorOffset(oneTrack), oneTrack.size());
}

TEST(MidiFileReader, EveryTruncationIsAnErrorWithinTheFile) {
    const Bytes whole = sampleSong();
    for (size_t length = 0; length < whole.size(); ++length) {
        const Bytes part(whole.begin(), whole.begin() + static_cast<long>(length));
        EXPECT_LE(errorOffset(part), length) << "cut at " << length;
    }
}

// Flips, inserts, deletes and cuts bytes of valid files; a fixed seed keeps
// any failure reproducible. Run under the sanitizers this also proves there
// is no out-of-bounds read.
TEST(MidiFileReader, SurvivesTwentyThousandMutatedFiles) {
    const Bytes seeds[] = {sampleSong(),
                           midiFile(0, 480, {join({tempo(545455), {0x00, 0x99, 36, 100},
                                                   {0x83, 0x60, 0x42, 90}, endOfTrack()})})};
    std::mt19937 random(20240611);
    int parsed = 0;
    for (int round = 0; round < 20000; ++round) {
        Bytes bytes = seeds[round % 2];
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits && !bytes.empty(); ++e) {
            const size_t at = random() % bytes.size();
            switch (random() % 4) {
                case 0: bytes[at] = static_cast<uint8_t>(random()); break;
                case 1: bytes.insert(bytes.begin() + static_cast<long>(at), static_cast<uint8_t>(random())); break;
                case 2: bytes.erase(bytes.begin() + static_cast<long>(at)); break;
                default: bytes.resize(at); break;
            }
        }
        try {
            const MidiSong song = MidiFileReader::parse(bytes);
            ++parsed;
            for (const MidiMessage& m : song.messages) {
                ASSERT_GE(m.bytes[0], 0x80);
                ASSERT_LT(m.bytes[0], 0xF0);
                ASSERT_LE(m.tick, song.endTick);
            }
            ASSERT_TRUE(std::is_sorted(song.messages.begin(), song.messages.end(),
                                       [](const MidiMessage& a, const MidiMessage& b) {
                                           return a.tick < b.tick;
                                       }));
        } catch (const MidiError& e) {
            ASSERT_LE(e.offset(), bytes.size());
        }
    }
    // Some mutations (inside a name or a data byte) leave a valid file.
    EXPECT_GT(parsed, 0);
}

TEST(SongClock, FollowsTempoChangesToTheNearestFrame) {
    MidiSong song;
    song.ticksPerQuarter = 480;
    // 120 BPM until tick 960, then 60 BPM; at 960 an earlier change is overridden.
    song.tempos = {{960, 250000}, {960, 1000000}};
    const SongClock clock(song, 44100);
    EXPECT_EQ(clock.frameAt(0), 0);
    EXPECT_EQ(clock.frameAt(480), 22050);
    EXPECT_EQ(clock.frameAt(960), 44100);
    EXPECT_EQ(clock.frameAt(1440), 88200);
    // 1 tick at 60 BPM is 91.875 frames: rounds to 92 after 44100.
    EXPECT_EQ(clock.frameAt(961), 44192);
    // Without tempo events 120 BPM holds: a tick is 45.9375 frames, eight
    // ticks 367.5 frames, and halves round up.
    const SongClock standard(MidiSong{}, 44100);  // 480 ticks per quarter
    EXPECT_EQ(standard.frameAt(1), 46);
    EXPECT_EQ(standard.frameAt(8), 368);
}

TEST(SongClock, SaturatesInsteadOfOverflowing) {
    MidiSong song;
    song.ticksPerQuarter = 1;
    song.tempos = {{0, 0xFFFFFF}};
    const SongClock clock(song, 384000);
    EXPECT_EQ(clock.frameAt(UINT64_MAX), INT64_MAX);
}

}  // namespace
}  // namespace tamrik::render
