// An instrument (synth/Instrument.h) as an LV2 plug-in: the same object the
// VST binding holds, driven through the LV2 port protocol. The ports follow
// the instrument: its parameters as control ports (port = parameter index),
// then the MIDI input, then its output channels. Control ports reach it
// through setParameter, MIDI atoms through receiveMidi at their frame times,
// the audio ports through render, so both bindings compute the very same
// samples for the same notes and values. An instrument that keeps its
// session as state (the Kit) saves and restores it through state:interface,
// as one atom:Chunk property holding its state bytes.
//
// Each DSP library is this file built for one row of the products table
// (TAMRIK_PRODUCT): its URI and its instrument. An instrument with kit
// controls answers them to its UI through extension_data
// (lv2/KitControlsAccess.h), and every instrument the hits its UI's panel
// draws, rendered here (lv2/HitLinkAccess.h).
//
// Threads: run() is the audio thread (nothing there allocates or locks);
// create, connect, activate, destruction, save and restore follow the
// host's instantiation-class rules.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include "binding/BlockRunner.h"
#include "binding/PanelSound.h"
#include "binding/Products.h"
#include "synth/Instrument.h"

namespace tamrik::lv2 {

// The product this library is.
const binding::Product& dspProduct();

class Lv2Instrument {
public:
    // nullptr when the rate is not a positive finite number, urid:map is
    // missing, or memory runs out.
    static Lv2Instrument* create(double sampleRate, const LV2_Feature* const* features);

    void connect(uint32_t port, void* data);
    void activate();
    void run(uint32_t frames);
    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle);
    LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

    const Instrument& instrument() const { return *instrument_; }
    Instrument& instrument() { return *instrument_; }
    uint32_t midiPort() const { return uint32_t(controls_.size()); }
    // The UI thread's: what the UI's hit row draws.
    binding::PanelSound& sound() { return sound_; }

private:
    Lv2Instrument(std::unique_ptr<Instrument> instrument, float sampleRate, LV2_URID_Map* map);
    void applyControls();
    void queueMidi(uint32_t frames);

    std::unique_ptr<Instrument> instrument_;
    binding::PanelSound sound_{*instrument_};
    binding::BlockRunner runner_;
    LV2_URID midiEventType_, chunkType_, stateKey_;
    std::vector<const float*> controls_;
    std::vector<uint32_t> appliedBits_;  // compared as bits, so a NaN counts once
    const void* midi_ = nullptr;
    std::vector<float*> outputs_;
};

}  // namespace tamrik::lv2
