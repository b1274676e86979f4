// A voice rendered alone, with SIMD lanes across time: the samples of a chunk
// take the lanes wherever a sample does not depend on the one before. Only
// the phases (with the sweeps) and the filter carry from sample to sample:
//   1. the stages and every sample's read positions, one sample at a time
//      (loneStages, in DrumVoices.cpp with the one-voice code's own steps);
//   2. wave reads, ring, FM, the mix, the envelope and f, W samples at once;
//   3. the filter, one sample at a time (LoneFilter);
//   4. clip, envelope and gain, W samples at once.
// Every step takes the one-voice code's operations in its order, in the lane
// kernel's instructions (see LaneKernel.h for why they round alike), so each
// sample has the one-voice code's bits. The envelope needs no test per
// sample: a stage ends on the sample its count reaches its length, so the
// counts at the chunk's start give where each stage ends and every sample's
// count. Passes in one loop instead were measured no faster: the filter's
// chain does not overlap the lanes' work either way.
#pragma once

#include <cstdint>

#include "common/WrapAround.h"
#include "synth/LaneKernel.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tamrik {

// What the serial passes and the lanes hand each other over one chunk.
struct LoneSamples {
    static constexpr int32_t kChunk = DrumVoices::kChunk;
    alignas(64) int32_t read1[kChunk], read2[kChunk];  // the rounded phases
    alignas(64) int32_t mixed[kChunk];                 // the filter's input
    alignas(64) float f[kChunk], env[kChunk];
    alignas(64) int32_t y[kChunk];  // the filter's output
    // The samples [start, attackEnd) attack, [attackEnd, holdEnd) hold and
    // [holdEnd, end) release; the counts attack and release start from
    // (hold's value is 1 whatever its count).
    int32_t attackEnd, holdEnd, end;
    int32_t attackFrom, releaseFrom;
};

// Pass 1, in the baseline code: the stages over [start, frames) (stopping
// after the sample on which the voice falls idle) and every sample's read
// positions; the voice's phases, sweeps, counts and stage move on to the
// end. Samples of [start & -width, end rounded up to width) outside the run
// read position 0.
void loneStages(DrumVoices::Voice& voice, const DrumVoices::BlockSettings& s, int32_t start,
                int32_t frames, int32_t width, LoneSamples& in);
#if defined(__SSE2__)
namespace {

// One lane in the low lane of SSE registers, for the lane kernel's filter
// (FilterLanes) run one sample at a time: its sums wrap as the one-voice
// code's int32 sums do, and cvtdq2pd, mulsd and cvtpd2dq round as its
// products do. The state never leaves the SSE registers, where a round trip
// through the integer registers would lengthen the chain from one sample to
// the next.
struct OneLane {
    static constexpr int32_t W = 1;
    using I = __m128i;
    using D = __m128d;
    using M = __m128i;
    static I loadI(const int32_t* p) { return _mm_cvtsi32_si128(*p); }
    static void storeI(int32_t* p, I x) { *p = _mm_cvtsi128_si32(x); }
    static I addI(I a, I b) { return _mm_add_epi32(a, b); }
    static I subI(I a, I b) { return _mm_sub_epi32(a, b); }
    static D toD(I a) { return _mm_cvtepi32_pd(a); }
    static D mulD(D a, D b) { return _mm_mul_sd(a, b); }
    static I roundD(D a) { return _mm_cvtpd_epi32(a); }
    static I blend(M m, I a, I b) {
        return _mm_or_si128(_mm_and_si128(m, a), _mm_andnot_si128(m, b));
    }
};

// The filter of a voice alone, one sample at a time.
template <int32_t weight>
class LoneFilter {
public:
    LoneFilter(const DrumVoices::Voice& v, const DrumVoices::BlockSettings& s)
        : lanes(v), damping(_mm_set_sd(s.damping)),
          pick{s.filterType == 0 || s.filterType == 1 ? s.filterType : 2, __m128i{}, __m128i{}} {}

    // y for the input x at the coefficient f.
    int32_t step(int32_t x, float coefficient) {
        const __m128d f = _mm_cvtss_sd(damping, _mm_load_ss(&coefficient));
        return _mm_cvtsi128_si32(
            lanes.template step<false>(_mm_cvtsi32_si128(x), f, damping, __m128i{}, pick));
    }

    void save(DrumVoices::Voice& v) const { lanes.store(v); }

private:
    using Lanes = FilterLanes<OneLane, weight>;
    Lanes lanes;
    __m128d damping;
    typename Lanes::Pick pick;
};

template <class V, int32_t weight>
int32_t renderLone(DrumVoices::Voice& voice, float* row, int32_t start, int32_t frames,
                   const DrumVoices::BlockSettings& s) {
    using I = typename V::I;
    using F = typename V::F;
    using D = typename V::D;
    constexpr int32_t W = V::W;
    alignas(64) LoneSamples in;
    loneStages(voice, s, start, frames, W, in);
    if (in.end == start) return start;
    // Whole vectors inside the chunk: a row has kChunk samples, a multiple of W.
    const int32_t lo = start & -W, hi = (in.end + W - 1) & -W;

    alignas(64) static constexpr int32_t kIota[16] = {0, 1, 2,  3,  4,  5,  6,  7,
                                                      8, 9, 10, 11, 12, 13, 14, 15};
    const I indexMask = V::setI(WaveTables::kLength - 1);
    const double* const wide = WaveTables::Reader::originWide();
    const D fmDepth = V::setD(2046), mix1 = V::setD(s.mix1),
            mix2 = V::setD(s.fmOn ? 0.5 * s.mix2 : s.mix2);
    const D attackStep = V::setD(s.attackStep), releaseStep = V::setD(s.releaseStep),
            releaseLength = V::setD(s.releaseLength), envDepth = V::setD(s.envDepth),
            cutoffBase = V::setD(voice.cutoffBase);
    const F one = V::setF(1.0f);
    const F fHold = coefficientOf<V>(V::setD(1.0), envDepth, cutoffBase);
    // The counts of sample n, as (from - first sample of the stage) + n.
    const I attackCount = V::setI(wrapSub(in.attackFrom, start));
    const I releaseCount = V::setI(wrapSub(in.releaseFrom, in.holdEnd));

    // Pass 2: oscillators, mix, envelope and coefficient.
    for (int32_t n = lo; n < hi; n += W) {
        const I i1 = V::loadI(in.read1 + n), i2 = V::loadI(in.read2 + n);
        const I at1 = V::andI(i1, indexMask), at2 = V::andI(i2, indexMask);
        D s1 = V::gatherWide(wide + s.osc1At, at1);
        D s2 = V::gatherWide(wide + s.osc2At, at2);
        if (s.ringOn) s1 = V::mulD(s1, V::gatherWide(wide + s.plain2At, at2));
        if (s.fmOn) {  // its halving is in mix2 (the same real product)
            const I at = V::andI(V::roundD(V::addD(V::toD(i1), V::mulD(fmDepth, s2))), indexMask);
            s2 = V::gatherWide(wide + s.plain1At, at);
        }
        V::storeI(in.mixed + n,
                  V::addI(V::roundD(V::mulD(mix1, s1)), V::roundD(V::mulD(mix2, s2))));

        if (n >= in.attackEnd && n + W <= in.holdEnd) {  // all hold: env 1
            V::storeF(in.env + n, one);
            V::storeF(in.f + n, fHold);
            continue;
        }
        const I at = V::addI(V::setI(n), V::loadI(kIota));
        F env = one;
        if (n < in.attackEnd) {
            const F attack = V::toF(V::mulD(V::toD(V::addI(attackCount, at)), attackStep));
            env = V::blend(V::cmpgtI(V::setI(in.attackEnd), at), attack, env);
        }
        if (n + W > in.holdEnd) {
            const D left = V::subD(releaseLength, V::toD(V::addI(releaseCount, at)));
            env = V::blend(V::cmpgtI(at, V::setI(in.holdEnd - 1)),
                           V::toF(V::mulD(left, releaseStep)), env);
        }
        env = envelopeCurve<V>(env, s.curveMode);
        V::storeF(in.env + n, env);
        V::storeF(in.f + n, coefficientOf<V>(V::toD(env), envDepth, cutoffBase));
    }

    // Pass 3: the filter.
    LoneFilter<weight> filter(voice, s);
    for (int32_t n = lo; n < start; ++n) in.y[n] = 0;
    for (int32_t n = start; n < in.end; ++n) in.y[n] = filter.step(in.mixed[n], in.f[n]);
    for (int32_t n = in.end; n < hi; ++n) in.y[n] = 0;
    filter.save(voice);

    // Pass 4: clip, envelope and gain.
    const ClipBounds<V> bounds(V::setI(s.clipFloor), V::setI(s.clipCeiling));
    const D makeup = V::setD(s.clipMakeup), gain = V::setD(voice.voiceGain);
    const bool held = in.attackEnd == start && in.holdEnd == in.end;  // y x 1 is y
    for (int32_t n = lo; n < hi; n += W) {
        D y = clipScaled<V>(V::loadI(in.y + n), s, bounds, makeup);
        if (!held) y = V::mulD(y, V::toD(V::loadF(in.env + n)));
        V::storeF(row + n, V::toF(V::mulD(y, gain)));
    }
    return in.end;
}

}  // namespace
#endif

}  // namespace tamrik
