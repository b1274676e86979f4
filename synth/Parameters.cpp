// Every derived value is formed in double from the stored singles and rounded
// to float once, where a single is stored; integer selections use RoundEven.
// The expressions keep the order in which the sound was designed, since a
// reordering changes the last bit.
#include "synth/Parameters.h"

#include <atomic>
#include <cmath>

#include "common/RoundEven.h"
#include "common/WrapAround.h"
#include "synth/SemitonePower.h"

namespace tamrik {

namespace {

double squared(float x) { return static_cast<double>(x) * static_cast<double>(x); }

// Type and Weight index three-entry tables, whatever the host sends.
int32_t limitToThree(int32_t k) { return k < 0 ? 0 : (k > 2 ? 2 : k); }

int32_t waveformOf(float v) {
    const int32_t k = roundEven(static_cast<double>(v) * 4.0);
    return (k >= 0 && k <= 3) ? k : static_cast<int32_t>(Waveform::Noise);
}

int32_t sweepLength(float time, double rate) {
    return wrapAdd(roundEven(squared(time) * rate * 2.0), 1);
}

float sweepRate(float scale, int32_t length) {
    return static_cast<float>((semitonePower(static_cast<double>(scale) * 80.0) - 1.0) /
                              length);
}

}  // namespace

namespace {

// The parameters a group's derived values are formed from (besides the
// sample rate); kNumParameters where there is no second one.
struct GroupInputs {
    int32_t first, second;
};

GroupInputs inputsOf(DerivedGroup group) {
    switch (group) {
        case DerivedGroup::Cutoff:
        case DerivedGroup::CutoffAndEnvDepth:
            return {kCutOff, kEnv};
        case DerivedGroup::Sweep1:
            return {kW1Time, kW1Scale};
        case DerivedGroup::Sweep2:
            return {kW2Time, kW2Scale};
        default:
            break;
    }
    for (int32_t i = 0; i < kNumParameters; ++i)
        if (kParameterTable[i].updates == group) return {i, kNumParameters};
    return {kNumParameters, kNumParameters};
}

}  // namespace

SynthParameters::SynthParameters() {
    for (int32_t i = 0; i < kNumParameters; ++i) values[i].set(kParameterTable[i].defaultValue);
    setSampleRate(44100.0f);
}

float SynthParameters::get(int32_t index) const {
    return isParameterIndex(index) ? values[index].get() : 0.0f;
}

void SynthParameters::set(int32_t index, float v) {
    if (!isParameterIndex(index)) return;
    values[index].set(v);
    changes[index].fetch_add(1, std::memory_order_seq_cst);
    update(kParameterTable[index].updates);
}

void SynthParameters::setSampleRate(float sampleRate) {
    sampleRate_.set(sampleRate);
    rateChanges.fetch_add(1, std::memory_order_seq_cst);
    for (const ParameterInfo& p : kParameterTable) update(p.updates);
}

uint32_t SynthParameters::changesOf(DerivedGroup group) const {
    // A sum of counters that only grow: equal twice means none moved between.
    const GroupInputs in = inputsOf(group);
    uint32_t sum = rateChanges.load(std::memory_order_seq_cst);
    for (int32_t index : {in.first, in.second})
        if (index < kNumParameters) sum += changes[index].load(std::memory_order_seq_cst);
    return sum;
}

void SynthParameters::update(DerivedGroup group) {
    // Another writer may store an input while we compute and then finish
    // before us, leaving our stale results last; so we go again for as long
    // as an input changed meanwhile. The two read-modify-writes on one word
    // (fences, which ThreadSanitizer cannot follow) keep a writer's counted
    // input ahead of its stores, and our stores ahead of the second count.
    order.fetch_add(1, std::memory_order_seq_cst);
    uint32_t seen = changesOf(group);
    for (;;) {
        compute(group);
        order.fetch_add(1, std::memory_order_seq_cst);
        const uint32_t now = changesOf(group);
        if (now == seen) return;
        seen = now;
    }
}

void SynthParameters::updateCutoff(float sampleRate) {
    d.cutoffFactor.set(static_cast<float>((squared(value(kCutOff)) + 0.05) *
                                          (static_cast<double>(value(kEnv)) + 0.01) * 60000.0 /
                                          static_cast<double>(sampleRate)));
}

void SynthParameters::updateSweep(Shared<int32_t>& length, Shared<float>& rate, ParameterIndex time,
                                  ParameterIndex scale, float sampleRate) {
    const int32_t samples = sweepLength(value(time), sampleRate);
    length.set(samples);
    rate.set(sweepRate(value(scale), samples));
}

void SynthParameters::compute(DerivedGroup group) {
    const float sampleRate = sampleRate_.get();
    const double rate = sampleRate;
    switch (group) {
        case DerivedGroup::Attack: {
            const int32_t length = wrapAdd(roundEven(squared(value(kA)) * rate * 0.5), 1);
            d.attackLength.set(length);
            d.attackStep.set(static_cast<float>(1.0 / length));
            break;
        }
        case DerivedGroup::Hold:
            d.holdLength.set(wrapAdd(roundEven(squared(value(kH)) * rate * 0.5), 1));
            break;
        case DerivedGroup::Release: {
            const int32_t length = wrapAdd(roundEven(squared(value(kR)) * rate), 10);
            d.releaseLength.set(length);
            d.releaseStep.set(static_cast<float>(1.0 / length));
            break;
        }
        case DerivedGroup::Curve:
            d.curveMode.set(roundEven(static_cast<double>(value(kCurve)) * 2.0));
            break;
        case DerivedGroup::Cutoff:
            updateCutoff(sampleRate);
            break;
        case DerivedGroup::Damping:
            d.damping.set(static_cast<float>(1.2 - 1.17 * squared(value(kQ))));
            break;
        case DerivedGroup::FilterType:
            d.filterType.set(limitToThree(roundEven(static_cast<double>(value(kType)) * 2.0)));
            break;
        case DerivedGroup::CutoffAndEnvDepth:
            updateCutoff(sampleRate);
            d.envDepth.set(
                static_cast<float>(1.1 / (static_cast<double>(value(kEnv)) + 0.01) - 1.0));
            break;
        case DerivedGroup::Osc1Wave:
            d.osc1Wave.set(waveformOf(value(kWave1)));
            break;
        case DerivedGroup::Osc2Wave:
            d.osc2Wave.set(waveformOf(value(kWave2)));
            break;
        case DerivedGroup::FilterWeight:
            d.filterWeight.set(limitToThree(roundEven(static_cast<double>(value(kWeight)) * 2.0)));
            break;
        case DerivedGroup::Sweep1:
            updateSweep(d.sweep1Length, d.sweep1Rate, kW1Time, kW1Scale, sampleRate);
            break;
        case DerivedGroup::Sweep2:
            updateSweep(d.sweep2Length, d.sweep2Rate, kW2Time, kW2Scale, sampleRate);
            break;
        case DerivedGroup::Mix: {
            const int32_t mix2 = roundEven(static_cast<double>(value(kOscMix)) * 100000.0);
            d.mix2.set(mix2);
            d.mix1.set(wrapSub(100000, mix2));
            break;
        }
        case DerivedGroup::Ring:
            d.ringOn.set(roundEven(value(kRing)) == 1);
            break;
        case DerivedGroup::FM:
            d.fmOn.set(roundEven(value(kFM)) == 1);
            break;
        case DerivedGroup::Volume:
            d.volumeGain.set(
                static_cast<float>(squared(value(kVolume)) * (1.0 / 127) / 100000.0));
            break;
        case DerivedGroup::Clip: {
            const double clip = value(kClip);
            const float level = static_cast<float>(clip + 0.000001);
            d.clipLevel.set(level);
            d.clipFloor.set(roundEven((1.0 - clip) * static_cast<double>(level) * 100000.0));
            d.clipCeiling.set(roundEven(static_cast<double>(level) * 100000.0));
            d.clipMakeup.set(static_cast<float>(1.0 / static_cast<double>(level)));
            break;
        }
        case DerivedGroup::Octave: {
            // The rate's own derived value lives here, so it is retried with the rest.
            const float phasePerHertz = static_cast<float>(4096.0 / rate);
            phasePerHertz_.set(phasePerHertz);
            const int32_t k = roundEven(static_cast<double>(value(kOctave)) * 2.0);
            const double factor = k == 0 ? 0.5 : (k == 1 ? 0.25 : 0.125);
            d.octaveFactor.set(static_cast<float>(factor * phasePerHertz));
            break;
        }
        case DerivedGroup::None:
            break;
    }
}

}  // namespace tamrik
