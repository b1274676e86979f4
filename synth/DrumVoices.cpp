// Numeric rules, kept literally so that another implementation of the same
// design reproduces the output bit for bit: products and sums are formed in
// double from the float and int32 operands and rounded to float only where a
// single is stored; float-to-integer conversions are RoundEven; the filter
// state is 32-bit integer arithmetic that wraps around instead of overflowing.
#include "synth/DrumVoices.h"

#include <algorithm>
#include <cmath>

#include "common/RoundEven.h"
#include "common/WrapAround.h"
#include "synth/WaveTables.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tamrik {

namespace {

constexpr auto add = wrapAdd;
constexpr auto sub = wrapSub;
int32_t product(int32_t state, float factor) {
    return roundEven(static_cast<double>(state) * static_cast<double>(factor));
}
int32_t select(int32_t type, int32_t low, int32_t band, int32_t high) {
    return type == 0 ? low : (type == 1 ? band : high);
}

// Section 1 feeds oscillator 1, section 2 oscillator 2; ring and FM read the
// plain wave.
constexpr int32_t kPlain = 0, kOsc1Section = 1, kOsc2Section = 2;

}  // namespace

namespace {

using Voice = DrumVoices::Voice;
using BlockSettings = DrumVoices::BlockSettings;

// One oscillator's increment for this sample: the sweep adds a share that
// falls linearly to zero over the sweep's length.
float increment(int32_t& sweepLeft, float sweepStep, float baseInc) {
    if (sweepLeft > 0) {
        const float inc = static_cast<float>(sweepLeft * static_cast<double>(sweepStep) + baseInc);
        --sweepLeft;
        return inc;
    }
    return baseInc;
}

// The phase is read first and wrapped after, on the rounded read position.
// An increment of 4096 or more would outrun the single wrap and leave the
// phase climbing for good (phases are never reset), so a phase that reaches
// 8192 is folded back; below that increment this never acts.
float advance(float phase, float inc, int32_t readIndex) {
    phase = static_cast<float>(static_cast<double>(phase) + inc);
    if (readIndex & 4096) phase -= 4096.0f;
    if (phase >= 8192.0f) phase = std::fmod(phase, 4096.0f);
    return phase;
}

// A state-variable stage in integers.
int32_t filterLight(Voice& v, int32_t x, float f, int32_t type, float damping) {
    v.high1 = sub(sub(x, product(v.band1, damping)), v.low1);
    v.band1 = add(v.band1, product(v.high1, f));
    v.low1 = add(v.low1, product(v.band1, f));
    return select(type, v.low1, v.band1, v.high1);
}

// The first stage, then a one-pole stage.
int32_t filterMiddle(Voice& v, int32_t x, float f, int32_t type, float damping) {
    const int32_t y1 = filterLight(v, x, f, type, damping);
    v.high2 = sub(y1, v.smooth);
    v.band2 = y1;
    v.low2 = add(product(sub(y1, v.smooth), f), v.smooth);
    const int32_t y = select(type, v.low2, v.band2, v.high2);
    v.smooth = v.low2;
    return y;
}

// Two equal state-variable stages in series.
int32_t filterHeavy(Voice& v, int32_t x, float f, int32_t type, float damping) {
    const int32_t y1 = filterLight(v, x, f, type, damping);
    v.high2 = sub(sub(y1, product(v.band2, damping)), v.low2);
    v.band2 = add(v.band2, product(v.high2, f));
    v.low2 = add(v.low2, product(v.band2, f));
    return select(type, v.low2, v.band2, v.high2);
}

// The first half of a sample: oscillators, envelope with its curve, and the
// filter coefficient. The filter input is `mixed`.
struct FilterInput {
    int32_t mixed;
    float f;
    float env;
};

inline FilterInput startSample(Voice& v, const BlockSettings& s) {
    // Oscillators.
    const float inc1 = increment(v.sweep1Left, v.sweepStep1, v.baseInc1);
    const float inc2 = increment(v.sweep2Left, v.sweepStep2, v.baseInc2);
    const int32_t i1 = roundEven(v.phase1);
    const int32_t i2 = roundEven(v.phase2);
    double s1 = WaveTables::at(s.osc1Wave, kOsc1Section, i1);
    double s2 = WaveTables::at(s.osc2Wave, kOsc2Section, i2);
    if (s.ringOn) s1 = s1 * WaveTables::at(s.osc2Wave, kPlain, i2);
    if (s.fmOn) s2 = 0.5 * WaveTables::at(s.osc1Wave, kPlain, roundEven(i1 + 2046 * s2));
    const int32_t mixed = add(roundEven(s.mix1 * s1), roundEven(s.mix2 * s2));
    v.phase1 = advance(v.phase1, inc1, i1);
    v.phase2 = advance(v.phase2, inc2, i2);

    // Envelope: the stage test comes before the value, so the sample on which
    // a stage ends still takes that stage's formula.
    float env = 0.0f;
    switch (v.stage) {
        case 1:
            if (v.attackCount >= s.attackLength) v.stage = 2;
            env = static_cast<float>(v.attackCount * static_cast<double>(s.attackStep));
            v.attackCount = add(v.attackCount, 1);
            break;
        case 2:
            if (v.holdCount >= s.holdLength) v.stage = 3;
            env = 1.0f;
            v.holdCount = add(v.holdCount, 1);
            break;
        default:
            if (v.releaseCount >= s.releaseLength) v.stage = DrumVoices::stageIdle;
            env = static_cast<float>(
                static_cast<double>(static_cast<int64_t>(s.releaseLength) - v.releaseCount) *
                s.releaseStep);
            v.releaseCount = add(v.releaseCount, 1);
            break;
    }
    env = std::min(std::max(env, 0.0f), 1.0f);
    if (s.curveMode == 1)
        env = env * env;
    else if (s.curveMode == 2)
        env = std::sqrt(env);

    // The coefficient follows the envelope, the note and the velocity.
    const float f =
        static_cast<float>(std::min((static_cast<double>(s.envDepth) + env) * v.cutoffBase, 0.785));
    return {mixed, f, env};
}

// The second half: clip, scale back up to full scale, envelope and gain.
inline float finishSample(const Voice& v, int32_t y, float env, const BlockSettings& s) {
    if (s.clipOn) {
        int64_t clipped = y;
        if (s.multiOn) {
            const int64_t magnitude =
                std::max<int64_t>(clipped < 0 ? -clipped : clipped, s.clipFloor);
            clipped = clipped > 0 ? magnitude : (clipped < 0 ? -magnitude : 0);
        }
        const int64_t ceiling = s.clipCeiling;
        clipped = std::min(std::max(clipped, -ceiling), ceiling);
        y = roundEven(static_cast<double>(clipped) * s.clipMakeup);
    }
    return static_cast<float>(static_cast<double>(y) * env * v.voiceGain);
}

// The three filter routines by Weight: Light, Middle, Heavy.
template <int32_t weight>
inline int32_t filterOf(Voice& v, int32_t x, float f, int32_t type, float damping) {
    if constexpr (weight == 0) return filterLight(v, x, f, type, damping);
    if constexpr (weight == 1) return filterMiddle(v, x, f, type, damping);
    return filterHeavy(v, x, f, type, damping);
}

// One sample of one sounding voice: what it adds to both outputs.
template <int32_t weight>
inline float renderVoice(Voice& v, const BlockSettings& s) {
    const FilterInput in = startSample(v, s);
    const int32_t y = filterOf<weight>(v, in.mixed, in.f, s.filterType, s.damping);
    return finishSample(v, y, in.env, s);
}

#if defined(__SSE2__)
// Two voices' filter state side by side, lane 0 the first voice, lane 1 the
// second. The lanes take exactly the operations of the one-voice routines:
// cvtdq2pd is exact, mulpd rounds as mulsd does, cvtpd2dq rounds (and
// answers INT32_MIN for NaN and overflow) as cvtsd2si does, and paddd and
// psubd wrap around as the one-voice sums do.
struct FilterPair {
    __m128i low1, band1, high1, low2, band2, high2, smooth;

    static __m128i lanes(int32_t a, int32_t b) { return _mm_setr_epi32(a, b, 0, 0); }
    static int32_t lane0(__m128i x) { return _mm_cvtsi128_si32(x); }
    static int32_t lane1(__m128i x) { return _mm_cvtsi128_si32(_mm_srli_si128(x, 4)); }

    FilterPair(const Voice& a, const Voice& b)
        : low1(lanes(a.low1, b.low1)), band1(lanes(a.band1, b.band1)),
          high1(lanes(a.high1, b.high1)), low2(lanes(a.low2, b.low2)),
          band2(lanes(a.band2, b.band2)), high2(lanes(a.high2, b.high2)),
          smooth(lanes(a.smooth, b.smooth)) {}

    void store(Voice& a, Voice& b) const {
        a.low1 = lane0(low1), b.low1 = lane1(low1);
        a.band1 = lane0(band1), b.band1 = lane1(band1);
        a.high1 = lane0(high1), b.high1 = lane1(high1);
        a.low2 = lane0(low2), b.low2 = lane1(low2);
        a.band2 = lane0(band2), b.band2 = lane1(band2);
        a.high2 = lane0(high2), b.high2 = lane1(high2);
        a.smooth = lane0(smooth), b.smooth = lane1(smooth);
    }
};

inline __m128i productPair(__m128i state, __m128d factor) {
    return _mm_cvtpd_epi32(_mm_mul_pd(_mm_cvtepi32_pd(state), factor));
}

inline __m128i selectPair(int32_t type, __m128i low, __m128i band, __m128i high) {
    return type == 0 ? low : (type == 1 ? band : high);
}

template <int32_t weight>
inline __m128i filterPair(FilterPair& p, __m128i x, __m128d f, int32_t type, __m128d damping) {
    p.high1 = _mm_sub_epi32(_mm_sub_epi32(x, productPair(p.band1, damping)), p.low1);
    p.band1 = _mm_add_epi32(p.band1, productPair(p.high1, f));
    p.low1 = _mm_add_epi32(p.low1, productPair(p.band1, f));
    const __m128i y1 = selectPair(type, p.low1, p.band1, p.high1);
    if constexpr (weight == 0) {
        return y1;
    } else if constexpr (weight == 1) {
        p.high2 = _mm_sub_epi32(y1, p.smooth);
        p.band2 = y1;
        p.low2 = _mm_add_epi32(productPair(_mm_sub_epi32(y1, p.smooth), f), p.smooth);
        const __m128i y = selectPair(type, p.low2, p.band2, p.high2);
        p.smooth = p.low2;
        return y;
    } else {
        p.high2 = _mm_sub_epi32(_mm_sub_epi32(y1, productPair(p.band2, damping)), p.low2);
        p.band2 = _mm_add_epi32(p.band2, productPair(p.high2, f));
        p.low2 = _mm_add_epi32(p.low2, productPair(p.band2, f));
        return selectPair(type, p.low2, p.band2, p.high2);
    }
}
#endif

constexpr int32_t kChunk = DrumVoices::kChunk;

// Counts a waiting voice up towards its start (or, from below, towards
// stageIdle, where a counting voice stops). Returns the first sample at which
// it sounds, or `frames` when it does not sound in this chunk.
int32_t countDown(Voice& v, int32_t frames) {
    if (v.stage > 0) return 0;
    if (v.stage == DrumVoices::stageIdle) return frames;
    const int64_t target = v.stage < DrumVoices::stageIdle ? DrumVoices::stageIdle : 1;
    const int64_t steps = std::min<int64_t>(frames, target - v.stage);
    v.stage = static_cast<int32_t>(v.stage + steps);
    return v.stage > 0 ? static_cast<int32_t>(steps) : frames;
}

// Renders samples [start, frames) of one voice into its scratch row, stopping
// after the sample on which it falls idle; returns the end.
template <int32_t weight>
int32_t renderRun(Voice& v, float* out, int32_t start, int32_t frames, const BlockSettings& s) {
    int32_t n = start;
    for (; n < frames && v.stage != DrumVoices::stageIdle; ++n) out[n] = renderVoice<weight>(v, s);
    return n;
}

// Two voices that sound from the chunk's start, in lockstep: their filter
// chains are independent, so they run side by side in one register.
template <int32_t weight>
void renderPair(Voice& a, float* outA, int32_t& endA, Voice& b, float* outB, int32_t& endB,
                int32_t frames, const BlockSettings& s) {
    int32_t n = 0;
#if defined(__SSE2__)
    FilterPair pair(a, b);
    const __m128d damping = _mm_set1_pd(s.damping);
    for (; n < frames && a.stage != DrumVoices::stageIdle && b.stage != DrumVoices::stageIdle;
         ++n) {
        const FilterInput inA = startSample(a, s);
        const FilterInput inB = startSample(b, s);
        const __m128i y = filterPair<weight>(pair, FilterPair::lanes(inA.mixed, inB.mixed),
                                             _mm_setr_pd(inA.f, inB.f), s.filterType, damping);
        outA[n] = finishSample(a, FilterPair::lane0(y), inA.env, s);
        outB[n] = finishSample(b, FilterPair::lane1(y), inB.env, s);
    }
    pair.store(a, b);
#else
    for (; n < frames && a.stage != DrumVoices::stageIdle && b.stage != DrumVoices::stageIdle;
         ++n) {
        outA[n] = renderVoice<weight>(a, s);
        outB[n] = renderVoice<weight>(b, s);
    }
#endif
    endA = renderRun<weight>(a, outA, n, frames, s);
    endB = renderRun<weight>(b, outB, n, frames, s);
}

template <int32_t weight>
void renderChunk(Voice* voices, float (*scratch)[kChunk], int32_t (*range)[2], int32_t frames,
                 const BlockSettings& s) {
    int32_t waiting = -1;  // a voice sounding from the start, still without a partner
    for (int32_t v = 0; v < DrumVoices::kVoices; ++v) {
        const int32_t start = countDown(voices[v], frames);
        range[v][0] = range[v][1] = start;
        if (start >= frames) continue;
        if (start > 0) {
            range[v][1] = renderRun<weight>(voices[v], scratch[v], start, frames, s);
        } else if (waiting < 0) {
            waiting = v;
        } else {
            renderPair<weight>(voices[waiting], scratch[waiting], range[waiting][1], voices[v],
                               scratch[v], range[v][1], frames, s);
            waiting = -1;
        }
    }
    if (waiting >= 0)
        range[waiting][1] = renderRun<weight>(voices[waiting], scratch[waiting], 0, frames, s);
}

}  // namespace

DrumVoices::DrumVoices(const SynthParameters& parameters) : params(parameters) {}

void DrumVoices::initEngine() {
    WaveTables::build();
    for (Voice& v : voices) {
        v.stage = stageIdle;
        v.attackCount = v.holdCount = v.releaseCount = 0;
        v.phase1 = v.phase2 = 0.0f;
    }
    nextVoice_ = 0;
    chunkRenderers[0] = &renderChunk<0>;
    chunkRenderers[1] = &renderChunk<1>;
    chunkRenderers[2] = &renderChunk<2>;
}

void DrumVoices::playNote(int32_t note, int32_t velocity, int32_t deltaFrames) {
    if (++nextVoice_ > lastVoice) nextVoice_ = 0;
    // A host sends deltaFrames >= 0; a negative one would skip the attack.
    noteOn(note & 0x7F, velocity & 0x7F, std::max(deltaFrames, 0), nextVoice_);
}

void DrumVoices::allSoundOff() {
    for (Voice& v : voices) v.stage = stageIdle;
}

void DrumVoices::noteOn(int32_t note, int32_t velocity, int32_t deltaFrames, int32_t index) {
    const DerivedValues& d = params.derived();
    Voice& v = voices[index];
    v.note = note;
    v.velocity = velocity;
    v.voiceGain = static_cast<float>(velocity * static_cast<double>(d.volumeGain.get()));
    v.stage = sub(1, deltaFrames);
    v.attackCount = v.holdCount = v.releaseCount = 0;
    v.sweep1Left = d.sweep1Length.get();
    v.sweep2Left = d.sweep2Length.get();
    v.low1 = v.band1 = v.high1 = v.smooth = v.low2 = v.band2 = v.high2 = 0;
    v.cutoffBase = static_cast<float>((velocity + 128) * static_cast<double>(d.cutoffFactor.get()) *
                                      note / 32768);
    setVoicePitch(index);
}

void DrumVoices::setVoicePitch(int32_t index) {
    const DerivedValues& d = params.derived();
    Voice& v = voices[index];
    v.baseInc1 = static_cast<float>(static_cast<double>(WaveTables::noteFrequency(v.note & 0x7F)) *
                                    d.octaveFactor.get());
    v.baseInc2 = v.baseInc1;
    v.sweepStep1 = static_cast<float>(static_cast<double>(v.baseInc1) * d.sweep1Rate.get());
    v.sweepStep2 = static_cast<float>(static_cast<double>(v.baseInc2) * d.sweep2Rate.get());
}

DrumVoices::BlockSettings DrumVoices::takeSettings() const {
    const DerivedValues& d = params.derived();
    BlockSettings s;
    s.attackLength = d.attackLength.get();
    s.holdLength = d.holdLength.get();
    s.releaseLength = d.releaseLength.get();
    s.curveMode = d.curveMode.get();
    s.filterWeight = d.filterWeight.get();
    s.filterType = d.filterType.get();
    s.clipFloor = d.clipFloor.get();
    s.clipCeiling = d.clipCeiling.get();
    s.mix1 = d.mix1.get();
    s.mix2 = d.mix2.get();
    s.osc1Wave = d.osc1Wave.get();
    s.osc2Wave = d.osc2Wave.get();
    s.attackStep = d.attackStep.get();
    s.releaseStep = d.releaseStep.get();
    s.damping = d.damping.get();
    s.envDepth = d.envDepth.get();
    s.clipMakeup = d.clipMakeup.get();
    s.ringOn = d.ringOn.get();
    s.fmOn = d.fmOn.get();
    s.clipOn = params.get(kClip) < 1.0f;
    s.multiOn = roundEven(params.get(kMulti)) == 1;
    return s;
}

void DrumVoices::render(float* out1, float* out2, int32_t sampleFrames) {
    if (sampleFrames <= 0) return;
    const BlockSettings s = takeSettings();
    const ChunkRenderer renderChunk = chunkRenderers[s.filterWeight];
    // Each voice renders into its own row first; the rows are then added to
    // the outputs voice by voice, so every output sample sums voices 0 to 16
    // in order, exactly as a loop over all voices per sample would.
    for (int32_t done = 0; done < sampleFrames; done += kChunk) {
        const int32_t frames = std::min(kChunk, sampleFrames - done);
        renderChunk(voices, scratch, range, frames, s);
        for (int32_t v = 0; v < kVoices; ++v) {
            for (int32_t n = range[v][0]; n < range[v][1]; ++n) {
                out1[done + n] = out1[done + n] + scratch[v][n];
                out2[done + n] = out2[done + n] + scratch[v][n];
            }
        }
    }
}

}  // namespace tamrik
