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
#include <cstdint>

namespace tamrik {

class PeakMeter {
public:
    static constexpr int32_t kMaxMeters = 34;
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
    // one is NaN; a pass the compiler vectorises, for the audio thread.
    static float peakOf(const float* samples, int32_t n);
    // The larger of two peaks as peakOf gives them.
    static float larger(float a, float b) { return a > b ? a : b; }
    // |x| as a peak: +infinity for NaN.
    static float clipped(float x);

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
