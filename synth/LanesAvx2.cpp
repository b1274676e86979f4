// The voice kernel in eight AVX2 lanes, compiled with -mavx2 (and no FMA) for
// the CPUs that have it; DrumVoices picks it at run time.
#include "synth/LoneVoice.h"

#if defined(__AVX2__)
#include <immintrin.h>

namespace tamrik {

namespace {

// Four of the eight lanes, for the filter: their doubles fill one register.
struct Avx2Half {
    static constexpr int32_t W = 4;
    using I = __m128i;
    using F = __m128;
    using D = __m256d;
    using M = __m128i;
    static I loadI(const int32_t* p) { return _mm_loadu_si128(reinterpret_cast<const I*>(p)); }
    static void storeI(int32_t* p, I x) { _mm_storeu_si128(reinterpret_cast<I*>(p), x); }
    static F loadF(const float* p) { return _mm_loadu_ps(p); }
    static I addI(I a, I b) { return _mm_add_epi32(a, b); }
    static I subI(I a, I b) { return _mm_sub_epi32(a, b); }
    static D toD(I a) { return _mm256_cvtepi32_pd(a); }
    static D toD(F a) { return _mm256_cvtps_pd(a); }
    static D mulD(D a, D b) { return _mm256_mul_pd(a, b); }
    static I roundD(D a) { return _mm256_cvtpd_epi32(a); }
    static I blend(M m, I a, I b) { return _mm_blendv_epi8(b, a, m); }
    // The filter's state in doubles (FilterLanes).
    using MD = __m256d;
    static MD maskD(M m) { return _mm256_castsi256_pd(_mm256_cvtepi32_epi64(m)); }
    static D addD(D a, D b) { return _mm256_add_pd(a, b); }
    static D subD(D a, D b) { return _mm256_sub_pd(a, b); }
    static D nearestD(D a) { return _mm256_round_pd(a, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC); }
    static D blendD(MD m, D a, D b) { return _mm256_blendv_pd(b, a, m); }
    // max(a, |v|) for a >= 0.
    static D maxAbsD(D a, D v) { return _mm256_max_pd(a, _mm256_andnot_pd(_mm256_set1_pd(-0.0), v)); }
    static D zeroD() { return _mm256_setzero_pd(); }
    // Every |a| below `limit` (false for NaN).
    static bool magnitudesBelow(D a, double limit) {
        const D magnitude = _mm256_andnot_pd(_mm256_set1_pd(-0.0), a);
        return _mm256_movemask_pd(_mm256_cmp_pd(magnitude, _mm256_set1_pd(limit), _CMP_LT_OQ)) ==
               0xF;
    }
};

struct Avx2 {
    static constexpr int32_t W = 8;
    using Half = Avx2Half;
    using I = __m256i;
    using F = __m256;
    using M = __m256i;  // all ones or all zeros per lane
    struct D {
        __m256d lo, hi;
    };

    static I loadI(const int32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const I*>(p)); }
    static void storeI(int32_t* p, I x) { _mm256_storeu_si256(reinterpret_cast<I*>(p), x); }
    static I setI(int32_t x) { return _mm256_set1_epi32(x); }
    static I addI(I a, I b) { return _mm256_add_epi32(a, b); }
    static I subI(I a, I b) { return _mm256_sub_epi32(a, b); }
    static I andI(I a, I b) { return _mm256_and_si256(a, b); }
    static M cmpgtI(I a, I b) { return _mm256_cmpgt_epi32(a, b); }
    static M cmpeqI(I a, I b) { return _mm256_cmpeq_epi32(a, b); }

    static F loadF(const float* p) { return _mm256_loadu_ps(p); }
    static void storeF(float* p, F x) { _mm256_storeu_ps(p, x); }
    static F setF(float x) { return _mm256_set1_ps(x); }
    static F addF(F a, F b) { return _mm256_add_ps(a, b); }
    static F subF(F a, F b) { return _mm256_sub_ps(a, b); }
    static F mulF(F a, F b) { return _mm256_mul_ps(a, b); }
    static F minF(F a, F b) { return _mm256_min_ps(a, b); }
    static F maxF(F a, F b) { return _mm256_max_ps(a, b); }
    static F sqrtF(F a) { return _mm256_sqrt_ps(a); }
    static M cmpgeF(F a, F b) { return _mm256_castps_si256(_mm256_cmp_ps(a, b, _CMP_GE_OQ)); }
    static F toF(I a) { return _mm256_cvtepi32_ps(a); }
    static I roundF(F a) { return _mm256_cvtps_epi32(a); }
    static F gather(const float* row, I at) { return _mm256_i32gather_ps(row, at, 4); }

    static Half::M part(M m, int32_t p, Half) {
        return p ? _mm256_extracti128_si256(m, 1) : _mm256_castsi256_si128(m);
    }
    static Half::D part(const D& d, int32_t p, Half) { return p ? d.hi : d.lo; }
    // The masked form: GCC 12 warns of the plain one's undefined start value.
    static D gatherWide(const double* row, I at) {
        const __m256d all = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
        const __m256d zero = _mm256_setzero_pd();
        return {_mm256_mask_i32gather_pd(zero, row, _mm256_castsi256_si128(at), all, 8),
                _mm256_mask_i32gather_pd(zero, row, _mm256_extracti128_si256(at, 1), all, 8)};
    }
    static D toD(I a) {
        return {_mm256_cvtepi32_pd(_mm256_castsi256_si128(a)),
                _mm256_cvtepi32_pd(_mm256_extracti128_si256(a, 1))};
    }
    static D toD(F a) {
        return {_mm256_cvtps_pd(_mm256_castps256_ps128(a)),
                _mm256_cvtps_pd(_mm256_extractf128_ps(a, 1))};
    }
    static D setD(double x) { return {_mm256_set1_pd(x), _mm256_set1_pd(x)}; }
    static D addD(D a, D b) { return {_mm256_add_pd(a.lo, b.lo), _mm256_add_pd(a.hi, b.hi)}; }
    static D subD(D a, D b) { return {_mm256_sub_pd(a.lo, b.lo), _mm256_sub_pd(a.hi, b.hi)}; }
    static D mulD(D a, D b) { return {_mm256_mul_pd(a.lo, b.lo), _mm256_mul_pd(a.hi, b.hi)}; }
    static D minD(D a, D b) { return {_mm256_min_pd(a.lo, b.lo), _mm256_min_pd(a.hi, b.hi)}; }
    static I roundD(D a) {
        return _mm256_set_m128i(_mm256_cvtpd_epi32(a.hi), _mm256_cvtpd_epi32(a.lo));
    }
    static F toF(D a) { return _mm256_set_m128(_mm256_cvtpd_ps(a.hi), _mm256_cvtpd_ps(a.lo)); }

    static M andM(M a, M b) { return _mm256_and_si256(a, b); }
    static M orM(M a, M b) { return _mm256_or_si256(a, b); }
    static M andnotM(M a, M b) { return _mm256_andnot_si256(a, b); }
    static uint32_t bits(M m) {
        return static_cast<uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(m)));
    }
    static I blend(M m, I a, I b) { return _mm256_blendv_epi8(b, a, m); }
    static F blend(M m, F a, F b) { return _mm256_blendv_ps(b, a, _mm256_castsi256_ps(m)); }
    static I incrementWhere(M m, I x) { return _mm256_sub_epi32(x, m); }
    static I decrementWhere(M m, I x) { return _mm256_add_epi32(x, m); }
    // Samples n .. n + 7 of the eight lanes, from sample-major to the rows.
    static void transposeTile(const float (*tile)[W], float (*rows)[DrumVoices::kChunk], int32_t n) {
        F r[8], t[8], u[8];
        for (int32_t k = 0; k < 8; ++k) r[k] = loadF(tile[k]);
        for (int32_t k = 0; k < 8; k += 2) {
            t[k] = _mm256_unpacklo_ps(r[k], r[k + 1]);
            t[k + 1] = _mm256_unpackhi_ps(r[k], r[k + 1]);
        }
        for (int32_t k = 0; k < 8; k += 4) {  // lanes 0 to 3 (and 4 to 7 above) of 4 samples
            u[k] = _mm256_shuffle_ps(t[k], t[k + 2], _MM_SHUFFLE(1, 0, 1, 0));
            u[k + 1] = _mm256_shuffle_ps(t[k], t[k + 2], _MM_SHUFFLE(3, 2, 3, 2));
            u[k + 2] = _mm256_shuffle_ps(t[k + 1], t[k + 3], _MM_SHUFFLE(1, 0, 1, 0));
            u[k + 3] = _mm256_shuffle_ps(t[k + 1], t[k + 3], _MM_SHUFFLE(3, 2, 3, 2));
        }
        for (int32_t l = 0; l < 4; ++l) {
            storeF(rows[l] + n, _mm256_permute2f128_ps(u[l], u[l + 4], 0x20));
            storeF(rows[l + 4] + n, _mm256_permute2f128_ps(u[l], u[l + 4], 0x31));
        }
    }

    // Integer clip steps: |a| as unsigned, unsigned max and min, a's sign.
    static I absU(I a) { return _mm256_abs_epi32(a); }
    static I maxU(I a, I b) { return _mm256_max_epu32(a, b); }
    static I minU(I a, I b) { return _mm256_min_epu32(a, b); }
    // magnitude with y's sign, 0 where y is 0.
    static I signOf(I magnitude, I y) { return _mm256_sign_epi32(magnitude, y); }
    static D roundWholeD(D a) {
        return {_mm256_cvtepi32_pd(_mm256_cvtpd_epi32(a.lo)),
                _mm256_cvtepi32_pd(_mm256_cvtpd_epi32(a.hi))};
    }
};

}  // namespace

const LanePath kAvx2Lanes = lanePath<Avx2>();

}  // namespace tamrik
#endif
