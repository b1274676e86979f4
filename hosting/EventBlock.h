// The event list a host hands to effProcessEvents: a VstEvents header
// followed by as many event pointers as the block needs, and the MIDI event
// records they point to. The storage is kept from block to block, so a host
// allocates only while the busiest block so far grows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "vst/AEffect.h"

namespace tamrik::hosting {

// One MIDI event of up to three bytes.
vst::VstMidiEvent midiEvent(uint8_t status, uint8_t data1, uint8_t data2, int32_t deltaFrames = 0);

class EventBlock {
public:
    EventBlock() = default;
    explicit EventBlock(std::vector<vst::VstMidiEvent> events) : events_(std::move(events)) {}

    void clear() { events_.clear(); }
    void add(const vst::VstMidiEvent& event) { events_.push_back(event); }
    // The first four bytes at most; a MIDI event has room for no more.
    void addMidi(int32_t deltaFrames, const uint8_t* bytes, size_t size);
    bool empty() const { return events_.empty(); }

    // Valid until the next change.
    vst::VstEvents* build();

private:
    std::vector<vst::VstMidiEvent> events_;
    std::vector<intptr_t> storage_;  // header words, then the pointers
};

}  // namespace tamrik::hosting
