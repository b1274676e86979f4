// What the tests ask of rendered sound.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace tamrik::test {

// Every sample from `from` on is exactly zero.
inline bool silent(const std::vector<float>& samples, size_t from = 0) {
    return std::all_of(samples.begin() + std::ptrdiff_t(std::min(from, samples.size())), samples.end(),
                       [](float v) { return v == 0.0f; });
}

}  // namespace tamrik::test
