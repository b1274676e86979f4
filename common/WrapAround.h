// 32-bit integer sums that wrap around instead of overflowing: the sound's
// integer arithmetic (filter state, stage counts, lengths from any host
// value) is defined this way, and signed overflow would be undefined.
#pragma once

#include <cstdint>

namespace tamrik {

constexpr int32_t wrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

constexpr int32_t wrapSub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

}  // namespace tamrik
