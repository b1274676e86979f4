#include "synth/RowSums.h"

#include <bit>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "synth/DrumVoices.h"
#include "synth/PeakMeter.h"

namespace tamrik {

namespace {

// Adds `count` rows that all span the chunk to out1 (and out2 when `both`),
// row after row in registers.
template <bool both>
void addWholeRows(float* out1, float* out2, const float* const* rows, int32_t count,
                  int32_t frames) {
    int32_t n = 0;
#if defined(__SSE2__)
    if (count == 1 && !both) {  // a pad's lone voice, as often in a kit
        for (; n + 4 <= frames; n += 4)
            _mm_storeu_ps(out1 + n, _mm_add_ps(_mm_loadu_ps(out1 + n), _mm_load_ps(rows[0] + n)));
    }
    for (; n + 4 <= frames; n += 4) {
        __m128 sum1 = _mm_loadu_ps(out1 + n), sum2 = both ? _mm_loadu_ps(out2 + n) : sum1;
        for (int32_t k = 0; k < count; ++k) {
            const __m128 x = _mm_load_ps(rows[k] + n);
            sum1 = _mm_add_ps(sum1, x);
            if constexpr (both) sum2 = _mm_add_ps(sum2, x);
        }
        _mm_storeu_ps(out1 + n, sum1);
        if constexpr (both) _mm_storeu_ps(out2 + n, sum2);
    }
#endif
    for (; n < frames; ++n) {
        float sum1 = out1[n], sum2 = both ? out2[n] : 0.0f;
        for (int32_t k = 0; k < count; ++k) {
            sum1 = sum1 + rows[k][n];
            if constexpr (both) sum2 = sum2 + rows[k][n];
        }
        out1[n] = sum1;
        if constexpr (both) out2[n] = sum2;
    }
}

// out1[n] + sum[n], then out2[n] + sum[n], sample by sample (out2 may be out1).
void addTwice(float* out1, float* out2, const float* sum, int32_t frames) {
    for (int32_t n = 0; n < frames; ++n) {
        out1[n] = out1[n] + sum[n];
        out2[n] = out2[n] + sum[n];
    }
}

}  // namespace

float RowSums::addSum(const DrumVoices& sound, float* out1, float* out2, const float* const* row,
                      int32_t frames) {
    const float* whole[DrumVoices::kVoices];
    int32_t count = 0;
    for (uint32_t rest = sound.soundingMask; rest != 0; rest &= rest - 1) {
        const int32_t v = std::countr_zero(rest);
        if (sound.start[v] != 0 || sound.end[v] != frames) {
            alignas(16) float sum[DrumVoices::kChunk] = {};
            add(sound, sum, nullptr, row, frames);
            addTwice(out1, out2, sum, frames);
            return PeakMeter::peakOf(sum, frames);
        }
        whole[count++] = row[v];
    }
    float top = 0.0f;
    int32_t n = 0;
#if defined(__SSE2__)
    // The sum stays in registers: no cleared buffer to add it in.
    __m128 tops = _mm_setzero_ps();
    if (count == 1) {  // a pad's lone voice, as often in a kit
        const __m128 zero = _mm_setzero_ps();
        for (; n + 4 <= frames; n += 4) {
            const __m128 sum = _mm_add_ps(zero, _mm_load_ps(whole[0] + n));
            _mm_storeu_ps(out1 + n, _mm_add_ps(_mm_loadu_ps(out1 + n), sum));
            _mm_storeu_ps(out2 + n, _mm_add_ps(_mm_loadu_ps(out2 + n), sum));
            tops = PeakMeter::keepLarger(tops, sum);
        }
    }
    for (; n + 4 <= frames; n += 4) {
        __m128 sum = _mm_setzero_ps();
        for (int32_t k = 0; k < count; ++k) sum = _mm_add_ps(sum, _mm_load_ps(whole[k] + n));
        _mm_storeu_ps(out1 + n, _mm_add_ps(_mm_loadu_ps(out1 + n), sum));
        _mm_storeu_ps(out2 + n, _mm_add_ps(_mm_loadu_ps(out2 + n), sum));
        tops = PeakMeter::keepLarger(tops, sum);
    }
    top = PeakMeter::largest(tops);
#endif
    for (; n < frames; ++n) {
        float sum = 0.0f;
        for (int32_t k = 0; k < count; ++k) sum = sum + whole[k][n];
        out1[n] = out1[n] + sum;
        out2[n] = out2[n] + sum;
        top = PeakMeter::larger(top, PeakMeter::clipped(sum));
    }
    return top;
}

void RowSums::add(const DrumVoices& sound, float* out1, float* out2, const float* const* row,
                  int32_t frames) {
    // When every voice that sounds in the chunk sounds all of it and the two
    // outputs do not overlap, each group of samples takes the rows one after
    // the other in registers, loaded and stored once.
    const float* whole[DrumVoices::kVoices];
    int32_t count = 0;
    const auto at = [](const float* p) { return reinterpret_cast<uintptr_t>(p); };
    const uintptr_t bytes = static_cast<uintptr_t>(frames) * sizeof(float);
    bool partial = out2 && at(out1) < at(out2) + bytes && at(out2) < at(out1) + bytes;
    for (uint32_t rest = sound.soundingMask; rest != 0 && !partial; rest &= rest - 1) {
        const int32_t v = std::countr_zero(rest);
        if (sound.start[v] == 0 && sound.end[v] == frames)
            whole[count++] = row[v];
        else
            partial = true;
    }
    if (!partial) {
        if (out2)
            addWholeRows<true>(out1, out2, whole, count, frames);
        else
            addWholeRows<false>(out1, out1, whole, count, frames);
        return;
    }
    // Voice by voice, in the order the outputs see the adds even if they are
    // the same buffer.
    for (uint32_t rest = sound.soundingMask; rest != 0; rest &= rest - 1) {
        const int32_t v = std::countr_zero(rest);
        for (int32_t n = sound.start[v]; n < sound.end[v]; ++n) {
            out1[n] = out1[n] + row[v][n];
            if (out2) out2[n] = out2[n] + row[v][n];
        }
    }
}

}  // namespace tamrik
