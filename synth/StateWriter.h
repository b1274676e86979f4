// Writes an instrument's state in the format every instrument of ours shares:
//
//   bytes 0-3    the instrument's unique id, first character first
//   bytes 4-7    the format version, little-endian
//   bytes 8-11   the body's length N, little-endian
//   N bytes      records: a four-character tag, a little-endian length L,
//                then L bytes
//   last 4       CRC-32 (IEEE, as zlib computes it) of everything before it
//
// Numbers are little-endian 32-bit; a float is its bit pattern. A later
// version may add records and lengthen records at their end; a reader takes
// what it knows and skips the rest (StateReader).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tamrik {

class StateWriter {
public:
    StateWriter(int32_t uniqueId, uint32_t version);

    // A record: begin, append its fields, end.
    void begin(const char (&tag)[5]);
    void u32(uint32_t value);
    void f32(float value);
    // A text field: its length, then its bytes.
    void text(std::string_view value);
    void end();

    // The finished state (the writer is spent afterwards).
    std::vector<uint8_t> finish();

private:
    void put(uint32_t value, size_t at);

    std::vector<uint8_t> bytes_;
    size_t recordStart_ = 0;
};

// CRC-32 of size bytes (IEEE polynomial, reflected, as zlib).
uint32_t crc32(const uint8_t* data, size_t size);

}  // namespace tamrik
