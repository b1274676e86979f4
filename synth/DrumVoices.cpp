// Numeric rules, kept literally so that another implementation of the same
// design reproduces the output bit for bit: products and sums are formed in
// double from the float and int32 operands and rounded to float only where a
// single is stored; float-to-integer conversions are RoundEven; the filter
// state is 32-bit integer arithmetic that wraps around instead of overflowing.
#include "synth/DrumVoices.h"

#include <algorithm>
#include <bit>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/RoundEven.h"
#include "common/WrapAround.h"
#include "synth/LaneGroups.h"
#include "synth/LaneKernel.h"
#include "synth/LoneVoice.h"
#include "synth/RowSums.h"
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

// By Weight: Light, Middle, Heavy.
const DrumVoices::OneVoice DrumVoices::oneVoice[3] = {&renderRun<0>, &renderRun<1>,
                                                      &renderRun<2>};
const DrumVoices::TwoVoices DrumVoices::twoVoices[3] = {&renderTwo<0>, &renderTwo<1>,
                                                        &renderTwo<2>};

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

DrumVoices::DrumVoices(const SynthParameters& parameters, InstructionSet path)
    : params(parameters), isa_(runnable(path)), groups(std::make_unique<LaneGroups>()) {
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

DrumVoices::~DrumVoices() = default;

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

void DrumVoices::render(float* out1, float* out2, int32_t sampleFrames) {
    if (sampleFrames <= 0 || silent()) return;
    BlockSettings s = takeSettings();
    const WaveTables::Reader tables(readsNoise(s));
    takeRows(s, tables);
    DrumVoices* const self = this;
    LaneGroups::Entry entries[kVoices];
    LaneGroups::Chunk chunk = {.sounds = &self,
                               .settings = &s,
                               .switches = nullptr,
                               .perLane = nullptr,
                               .rows = scratch,
                               .rowOf = &groups->voiceRows,
                               .entries = entries,
                               .count = 0,
                               .weight = s.filterWeight,
                               .frames = 0,
                               .nextRow = 0};
    // Each voice that sounds in a chunk renders into its own row first; the
    // rows are then added to the outputs so that every output sample sums
    // voices 0 to 16 in order, exactly as a loop over all voices per sample
    // would.
    for (int32_t done = 0; done < sampleFrames; done += kChunk) {
        const int32_t frames = std::min(kChunk, sampleFrames - done);
        int32_t count = 0;
        for (uint32_t rest = beginChunk(frames); rest != 0; rest &= rest - 1)
            entries[count++] = {0, std::countr_zero(rest)};
        chunk.count = count;
        chunk.frames = frames;
        chunk.nextRow = 0;
        groups->render(chunk);
        RowSums::add(*this, out1 + done, out2 + done, groups->voiceRows, frames);
    }
}

}  // namespace tamrik
