// The plug-in's descriptor and the instance behind it. A control value is
// applied only when its bits differ from the last ones applied, in
// parameter order, before the block's MIDI and the block's sound: the
// calls a VST host makes when it sets parameters before it sends the
// block's events, so both builds give the same samples for them.
#include "lv2/Lv2Instrument.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <new>

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/midi/midi.h>

#include "lv2/Lv2Features.h"

namespace tamrik::lv2 {

Lv2Instrument* Lv2Instrument::create(double sampleRate, const LV2_Feature* const* features) {
    const auto rate = static_cast<float>(sampleRate);
    if (!(rate > 0.0f) || !std::isfinite(rate)) return nullptr;
    auto* map = static_cast<LV2_URID_Map*>(const_cast<void*>(findFeature(features, LV2_URID__map)));
    if (!map || !map->map) return nullptr;
    Lv2Instrument* instance = nullptr;
    try {
        instance = new Lv2Instrument(rate, map->map(map->handle, LV2_MIDI__MidiEvent));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return instance;
}

Lv2Instrument::Lv2Instrument(float sampleRate, LV2_URID midiEventType)
    : midiEventType_(midiEventType) {
    instrument_.setSampleRate(sampleRate);
    for (int32_t i = 0; i < kNumParameters; ++i)
        appliedBits_[i] = std::bit_cast<uint32_t>(instrument_.parameters().get(i));
}

void Lv2Instrument::connect(uint32_t port, void* data) {
    if (port < kMidiPort)
        controls_[port] = static_cast<const float*>(data);
    else if (port == kMidiPort)
        midi_ = data;
    else if (port < kPortCount)
        outputs_[port - kLeftPort] = static_cast<float*>(data);
}

void Lv2Instrument::activate() {
    // A new run of the host's transport: nothing sounds on from before.
    static constexpr uint8_t kAllSoundOff[3] = {0xB0, 126, 0};
    instrument_.receiveMidi(kAllSoundOff, sizeof kAllSoundOff, 0);
}

void Lv2Instrument::run(uint32_t frames) {
    applyControls();
    handMidi(frames);
    render(frames);
}

void Lv2Instrument::applyControls() {
    for (int32_t i = 0; i < kNumParameters; ++i) {
        if (!controls_[i]) continue;
        const float value = *controls_[i];
        const auto bits = std::bit_cast<uint32_t>(value);
        if (bits == appliedBits_[i]) continue;
        appliedBits_[i] = bits;
        instrument_.setParameter(i, value);
    }
}

// Walks the sequence by hand rather than with the header's macro, so that an
// event claiming more bytes than the sequence holds is never read.
void Lv2Instrument::handMidi(uint32_t frames) {
    if (!midi_) return;
    const auto* sequence = static_cast<const LV2_Atom_Sequence*>(midi_);
    const auto* begin = reinterpret_cast<const uint8_t*>(&sequence->body + 1);
    const uint8_t* end = reinterpret_cast<const uint8_t*>(&sequence->body) + sequence->atom.size;
    for (const uint8_t* at = begin; at + sizeof(LV2_Atom_Event) <= end;) {
        const auto* event = reinterpret_cast<const LV2_Atom_Event*>(at);
        const uint32_t size = event->body.size;
        if (size > size_t(end - at) - sizeof(LV2_Atom_Event)) break;
        if (event->body.type == midiEventType_) {
            // Events belong inside the block; a host that says otherwise
            // gets them at its edges.
            const int64_t time = event->time.frames;
            const int64_t delta = time < 0 ? 0 : (time > int64_t(frames) ? int64_t(frames) : time);
            instrument_.receiveMidi(reinterpret_cast<const uint8_t*>(event + 1), size, int32_t(delta));
        }
        at += sizeof(LV2_Atom_Event) + lv2_atom_pad_size(size);
    }
}

void Lv2Instrument::render(uint32_t frames) {
    // A missing output, or the second of two that share a buffer, is left
    // to the instrument's scratch memory.
    float* out[2] = {outputs_[0], outputs_[1] != outputs_[0] ? outputs_[1] : nullptr};
    for (uint32_t done = 0; done < frames;) {
        const uint32_t n = frames - done < uint32_t(INT32_MAX) ? frames - done : uint32_t(INT32_MAX);
        float* piece[2] = {out[0] ? out[0] + done : nullptr, out[1] ? out[1] + done : nullptr};
        for (float* channel : piece)
            if (channel) std::memset(channel, 0, sizeof(float) * n);
        instrument_.render(piece, int32_t(n));
        done += n;
    }
}

}  // namespace tamrik::lv2

namespace {

using tamrik::lv2::Lv2Instrument;

Lv2Instrument* self(LV2_Handle handle) { return static_cast<Lv2Instrument*>(handle); }

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*,
                       const LV2_Feature* const* features) {
    return Lv2Instrument::create(rate, features);
}

void connectPort(LV2_Handle h, uint32_t port, void* data) { self(h)->connect(port, data); }
void activate(LV2_Handle h) { self(h)->activate(); }
void run(LV2_Handle h, uint32_t frames) { self(h)->run(frames); }
void deactivate(LV2_Handle) {}
void cleanup(LV2_Handle h) { delete self(h); }
const void* extensionData(const char*) { return nullptr; }

const LV2_Descriptor kDescriptor = {tamrik::lv2::kPluginUri, instantiate, connectPort, activate,
                                    run, deactivate, cleanup, extensionData};

}  // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
