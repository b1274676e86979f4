// The event list handed to a plug-in with effProcessEvents: a VstEvents header
// followed by as many event pointers as the block needs, and the MIDI event
// records they point to. The storage is reused from block to block, so a
// render allocates only while the busiest block so far grows.
#pragma once

#include <cstdint>
#include <vector>

#include "vst/AEffect.h"

namespace tamrik::render {

class VstEventBlock {
public:
    void clear() { events.clear(); }
    void addMidi(int32_t deltaFrames, const uint8_t* bytes, uint8_t size);
    bool empty() const { return events.empty(); }
    // Valid until the next change.
    vst::VstEvents* build();

private:
    std::vector<vst::VstMidiEvent> events;
    std::vector<intptr_t> storage;  // header words, then the pointers
};

}  // namespace tamrik::render
