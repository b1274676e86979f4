// The fuzzer's bytes read as a stream of small decisions. Reading past the
// end gives zeros, so every input, however short, is a whole sequence and a
// fuzzer mutation changes one decision rather than shifting all that follow.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace tamrik::fuzz {

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool empty() const { return pos_ >= size_; }

    template <typename T>
    T take() {
        T value{};
        const size_t n = pos_ < size_ ? std::min(sizeof value, size_ - pos_) : 0;
        if (n) std::memcpy(&value, data_ + pos_, n);
        pos_ += sizeof value;
        return value;
    }
    uint8_t byte() { return take<uint8_t>(); }
    // A value from 0 to count - 1.
    uint32_t below(uint32_t count) { return count ? take<uint16_t>() % count : 0; }
    // Up to `most` bytes, fewer where the input ends.
    std::span<const uint8_t> bytes(size_t most) {
        const size_t start = pos_ < size_ ? pos_ : size_;
        const size_t n = std::min(most, size_ - start);
        pos_ = start + n;
        return {data_ + start, n};
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

}  // namespace tamrik::fuzz
