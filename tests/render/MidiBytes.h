// Builds Standard MIDI File bytes for the renderer's tests: a header and
// tracks whose chunk lengths are filled in, so a test writes only events.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace tamrik::test {

using Bytes = std::vector<uint8_t>;

inline void appendBigEndian(Bytes& out, uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline Bytes chunk(const char* type, const Bytes& body) {
    Bytes out(type, type + 4);
    appendBigEndian(out, static_cast<uint32_t>(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

inline Bytes midiFile(uint16_t format, uint16_t division, std::initializer_list<Bytes> tracks) {
    Bytes header;
    appendBigEndian(header, format, 2);
    appendBigEndian(header, static_cast<uint32_t>(tracks.size()), 2);
    appendBigEndian(header, division, 2);
    Bytes out = chunk("MThd", header);
    for (const Bytes& track : tracks) {
        const Bytes c = chunk("MTrk", track);
        out.insert(out.end(), c.begin(), c.end());
    }
    return out;
}

// Tempo meta event (with a zero delta before it).
inline Bytes tempo(uint32_t microsPerQuarter) {
    Bytes out = {0x00, 0xFF, 0x51, 0x03};
    appendBigEndian(out, microsPerQuarter, 3);
    return out;
}

inline Bytes endOfTrack(uint8_t delta = 0) { return {delta, 0xFF, 0x2F, 0x00}; }

inline Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

}  // namespace tamrik::test
