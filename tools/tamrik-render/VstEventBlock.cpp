// The header declares room for two pointers only; hosts lay out more behind
// it. The storage is pointer-sized words so that the header and every
// pointer sit where the record layout puts them.
#include "VstEventBlock.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace tamrik::render {

static_assert(offsetof(vst::VstEvents, events) % sizeof(intptr_t) == 0);

void VstEventBlock::addMidi(int32_t deltaFrames, const uint8_t* bytes, uint8_t size) {
    vst::VstMidiEvent event{};
    event.type = vst::kVstMidiType;
    event.byteSize = sizeof(vst::VstMidiEvent);
    event.deltaFrames = deltaFrames;
    std::memcpy(event.midiData, bytes, size);
    events.push_back(event);
}

vst::VstEvents* VstEventBlock::build() {
    constexpr size_t headerWords = offsetof(vst::VstEvents, events) / sizeof(intptr_t);
    constexpr size_t recordWords = sizeof(vst::VstEvents) / sizeof(intptr_t);
    storage.assign(std::max(headerWords + events.size(), recordWords), 0);
    auto* block = reinterpret_cast<vst::VstEvents*>(storage.data());
    block->numEvents = static_cast<int32_t>(events.size());
    for (size_t i = 0; i < events.size(); ++i)
        storage[headerWords + i] = reinterpret_cast<intptr_t>(&events[i]);
    return block;
}

}  // namespace tamrik::render
