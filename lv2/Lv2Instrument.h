// The instrument as an LV2 plug-in: the same DrumTamrikInstrument the VST
// binding holds, driven through the LV2 port protocol. Control ports reach
// it through setParameter, MIDI atoms through receiveMidi at their frame
// times, and the two audio ports through render, so both bindings compute
// the very same samples for the same notes and values.
//
// Threads: run() is the audio thread (nothing there allocates or locks);
// create, connect, activate and destruction follow the host's
// instantiation-class rules.
#pragma once

#include <cstdint>

#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>

#include "lv2/Lv2Ports.h"
#include "synth/DrumTamrikInstrument.h"

namespace tamrik::lv2 {

class Lv2Instrument {
public:
    // nullptr when the rate is not a positive finite number, urid:map is
    // missing, or memory runs out.
    static Lv2Instrument* create(double sampleRate, const LV2_Feature* const* features);

    void connect(uint32_t port, void* data);
    void activate();
    void run(uint32_t frames);

    const DrumTamrikInstrument& instrument() const { return instrument_; }

private:
    Lv2Instrument(float sampleRate, LV2_URID midiEventType);
    void applyControls();
    void handMidi(uint32_t frames);
    void render(uint32_t frames);

    DrumTamrikInstrument instrument_;
    LV2_URID midiEventType_;
    const float* controls_[kNumParameters] = {};
    uint32_t appliedBits_[kNumParameters] = {};  // compared as bits, so a NaN counts once
    const void* midi_ = nullptr;
    float* outputs_[2] = {};
};

}  // namespace tamrik::lv2
