// The built-in demo: two bars of a drum groove at 110 BPM and the kit it is
// written for, so that the renderer plays something real with no arguments.
#pragma once

#include "MidiFileReader.h"

namespace tamrik::render {

// For --kit; the notes are those the groove uses.
extern const char* const kDemoKit;

MidiSong demoGroove();

}  // namespace tamrik::render
