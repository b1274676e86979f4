// An ALSA sequencer event as the short MIDI message the instrument reads:
// channel messages only (notes, aftertouch, controllers, programs, pitch
// bend); anything else, system exclusive included, is none. Values beyond
// MIDI's 7 or 14 bits are masked, so that a source sending garbage can never
// make a byte that is no data byte.
#pragma once

#include <alsa/asoundlib.h>

#include <optional>

#include "app/MidiRing.h"

namespace tamrik::app {

std::optional<MidiMessage> midiMessageOf(const snd_seq_event_t& event);

}  // namespace tamrik::app
