// Everything one hit of an instrument's sound depends on, as plain data: an
// instrument fills it in (Instrument::hitSetup) and a HitRenderer plays it
// off the audio thread, without touching the instrument's voices.
#pragma once

#include <cstdint>

#include "synth/InstructionSet.h"
#include "synth/ParameterTable.h"

namespace tamrik {

struct HitSetup {
    float values[kNumParameters];  // the sound's values, in parameter order
    float sampleRate;
    int32_t note, velocity;        // as the voice gets them
    float gain[2];                 // per output channel, applied as a mix does (1 adds the sound as it is)
    InstructionSet isa;            // the instance's path
};

}  // namespace tamrik
