// The voice rendered in SIMD lanes: one template for every lane width. Each
// lane takes exactly the IEEE operations of the one-voice code in
// DrumVoices.cpp, in the same order, and a lane whose voice is not sounding
// at a sample keeps its state untouched, so every lane's output and state are
// those of the one-voice code bit for bit. Per instruction set, a file
// supplies the lane type V (its operations below) and instantiates the
// template for the three filter weights.
//
// Why the lanes give the same bits: int32 to double and float to double are
// exact; mulpd, addpd, cvtpd2ps and sqrtps round as their scalar forms do;
// cvtps2dq and cvtpd2dq round to even and answer INT32_MIN for NaN and
// overflow, as RoundEven does (roundpd to a whole double, where the result
// is known to lie within int32); paddd wraps as the one-voice sums do; a float
// addition equals the double sum rounded to float (double has more than twice
// float's precision); the clip stage's int64 magnitudes fit unsigned int32
// once clamped (the ceiling is an int32). min and max take their operands
// in the order that gives std::min's and std::max's answer for NaN and -0.
//
// Glossary:
//   lane        one voice's place in a SIMD register; a group is W lanes
//               rendered together, a chunk up to DrumVoices::kChunk samples.
//   V           the lane type, one per instruction set (Sse2, Avx2, Avx512
//               in their files): V::W lanes; V::I int32, V::F float and V::D
//               double lanes, V::M a lane mask; its operations (loadI, addD,
//               blend, gather, roundD, ...) each round as their scalar forms.
//   V::Half     the lane type the filter runs in: half a group on AVX2 and
//               AVX-512 (whose doubles fill two registers), the whole group
//               on SSE2.
//   U           a lane type the filter is run in (V::Half, or one lane).
//   weight      the filter: 0 Light (one state-variable stage), 1 Middle (a
//               stage and a one-pole stage), 2 Heavy (two stages).
//   LaneMode    where the settings come from: whole, every lane's from the
//               one sound's BlockSettings; values, the switches from it and
//               the values lane by lane (LaneSettings); lanewise, all lane by
//               lane, the switches as masks.
//   LanePath    one instruction set's kernels by weight and mode, and its
//               renderer of a lone voice (LoneVoice.h).
//   inDoubles   the filter's state kept in doubles between samples (lane
//               types with nearestD) while it stays far inside int32.
//   masked      a sample on which some lanes rest: those keep their state.
//   tile        a chunk's output sample by sample, every lane side by side,
//               transposed into the voices' rows at the end.
//
// This header is compiled into each instruction set's own file with that
// file's flags, so everything it defines has internal linkage: no inline
// function compiled for AVX may be picked by the linker for the baseline.
#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <type_traits>
#include <utility>
#include <variant>

#include "synth/DrumVoices.h"

namespace tamrik {

// The phase guard's fold, out of line in the baseline code.
float foldPhase(float phase);

using LaneKernel = void (*)(DrumVoices::VoiceLanes& lanes, int32_t base,
                            float (*rows)[DrumVoices::kChunk], const int32_t* start, int32_t* end,
                            int32_t frames, const DrumVoices::BlockSettings& s,
                            const DrumVoices::LaneSettings* perLane);

// One instruction set's kernels, by filter weight: byWeight for lanes of one
// sound (the settings `s`), perLane for lanes of different sounds, each with
// its own settings (the lanes' filter weight still the same), and
// valuesByLane for different sounds whose switches, waves and clip
// branches agree (DrumVoices::switchesOf): those come from `s`, the values
// lane by lane, with no blend for what every lane does alike.
//
// lone renders one voice with lanes across time instead (LoneVoice.h): the
// same signature and bits as the one-voice code.
using LoneRenderer = int32_t (*)(DrumVoices::Voice& voice, float* row, int32_t start,
                                 int32_t frames, const DrumVoices::BlockSettings& s);

struct LanePath {
    int32_t width;
    LaneKernel byWeight[3];
    LaneKernel perLane[3];
    LaneKernel valuesByLane[3];
    LoneRenderer lone[3];
};

// Where the settings come from: all from `s`, the values lane by lane and
// the rest from `s`, or all lane by lane.
enum class LaneMode { whole, values, lanewise };

extern const LanePath kSse2Lanes;
extern const LanePath kAvx2Lanes;
extern const LanePath kAvx512Lanes;

namespace {

// The steps below are shared by the lane kernel and LoneVoice.h; they are
// forced inline, since a call per sample would cost more than the step.

// The envelope clamped to [0, 1] and shaped by the curve of one sound.
template <class V>
[[gnu::always_inline]] inline typename V::F envelopeCurve(typename V::F env, int32_t curveMode) {
    env = V::minF(V::setF(1.0f), V::maxF(V::setF(0.0f), env));
    if (curveMode == 1) return V::mulF(env, env);
    if (curveMode == 2) return V::sqrtF(env);
    return env;
}

// The filter coefficient at the shaped envelope, a single; coefficientAt
// widens it again.
template <class V>
[[gnu::always_inline]] inline typename V::F coefficientOf(typename V::D env, typename V::D envDepth,
                                                          typename V::D cutoffBase) {
    return V::toF(V::minD(V::setD(0.785), V::mulD(V::addD(envDepth, env), cutoffBase)));
}
template <class V>
[[gnu::always_inline]] inline typename V::D coefficientAt(typename V::D env, typename V::D envDepth,
                                                          typename V::D cutoffBase) {
    return V::toD(coefficientOf<V>(env, envDepth, cutoffBase));
}

// A sound's clip floor and ceiling in lanes, also widened for lane types
// that clip in doubles.
template <class V>
struct ClipBounds {
    typename V::I floor, ceiling;
    typename V::D floorD, ceilingD;
    ClipBounds(typename V::I f, typename V::I c)
        : floor(f), ceiling(c), floorD(V::toD(f)), ceilingD(V::toD(c)) {}
};

// Below a clip ceiling of 0 or more: min(max(|y|, floor), ceiling) with y's
// sign (0 where y is 0), on unsigned int32 magnitudes (|INT32_MIN| is 2^31
// there, which gives the int64 answer).
template <class V>
[[gnu::always_inline]] inline typename V::I clippedInts(typename V::I y, bool withFloor,
                                                        typename V::I floor,
                                                        typename V::I ceiling) {
    typename V::I magnitude = V::absU(y);
    if (withFloor) magnitude = V::maxU(magnitude, floor);
    return V::signOf(V::minU(magnitude, ceiling), y);
}

// The clip stage of one sound, scaled back up; a negative ceiling wins
// outright. A lane type may supply clipD, clippedInts in doubles, where every
// int32 and every step is exact.
template <class V>
[[gnu::always_inline]] inline typename V::D clipScaled(typename V::I y,
                                                       const DrumVoices::BlockSettings& s,
                                                       const ClipBounds<V>& bounds,
                                                       typename V::D makeup) {
    if (!s.clipOn) return V::toD(y);
    const bool withFloor = s.multiOn && s.clipFloor > 0;
    typename V::D clipped = bounds.ceilingD;
    if constexpr (requires { V::clipD(y, withFloor, bounds.floorD, bounds.ceilingD); }) {
        if (s.clipCeiling >= 0) clipped = V::clipD(y, withFloor, bounds.floorD, bounds.ceilingD);
    } else if (s.clipCeiling >= 0) {
        clipped = V::toD(clippedInts<V>(y, withFloor, bounds.floor, bounds.ceiling));
    }
    return V::roundWholeD(V::mulD(clipped, makeup));
}

// Past this magnitude the filter's state leaves doubles for int32 (below).
constexpr double kWideReach = 536870912.0;  // 2^29

// The type a filter keeps its state in, with the masks that blend it: int32
// lanes, or with `inDoubles` (lane types that round a double to a whole
// double in one step, U::nearestD) doubles.
// `Reach` holds the largest magnitude carried, which only doubles check.
template <class U, bool inDoubles>
struct FilterState {
    using S = typename U::I;
    using SM = typename U::M;
    using Reach = std::monostate;
};
template <class U>
struct FilterState<U, true> {
    using S = typename U::D;
    using SM = typename U::MD;
    using Reach = typename U::D;
};

// The filter of lanes [at, at + U::W) of a group, lane type U: the whole
// group's, or on paths that split it (V::Half), each half's; or of one voice
// (LoneVoice.h). The chain from one sample to the next runs through two
// products a stage; in halves it needs no move between the register halves,
// and the two halves' chains overlap.
//
// With `inDoubles` the state stays in double between samples: no conversion
// a product, against two for the int32 state. While the settings keep the
// filter's factors and input small (wideFilterSafe) and every carried value
// stays below kWideReach, each sample's exact values lie within int32: the
// double sums equal the wrapping int32 sums, and each product rounds as its
// int32 form does. `reach` gathers the largest magnitude carried; where
// within() fails, the caller renders the chunk's filter again with the
// int32 state from the stored one.
template <class U, int32_t weight, bool inDoubles = false>
struct FilterLanes {
    using I = typename U::I;
    using D = typename U::D;
    using M = typename U::M;
    using S = typename FilterState<U, inDoubles>::S;
    using SM = typename FilterState<U, inDoubles>::SM;
    S low1, band1, high1, low2, band2, high2, smooth;
    [[no_unique_address]] typename FilterState<U, inDoubles>::Reach reach{};

    FilterLanes(const DrumVoices::VoiceLanes& L, int32_t at)
        : low1(load(L.low1 + at)), band1(load(L.band1 + at)), high1(load(L.high1 + at)),
          low2(load(L.low2 + at)), band2(load(L.band2 + at)), high2(load(L.high2 + at)),
          smooth(load(L.smooth + at)) {
        carryState();
    }
    void store(DrumVoices::VoiceLanes& L, int32_t at) const {
        put(L.low1 + at, low1), put(L.band1 + at, band1), put(L.high1 + at, high1);
        put(L.low2 + at, low2), put(L.band2 + at, band2), put(L.high2 + at, high2);
        put(L.smooth + at, smooth);
    }
    // One voice's filter (U of one lane).
    explicit FilterLanes(const DrumVoices::Voice& v)
        : low1(load(&v.low1)), band1(load(&v.band1)), high1(load(&v.high1)), low2(load(&v.low2)),
          band2(load(&v.band2)), high2(load(&v.high2)), smooth(load(&v.smooth)) {
        carryState();
    }
    void store(DrumVoices::Voice& v) const {
        put(&v.low1, low1), put(&v.band1, band1), put(&v.high1, high1), put(&v.low2, low2);
        put(&v.band2, band2), put(&v.high2, high2), put(&v.smooth, smooth);
    }

    // Every lane's carried values below kWideReach. A NaN, which the
    // maximum may drop, would stay in the state it reached.
    bool within() const
        requires inDoubles
    {
        for (const D v : {reach, low1, band1, low2, band2, smooth})
            if (!U::magnitudesBelow(v, kWideReach)) return false;
        return true;
    }

    // The output of the filter type: `type` for every lane, or with -1 by
    // the masks of the low- and band-pass lanes.
    struct Pick {
        int32_t type;
        SM low, band;
        Pick() = default;
        Pick(int32_t t, M l, M b) : type(t), low(maskOf(l)), band(maskOf(b)) {}
        S operator()(S l, S b, S h) const {
            if (type < 0) return blendS(low, l, blendS(band, b, h));
            return type == 0 ? l : (type == 1 ? b : h);
        }
    };

    // y for the input x; with `masked`, lanes outside `active` keep their state.
    template <bool masked>
    [[gnu::always_inline]] I step(I x, D f, D damping, M active, const Pick& pick) {
        SM on{};
        if constexpr (masked) on = maskOf(active);
        const auto keep = [&](S now, S before) {
            if constexpr (masked)
                return blendS(on, now, before);
            else
                return now;
        };
        // A state-variable stage: Light is one, Heavy two in series. In
        // doubles, below the reach at the start of a sample, |h| < 3.25,
        // |band| < 3.55 and |low| < 3.79 x 2^29 by its end: within int32.
        const auto stage = [&](S in, S& low, S& band, S& high) {
            const S h = sub(sub(in, product(band, damping)), low);
            const S b = add(band, product(h, f));
            const S l = add(low, product(b, f));
            high = keep(h, high);
            band = keep(b, band);
            low = keep(l, low);
            carry(band), carry(low);
            return pick(l, b, h);
        };
        S y = stage(load(x), low1, band1, high1);
        // A low or band output is a carried value already.
        const bool pickedHigh = pick.type != 0 && pick.type != 1;
        if constexpr (weight == 1) {
            if (pickedHigh) carry(y);
            const S h2 = sub(y, smooth);
            const S l2 = add(product(sub(y, smooth), f), smooth);
            high2 = keep(h2, high2);
            band2 = keep(y, band2);
            low2 = keep(l2, low2);
            smooth = keep(l2, smooth);
            carry(smooth);
            y = pick(l2, y, h2);
        } else if constexpr (weight == 2) {
            if (pickedHigh) carry(y);
            y = stage(y, low2, band2, high2);
        }
        return out(y);
    }

private:
    // The state's arithmetic: int32 lanes that wrap, or whole doubles.
    static S load(I x) {
        if constexpr (inDoubles)
            return U::toD(x);
        else
            return x;
    }
    static S load(const int32_t* p) { return load(U::loadI(p)); }
    static I out(S x) {
        if constexpr (inDoubles)
            return U::roundD(x);
        else
            return x;
    }
    static void put(int32_t* p, S x) { U::storeI(p, out(x)); }
    static S add(S a, S b) {
        if constexpr (inDoubles)
            return U::addD(a, b);
        else
            return U::addI(a, b);
    }
    static S sub(S a, S b) {
        if constexpr (inDoubles)
            return U::subD(a, b);
        else
            return U::subI(a, b);
    }
    static S product(S state, D factor) {
        if constexpr (inDoubles)
            return U::nearestD(U::mulD(state, factor));
        else
            return U::roundD(U::mulD(U::toD(state), factor));
    }
    static SM maskOf(M m) {
        if constexpr (inDoubles)
            return U::maskD(m);
        else
            return m;
    }
    static S blendS(SM m, S a, S b) {
        if constexpr (inDoubles)
            return U::blendD(m, a, b);
        else
            return U::blend(m, a, b);
    }
    void carry(S v) {
        if constexpr (inDoubles) reach = U::maxAbsD(reach, v);
    }
    // The state carried from the last chunk: below the reach too.
    void carryState() {
        if constexpr (inDoubles) {
            reach = U::zeroD();
            carry(low1), carry(band1);
            if constexpr (weight == 1) carry(smooth);
            if constexpr (weight == 2) carry(low2), carry(band2);
        }
    }
};

// Whether the settings of lanes [base, base + W) keep the filter's factors
// and input small enough for the state in doubles: damping within +-1.25,
// envDepth and cutoffBase finite and not negative (so 0 <= f <= 0.785), and
// |mix1| + |mix2| at most 2^26 (the waves lie within +-1, so |x| < 2^27).
inline bool wideFilterSafe(int32_t W, bool whole, const DrumVoices::BlockSettings& s,
                           const DrumVoices::LaneSettings* per,
                           const DrumVoices::VoiceLanes& L, int32_t base) {
    const auto settingsSafe = [](float damping, float envDepth, int32_t mix1, int32_t mix2) {
        const int64_t weights = std::abs(int64_t{mix1}) + std::abs(int64_t{mix2});
        return damping >= -1.25f && damping <= 1.25f && envDepth >= 0.0f &&
               envDepth <= std::numeric_limits<float>::max() && weights <= (int64_t{1} << 26);
    };
    if (whole && !settingsSafe(s.damping, s.envDepth, s.mix1, s.mix2)) return false;
    for (int32_t l = base; l < base + W; ++l) {
        const float cutoff = L.cutoffBase[l];
        if (!(cutoff >= 0.0f && cutoff <= std::numeric_limits<float>::max())) return false;
        if (!whole && !settingsSafe(per->damping[l], per->envDepth[l], per->mix1[l], per->mix2[l]))
            return false;
    }
    return true;
}

// Renders samples [start, frames) of lanes [base, base + V::W) of `lanes`
// into rows[0 .. V::W), stopping each lane after the sample on which it
// falls idle; end[] gets the end of each lane's run. start[] and end[] are
// indexed like `lanes`. Lane by lane settings come from `per` (indexed like
// `lanes` too); with LaneMode::lanewise, `s` is not read.
template <class V, int32_t weight, LaneMode mode>
void renderLanes(DrumVoices::VoiceLanes& L, int32_t base, float (*rows)[DrumVoices::kChunk],
                 const int32_t* start, int32_t* end, int32_t frames,
                 const DrumVoices::BlockSettings& s, const DrumVoices::LaneSettings* per) {
    using I = typename V::I;
    using F = typename V::F;
    using D = typename V::D;
    using M = typename V::M;
    constexpr int32_t W = V::W;

    F phase1 = V::loadF(L.phase1 + base), phase2 = V::loadF(L.phase2 + base);
    I sweep1Left = V::loadI(L.sweep1Left + base), sweep2Left = V::loadI(L.sweep2Left + base);
    I stage = V::loadI(L.stage + base);
    I attackCount = V::loadI(L.attackCount + base), holdCount = V::loadI(L.holdCount + base),
      releaseCount = V::loadI(L.releaseCount + base);

    // Fixed at note-on: converted to double once.
    const F baseInc1 = V::loadF(L.baseInc1 + base), baseInc2 = V::loadF(L.baseInc2 + base);
    const D baseInc1D = V::toD(baseInc1), baseInc2D = V::toD(baseInc2);
    const D sweepStep1 = V::toD(V::loadF(L.sweepStep1 + base));
    const D sweepStep2 = V::toD(V::loadF(L.sweepStep2 + base));
    const D cutoffBase = V::toD(V::loadF(L.cutoffBase + base));
    const D voiceGain = V::toD(V::loadF(L.voiceGain + base));
    const I startAt = V::loadI(start + base);

    const I zero = V::setI(0), idle = V::setI(DrumVoices::stageIdle), one = V::setI(1),
            two = V::setI(2), three = V::setI(3), indexMask = V::setI(4095),
            wrapBit = V::setI(4096);
    const D fmDepth = V::setD(2046);
    // The settings, the same values whether they come for the whole group
    // or lane by lane: every single and int32 widens to double exactly, and
    // FM's halving of an int32 weight is exact either way.
    I attackLength, holdLength, releaseLength, clipFloor, ceiling;
    D releaseLengthD, attackStep, releaseStep, envDepth, damping, mix1, mix2, makeup;
    // Lane by lane only: the switches as masks, the rows as offsets.
    M ringLanes{}, fmLanes{}, clipLanes{}, squareLanes{}, rootLanes{}, lowLanes{}, bandLanes{},
        negativeCeiling{};
    I osc1At{}, osc2At{}, plain1At{}, plain2At{};
    bool anyRing = s.ringOn, anyFm = s.fmOn, anyClip = s.clipOn, anySquare = s.curveMode == 1,
         anyRoot = s.curveMode == 2;
    // Lane by lane, a blend is left out where every lane that can sound
    // agrees: the others keep their state whatever they compute.
    bool allRing = false, allFm = false, allClip = false, anyFloor = true,
         anyNegativeCeiling = true;
    int32_t laneType = -1;  // the filter type of every such lane, -1 where they differ
    constexpr bool lanewise = mode == LaneMode::lanewise;
    const auto lanesOf = [&](const int32_t* p) { return V::loadI(p + base); };
    if constexpr (mode != LaneMode::whole) {
        const auto singles = [&](const float* p) { return V::toD(V::loadF(p + base)); };
        attackLength = lanesOf(per->attackLength);
        holdLength = lanesOf(per->holdLength);
        releaseLength = lanesOf(per->releaseLength);
        clipFloor = lanesOf(per->clipFloor);
        ceiling = lanesOf(per->clipCeiling);
        releaseLengthD = V::toD(releaseLength);
        attackStep = singles(per->attackStep);
        releaseStep = singles(per->releaseStep);
        envDepth = singles(per->envDepth);
        damping = singles(per->damping);
        mix1 = V::toD(lanesOf(per->mix1));
        mix2 = V::mulD(V::toD(lanesOf(per->mix2)), singles(per->mix2Scale));
        makeup = singles(per->clipMakeup);
    } else {
        attackLength = V::setI(s.attackLength), holdLength = V::setI(s.holdLength);
        releaseLength = V::setI(s.releaseLength);
        clipFloor = V::setI(s.clipFloor), ceiling = V::setI(s.clipCeiling);
        releaseLengthD = V::setD(s.releaseLength), attackStep = V::setD(s.attackStep);
        releaseStep = V::setD(s.releaseStep), envDepth = V::setD(s.envDepth);
        damping = V::setD(s.damping), mix1 = V::setD(s.mix1);
        mix2 = V::setD(s.fmOn ? 0.5 * s.mix2 : s.mix2), makeup = V::setD(s.clipMakeup);
    }
    if constexpr (lanewise) {
        const auto on = [&](const int32_t* p) { return V::cmpeqI(lanesOf(p), one); };
        ringLanes = on(per->ringOn), fmLanes = on(per->fmOn), clipLanes = on(per->clipOn);
        squareLanes = on(per->square), rootLanes = on(per->root);
        lowLanes = V::cmpeqI(lanesOf(per->filterType), zero);
        bandLanes = V::cmpeqI(lanesOf(per->filterType), one);
        negativeCeiling = V::cmpgtI(zero, ceiling);
        osc1At = lanesOf(per->osc1At), osc2At = lanesOf(per->osc2At);
        plain1At = lanesOf(per->plain1At), plain2At = lanesOf(per->plain2At);
        const M used =
            V::andnotM(V::cmpeqI(stage, idle), V::cmpgtI(V::setI(frames), startAt));
        const auto any = [&](M m) { return V::bits(V::andM(m, used)) != 0; };
        const auto every = [&](M m) { return V::bits(V::andnotM(m, used)) == 0; };
        anyRing = any(ringLanes), anyFm = any(fmLanes), anyClip = any(clipLanes);
        anySquare = any(squareLanes), anyRoot = any(rootLanes);
        allRing = every(ringLanes), allFm = every(fmLanes), allClip = every(clipLanes);
        anyFloor = any(V::cmpgtI(clipFloor, zero));
        anyNegativeCeiling = any(negativeCeiling);
        if (every(lowLanes))
            laneType = 0;
        else if (every(bandLanes))
            laneType = 1;
        else if (!any(V::orM(lowLanes, bandLanes)))
            laneType = 2;
    }
    const ClipBounds<V> bounds(clipFloor, ceiling);
    const float* const origin = WaveTables::Reader::origin();
    const double* const wide = WaveTables::Reader::originWide();
    const F zeroF = V::setF(0.0f), oneF = V::setF(1.0f), guard = V::setF(8192.0f);

    int32_t first = frames, lastStart = 0;
    for (int32_t l = 0; l < W; ++l) {
        const int32_t at = start[base + l];
        if (at < first) first = at;
        if (at < frames && at > lastStart) lastStart = at;
    }
    const int32_t filterType =
        lanewise ? laneType : (s.filterType == 0 || s.filterType == 1 ? s.filterType : 2);

    // In hold, env is 1 under every curve, so f is fixed per lane.
    const D envHold = V::setD(1.0);
    const D fHold = coefficientAt<V>(envHold, envDepth, cutoffBase);

    // Each sample's output of every lane, transposed into the rows at the end.
    alignas(64) float tile[DrumVoices::kChunk][W];
    // The chunk goes in three passes over its samples: oscillators and
    // envelope, then the filter, then clip, envelope and gain. Within a pass
    // only short chains carry from sample to sample, so the samples' long
    // chains (table reads, FM, the filter's products) overlap. The first
    // pass leaves here what the others read: the filter input (which the
    // filter replaces with its output), and f and env where some lane
    // attacks or releases.
    alignas(64) int32_t mixedAt[DrumVoices::kChunk][W];
    alignas(64) float fAt[DrumVoices::kChunk][W], envAt[DrumVoices::kChunk][W];
    M activeAt[DrumVoices::kChunk];
    // The filter's output: in place of its input, or beside it where the
    // filter in doubles may have to give way to the int32 one.
    alignas(64) int32_t wideOut[DrumVoices::kChunk][W];
    int32_t(*filtered)[W] = mixedAt;
    bool variesAt[DrumVoices::kChunk];

    // With `masked`, lanes outside `active` keep their state (without,
    // every lane is active).
    auto keepOf = [](auto masked) {
        return [](M m, auto now, auto before) {
            if constexpr (decltype(masked)::value)
                return V::blend(m, now, before);
            else
                return now;
        };
    };
    // Oscillators and envelope of one sample of every lane.
    I sounded = zero;
    auto oscillate = [&](int32_t n, M active, auto masked) {
        const auto keep = keepOf(masked);
        auto live = [&](M m) {
            if constexpr (decltype(masked)::value)
                return V::andM(m, active);
            else
                return m;
        };

        // Oscillators.
        const M sweeping1 = V::cmpgtI(sweep1Left, zero), sweeping2 = V::cmpgtI(sweep2Left, zero);
        F inc1 = baseInc1, inc2 = baseInc2;
        if (V::bits(V::orM(sweeping1, sweeping2)) != 0) {
            inc1 = V::blend(sweeping1,
                            V::toF(V::addD(V::mulD(V::toD(sweep1Left), sweepStep1), baseInc1D)),
                            baseInc1);
            inc2 = V::blend(sweeping2,
                            V::toF(V::addD(V::mulD(V::toD(sweep2Left), sweepStep2), baseInc2D)),
                            baseInc2);
            sweep1Left = V::decrementWhere(live(sweeping1), sweep1Left);
            sweep2Left = V::decrementWhere(live(sweeping2), sweep2Left);
        }
        const I i1 = V::roundF(phase1), i2 = V::roundF(phase2);
        const I at1 = V::andI(i1, indexMask), at2 = V::andI(i2, indexMask);
        D s1, s2;
        if constexpr (lanewise) {
            // A lane without ring multiplies by 1, one without FM keeps its
            // sample: the same bits as leaving them out.
            s1 = V::toD(V::gather(origin, V::addI(at1, osc1At)));
            F read2 = V::gather(origin, V::addI(at2, osc2At));
            if (anyRing) {
                const F ring = V::gather(origin, V::addI(at2, plain2At));
                s1 = V::mulD(s1, V::toD(allRing ? ring : V::blend(ringLanes, ring, oneF)));
            }
            if (anyFm) {
                const I at =
                    V::andI(V::roundD(V::addD(V::toD(i1), V::mulD(fmDepth, V::toD(read2)))),
                            indexMask);
                const F fm = V::gather(origin, V::addI(at, plain1At));
                read2 = allFm ? fm : V::blend(fmLanes, fm, read2);
            }
            s2 = V::toD(read2);
        } else {
            s1 = V::gatherWide(wide + s.osc1At, at1);
            s2 = V::gatherWide(wide + s.osc2At, at2);
            if (s.ringOn) s1 = V::mulD(s1, V::gatherWide(wide + s.plain2At, at2));
            if (s.fmOn) {  // its halving is in mix2 (the same real product)
                const I at =
                    V::andI(V::roundD(V::addD(V::toD(i1), V::mulD(fmDepth, s2))), indexMask);
                s2 = V::gatherWide(wide + s.plain1At, at);
            }
        }
        V::storeI(mixedAt[n], V::addI(V::roundD(V::mulD(mix1, s1)), V::roundD(V::mulD(mix2, s2))));
        F next1 = V::addF(phase1, inc1), next2 = V::addF(phase2, inc2);
        // Less 4096 where the read position has bit 4096, less +0 elsewhere
        // (which leaves every single as it is, -0 and NaN included).
        next1 = V::subF(next1, V::toF(V::andI(i1, wrapBit)));
        next2 = V::subF(next2, V::toF(V::andI(i2, wrapBit)));
        const uint32_t runaway =
            V::bits(live(V::orM(V::cmpgeF(next1, guard), V::cmpgeF(next2, guard))));
        if (runaway != 0) {
            alignas(64) float p1[W], p2[W];
            V::storeF(p1, next1);
            V::storeF(p2, next2);
            for (int32_t l = 0; l < W; ++l)
                if (runaway & (1u << l)) {
                    if (p1[l] >= 8192.0f) p1[l] = foldPhase(p1[l]);
                    if (p2[l] >= 8192.0f) p2[l] = foldPhase(p2[l]);
                }
            next1 = V::loadF(p1);
            next2 = V::loadF(p2);
        }
        phase1 = keep(active, next1, phase1);
        phase2 = keep(active, next2, phase2);

        // Envelope: every lane's stage formula, the test before the value.
        const M attack = V::cmpeqI(stage, one), hold = V::cmpeqI(stage, two);
        I nextStage = V::blend(V::andnotM(V::cmpgtI(holdLength, holdCount), hold), three, stage);
        holdCount = V::incrementWhere(live(hold), holdCount);
        const bool envVaries = V::bits(V::andnotM(hold, active)) != 0;
        variesAt[n] = envVaries;
        if (envVaries) {  // some lane attacks or releases
            const M release = V::andnotM(V::orM(attack, hold), active);
            F env = oneF;
            if (V::bits(live(attack)) != 0) {
                env = V::blend(attack, V::toF(V::mulD(V::toD(attackCount), attackStep)), env);
                nextStage = V::blend(V::andnotM(V::cmpgtI(attackLength, attackCount), attack), two,
                                     nextStage);
                attackCount = V::incrementWhere(live(attack), attackCount);
            }
            if (V::bits(release) != 0) {
                const D left = V::subD(releaseLengthD, V::toD(releaseCount));
                env = V::blend(release, V::toF(V::mulD(left, releaseStep)), env);
                nextStage = V::blend(V::andnotM(V::cmpgtI(releaseLength, releaseCount), release),
                                     idle, nextStage);
                releaseCount = V::incrementWhere(release, releaseCount);
            }
            if constexpr (lanewise) {
                env = V::minF(oneF, V::maxF(zeroF, env));
                if (anySquare) env = V::blend(squareLanes, V::mulF(env, env), env);
                if (anyRoot) env = V::blend(rootLanes, V::sqrtF(env), env);
            } else {
                env = envelopeCurve<V>(env, s.curveMode);
            }
            V::storeF(envAt[n], env);
            V::storeF(fAt[n], coefficientOf<V>(V::toD(env), envDepth, cutoffBase));
        }
        stage = keep(active, nextStage, stage);
        sounded = V::incrementWhere(active, sounded);
    };

    auto output = [&](int32_t n) {
        const bool envVaries = variesAt[n];
        I y = V::loadI(filtered[n]);
        // Clip (see clipScaled), envelope and gain.
        D yD;
        if constexpr (lanewise) {
            // Where Multi does not act the floor is 0, which leaves every
            // magnitude as it is.
            if (anyClip) {
                I clipped = clippedInts<V>(y, anyFloor, clipFloor, ceiling);
                if (anyNegativeCeiling) clipped = V::blend(negativeCeiling, ceiling, clipped);
                const I scaled = V::roundD(V::mulD(V::toD(clipped), makeup));
                y = allClip ? scaled : V::blend(clipLanes, scaled, y);
            }
            yD = V::toD(y);
        } else {
            yD = clipScaled<V>(y, s, bounds, makeup);
        }
        // Where every lane holds, env is 1: y x 1 is y.
        if (envVaries) yD = V::mulD(yD, V::toD(V::loadF(envAt[n])));
        V::storeF(tile[n], V::toF(V::mulD(yD, voiceGain)));
    };

    constexpr uint32_t allLanes = (1u << W) - 1;

    // Pass 1, oscillators and envelope, from the first lane's start on:
    // answers the sample at which every lane has stopped (or `frames`).
    const auto oscillatorPass = [&] {
        int32_t stop = first;
        for (; stop < frames; ++stop) {
            const int32_t n = stop;
            const M active =
                V::andnotM(V::cmpeqI(stage, idle), V::cmpgtI(V::setI(n + 1), startAt));
            const uint32_t lanesOn = V::bits(active);
            activeAt[n] = active;
            if (lanesOn == allLanes)
                oscillate(n, active, std::false_type{});
            else if (lanesOn != 0)
                oscillate(n, active, std::true_type{});
            else if (n >= lastStart)
                break;
        }
        return stop;
    };

    // The filter of samples [first, stop), from mixedAt into `into`. With
    // the state in doubles, false where it left its reach, and the stored
    // state is left as it was for FilterLanes to start again from.
    auto filter = [&]<class FL>(std::type_identity<FL>, int32_t(*into)[W], int32_t stop) {
        using U = typename V::Half;
        const U half{};
        constexpr int32_t parts = W / U::W;
        auto lanes = [&]<int32_t... p>(std::integer_sequence<int32_t, p...>) {
            return std::array<FL, parts>{FL(L, base + p * U::W)...};
        }(std::make_integer_sequence<int32_t, parts>{});
        typename FL::Pick pick[parts];
        typename U::D fFixed[parts], dampingOf[parts];
        for (int32_t p = 0; p < parts; ++p) {
            pick[p] = {filterType, V::part(lowLanes, p, half), V::part(bandLanes, p, half)};
            fFixed[p] = V::part(fHold, p, half);
            dampingOf[p] = V::part(damping, p, half);
        }
        for (int32_t n = first; n < stop; ++n) {
            const M active = activeAt[n];
            const uint32_t lanesOn = V::bits(active);
            if (lanesOn == 0) continue;
#pragma GCC unroll 4
            for (int32_t p = 0; p < parts; ++p) {
                const typename U::D f =
                    variesAt[n] ? U::toD(U::loadF(fAt[n] + p * U::W)) : fFixed[p];
                const typename U::I x = U::loadI(mixedAt[n] + p * U::W);
                FL& lane = lanes[p];
                const typename U::I y =
                    lanesOn == allLanes
                        ? lane.template step<false>(x, f, dampingOf[p], typename U::M{}, pick[p])
                        : lane.template step<true>(x, f, dampingOf[p], V::part(active, p, half),
                                                   pick[p]);
                U::storeI(into[n] + p * U::W, y);
            }
        }
        if constexpr (requires { lanes[0].within(); })
            for (int32_t p = 0; p < parts; ++p)
                if (!lanes[p].within()) return false;
        for (int32_t p = 0; p < parts; ++p) lanes[p].store(L, base + p * U::W);
        return true;
    };
    // Pass 2, the filter: in doubles where the lane type can and the
    // settings allow, else (or where the doubles left their reach) in int32.
    const auto filterPass = [&](int32_t stop) {
        using Narrow = FilterLanes<typename V::Half, weight>;
        if constexpr (requires { V::Half::nearestD(typename V::Half::D{}); }) {
            using Wide = FilterLanes<typename V::Half, weight, true>;
            if (wideFilterSafe(W, mode == LaneMode::whole, s, per, L, base) &&
                filter(std::type_identity<Wide>{}, wideOut, stop))
                filtered = wideOut;
            else
                filter(std::type_identity<Narrow>{}, mixedAt, stop);
        } else {
            filter(std::type_identity<Narrow>{}, mixedAt, stop);
        }
    };

    // Pass 3, clip, envelope and gain, into the tile.
    const auto outputPass = [&](int32_t stop) {
        for (int32_t n = first; n < stop; ++n) {
            if (V::bits(activeAt[n]) != 0)
                output(n);
            else
                V::storeF(tile[n], zeroF);
        }
    };

    // The tile transposed into the rows. A lane's samples outside its run
    // are not read from the rows.
    const auto writeRows = [&](int32_t stop) {
        int32_t n = first;
        for (; n + W <= stop; n += W) V::transposeTile(tile + n, rows, n);
        for (; n < stop; ++n)
            for (int32_t l = 0; l < W; ++l) rows[l][n] = tile[n][l];
    };

    // The state that rendering changed back into the lanes (the filter's
    // went back in its pass), and where each lane's run ends.
    const auto storeLanes = [&] {
        V::storeF(L.phase1 + base, phase1);
        V::storeF(L.phase2 + base, phase2);
        V::storeI(L.sweep1Left + base, sweep1Left);
        V::storeI(L.sweep2Left + base, sweep2Left);
        V::storeI(L.stage + base, stage);
        V::storeI(L.attackCount + base, attackCount);
        V::storeI(L.holdCount + base, holdCount);
        V::storeI(L.releaseCount + base, releaseCount);
        alignas(64) int32_t count[W];
        V::storeI(count, sounded);
        for (int32_t l = 0; l < W; ++l) end[base + l] = start[base + l] + count[l];
    };

    const int32_t stop = oscillatorPass();
    filterPass(stop);
    outputPass(stop);
    writeRows(stop);
    storeLanes();
}

// LoneVoice.h.
template <class V, int32_t weight>
int32_t renderLone(DrumVoices::Voice& voice, float* row, int32_t start, int32_t frames,
                   const DrumVoices::BlockSettings& s);

template <class V>
constexpr LanePath lanePath() {
    return {V::W,
            {&renderLanes<V, 0, LaneMode::whole>, &renderLanes<V, 1, LaneMode::whole>,
             &renderLanes<V, 2, LaneMode::whole>},
            {&renderLanes<V, 0, LaneMode::lanewise>, &renderLanes<V, 1, LaneMode::lanewise>,
             &renderLanes<V, 2, LaneMode::lanewise>},
            {&renderLanes<V, 0, LaneMode::values>, &renderLanes<V, 1, LaneMode::values>,
             &renderLanes<V, 2, LaneMode::values>},
            {&renderLone<V, 0>, &renderLone<V, 1>, &renderLone<V, 2>}};
}

}  // namespace

}  // namespace tamrik
