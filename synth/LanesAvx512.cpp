// The voice kernel in sixteen AVX-512 lanes (AVX-512F; VL for the filter's
// halves, DQ for their reach), compiled with -mavx512f -mavx512vl
// -mavx512dq for the CPUs that have all three; DrumVoices picks it at run
// time. Masks live in mask registers,
// so a masked lane costs nothing.
#include "synth/LoneVoice.h"

#if defined(__AVX512F__)
#include <immintrin.h>

namespace tamrik {

namespace {

// Eight of the sixteen lanes, for the filter: their doubles fill one
// register (AVX-512VL for the masked blend).
struct Avx512Half {
    static constexpr int32_t W = 8;
    using I = __m256i;
    using F = __m256;
    using D = __m512d;
    using M = __mmask8;
    static I loadI(const int32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const I*>(p)); }
    static void storeI(int32_t* p, I x) { _mm256_storeu_si256(reinterpret_cast<I*>(p), x); }
    static F loadF(const float* p) { return _mm256_loadu_ps(p); }
    static I addI(I a, I b) { return _mm256_add_epi32(a, b); }
    static I subI(I a, I b) { return _mm256_sub_epi32(a, b); }
    static D toD(I a) { return _mm512_cvtepi32_pd(a); }
    static D toD(F a) { return _mm512_cvtps_pd(a); }
    static D mulD(D a, D b) { return _mm512_mul_pd(a, b); }
    static I roundD(D a) { return _mm512_cvtpd_epi32(a); }
    static I blend(M m, I a, I b) { return _mm256_mask_blend_epi32(m, b, a); }
    // The filter's state in doubles (FilterLanes).
    using MD = __mmask8;
    static MD maskD(M m) { return m; }
    static D addD(D a, D b) { return _mm512_add_pd(a, b); }
    static D subD(D a, D b) { return _mm512_sub_pd(a, b); }
    static D nearestD(D a) {
        return _mm512_roundscale_pd(a, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    }
    static D blendD(MD m, D a, D b) { return _mm512_mask_blend_pd(m, b, a); }
    // max(a, |v|) for a >= 0, in one step (AVX-512DQ).
    static D maxAbsD(D a, D v) { return _mm512_range_pd(a, v, 0x0B); }
    static D zeroD() { return _mm512_setzero_pd(); }
    // Every |a| below `limit` (false for NaN).
    static bool magnitudesBelow(D a, double limit) {
        return _mm512_cmp_pd_mask(_mm512_abs_pd(a), _mm512_set1_pd(limit), _CMP_LT_OQ) == 0xFF;
    }
};

struct Avx512 {
    static constexpr int32_t W = 16;
    using Half = Avx512Half;
    using I = __m512i;
    using F = __m512;
    using M = __mmask16;
    struct D {
        __m512d lo, hi;
    };

    static I loadI(const int32_t* p) { return _mm512_loadu_si512(p); }
    static void storeI(int32_t* p, I x) { _mm512_storeu_si512(p, x); }
    static I setI(int32_t x) { return _mm512_set1_epi32(x); }
    static I addI(I a, I b) { return _mm512_add_epi32(a, b); }
    static I subI(I a, I b) { return _mm512_sub_epi32(a, b); }
    static I andI(I a, I b) { return _mm512_and_si512(a, b); }
    static M cmpgtI(I a, I b) { return _mm512_cmpgt_epi32_mask(a, b); }
    static M cmpeqI(I a, I b) { return _mm512_cmpeq_epi32_mask(a, b); }

    static F loadF(const float* p) { return _mm512_loadu_ps(p); }
    static void storeF(float* p, F x) { _mm512_storeu_ps(p, x); }
    static F setF(float x) { return _mm512_set1_ps(x); }
    static F addF(F a, F b) { return _mm512_add_ps(a, b); }
    static F subF(F a, F b) { return _mm512_sub_ps(a, b); }
    static F mulF(F a, F b) { return _mm512_mul_ps(a, b); }
    static F minF(F a, F b) { return _mm512_min_ps(a, b); }
    static F maxF(F a, F b) { return _mm512_max_ps(a, b); }
    static F sqrtF(F a) { return _mm512_sqrt_ps(a); }
    static M cmpgeF(F a, F b) { return _mm512_cmp_ps_mask(a, b, _CMP_GE_OQ); }
    static F toF(I a) { return _mm512_cvtepi32_ps(a); }
    static I roundF(F a) { return _mm512_cvtps_epi32(a); }
    static F gather(const float* row, I at) { return _mm512_i32gather_ps(at, row, 4); }

    static Half::M part(M m, int32_t p, Half) { return static_cast<Half::M>(m >> (8 * p)); }
    static Half::D part(const D& d, int32_t p, Half) { return p ? d.hi : d.lo; }
    static D gatherWide(const double* row, I at) {
        return {_mm512_i32gather_pd(_mm512_castsi512_si256(at), row, 8),
                _mm512_i32gather_pd(_mm512_extracti64x4_epi64(at, 1), row, 8)};
    }
    static D toD(I a) {
        return {_mm512_cvtepi32_pd(_mm512_castsi512_si256(a)),
                _mm512_cvtepi32_pd(_mm512_extracti64x4_epi64(a, 1))};
    }
    static D toD(F a) {
        const __m256 upper = _mm256_castpd_ps(_mm512_extractf64x4_pd(_mm512_castps_pd(a), 1));
        return {_mm512_cvtps_pd(_mm512_castps512_ps256(a)), _mm512_cvtps_pd(upper)};
    }
    static D setD(double x) { return {_mm512_set1_pd(x), _mm512_set1_pd(x)}; }
    static D addD(D a, D b) { return {_mm512_add_pd(a.lo, b.lo), _mm512_add_pd(a.hi, b.hi)}; }
    static D subD(D a, D b) { return {_mm512_sub_pd(a.lo, b.lo), _mm512_sub_pd(a.hi, b.hi)}; }
    static D mulD(D a, D b) { return {_mm512_mul_pd(a.lo, b.lo), _mm512_mul_pd(a.hi, b.hi)}; }
    static D minD(D a, D b) { return {_mm512_min_pd(a.lo, b.lo), _mm512_min_pd(a.hi, b.hi)}; }
    static I roundD(D a) {
        return _mm512_inserti64x4(_mm512_castsi256_si512(_mm512_cvtpd_epi32(a.lo)),
                                  _mm512_cvtpd_epi32(a.hi), 1);
    }
    static F toF(D a) {
        const __m512d lower = _mm512_castps_pd(_mm512_castps256_ps512(_mm512_cvtpd_ps(a.lo)));
        return _mm512_castpd_ps(
            _mm512_insertf64x4(lower, _mm256_castps_pd(_mm512_cvtpd_ps(a.hi)), 1));
    }

    static M andM(M a, M b) { return static_cast<M>(a & b); }
    static M orM(M a, M b) { return static_cast<M>(a | b); }
    static M andnotM(M a, M b) { return static_cast<M>(~a & b); }
    static uint32_t bits(M m) { return m; }
    static I blend(M m, I a, I b) { return _mm512_mask_blend_epi32(m, b, a); }
    static F blend(M m, F a, F b) { return _mm512_mask_blend_ps(m, b, a); }
    static I incrementWhere(M m, I x) {
        return _mm512_mask_add_epi32(x, m, x, _mm512_set1_epi32(1));
    }
    static I decrementWhere(M m, I x) {
        return _mm512_mask_sub_epi32(x, m, x, _mm512_set1_epi32(1));
    }
    // Samples n .. n + 15 of the sixteen lanes, from sample-major to the
    // rows: a 16 x 16 transpose in registers (a scatter a sample costs more).
    static void transposeTile(const float (*tile)[W], float (*rows)[DrumVoices::kChunk], int32_t n) {
        F r[16], t[16];
        for (int32_t k = 0; k < 16; ++k) r[k] = loadF(tile[k]);
        for (int32_t k = 0; k < 16; k += 2) {  // pairs of samples, within each 128-bit block
            t[k] = _mm512_unpacklo_ps(r[k], r[k + 1]);
            t[k + 1] = _mm512_unpackhi_ps(r[k], r[k + 1]);
        }
        // r[4g + c]: lane 4b + c of samples 4g .. 4g + 3 in block b.
        for (int32_t g = 0; g < 4; ++g) {
            const F* p = t + 4 * g;
            r[4 * g] = _mm512_shuffle_ps(p[0], p[2], _MM_SHUFFLE(1, 0, 1, 0));
            r[4 * g + 1] = _mm512_shuffle_ps(p[0], p[2], _MM_SHUFFLE(3, 2, 3, 2));
            r[4 * g + 2] = _mm512_shuffle_ps(p[1], p[3], _MM_SHUFFLE(1, 0, 1, 0));
            r[4 * g + 3] = _mm512_shuffle_ps(p[1], p[3], _MM_SHUFFLE(3, 2, 3, 2));
        }
        // Then, per c, the 4 x 4 blocks of r[c], r[4 + c], r[8 + c], r[12 + c].
        for (int32_t c = 0; c < 4; ++c) {
            const F even01 = _mm512_shuffle_f32x4(r[c], r[4 + c], _MM_SHUFFLE(2, 0, 2, 0));
            const F odd01 = _mm512_shuffle_f32x4(r[c], r[4 + c], _MM_SHUFFLE(3, 1, 3, 1));
            const F even23 = _mm512_shuffle_f32x4(r[8 + c], r[12 + c], _MM_SHUFFLE(2, 0, 2, 0));
            const F odd23 = _mm512_shuffle_f32x4(r[8 + c], r[12 + c], _MM_SHUFFLE(3, 1, 3, 1));
            storeF(rows[c] + n, _mm512_shuffle_f32x4(even01, even23, _MM_SHUFFLE(2, 0, 2, 0)));
            storeF(rows[8 + c] + n, _mm512_shuffle_f32x4(even01, even23, _MM_SHUFFLE(3, 1, 3, 1)));
            storeF(rows[4 + c] + n, _mm512_shuffle_f32x4(odd01, odd23, _MM_SHUFFLE(2, 0, 2, 0)));
            storeF(rows[12 + c] + n, _mm512_shuffle_f32x4(odd01, odd23, _MM_SHUFFLE(3, 1, 3, 1)));
        }
    }

    // Integer clip steps: |a| as unsigned, unsigned max and min, a's sign.
    static I absU(I a) { return _mm512_abs_epi32(a); }
    static I maxU(I a, I b) { return _mm512_max_epu32(a, b); }
    static I minU(I a, I b) { return _mm512_min_epu32(a, b); }
    // magnitude with y's sign, 0 where y is 0.
    static I signOf(I magnitude, I y) {
        const I zeroI = _mm512_setzero_si512();
        const I signedM =
            _mm512_mask_sub_epi32(magnitude, _mm512_cmplt_epi32_mask(y, zeroI), zeroI, magnitude);
        return _mm512_maskz_mov_epi32(_mm512_cmpneq_epi32_mask(y, zeroI), signedM);
    }
    static D roundWholeD(D a) {
        return {_mm512_cvtepi32_pd(_mm512_cvtpd_epi32(a.lo)),
                _mm512_cvtepi32_pd(_mm512_cvtpd_epi32(a.hi))};
    }
};

}  // namespace

const LanePath kAvx512Lanes = lanePath<Avx512>();

}  // namespace tamrik
#endif
