// Numeric rules, kept literally so that another implementation of the same
// design reproduces the output bit for bit: products and sums are formed in
// double from the float and int32 operands and rounded to float only where a
// single is stored; float-to-integer conversions are RoundEven; the filter
// state is 32-bit integer arithmetic that wraps around instead of overflowing.
#include "synth/DrumVoices.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/RoundEven.h"
#include "common/WrapAround.h"
#include "synth/LaneKernel.h"
#include "synth/LoneVoice.h"
#include "synth/WaveTables.h"

namespace tamrik {

namespace {

constexpr auto add = wrapAdd;
constexpr auto sub = wrapSub;
// The factor comes as the double of a single: converted once, not per product.
int32_t product(int32_t state, double factor) {
    return roundEven(static_cast<double>(state) * factor);
}
int32_t select(int32_t type, int32_t low, int32_t band, int32_t high) {
    return type == 0 ? low : (type == 1 ? band : high);
}

}  // namespace

float foldPhase(float phase) { return std::fmod(phase, 4096.0f); }

namespace {

using Voice = DrumVoices::Voice;
using BlockSettings = DrumVoices::BlockSettings;

// One oscillator's increment for this sample: the sweep adds a share that
// falls linearly to zero over the sweep's length.
float increment(int32_t& sweepLeft, double sweepStep, double baseIncD, float baseInc) {
    if (sweepLeft > 0) {
        const float inc = static_cast<float>(sweepLeft * sweepStep + baseIncD);
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
    if (phase >= 8192.0f) phase = foldPhase(phase);
    return phase;
}

// A state-variable stage in integers.
int32_t filterLight(Voice& v, int32_t x, double f, int32_t type, double damping) {
    v.high1 = sub(sub(x, product(v.band1, damping)), v.low1);
    v.band1 = add(v.band1, product(v.high1, f));
    v.low1 = add(v.low1, product(v.band1, f));
    return select(type, v.low1, v.band1, v.high1);
}

// The first stage, then a one-pole stage.
int32_t filterMiddle(Voice& v, int32_t x, double f, int32_t type, double damping) {
    const int32_t y1 = filterLight(v, x, f, type, damping);
    v.high2 = sub(y1, v.smooth);
    v.band2 = y1;
    v.low2 = add(product(sub(y1, v.smooth), f), v.smooth);
    const int32_t y = select(type, v.low2, v.band2, v.high2);
    v.smooth = v.low2;
    return y;
}

// Two equal state-variable stages in series.
int32_t filterHeavy(Voice& v, int32_t x, double f, int32_t type, double damping) {
    const int32_t y1 = filterLight(v, x, f, type, damping);
    v.high2 = sub(sub(y1, product(v.band2, damping)), v.low2);
    v.band2 = add(v.band2, product(v.high2, f));
    v.low2 = add(v.low2, product(v.band2, f));
    return select(type, v.low2, v.band2, v.high2);
}

// The coefficient follows the envelope, the note and the velocity.
inline float coefficient(const Voice& v, const BlockSettings& s, float env) {
    return static_cast<float>(
        std::min((static_cast<double>(s.envDepth) + env) * v.cutoffBase, 0.785));
}

// The first half of a sample: oscillators, envelope with its curve, and the
// filter coefficient. The filter input is `mixed`.
struct FilterInput {
    int32_t mixed;
    float f;
    float env;
};

// What stays fixed over a run of samples of one voice, the singles already
// widened to double. fFull is f at env 1 (hold, and the top of the curve), so
// the common case skips the chain that forms f.
struct RunConstants {
    double sweepStep1, sweepStep2, baseInc1, baseInc2, damping, makeup, gain, mix1, mix2;
    float fFull;
};

inline FilterInput startSample(Voice& v, const BlockSettings& s, const RunConstants& k) {
    // Oscillators.
    const float inc1 = increment(v.sweep1Left, k.sweepStep1, k.baseInc1, v.baseInc1);
    const float inc2 = increment(v.sweep2Left, k.sweepStep2, k.baseInc2, v.baseInc2);
    const int32_t i1 = roundEven(v.phase1);
    const int32_t i2 = roundEven(v.phase2);
    constexpr int32_t kMask = WaveTables::kLength - 1;
    double s1 = s.osc1Row[i1 & kMask];
    double s2 = s.osc2Row[i2 & kMask];
    if (s.ringOn) s1 = s1 * s.plain2Row[i2 & kMask];
    // With FM the halving moves into the mix weight: mix2 x (0.5 x p) and
    // (0.5 x mix2) x p are the same real number, so they round alike.
    if (s.fmOn) s2 = s.plain1Row[roundEven(i1 + 2046 * s2) & kMask];
    const int32_t mixed = add(roundEven(k.mix1 * s1), roundEven(k.mix2 * s2));
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

    return {mixed, env == 1.0f ? k.fFull : coefficient(v, s, env), env};
}

// The second half: clip, scale back up to full scale, envelope and gain.
inline float finishSample(int32_t y, float env, const BlockSettings& s, const RunConstants& k) {
    if (s.clipOn) {
        int64_t clipped = y;
        if (s.multiOn) {
            const int64_t magnitude =
                std::max<int64_t>(clipped < 0 ? -clipped : clipped, s.clipFloor);
            clipped = clipped > 0 ? magnitude : (clipped < 0 ? -magnitude : 0);
        }
        const int64_t ceiling = s.clipCeiling;
        clipped = std::min(std::max(clipped, -ceiling), ceiling);
        y = roundEven(static_cast<double>(clipped) * k.makeup);
    }
    return static_cast<float>(static_cast<double>(y) * env * k.gain);
}

// The three filter routines by Weight: Light, Middle, Heavy.
template <int32_t weight>
inline int32_t filterOf(Voice& v, int32_t x, double f, int32_t type, double damping) {
    if constexpr (weight == 0) return filterLight(v, x, f, type, damping);
    if constexpr (weight == 1) return filterMiddle(v, x, f, type, damping);
    return filterHeavy(v, x, f, type, damping);
}

// Counts a waiting voice up towards its start (or, from below, towards
// stageIdle, where a counting voice stops). Returns the first sample at which
// it sounds, or `frames` when it does not sound in this chunk.
int32_t countDown(int32_t& stage, int32_t frames) {
    if (stage > 0) return 0;
    if (stage == DrumVoices::stageIdle) return frames;
    const int64_t target = stage < DrumVoices::stageIdle ? DrumVoices::stageIdle : 1;
    const int64_t steps = std::min<int64_t>(frames, target - stage);
    stage = static_cast<int32_t>(stage + steps);
    return stage > 0 ? static_cast<int32_t>(steps) : frames;
}

// One voice's run of samples of a chunk, from `start` to the sample on
// which it falls idle: each sample's oscillators and envelope, its filter,
// and its finish (clip, envelope and gain), taken in passes over the run
// rather than a sample at a time. The filter's products form a chain of
// some 40 cycles from sample to sample; the finish's long chain of products
// depends on nothing but the filter's output and, left in the same loop,
// holds the CPU back from the next samples.
template <int32_t weight>
struct Run {
    // Copies: the row cannot alias them, so they stay in registers.
    const BlockSettings s;
    Voice v;
    const RunConstants k;
    const int32_t start;
    int32_t end;
    FilterInput in[DrumVoices::kChunk];
    int32_t y[DrumVoices::kChunk];

    Run(const Voice& voice, const BlockSettings& settings, int32_t from)
        : s(settings), v(voice), k(constants(v, s)), start(from), end(from) {}

    static RunConstants constants(const Voice& v, const BlockSettings& s) {
        const double mix2 = s.fmOn ? 0.5 * s.mix2 : s.mix2;
        return {v.sweepStep1, v.sweepStep2, v.baseInc1, v.baseInc2, s.damping,
                s.clipMakeup, v.voiceGain,  static_cast<double>(s.mix1), mix2,
                coefficient(v, s, 1.0f)};
    }

    // True while the voice sounds before sample `to`.
    bool soundsBefore(int32_t to) const { return end < to && v.stage != DrumVoices::stageIdle; }

    // The next sample's oscillators and envelope; returns its place.
    int32_t next() {
        in[end] = startSample(v, s, k);
        return end++;
    }

    void filter(int32_t n) {
        y[n] = filterOf<weight>(v, in[n].mixed, in[n].f, s.filterType, k.damping);
    }
    void filter(int32_t from, int32_t to) {
        for (int32_t n = from; n < to; ++n) filter(n);
    }

    // Writes the run into `out` and the voice back; returns the end.
    int32_t finish(Voice& voice, float* out) const {
        for (int32_t n = start; n < end; ++n) out[n] = finishSample(y[n], in[n].env, s, k);
        voice = v;
        return end;
    }
};

// Renders samples [start, frames) of one voice into its scratch row, stopping
// after the sample on which it falls idle; returns the end. The filter's
// chain leaves room for the next samples' oscillators and envelope in the
// same loop (measured: a tenth less time than a pass of their own).
template <int32_t weight>
int32_t renderRun(Voice& voice, float* out, int32_t start, int32_t frames,
                  const BlockSettings& settings) {
    Run<weight> run(voice, settings, start);
    while (run.soundsBefore(frames)) run.filter(run.next());
    return run.finish(voice, out);
}

// The one-voice routines by Weight: Light, Middle, Heavy.
using RunRenderer = int32_t (*)(Voice&, float*, int32_t, int32_t, const BlockSettings&);
constexpr RunRenderer kRunRenderers[3] = {&renderRun<0>, &renderRun<1>, &renderRun<2>};

// Two voices rendered as renderRun renders each, voices[x] from start[x] to
// at most `frames` into rows[x]; end[x] gets where each stops. Over the
// samples both sound their filters run in lockstep, each voice's chain of
// products filling the other's waits; that loop is then full, so the
// oscillators and envelope take a pass of their own before it.
template <int32_t weight>
void renderTwo(Voice* voices, float* const* rows, const int32_t* start, int32_t* end,
               int32_t frames, const BlockSettings* const* settings) {
    Run<weight> a(voices[0], *settings[0], start[0]);
    Run<weight> b(voices[1], *settings[1], start[1]);
    while (a.soundsBefore(frames)) a.next();
    while (b.soundsBefore(frames)) b.next();
    const int32_t from = std::max(a.start, b.start), to = std::min(a.end, b.end);
    if (from < to) {
        a.filter(a.start, from);
        b.filter(b.start, from);
        for (int32_t n = from; n < to; ++n) {
            a.filter(n);
            b.filter(n);
        }
        a.filter(to, a.end);
        b.filter(to, b.end);
    } else {
        a.filter(a.start, a.end);
        b.filter(b.start, b.end);
    }
    end[0] = a.finish(voices[0], rows[0]);
    end[1] = b.finish(voices[1], rows[1]);
}

using TwoRenderer = void (*)(Voice*, float* const*, const int32_t*, int32_t*, int32_t,
                             const BlockSettings* const*);
constexpr TwoRenderer kTwoRenderers[3] = {&renderTwo<0>, &renderTwo<1>, &renderTwo<2>};

// The samples a stage lasts from `count`: it ends on the sample whose count
// reaches `length`, or at once where it already has.
int64_t stageLength(int32_t count, int32_t length) {
    return count >= length ? 1 : static_cast<int64_t>(length) - count + 1;
}

// Sets [from, to) of `values` to 0.
void clear(int32_t* values, int32_t from, int32_t to) {
    for (int32_t n = from; n < to; ++n) values[n] = 0;
}

}  // namespace

void loneStages(Voice& voice, const BlockSettings& s, int32_t start, int32_t frames, int32_t width,
                LoneSamples& in) {
    Voice v = voice;
    int32_t n = start;
    // Takes as much of a stage as the chunk holds; true where the stage ends.
    const auto take = [&](int32_t& count, int32_t length) {
        const int64_t left = stageLength(count, length);
        const auto samples = static_cast<int32_t>(std::min<int64_t>(left, frames - n));
        count = add(count, samples);
        n += samples;
        return samples == left;
    };
    in.attackFrom = v.attackCount;
    if (v.stage == 1 && n < frames && take(v.attackCount, s.attackLength)) v.stage = 2;
    in.attackEnd = n;
    if (v.stage == 2 && n < frames && take(v.holdCount, s.holdLength)) v.stage = 3;
    in.holdEnd = n;
    in.releaseFrom = v.releaseCount;
    if (v.stage != 1 && v.stage != 2 && v.stage != DrumVoices::stageIdle && n < frames &&
        take(v.releaseCount, s.releaseLength))
        v.stage = DrumVoices::stageIdle;
    in.end = n;

    const double sweepStep1 = v.sweepStep1, sweepStep2 = v.sweepStep2;
    const double baseInc1 = v.baseInc1, baseInc2 = v.baseInc2;
    clear(in.read1, start & -width, start);
    clear(in.read2, start & -width, start);
    for (n = start; n < in.end; ++n) {
        const float inc1 = increment(v.sweep1Left, sweepStep1, baseInc1, v.baseInc1);
        const float inc2 = increment(v.sweep2Left, sweepStep2, baseInc2, v.baseInc2);
        const int32_t i1 = roundEven(v.phase1), i2 = roundEven(v.phase2);
        in.read1[n] = i1;
        in.read2[n] = i2;
        v.phase1 = advance(v.phase1, inc1, i1);
        v.phase2 = advance(v.phase2, inc2, i2);
    }
    clear(in.read1, in.end, (in.end + width - 1) & -width);
    clear(in.read2, in.end, (in.end + width - 1) & -width);
    voice = v;
}

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

// The voice fields that rendering changes. Always inlined: a call would
// read the visitor's captures again after every field it stores.
template <class Visit>
[[gnu::always_inline]] inline void eachRenderedField(Visit visit) {
    using V = DrumVoices::Voice;
    using L = DrumVoices::VoiceLanes;
    visit(&V::phase1, &L::phase1), visit(&V::phase2, &L::phase2);
    visit(&V::low1, &L::low1), visit(&V::band1, &L::band1), visit(&V::high1, &L::high1);
    visit(&V::low2, &L::low2), visit(&V::band2, &L::band2), visit(&V::high2, &L::high2);
    visit(&V::smooth, &L::smooth);
    visit(&V::attackCount, &L::attackCount), visit(&V::holdCount, &L::holdCount);
    visit(&V::releaseCount, &L::releaseCount);
    visit(&V::sweep1Left, &L::sweep1Left), visit(&V::sweep2Left, &L::sweep2Left);
    visit(&V::stage, &L::stage);
}

// Every voice field in one list, for moving a voice between its lanes and
// the one-voice code: the rendered ones and those fixed at note-on.
template <class Visit>
[[gnu::always_inline]] inline void eachField(Visit visit) {
    using V = DrumVoices::Voice;
    using L = DrumVoices::VoiceLanes;
    eachRenderedField(visit);
    visit(&V::note, &L::note), visit(&V::velocity, &L::velocity);
    visit(&V::cutoffBase, &L::cutoffBase), visit(&V::baseInc1, &L::baseInc1);
    visit(&V::baseInc2, &L::baseInc2), visit(&V::sweepStep1, &L::sweepStep1);
    visit(&V::sweepStep2, &L::sweepStep2), visit(&V::voiceGain, &L::voiceGain);
}

}  // namespace

DrumVoices::Voice DrumVoices::VoiceLanes::get(int32_t v) const {
    Voice voice;
    eachField([&](auto field, auto lane) { voice.*field = (this->*lane)[v]; });
    return voice;
}

void DrumVoices::VoiceLanes::set(int32_t v, const Voice& voice) {
    eachField([&](auto field, auto lane) { (this->*lane)[v] = voice.*field; });
}

void DrumVoices::VoiceLanes::copy(int32_t v, const VoiceLanes& other, int32_t from) {
    eachField([&](auto, auto lane) { (this->*lane)[v] = (other.*lane)[from]; });
}

void DrumVoices::VoiceLanes::copyRendered(int32_t v, const VoiceLanes& other, int32_t from) {
    eachRenderedField([&](auto, auto lane) { (this->*lane)[v] = (other.*lane)[from]; });
}

DrumVoices::DrumVoices(const SynthParameters& parameters, InstructionSet path)
    : params(parameters), isa_(runnable(path)) {
    for (int32_t v = 0; v < kLanes; ++v) lanes.stage[v] = stageIdle;
    for (int32_t v = kVoices; v < kLanes; ++v) start[v] = end[v] = kChunk;
    // Every lane path up to the chosen one, widest first: a group whose
    // sounding voices sit close together takes the narrowest that holds them.
    const std::pair<InstructionSet, const LanePath*> built[] = {
#if defined(TAMRIK_HAVE_AVX512)
        {InstructionSet::avx512, &kAvx512Lanes},
#endif
#if defined(TAMRIK_HAVE_AVX2)
        {InstructionSet::avx2, &kAvx2Lanes},
#endif
#if defined(__SSE2__)
        {InstructionSet::sse2, &kSse2Lanes},
#endif
        {InstructionSet::scalar, nullptr}
    };
    for (auto [isa, lanePath] : built)
        if (lanePath && isa <= isa_) paths[pathCount++] = lanePath;
}

void DrumVoices::initEngine(bool buildTables) {
    if (buildTables) WaveTables::build();
    for (int32_t v = 0; v < kVoices; ++v) {
        lanes.stage[v] = stageIdle;
        lanes.attackCount[v] = lanes.holdCount[v] = lanes.releaseCount[v] = 0;
        lanes.phase1[v] = lanes.phase2[v] = 0.0f;
    }
    nextVoice_ = 0;
}

void DrumVoices::playNote(int32_t note, int32_t velocity, int32_t deltaFrames) {
    if (++nextVoice_ > lastVoice) nextVoice_ = 0;
    // A host sends deltaFrames >= 0; a negative one would skip the attack.
    noteOn(note & 0x7F, velocity & 0x7F, std::max(deltaFrames, 0), nextVoice_);
}

void DrumVoices::allSoundOff() {
    for (int32_t v = 0; v < kVoices; ++v) lanes.stage[v] = stageIdle;
}

void DrumVoices::silence(uint32_t voiceMask) {
    for (int32_t v = 0; v < kVoices; ++v)
        if (voiceMask >> v & 1) lanes.stage[v] = stageIdle;
}

uint32_t DrumVoices::busyVoices() const {
    uint32_t idle = 0;
#if defined(__SSE2__)
    // Four stages a compare: a kit asks this of every pad every block.
    const __m128i rest = _mm_set1_epi32(stageIdle);
    for (int32_t v = 0; v < kVoices; v += 4) {
        const __m128i stage = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lanes.stage + v));
        const int bits = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(stage, rest)));
        idle |= static_cast<uint32_t>(bits) << v;
    }
#else
    for (int32_t v = 0; v < kVoices; ++v)
        idle |= static_cast<uint32_t>(lanes.stage[v] == stageIdle) << v;
#endif
    return ~idle & ((1u << kVoices) - 1);
}

bool DrumVoices::silent() const { return busyVoices() == 0; }

void DrumVoices::noteOn(int32_t note, int32_t velocity, int32_t deltaFrames, int32_t index) {
    const DerivedValues& d = params.derived();
    Voice v = lanes.get(index);
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
    lanes.set(index, v);
    setVoicePitch(index);
}

void DrumVoices::setVoicePitch(int32_t index) {
    const DerivedValues& d = params.derived();
    Voice v = lanes.get(index);
    v.baseInc1 = static_cast<float>(static_cast<double>(WaveTables::noteFrequency(v.note & 0x7F)) *
                                    d.octaveFactor.get());
    v.baseInc2 = v.baseInc1;
    v.sweepStep1 = static_cast<float>(static_cast<double>(v.baseInc1) * d.sweep1Rate.get());
    v.sweepStep2 = static_cast<float>(static_cast<double>(v.baseInc2) * d.sweep2Rate.get());
    lanes.set(index, v);
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

void DrumVoices::takeRows(BlockSettings& s, const WaveTables::Reader& tables) {
    s.osc1Row = tables.row(s.osc1Wave, 1);
    s.osc2Row = tables.row(s.osc2Wave, 2);
    s.plain1Row = tables.row(s.osc1Wave, 0);
    s.plain2Row = tables.row(s.osc2Wave, 0);
    s.osc1At = tables.offset(s.osc1Wave, 1);
    s.osc2At = tables.offset(s.osc2Wave, 2);
    s.plain1At = tables.offset(s.osc1Wave, 0);
    s.plain2At = tables.offset(s.osc2Wave, 0);
}

void DrumVoices::LaneSettings::set(int32_t l, const BlockSettings& s) {
    attackLength[l] = s.attackLength;
    holdLength[l] = s.holdLength;
    releaseLength[l] = s.releaseLength;
    filterType[l] = s.filterType;
    clipCeiling[l] = s.clipCeiling;
    clipFloor[l] = s.multiOn && s.clipFloor > 0 ? s.clipFloor : 0;
    mix1[l] = s.mix1;
    mix2[l] = s.mix2;
    osc1At[l] = s.osc1At;
    osc2At[l] = s.osc2At;
    plain1At[l] = s.plain1At;
    plain2At[l] = s.plain2At;
    ringOn[l] = s.ringOn;
    fmOn[l] = s.fmOn;
    clipOn[l] = s.clipOn;
    square[l] = s.curveMode == 1;
    root[l] = s.curveMode == 2;
    attackStep[l] = s.attackStep;
    releaseStep[l] = s.releaseStep;
    damping[l] = s.damping;
    envDepth[l] = s.envDepth;
    clipMakeup[l] = s.clipMakeup;
    mix2Scale[l] = s.fmOn ? 0.5f : 1.0f;
}

uint32_t DrumVoices::beginChunk(int32_t frames) {
    // Most voices of a kit's pads rest: only the others count.
    uint32_t mask = 0;
    for (int32_t v = 0; v < kVoices; ++v) end[v] = start[v] = frames;
    for (uint32_t busy = busyVoices(); busy != 0; busy &= busy - 1) {
        const int32_t v = std::countr_zero(busy);
        end[v] = start[v] = countDown(lanes.stage[v], frames);
        mask |= static_cast<uint32_t>(start[v] < frames) << v;
    }
    soundingMask = mask;
    return mask;
}

int32_t DrumVoices::renderAlone(int32_t weight, Voice& voice, float* row, int32_t from,
                                int32_t frames, const BlockSettings& s) const {
    // The widest lanes across time: measured the fastest.
    const LoneRenderer alone = pathCount > 0 ? paths[0]->lone[weight] : kRunRenderers[weight];
    return alone(voice, row, from, frames, s);
}

void DrumVoices::Groups::render(DrumVoices* const* sounds, const BlockSettings* settings,
                                const Switches* switches, LaneSettings* perLane,
                                const Entry* entries, int32_t count, int32_t weight,
                                int32_t frames, float (*rows)[kChunk], int32_t& nextRow,
                                const float* (*rowOf)[kVoices]) {
    if (count <= 0) return;
    const DrumVoices& lead = *sounds[entries[0].sound];
    const int32_t widest = lead.pathCount > 0 ? lead.paths[0]->width : 1;
    for (int32_t i = 0; i < count;) {
        const Entry* e = entries + i;
        const int32_t taken = std::min(count - i, widest);
        DrumVoices& first = *sounds[e[0].sound];
        const BlockSettings& s = settings[e[0].sound];
        if (widest == 1 && count - i >= 2) {
            // The one-voice code, two voices at a time.
            Voice two[2];
            float* twoRows[2];
            int32_t from[2], to[2];
            const BlockSettings* twoSettings[2];
            for (int32_t x = 0; x < 2; ++x) {
                const DrumVoices& sound = *sounds[e[x].sound];
                two[x] = sound.lanes.get(e[x].voice);
                twoRows[x] = rows[nextRow + x];
                from[x] = sound.start[e[x].voice];
                twoSettings[x] = &settings[e[x].sound];
            }
            kTwoRenderers[weight](two, twoRows, from, to, frames, twoSettings);
            for (int32_t x = 0; x < 2; ++x) {
                DrumVoices& sound = *sounds[e[x].sound];
                sound.lanes.set(e[x].voice, two[x]);
                sound.end[e[x].voice] = to[x];
                rowOf[e[x].sound][e[x].voice] = twoRows[x];
            }
            nextRow += 2;
            i += 2;
            continue;
        }
        if (taken == 1) {
            Voice voice = first.lanes.get(e[0].voice);
            first.end[e[0].voice] =
                lead.renderAlone(weight, voice, rows[nextRow], first.start[e[0].voice],
                                 frames, s);
            first.lanes.set(e[0].voice, voice);
            rowOf[e[0].sound][e[0].voice] = rows[nextRow++];
            ++i;
            continue;
        }
        int32_t p = 0;
        while (p + 1 < lead.pathCount && lead.paths[p + 1]->width >= taken) ++p;
        const LanePath& path = *lead.paths[p];
        const bool oneSound = e[taken - 1].sound == e[0].sound;  // entries come by sound
        if (oneSound && e[taken - 1].voice - e[0].voice == taken - 1) {
            // Neighbours: no copy. The lanes past them do not sound in the
            // chunk (they would be entries of this group).
            path.byWeight[weight](first.lanes, e[0].voice, rows + nextRow,
                                  first.start, first.end, frames, s, nullptr);
            for (int32_t l = 0; l < taken; ++l) rowOf[e[0].sound][e[l].voice] = rows[nextRow + l];
        } else {
            bool sameSwitches = true;
            for (int32_t l = 0; l < taken; ++l) {
                const Entry at = e[l];
                const DrumVoices& sound = *sounds[at.sound];
                lanes.copy(l, sound.lanes, at.voice);
                start[l] = sound.start[at.voice];
                if (!oneSound) {
                    perLane->set(l, settings[at.sound]);
                    sameSwitches = sameSwitches && switches[at.sound] == switches[e[0].sound];
                }
            }
            static const VoiceLanes rest{};
            for (int32_t l = taken; l < path.width; ++l) {
                lanes.copy(l, rest, 0);
                lanes.stage[l] = stageIdle;
                start[l] = frames;
            }
            // Lanes of one sound take its settings whole.
            const LaneKernel kernel = oneSound       ? path.byWeight[weight]
                                      : sameSwitches ? path.valuesByLane[weight]
                                                     : path.perLane[weight];
            kernel(lanes, 0, rows + nextRow, start, end, frames, s, perLane);
            for (int32_t l = 0; l < taken; ++l) {
                const Entry at = e[l];
                DrumVoices& sound = *sounds[at.sound];
                sound.lanes.copyRendered(at.voice, lanes, l);
                sound.end[at.voice] = end[l];
                rowOf[at.sound][at.voice] = rows[nextRow + l];
            }
        }
        nextRow += taken;
        i += taken;
    }
}

// Every voice that sounds in the chunk into a row of its own.
void DrumVoices::renderChunk(int32_t frames, const BlockSettings& s) {
    Groups::Entry entries[kVoices];
    int32_t count = 0;
    for (uint32_t rest = beginChunk(frames); rest != 0; rest &= rest - 1)
        entries[count++] = {0, std::countr_zero(rest)};
    DrumVoices* const self = this;
    int32_t nextRow = 0;
    groups->render(&self, &s, nullptr, nullptr, entries, count, s.filterWeight, frames, scratch,
                  nextRow, &groups->voiceRows);
}

void DrumVoices::render(float* out1, float* out2, int32_t sampleFrames) {
    if (sampleFrames <= 0 || silent()) return;
    BlockSettings s = takeSettings();
    const WaveTables::Reader tables(readsNoise(s));
    takeRows(s, tables);
    // Each voice renders into its own row first; the rows are then added to
    // the outputs so that every output sample sums voices 0 to 16 in order,
    // exactly as a loop over all voices per sample would.
    for (int32_t done = 0; done < sampleFrames; done += kChunk) {
        const int32_t frames = std::min(kChunk, sampleFrames - done);
        renderChunk(frames, s);
        addRows(out1 + done, out2 + done, groups->voiceRows, frames);
    }
}

void DrumVoices::addSum(float* out1, float* out2, const float* const* row,
                        int32_t frames) const {
    const float* whole[kVoices];
    int32_t count = 0;
    for (uint32_t rest = soundingMask; rest != 0; rest &= rest - 1) {
        const int32_t v = std::countr_zero(rest);
        if (start[v] != 0 || end[v] != frames) {
            alignas(16) float sum[kChunk] = {};
            addRows(sum, nullptr, row, frames);
            return addTwice(out1, out2, sum, frames);
        }
        whole[count++] = row[v];
    }
    int32_t n = 0;
#if defined(__SSE2__)
    // The sum stays in registers: no cleared buffer to add it in.
    if (count == 1) {  // a pad's lone voice, as often in a kit
        const __m128 zero = _mm_setzero_ps();
        for (; n + 4 <= frames; n += 4) {
            const __m128 sum = _mm_add_ps(zero, _mm_load_ps(whole[0] + n));
            _mm_storeu_ps(out1 + n, _mm_add_ps(_mm_loadu_ps(out1 + n), sum));
            _mm_storeu_ps(out2 + n, _mm_add_ps(_mm_loadu_ps(out2 + n), sum));
        }
    }
    for (; n + 4 <= frames; n += 4) {
        __m128 sum = _mm_setzero_ps();
        for (int32_t k = 0; k < count; ++k) sum = _mm_add_ps(sum, _mm_load_ps(whole[k] + n));
        _mm_storeu_ps(out1 + n, _mm_add_ps(_mm_loadu_ps(out1 + n), sum));
        _mm_storeu_ps(out2 + n, _mm_add_ps(_mm_loadu_ps(out2 + n), sum));
    }
#endif
    for (; n < frames; ++n) {
        float sum = 0.0f;
        for (int32_t k = 0; k < count; ++k) sum = sum + whole[k][n];
        out1[n] = out1[n] + sum;
        out2[n] = out2[n] + sum;
    }
}

void DrumVoices::addRows(float* out1, float* out2, const float* const* row,
                         int32_t frames) const {
    // When every voice that sounds in the chunk sounds all of it and the two
    // outputs do not overlap, each group of samples takes the rows one after
    // the other in registers, loaded and stored once.
    const float* whole[kVoices];
    int32_t count = 0;
    const auto at = [](const float* p) { return reinterpret_cast<uintptr_t>(p); };
    const uintptr_t bytes = static_cast<uintptr_t>(frames) * sizeof(float);
    bool partial = out2 && at(out1) < at(out2) + bytes && at(out2) < at(out1) + bytes;
    for (uint32_t rest = soundingMask; rest != 0 && !partial; rest &= rest - 1) {
        const int32_t v = std::countr_zero(rest);
        if (start[v] == 0 && end[v] == frames)
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
    for (uint32_t rest = soundingMask; rest != 0; rest &= rest - 1) {
        const int32_t v = std::countr_zero(rest);
        for (int32_t n = start[v]; n < end[v]; ++n) {
            out1[n] = out1[n] + row[v][n];
            if (out2) out2[n] = out2[n] + row[v][n];
        }
    }
}

}  // namespace tamrik
