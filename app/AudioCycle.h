// One audio period of the standalone program, whichever back end asks for
// it: the period's MIDI at its frames (JACK MIDI), what the ALSA sequencer
// sent since the last period at its first frame, then the render through a
// BlockRunner, as the plug-ins play a block.
//
// Audio thread only, but for the constructor.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/MidiRing.h"
#include "binding/BlockRunner.h"
#include "synth/Instrument.h"

namespace tamrik::app {

class AudioCycle {
public:
    // `sequencer` may be nullptr (no ALSA sequencer input); it outlives the cycle.
    AudioCycle(Instrument& instrument, MidiRing* sequencer) : runner_(instrument), sequencer_(sequencer) {}

    void midi(uint32_t frame, const uint8_t* bytes, size_t size) { runner_.midi(frame, bytes, size); }

    void run(float* const* outputs, uint32_t frames) {
        if (sequencer_) {
            MidiMessage message;
            while (sequencer_->pop(message)) runner_.midi(0, message.bytes, message.size);
        }
        runner_.run(outputs, frames);
    }

private:
    binding::BlockRunner runner_;
    MidiRing* const sequencer_;
};

}  // namespace tamrik::app
