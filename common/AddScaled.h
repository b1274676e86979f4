// AddScaled: the one rule by which a mono sound is added to a channel at a
// gain, shared by the Kit's mix and the rendering of a single hit, so that a
// hit drawn or exported off the audio thread holds the very samples the
// instrument plays.
#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tamrik {

// out[i] = float(out[i] + double(mono[i]) * gain). A gain of exactly 1 is a
// single addition: the double sum of two singles rounds to their single sum.
inline void addScaled(float* out, const float* mono, float gain, int32_t n) {
    int32_t i = 0;
    if (gain == 1.0f) {
#if defined(__SSE2__)
        for (; i + 8 <= n; i += 8) {
            _mm_storeu_ps(out + i, _mm_add_ps(_mm_loadu_ps(out + i), _mm_loadu_ps(mono + i)));
            _mm_storeu_ps(out + i + 4, _mm_add_ps(_mm_loadu_ps(out + i + 4), _mm_loadu_ps(mono + i + 4)));
        }
#endif
        for (; i < n; ++i) out[i] = out[i] + mono[i];
        return;
    }
    const double g = gain;
#if defined(__SSE2__)
    const __m128d scale = _mm_set1_pd(g);
    const auto mix = [&](__m128 o, __m128 m) {
        return _mm_cvtpd_ps(_mm_add_pd(_mm_cvtps_pd(o), _mm_mul_pd(_mm_cvtps_pd(m), scale)));
    };
    for (; i + 4 <= n; i += 4) {
        const __m128 o = _mm_loadu_ps(out + i), m = _mm_loadu_ps(mono + i);
        _mm_storeu_ps(out + i, _mm_movelh_ps(mix(o, m), mix(_mm_movehl_ps(o, o), _mm_movehl_ps(m, m))));
    }
#endif
    for (; i < n; ++i) out[i] = static_cast<float>(out[i] + static_cast<double>(mono[i]) * g);
}

}  // namespace tamrik
