// Every derived value is formed in double from the stored singles and rounded
// to float once, where a single is stored; integer selections use RoundEven.
// The expressions keep the order in which the sound was designed, since a
// reordering changes the last bit.
#include "synth/Parameters.h"

#include <cmath>

#include "common/RoundEven.h"
#include "common/WrapAround.h"

namespace tamrik {

const ParameterInfo kParameterTable[kNumParameters] = {
    {"A", 0.1f, 3},       {"H", 0.1f, 4},       {"R", 0.5f, 5},      {"Curve", 0.0f, 17},
    {"CutOff", 0.5f, 0},  {"Q", 0.0f, 1},       {"Type", 0.0f, 2},   {"Env", 0.5f, 6},
    {"Wave1", 0.0f, 7},   {"Wave2", 0.0f, 8},   {"Weight", 0.0f, 14}, {"W1Time", 0.5f, 9},
    {"W2Time", 0.5f, 10}, {"W1Scale", 0.5f, 11}, {"W2Scale", 0.5f, 12}, {"OscMix", 0.5f, 13},
    {"Ring", 0.0f, 15},   {"FM", 0.0f, 16},     {"Volume", 0.5f, 18}, {"Clip", 1.0f, 19},
    {"Multi", 0.0f, 20},  {"Octave", 1.0f, 21},
};

namespace {

constexpr double kSemitone = 1.059463094359;

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
    return static_cast<float>((std::pow(kSemitone, static_cast<double>(scale) * 80.0) - 1.0) /
                              length);
}

}  // namespace

SynthParameters::SynthParameters() {
    for (int32_t i = 0; i < kNumParameters; ++i) values[i].set(kParameterTable[i].defaultValue);
    setSampleRate(44100.0f);
}

float SynthParameters::get(int32_t index) const {
    return isParameterIndex(index) ? values[index].get() : 0.0f;
}

void SynthParameters::set(int32_t index, float v, float sampleRate) {
    if (!isParameterIndex(index)) return;
    values[index].set(v);
    updateParameter(index, sampleRate);
}

void SynthParameters::setSampleRate(float sampleRate) {
    phasePerHertz_.set(static_cast<float>(4096.0 / static_cast<double>(sampleRate)));
    for (int32_t i = 0; i < kNumParameters; ++i) updateParameter(i, sampleRate);
}

void SynthParameters::updateCutoff(float sampleRate) {
    d.cutoffFactor.set(static_cast<float>((squared(value(kCutOff)) + 0.05) *
                                          (static_cast<double>(value(kEnv)) + 0.01) * 60000.0 /
                                          static_cast<double>(sampleRate)));
}

void SynthParameters::updateSweep1(float sampleRate) {
    const int32_t length = sweepLength(value(kW1Time), sampleRate);
    d.sweep1Length.set(length);
    d.sweep1Rate.set(sweepRate(value(kW1Scale), length));
}

void SynthParameters::updateSweep2(float sampleRate) {
    const int32_t length = sweepLength(value(kW2Time), sampleRate);
    d.sweep2Length.set(length);
    d.sweep2Rate.set(sweepRate(value(kW2Scale), length));
}

void SynthParameters::updateParameter(int32_t index, float sampleRate) {
    const double rate = sampleRate;
    switch (index) {
        case kA: {
            const int32_t length = wrapAdd(roundEven(squared(value(kA)) * rate * 0.5), 1);
            d.attackLength.set(length);
            d.attackStep.set(static_cast<float>(1.0 / length));
            break;
        }
        case kH:
            d.holdLength.set(wrapAdd(roundEven(squared(value(kH)) * rate * 0.5), 1));
            break;
        case kR: {
            const int32_t length = wrapAdd(roundEven(squared(value(kR)) * rate), 10);
            d.releaseLength.set(length);
            d.releaseStep.set(static_cast<float>(1.0 / length));
            break;
        }
        case kCurve:
            d.curveMode.set(roundEven(static_cast<double>(value(kCurve)) * 2.0));
            break;
        case kCutOff:
            updateCutoff(sampleRate);
            break;
        case kQ:
            d.damping.set(static_cast<float>(1.2 - 1.17 * squared(value(kQ))));
            break;
        case kType:
            d.filterType.set(limitToThree(roundEven(static_cast<double>(value(kType)) * 2.0)));
            break;
        case kEnv:
            updateCutoff(sampleRate);
            d.envDepth.set(
                static_cast<float>(1.1 / (static_cast<double>(value(kEnv)) + 0.01) - 1.0));
            break;
        case kWave1:
            d.osc1Wave.set(waveformOf(value(kWave1)));
            break;
        case kWave2:
            d.osc2Wave.set(waveformOf(value(kWave2)));
            break;
        case kWeight:
            d.filterWeight.set(limitToThree(roundEven(static_cast<double>(value(kWeight)) * 2.0)));
            break;
        case kW1Time:
        case kW1Scale:
            updateSweep1(sampleRate);
            break;
        case kW2Time:
        case kW2Scale:
            updateSweep2(sampleRate);
            break;
        case kOscMix: {
            const int32_t mix2 = roundEven(static_cast<double>(value(kOscMix)) * 100000.0);
            d.mix2.set(mix2);
            d.mix1.set(wrapSub(100000, mix2));
            break;
        }
        case kRing:
            d.ringOn.set(roundEven(value(kRing)) == 1);
            break;
        case kFM:
            d.fmOn.set(roundEven(value(kFM)) == 1);
            break;
        case kVolume:
            d.volumeGain.set(
                static_cast<float>(squared(value(kVolume)) * (1.0 / 127) / 100000.0));
            break;
        case kClip: {
            const double clip = value(kClip);
            const float level = static_cast<float>(clip + 0.000001);
            d.clipLevel.set(level);
            d.clipFloor.set(roundEven((1.0 - clip) * static_cast<double>(level) * 100000.0));
            d.clipCeiling.set(roundEven(static_cast<double>(level) * 100000.0));
            d.clipMakeup.set(static_cast<float>(1.0 / static_cast<double>(level)));
            break;
        }
        case kOctave: {
            const int32_t k = roundEven(static_cast<double>(value(kOctave)) * 2.0);
            const double factor = k == 0 ? 0.5 : (k == 1 ? 0.25 : 0.125);
            d.octaveFactor.set(static_cast<float>(factor * phasePerHertz_.get()));
            break;
        }
        default:  // Multi: the renderer reads the value itself
            break;
    }
}

}  // namespace tamrik
