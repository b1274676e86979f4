// What the instrument hears of MIDI, whichever plug-in format delivers it:
// a note-on (any channel, velocity 0 included) starts the next voice and
// controller 126 silences every voice at once. Everything else, note-off
// included, is ignored, and so is a message shorter than three bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "synth/DrumVoices.h"

namespace tamrik {

void handleMidiMessage(DrumVoices& engine, const uint8_t* bytes, size_t size,
                       int32_t deltaFrames);

}  // namespace tamrik
