// The instrument as an LV2 plug-in: the same AVstXSynth the VST build hands
// its host, driven through the LV2 port protocol. Control ports reach it
// through setParameter, MIDI atoms through the instrument's MIDI rule at
// their frame times, and the two audio ports through processReplacing, so
// both builds compute the very same samples for the same notes and values.
//
// Threads: run() is the audio thread (nothing there allocates or locks);
// create, connect, activate and destruction follow the host's
// instantiation-class rules.
#pragma once

#include <cstdint>

#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>

#include "lv2/Lv2Ports.h"
#include "synth/AVstXSynth.h"

namespace tamrik::lv2 {

class Lv2Instrument {
public:
    // nullptr when the rate is not a positive finite number, urid:map is
    // missing, or memory runs out.
    static Lv2Instrument* create(double sampleRate, const LV2_Feature* const* features);

    void connect(uint32_t port, void* data);
    void activate();
    void run(uint32_t frames);

    const AVstXSynth& synth() const { return synth_; }

private:
    Lv2Instrument(float sampleRate, LV2_URID midiEventType);
    void applyControls();
    void handMidi(uint32_t frames);
    void render(uint32_t frames);

    // Where a missing or shared output is rendered so that time still
    // passes for the voices; whole blocks pass through in pieces this long.
    static constexpr uint32_t kScratchFrames = 256;

    AVstXSynth synth_{nullptr};
    LV2_URID midiEventType_;
    const float* controls_[kNumParameters] = {};
    uint32_t appliedBits_[kNumParameters] = {};  // compared as bits, so a NaN counts once
    const void* midi_ = nullptr;
    float* outputs_[2] = {};
    float scratch_[2][kScratchFrames] = {};
};

}  // namespace tamrik::lv2
