#include "synth/PeakMeter.h"

#include <algorithm>
#include <bit>

namespace tamrik {

namespace {

constexpr uint32_t kMagnitude = 0x7fffffffu;
constexpr uint32_t kInfinity = 0x7f800000u;

// |x| as bits, NaN as infinity: the bits of non-negative floats order as
// their values, so the peak is an integer maximum.
uint32_t clipBits(float x) {
    const uint32_t bits = std::bit_cast<uint32_t>(x) & kMagnitude;
    return bits > kInfinity ? kInfinity : bits;
}

}  // namespace

float PeakMeter::clipped(float x) { return std::bit_cast<float>(clipBits(x)); }

PeakMeter::PeakMeter(int32_t count) : count_(std::clamp(count, int32_t{0}, kMaxMeters)) {}

float PeakMeter::peakOf(const float* samples, int32_t n) {
    // Signed 32-bit lanes: the magnitudes' top bit is clear, and SSE2 has a
    // signed compare only.
    int32_t top = 0;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t bits = static_cast<int32_t>(std::bit_cast<uint32_t>(samples[i]) & kMagnitude);
        top = bits > top ? bits : top;
    }
    return clipped(std::bit_cast<float>(top));
}

void PeakMeter::publish(const float* peaks) {
    const uint32_t at = written.load(std::memory_order_relaxed);
    const bool full = at - taken.load(std::memory_order_acquire) >= kRecords;
    for (int32_t m = 0; m < count_; ++m) {
        const float value = clipped(peaks[m]);
        pending[m] = hasPending ? larger(pending[m], value) : value;
    }
    hasPending = true;
    if (full) return;
    std::atomic<uint32_t>* record = words[at % kRecords];
    for (int32_t m = 0; m < count_; ++m)
        record[m].store(std::bit_cast<uint32_t>(pending[m]), std::memory_order_relaxed);
    hasPending = false;
    written.store(at + 1, std::memory_order_release);
}

bool PeakMeter::take(float* peaks) {
    const uint32_t from = taken.load(std::memory_order_relaxed);
    const uint32_t to = written.load(std::memory_order_acquire);
    if (from == to) return false;
    for (int32_t m = 0; m < count_; ++m) peaks[m] = 0.0f;
    for (uint32_t r = from; r != to; ++r)
        for (int32_t m = 0; m < count_; ++m)
            peaks[m] = larger(peaks[m],
                              std::bit_cast<float>(words[r % kRecords][m].load(std::memory_order_relaxed)));
    taken.store(to, std::memory_order_release);
    return true;
}

}  // namespace tamrik
