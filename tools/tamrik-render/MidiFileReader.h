// Reads a Standard MIDI File (format 0 or 1, any number of ticks per quarter
// note, running status, tempo changes) into one time-ordered list of channel
// messages plus the tempo map. It is fed untrusted bytes, so every read is
// bounds-checked and every failure is a MidiError carrying the byte offset at
// which the file stopped making sense; no input can make it crash or loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace tamrik::render {

struct MidiMessage {
    uint64_t tick = 0;
    uint8_t bytes[3] = {0, 0, 0};  // status and up to two data bytes
    uint8_t size = 0;
};

struct TempoChange {
    uint64_t tick = 0;
    uint32_t microsPerQuarter = 500000;
};

struct MidiSong {
    uint16_t ticksPerQuarter = 480;
    std::vector<MidiMessage> messages;  // by tick, tracks merged in file order
    std::vector<TempoChange> tempos;    // by tick; 120 BPM holds before the first
    uint64_t endTick = 0;               // the last event of any track, end of track included
};

class MidiError : public std::runtime_error {
public:
    MidiError(size_t offset, const std::string& expected);
    size_t offset() const { return offset_; }

private:
    size_t offset_;
};

class MidiFileReader {
public:
    // Throws MidiError.
    static MidiSong parse(std::span<const uint8_t> bytes);

private:
    explicit MidiFileReader(std::span<const uint8_t> bytes) : data(bytes) {}

    MidiSong readFile();
    void readTrack(size_t end, MidiSong& song);
    void readHeader(MidiSong& song, uint16_t& trackCount);
    // Moves to the next chunk of the given type, skipping chunks of other types;
    // answers the offset where its data ends.
    size_t seekChunk(const char* type);

    uint8_t byte(size_t end);
    uint32_t bigEndian(int count, size_t end);
    uint32_t variableLength(size_t end);
    void skip(size_t count, size_t end);

    std::span<const uint8_t> data;
    size_t pos = 0;
};

}  // namespace tamrik::render
