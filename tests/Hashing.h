// The hash of the golden snapshots (sound as raw float bits, pictures as
// pixels): 64-bit FNV-1a over 32-bit words, a byte at a time, low byte
// first. Changing it changes every golden value.
#pragma once

#include <cstdint>

namespace tamrik::test {

class Fnv1a {
public:
    void add(uint32_t word) {
        for (int k = 0; k < 4; ++k) {
            value_ ^= (word >> (8 * k)) & 0xFF;
            value_ *= 1099511628211ull;
        }
    }
    uint64_t value() const { return value_; }

private:
    uint64_t value_ = 1469598103934665603ull;
};

}  // namespace tamrik::test
