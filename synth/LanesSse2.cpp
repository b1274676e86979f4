// The voice kernel in four SSE2 lanes: the baseline of every x86-64 CPU (and
// of the 32-bit Windows build). SSE2 has no gather and no blend: four loads
// and and/andnot/or stand in for them.
#include "synth/LoneVoice.h"

#if defined(__SSE2__)
#include <emmintrin.h>

namespace tamrik {

namespace {

struct Sse2 {
    static constexpr int32_t W = 4;
    // The filter takes the group whole.
    using Half = Sse2;
    using I = __m128i;
    using F = __m128;
    using M = __m128i;  // all ones or all zeros per lane
    struct D {
        __m128d lo, hi;
    };

    static I loadI(const int32_t* p) { return _mm_loadu_si128(reinterpret_cast<const I*>(p)); }
    static void storeI(int32_t* p, I x) { _mm_storeu_si128(reinterpret_cast<I*>(p), x); }
    static I setI(int32_t x) { return _mm_set1_epi32(x); }
    static I addI(I a, I b) { return _mm_add_epi32(a, b); }
    static I subI(I a, I b) { return _mm_sub_epi32(a, b); }
    static I andI(I a, I b) { return _mm_and_si128(a, b); }
    static M cmpgtI(I a, I b) { return _mm_cmpgt_epi32(a, b); }
    static M cmpeqI(I a, I b) { return _mm_cmpeq_epi32(a, b); }

    static F loadF(const float* p) { return _mm_loadu_ps(p); }
    static void storeF(float* p, F x) { _mm_storeu_ps(p, x); }
    static F setF(float x) { return _mm_set1_ps(x); }
    static F addF(F a, F b) { return _mm_add_ps(a, b); }
    static F subF(F a, F b) { return _mm_sub_ps(a, b); }
    static F mulF(F a, F b) { return _mm_mul_ps(a, b); }
    static F minF(F a, F b) { return _mm_min_ps(a, b); }
    static F maxF(F a, F b) { return _mm_max_ps(a, b); }
    static F sqrtF(F a) { return _mm_sqrt_ps(a); }
    static M cmpgeF(F a, F b) { return _mm_castps_si128(_mm_cmpge_ps(a, b)); }
    static F toF(I a) { return _mm_cvtepi32_ps(a); }
    static I roundF(F a) { return _mm_cvtps_epi32(a); }
    // The four positions of `at`, which are never negative: on x86-64 two
    // to a 64-bit move, fewer steps than one lane at a time or a store.
    struct Positions {
        uint32_t i[4];
        explicit Positions(I at) {
#if defined(__x86_64__)
            const auto low = static_cast<uint64_t>(_mm_cvtsi128_si64(at));
            const auto high = static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(at, at)));
            i[0] = static_cast<uint32_t>(low), i[1] = static_cast<uint32_t>(low >> 32);
            i[2] = static_cast<uint32_t>(high), i[3] = static_cast<uint32_t>(high >> 32);
#else
            _mm_storeu_si128(reinterpret_cast<I*>(i), at);
#endif
        }
    };
    static F gather(const float* row, I at) {
        const Positions p(at);
        return _mm_setr_ps(row[p.i[0]], row[p.i[1]], row[p.i[2]], row[p.i[3]]);
    }

    template <class T>
    static T part(T x, int32_t, Half) {
        return x;
    }
    // Two doubles a register: a load and a load of the high half each.
    static D gatherWide(const double* row, I at) {
        const Positions p(at);
        return {_mm_loadh_pd(_mm_load_sd(row + p.i[0]), row + p.i[1]),
                _mm_loadh_pd(_mm_load_sd(row + p.i[2]), row + p.i[3])};
    }
    static D toD(I a) {
        return {_mm_cvtepi32_pd(a), _mm_cvtepi32_pd(_mm_shuffle_epi32(a, _MM_SHUFFLE(1, 0, 3, 2)))};
    }
    static D toD(F a) { return {_mm_cvtps_pd(a), _mm_cvtps_pd(_mm_movehl_ps(a, a))}; }
    static D setD(double x) { return {_mm_set1_pd(x), _mm_set1_pd(x)}; }
    static D addD(D a, D b) { return {_mm_add_pd(a.lo, b.lo), _mm_add_pd(a.hi, b.hi)}; }
    static D subD(D a, D b) { return {_mm_sub_pd(a.lo, b.lo), _mm_sub_pd(a.hi, b.hi)}; }
    static D mulD(D a, D b) { return {_mm_mul_pd(a.lo, b.lo), _mm_mul_pd(a.hi, b.hi)}; }
    static D minD(D a, D b) { return {_mm_min_pd(a.lo, b.lo), _mm_min_pd(a.hi, b.hi)}; }
    static I roundD(D a) {
        return _mm_unpacklo_epi64(_mm_cvtpd_epi32(a.lo), _mm_cvtpd_epi32(a.hi));
    }
    static F toF(D a) { return _mm_movelh_ps(_mm_cvtpd_ps(a.lo), _mm_cvtpd_ps(a.hi)); }

    static M andM(M a, M b) { return _mm_and_si128(a, b); }
    static M orM(M a, M b) { return _mm_or_si128(a, b); }
    static M andnotM(M a, M b) { return _mm_andnot_si128(a, b); }
    static uint32_t bits(M m) {
        return static_cast<uint32_t>(_mm_movemask_ps(_mm_castsi128_ps(m)));
    }
    static I blend(M m, I a, I b) {
        return _mm_or_si128(_mm_and_si128(m, a), _mm_andnot_si128(m, b));
    }
    static F blend(M m, F a, F b) {
        const F mask = _mm_castsi128_ps(m);
        return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b));
    }
    static I incrementWhere(M m, I x) { return _mm_sub_epi32(x, m); }
    static I decrementWhere(M m, I x) { return _mm_add_epi32(x, m); }
    // Samples n .. n + 3 of the four lanes, from sample-major to the rows.
    static void transposeTile(const float (*tile)[W], float (*rows)[DrumVoices::kChunk], int32_t n) {
        F r0 = loadF(tile[0]), r1 = loadF(tile[1]), r2 = loadF(tile[2]), r3 = loadF(tile[3]);
        _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
        storeF(rows[0] + n, r0);
        storeF(rows[1] + n, r1);
        storeF(rows[2] + n, r2);
        storeF(rows[3] + n, r3);
    }

    // Integer clip steps: |a| as unsigned, unsigned max and min, a's sign.
    static I absU(I a) {
        const I sign = _mm_srai_epi32(a, 31);
        return _mm_sub_epi32(_mm_xor_si128(a, sign), sign);
    }
    static I maxU(I a, I b) { return blend(cmpgtU(a, b), a, b); }
    static I minU(I a, I b) { return blend(cmpgtU(a, b), b, a); }
    static M cmpgtU(I a, I b) {
        const I flip = _mm_set1_epi32(INT32_MIN);
        return _mm_cmpgt_epi32(_mm_xor_si128(a, flip), _mm_xor_si128(b, flip));
    }
    // magnitude with y's sign, 0 where y is 0.
    static I signOf(I magnitude, I y) {
        const I zeroI = _mm_setzero_si128();
        const I negated = _mm_sub_epi32(zeroI, magnitude);
        return _mm_or_si128(_mm_and_si128(_mm_cmpgt_epi32(y, zeroI), magnitude),
                            _mm_and_si128(_mm_cmpgt_epi32(zeroI, y), negated));
    }
    // The clip stage in doubles (see clipScaled): SSE2 has no unsigned min
    // and max, while double has min, max and a sign bit.
    static D clipD(I y, bool withFloor, const D& floor, const D& ceiling) {
        const D x = toD(y);
        const auto half = [withFloor](__m128d v, __m128d lowest, __m128d highest) {
            const __m128d sign = _mm_set1_pd(-0.0);
            __m128d magnitude = _mm_andnot_pd(sign, v);
            if (withFloor) magnitude = _mm_max_pd(magnitude, lowest);
            const __m128d signedM = _mm_or_pd(_mm_min_pd(magnitude, highest), _mm_and_pd(sign, v));
            return _mm_and_pd(signedM, _mm_cmpneq_pd(v, _mm_setzero_pd()));
        };
        return {half(x.lo, floor.lo, ceiling.lo), half(x.hi, floor.hi, ceiling.hi)};
    }
    static D roundWholeD(D a) {
        return {_mm_cvtepi32_pd(_mm_cvtpd_epi32(a.lo)), _mm_cvtepi32_pd(_mm_cvtpd_epi32(a.hi))};
    }
};

}  // namespace

const LanePath kSse2Lanes = lanePath<Sse2>();

}  // namespace tamrik
#endif
