#include "synth/StateReader.h"

#include <bit>
#include <cmath>

#include "synth/StateWriter.h"

namespace tamrik {

namespace {

uint32_t littleEndian(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

StateReader::StateReader(const uint8_t* data, size_t size, int32_t uniqueId) {
    if (!data || size < 16) return;
    const auto id = static_cast<uint32_t>(uniqueId);
    for (int k = 0; k < 4; ++k)
        if (data[k] != uint8_t(id >> (24 - 8 * k))) return;
    version_ = littleEndian(data + 4);
    const uint32_t length = littleEndian(data + 8);
    if (version_ == 0 || length != size - 16) return;
    if (crc32(data, size - 4) != littleEndian(data + size - 4)) return;
    body_ = data + 12;
    bodySize_ = length;
    valid_ = true;
}

bool StateReader::next(char (&tag)[5]) {
    if (!valid_) return false;
    at_ = recordEnd_;
    if (at_ == bodySize_) return false;
    if (bodySize_ - at_ < 8) return ok_ = false;  // a torn record header
    for (int k = 0; k < 4; ++k) tag[k] = char(body_[at_ + size_t(k)]);
    tag[4] = '\0';
    const uint32_t length = littleEndian(body_ + at_ + 4);
    at_ += 8;
    if (length > bodySize_ - at_) {
        ok_ = false;
        return false;
    }
    recordEnd_ = at_ + length;
    return true;
}

bool StateReader::u32(uint32_t& value) {
    if (!ok_ || recordEnd_ - at_ < 4) return ok_ = false;
    value = littleEndian(body_ + at_);
    at_ += 4;
    return true;
}

bool StateReader::f32(float& value) {
    uint32_t bits = 0;
    if (!u32(bits)) return false;
    value = std::bit_cast<float>(bits);
    if (!std::isfinite(value)) ok_ = false;
    return ok_;
}

bool StateReader::text(std::string& value, size_t limit) {
    uint32_t length = 0;
    if (!u32(length)) return false;
    if (length > limit || length > recordEnd_ - at_) return ok_ = false;
    value.assign(reinterpret_cast<const char*>(body_ + at_), length);
    at_ += length;
    return true;
}

}  // namespace tamrik
