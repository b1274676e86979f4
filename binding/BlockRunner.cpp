#include "binding/BlockRunner.h"

#include <algorithm>
#include <cstring>

namespace tamrik::binding {

BlockRunner::BlockRunner(Instrument& instrument)
    : instrument_(instrument), channels_(std::min(instrument.outputCount(), kMaxChannels)) {}

// Inserted after every event of its frame or earlier: hosts mostly send in
// order, so this is an append, and the order of equal frames is kept.
bool BlockRunner::push(const Event& event) {
    if (count_ == queue_.size()) return false;
    size_t at = count_;
    while (at > 0 && queue_[at - 1].frame > event.frame) {
        queue_[at] = queue_[at - 1];
        --at;
    }
    queue_[at] = event;
    ++count_;
    return true;
}

bool BlockRunner::midi(uint32_t frame, const uint8_t* bytes, size_t size) {
    if (!bytes || size == 0) return true;
    Event e{};
    e.frame = frame;
    e.kind = Kind::Midi;
    // The instrument reads one three-byte message; what a longer one carries
    // past that (system exclusive) it ignores, and a shorter one it refuses.
    e.size = uint8_t(std::min<size_t>(size, sizeof e.bytes));
    std::memcpy(e.bytes, bytes, e.size);
    return push(e);
}

void BlockRunner::midiAhead(uint32_t frame, const uint8_t* bytes, size_t size) {
    if (!bytes || size == 0) return;
    instrument_.receiveMidi(bytes, std::min<size_t>(size, 3), int32_t(std::min(frame, uint32_t(INT32_MAX))));
}

bool BlockRunner::noteOn(uint32_t frame, int32_t channel, int32_t key, int32_t velocity) {
    if (key < 0 || key > 127) return true;
    const uint8_t bytes[3] = {uint8_t(0x90 | (channel & 0x0F)), uint8_t(key),
                              uint8_t(std::clamp(velocity, 0, 127))};
    return midi(frame, bytes, sizeof bytes);
}

bool BlockRunner::choke(uint32_t frame, int32_t key, int32_t channel) {
    if (key < -1 || key > 127 || channel < -1 || channel > 15) return true;
    return push({frame, Kind::Choke, {}, 0, key, channel, 0.0f});
}

bool BlockRunner::parameter(uint32_t frame, int32_t index, float value) {
    return push({frame, Kind::Parameter, {}, 0, index, 0, value});
}

void BlockRunner::takeBuffers(float* const* outputs) {
    for (int32_t c = 0; c < channels_; ++c) {
        float* out = handed_[size_t(c)] = outputs[c];
        // Two channels in one buffer would add the voices twice: the second
        // is rendered to scratch.
        if (std::find(at_.begin(), at_.begin() + c, out) != at_.begin() + c) out = nullptr;
        at_[size_t(c)] = out;
    }
}

void BlockRunner::renderUntil(uint32_t frame) {
    float* pieces[kMaxChannels];
    while (rendered_ < frame) {
        const uint32_t n = std::min<uint32_t>(frame - rendered_, uint32_t(INT32_MAX));
        for (int32_t c = 0; c < channels_; ++c) pieces[c] = at_[size_t(c)] ? at_[size_t(c)] + rendered_ : nullptr;
        instrument_.render(pieces, int32_t(n));
        rendered_ += n;
    }
}

// A note's frame from where the render stands: the instrument's countdown.
int32_t BlockRunner::ahead(uint32_t frame) const {
    return int32_t(std::min(frame > rendered_ ? frame - rendered_ : 0u, uint32_t(INT32_MAX)));
}

void BlockRunner::play(uint32_t frames) {
    rendered_ = 0;
    for (size_t i = 0; i < count_; ++i) {
        const Event& e = queue_[i];
        switch (e.kind) {
            case Kind::Parameter:
                renderUntil(std::min(e.frame, frames));
                instrument_.setParameter(e.index, e.value);
                break;
            case Kind::Midi:
                instrument_.receiveMidi(e.bytes, e.size, ahead(e.frame));
                break;
            case Kind::Choke:
                instrument_.chokeKey(e.index, e.channel, ahead(e.frame));
                break;
        }
    }
    count_ = 0;
    renderUntil(frames);
}

}  // namespace tamrik::binding
