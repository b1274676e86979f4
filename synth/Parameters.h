// The instrument's current parameter values and every derived value they
// give, each recomputed when its parameter is set (which ones: the
// `updates` column of synth/ParameterTable.h). The renderer reads only the
// derived values.
//
// Threads: the UI thread (editor, host automation) writes while the audio
// thread renders, so every value is its own relaxed 32-bit atomic: the
// renderer sees each one old or new, never torn. A change that recomputes
// several values (Clip, Env, a sweep pair) may be seen half-applied for one
// sample, which is harmless. Writers may also race each other (automation
// on the audio thread while the editor moves the other half of a pair, or a
// new sample rate): each recompute is repeated until its inputs held still,
// so once the writers stop every derived value is what the stored values
// give.
#pragma once

#include <atomic>
#include <cstdint>

#include "common/Shared.h"
#include "synth/ParameterTable.h"

namespace tamrik {

enum class Waveform : int32_t { Sine, Saw, Square, Triangle, Noise };

// What the renderer reads; all recomputed by update.
struct DerivedValues {
    Shared<int32_t> attackLength, holdLength, releaseLength, sweep1Length, sweep2Length;
    Shared<int32_t> curveMode, filterWeight, filterType, clipFloor, clipCeiling, mix1, mix2;
    Shared<int32_t> osc1Wave, osc2Wave;  // Waveform
    Shared<float> attackStep, releaseStep, cutoffFactor, damping, envDepth, sweep1Rate,
        sweep2Rate, volumeGain, clipLevel, clipMakeup, octaveFactor;
    Shared<bool> ringOn, fmOn;
};

class SynthParameters {
public:
    SynthParameters();

    float get(int32_t index) const;  // 0.0 outside 0..21
    // Stores the value as given (no clamping) and recomputes its row at the
    // current sample rate.
    void set(int32_t index, float value);
    // A new sample rate: phasePerHertz, then every derived value recomputed
    // from the current values, so a note keeps its pitch and length in time.
    void setSampleRate(float sampleRate);

    const DerivedValues& derived() const { return d; }
    float phasePerHertz() const { return phasePerHertz_.get(); }
    float sampleRate() const { return sampleRate_.get(); }

private:
    // Recomputes the group until no input changed meanwhile.
    void update(DerivedGroup group);
    void compute(DerivedGroup group);
    uint32_t changesOf(DerivedGroup group) const;
    void updateCutoff(float sampleRate);
    void updateSweep(Shared<int32_t>& length, Shared<float>& rate, ParameterIndex time,
                     ParameterIndex scale, float sampleRate);
    float value(ParameterIndex index) const { return values[index].get(); }

    Shared<float> values[kNumParameters];
    Shared<float> sampleRate_;
    // How often each value and the rate were set; they only grow (and wrap).
    std::atomic<uint32_t> changes[kNumParameters] = {};
    std::atomic<uint32_t> rateChanges{0};
    std::atomic<uint32_t> order{0};
    Shared<float> phasePerHertz_;
    DerivedValues d;
};

}  // namespace tamrik
