// Standard MIDI File parsing. Sysex and meta events cancel running status, as
// the file format says; unknown chunk types are skipped; a track may end
// without its end-of-track event as long as its chunk length is right.
#include "MidiFileReader.h"

#include <algorithm>
#include <cstring>

namespace tamrik::render {

namespace {

constexpr uint8_t kMetaEvent = 0xFF;
constexpr uint8_t kMetaTempo = 0x51;
constexpr uint8_t kMetaEndOfTrack = 0x2F;
constexpr uint8_t kSysEx = 0xF0;
constexpr uint8_t kSysExContinuation = 0xF7;

int dataBytesOf(uint8_t status) {
    const uint8_t kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

}  // namespace

MidiError::MidiError(size_t offset, const std::string& expected)
    : std::runtime_error("byte " + std::to_string(offset) + ": expected " + expected),
      offset_(offset) {}

MidiSong MidiFileReader::parse(std::span<const uint8_t> bytes) {
    MidiFileReader reader(bytes);
    return reader.readFile();
}

MidiSong MidiFileReader::readFile() {
    MidiSong song;
    uint16_t trackCount = 0;
    readHeader(song, trackCount);
    for (uint16_t track = 0; track < trackCount; ++track) {
        const size_t end = seekChunk("MTrk");
        readTrack(end, song);
        pos = end;
    }
    // Tracks were appended one after another; a stable sort merges them and
    // keeps file order among events of the same tick.
    std::stable_sort(song.messages.begin(), song.messages.end(),
                     [](const MidiMessage& a, const MidiMessage& b) { return a.tick < b.tick; });
    std::stable_sort(song.tempos.begin(), song.tempos.end(),
                     [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
    return song;
}

void MidiFileReader::readHeader(MidiSong& song, uint16_t& trackCount) {
    if (data.size() < 4 || std::memcmp(data.data(), "MThd", 4) != 0)
        throw MidiError(0, "\"MThd\" (not a Standard MIDI File)");
    pos = 4;
    const size_t lengthAt = pos;
    const uint32_t length = bigEndian(4, data.size());
    if (length < 6) throw MidiError(lengthAt, "a header length of at least 6");
    const size_t headerEnd = pos + length;
    const size_t formatAt = pos;
    const uint32_t format = bigEndian(2, data.size());
    if (format > 1) throw MidiError(formatAt, "format 0 or 1, found " + std::to_string(format));
    const size_t countAt = pos;
    trackCount = static_cast<uint16_t>(bigEndian(2, data.size()));
    if (trackCount == 0) throw MidiError(countAt, "at least one track");
    const size_t divisionAt = pos;
    const uint32_t division = bigEndian(2, data.size());
    if (division & 0x8000)
        throw MidiError(divisionAt, "ticks per quarter note (SMPTE time is not supported)");
    if (division == 0) throw MidiError(divisionAt, "ticks per quarter note above 0");
    song.ticksPerQuarter = static_cast<uint16_t>(division);
    skip(headerEnd - pos, data.size());
}

size_t MidiFileReader::seekChunk(const char* type) {
    for (;;) {
        const size_t start = pos;
        if (data.size() - pos < 8)
            throw MidiError(start, std::string("a \"") + type + "\" chunk, but the file ends");
        const bool wanted = std::memcmp(data.data() + pos, type, 4) == 0;
        pos += 4;
        const uint32_t length = bigEndian(4, data.size());
        if (length > data.size() - pos)
            throw MidiError(start, "a chunk of " + std::to_string(length) +
                                       " bytes, but the file ends after " +
                                       std::to_string(data.size() - pos));
        if (wanted) return pos + length;
        pos += length;
    }
}

void MidiFileReader::readTrack(size_t end, MidiSong& song) {
    uint64_t tick = 0;
    uint8_t running = 0;
    while (pos < end) {
        tick += variableLength(end);
        song.endTick = std::max(song.endTick, tick);
        const size_t statusAt = pos;
        uint8_t status = byte(end);
        MidiMessage message;
        message.tick = tick;
        int dataIndex = 1;
        if (status < 0x80) {
            if (running == 0)
                throw MidiError(statusAt, "a status byte (there is no running status to repeat)");
            message.bytes[1] = status;
            dataIndex = 2;
            status = running;
        }
        if (status < 0xF0) {
            running = status;
            message.bytes[0] = status;
            message.size = static_cast<uint8_t>(1 + dataBytesOf(status));
            for (; dataIndex < message.size; ++dataIndex) {
                const size_t at = pos;
                const uint8_t value = byte(end);
                if (value >= 0x80) throw MidiError(at, "a data byte (below 0x80)");
                message.bytes[dataIndex] = value;
            }
            song.messages.push_back(message);
        } else if (status == kSysEx || status == kSysExContinuation) {
            running = 0;
            skip(variableLength(end), end);
        } else if (status == kMetaEvent) {
            running = 0;
            const uint8_t type = byte(end);
            const size_t lengthAt = pos;
            const uint32_t length = variableLength(end);
            if (type == kMetaEndOfTrack) return;
            if (type == kMetaTempo) {
                if (length != 3) throw MidiError(lengthAt, "a tempo event of 3 bytes");
                song.tempos.push_back({tick, bigEndian(3, end)});
            } else {
                skip(length, end);
            }
        } else {
            throw MidiError(statusAt, "an event status (0x80 to 0xEF, 0xF0, 0xF7 or 0xFF)");
        }
    }
}

uint8_t MidiFileReader::byte(size_t end) {
    if (pos >= end) throw MidiError(pos, "more bytes, but the chunk ends here");
    return data[pos++];
}

uint32_t MidiFileReader::bigEndian(int count, size_t end) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = (value << 8) | byte(end);
    return value;
}

uint32_t MidiFileReader::variableLength(size_t end) {
    const size_t start = pos;
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        const uint8_t b = byte(end);
        value = (value << 7) | (b & 0x7F);
        if ((b & 0x80) == 0) return value;
    }
    throw MidiError(start, "a variable-length number of at most 4 bytes");
}

void MidiFileReader::skip(size_t count, size_t end) {
    if (count > end - pos)
        throw MidiError(pos, std::to_string(count) + " more bytes, but the chunk ends after " +
                                 std::to_string(end - pos));
    pos += count;
}

}  // namespace tamrik::render
