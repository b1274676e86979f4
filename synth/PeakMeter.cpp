#include "synth/PeakMeter.h"

#include <algorithm>
#include <bit>

namespace tamrik {

PeakMeter::PeakMeter(int32_t count) : count_(std::clamp(count, int32_t{0}, kMaxMeters)) {}

float PeakMeter::peakOf(const float* samples, int32_t n) {
    float top = 0.0f;
    int32_t i = 0;
#if defined(__SSE2__)
    // Four maxima side by side: one alone waits on itself.
    __m128 best[4] = {_mm_setzero_ps(), _mm_setzero_ps(), _mm_setzero_ps(), _mm_setzero_ps()};
    for (; i + 16 <= n; i += 16)
        for (int32_t k = 0; k < 4; ++k) best[k] = keepLarger(best[k], _mm_loadu_ps(samples + i + 4 * k));
    for (; i + 4 <= n; i += 4) best[0] = keepLarger(best[0], _mm_loadu_ps(samples + i));
    top = largest(_mm_max_ps(_mm_max_ps(best[0], best[1]), _mm_max_ps(best[2], best[3])));
#endif
    for (; i < n; ++i) top = larger(top, clipped(samples[i]));
    return top;
}

void PeakMeter::publish(const float* peaks) {
    const uint32_t at = written.load(std::memory_order_relaxed);
    const bool room = at - taken.load(std::memory_order_acquire) < kRecords;
    std::atomic<uint32_t>* record = words[at % kRecords];
    for (int32_t m = 0; m < count_; ++m) {
        float value = clipped(peaks[m]);
        if (hasPending) value = larger(value, pending[m]);
        if (room)
            record[m].store(std::bit_cast<uint32_t>(value), std::memory_order_relaxed);
        else
            pending[m] = value;
    }
    hasPending = !room;
    if (room) written.store(at + 1, std::memory_order_release);
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
