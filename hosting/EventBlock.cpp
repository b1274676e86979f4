// The header declares room for two pointers only; hosts lay out more behind
// it. The storage is pointer-sized words so that the header and every
// pointer sit where the record layout puts them.
#include "hosting/EventBlock.h"

#include <algorithm>
#include <cstring>

namespace tamrik::hosting {

static_assert(offsetof(vst::VstEvents, events) % sizeof(intptr_t) == 0);

vst::VstMidiEvent midiEvent(uint8_t status, uint8_t data1, uint8_t data2, int32_t deltaFrames) {
    const uint8_t bytes[3] = {status, data1, data2};
    vst::VstMidiEvent event{};
    event.type = vst::kVstMidiType;
    event.byteSize = sizeof event;
    event.deltaFrames = deltaFrames;
    std::memcpy(event.midiData, bytes, sizeof bytes);
    return event;
}

void EventBlock::addMidi(int32_t deltaFrames, const uint8_t* bytes, size_t size) {
    vst::VstMidiEvent event = midiEvent(0, 0, 0, deltaFrames);
    std::memcpy(event.midiData, bytes, std::min(size, sizeof event.midiData));
    events_.push_back(event);
}

vst::VstEvents* EventBlock::build() {
    constexpr size_t headerWords = offsetof(vst::VstEvents, events) / sizeof(intptr_t);
    constexpr size_t recordWords = sizeof(vst::VstEvents) / sizeof(intptr_t);
    storage_.assign(std::max(headerWords + events_.size(), recordWords), 0);
    auto* block = reinterpret_cast<vst::VstEvents*>(storage_.data());
    block->numEvents = static_cast<int32_t>(events_.size());
    for (size_t i = 0; i < events_.size(); ++i)
        storage_[headerWords + i] = reinterpret_cast<intptr_t>(&events_[i]);
    return block;
}

}  // namespace tamrik::hosting
