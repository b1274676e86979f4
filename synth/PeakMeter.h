// Peaks from the audio thread to the panel: a fixed set of meters, each the
// largest |sample| since the panel last looked. The audio thread publishes
// one record per render that sounded; the panel takes the largest of every
// record since its previous take. A ring of a few records of relaxed 32-bit
// words between two indices (release on write, acquire on read): never a
// lock, an allocation or a wait. When the panel falls behind and the ring is
// full, the producer keeps the peaks and folds them into its next record, so
// no peak is lost, only late.
//
// One producer thread and one consumer thread at a time.
#pragma once

#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tamrik {

class PeakMeter {
public:
    static constexpr int32_t kMaxMeters = 34;
    static constexpr float kClip = std::numeric_limits<float>::infinity();  // a NaN's peak
    // Enough records for a panel that looks every 40 ms while the host
    // renders blocks of 128 frames: the ring seldom fills, so a peak seldom
    // waits a look for its record.
    static constexpr uint32_t kRecords = 16;

    // `count` meters, 0 to kMaxMeters (outside that, clamped).
    explicit PeakMeter(int32_t count);
    PeakMeter(const PeakMeter&) = delete;
    PeakMeter& operator=(const PeakMeter&) = delete;

    int32_t count() const { return count_; }

    // Producer: count() values, each a largest |sample|. A NaN (a sample
    // that was one) is kept as +infinity, a clip; a negative value as its
    // magnitude.
    void publish(const float* peaks);
    // Consumer: per meter the largest value published since the previous
    // take, 0 where none; false, and `peaks` untouched, when nothing new.
    bool take(float* peaks);

    // The largest |samples[i]| over n samples (0 for none), +infinity where
    // one is NaN; a vector pass, for the audio thread.
    static float peakOf(const float* samples, int32_t n);
    // The larger of two peaks as peakOf gives them.
    static float larger(float a, float b) { return a > b ? a : b; }
    // |x| as a peak: +infinity for NaN (for which |x| < kClip is false).
    static float clipped(float x) {
        const float magnitude = std::fabs(x);
        return magnitude < kClip ? magnitude : kClip;
    }
#if defined(__SSE2__)
    // The steps of a vector pass: four peaks, each the larger of itself and
    // clipped(x); and the largest of four. minps gives its second operand
    // where the first is NaN, so NaN becomes infinity before the maximum,
    // which would drop it.
    static __m128 keepLarger(__m128 peaks, __m128 x) {
        const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
        return _mm_max_ps(_mm_min_ps(_mm_and_ps(x, magnitude), _mm_set1_ps(kClip)), peaks);
    }
    static float largest(__m128 peaks) {
        const __m128 half = _mm_max_ps(peaks, _mm_movehl_ps(peaks, peaks));
        return _mm_cvtss_f32(_mm_max_ss(half, _mm_shuffle_ps(half, half, 1)));
    }
#endif

private:
    const int32_t count_;
    // Producer only: what a full ring could not take yet.
    float pending[kMaxMeters] = {};
    bool hasPending = false;
    std::atomic<uint32_t> words[kRecords][kMaxMeters] = {};
    // Records written (producer) and records taken (consumer), counting up
    // and wrapping; each on a line of its own.
    alignas(64) std::atomic<uint32_t> written{0};
    alignas(64) std::atomic<uint32_t> taken{0};
};

}  // namespace tamrik
