#include "synth/StateWriter.h"

#include <array>
#include <bit>
#include <cstring>

namespace tamrik {

namespace {

constexpr std::array<uint32_t, 256> crcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr auto kCrcTable = crcTable();

}  // namespace

uint32_t crc32(const uint8_t* data, size_t size) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) c = kCrcTable[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

StateWriter::StateWriter(int32_t uniqueId, uint32_t version) {
    const auto id = static_cast<uint32_t>(uniqueId);
    for (int shift = 24; shift >= 0; shift -= 8) bytes_.push_back(uint8_t(id >> shift));
    u32(version);
    u32(0);  // the body's length, known at finish
}

void StateWriter::put(uint32_t value, size_t at) {
    for (int k = 0; k < 4; ++k) bytes_[at + size_t(k)] = uint8_t(value >> (8 * k));
}

void StateWriter::u32(uint32_t value) {
    bytes_.resize(bytes_.size() + 4);
    put(value, bytes_.size() - 4);
}

void StateWriter::f32(float value) { u32(std::bit_cast<uint32_t>(value)); }

void StateWriter::text(std::string_view value) {
    u32(uint32_t(value.size()));
    bytes_.insert(bytes_.end(), value.begin(), value.end());
}

void StateWriter::begin(const char (&tag)[5]) {
    bytes_.insert(bytes_.end(), tag, tag + 4);
    u32(0);
    recordStart_ = bytes_.size();
}

void StateWriter::end() { put(uint32_t(bytes_.size() - recordStart_), recordStart_ - 4); }

std::vector<uint8_t> StateWriter::finish() {
    put(uint32_t(bytes_.size() - 12), 8);
    u32(crc32(bytes_.data(), bytes_.size()));
    return std::move(bytes_);
}

}  // namespace tamrik
