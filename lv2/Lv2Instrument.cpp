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
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>

#include "lv2/Lv2Features.h"

namespace tamrik::lv2 {

namespace {

// The host's block limit, when it says one: the largest, else the usual.
int32_t blockLengthOption(const LV2_Options_Option* options, LV2_URID_Map* map) {
    if (!options) return 0;
    const LV2_URID intType = map->map(map->handle, LV2_ATOM__Int);
    const LV2_URID maxLength = map->map(map->handle, LV2_BUF_SIZE__maxBlockLength);
    const LV2_URID nominalLength = map->map(map->handle, LV2_BUF_SIZE__nominalBlockLength);
    int32_t nominal = 0;
    for (const LV2_Options_Option* o = options; o->key != 0; ++o) {
        if (o->type != intType || o->size != sizeof(int32_t) || !o->value) continue;
        const int32_t value = *static_cast<const int32_t*>(o->value);
        if (value <= 0) continue;
        if (o->key == maxLength) return value;
        if (o->key == nominalLength) nominal = value;
    }
    return nominal;
}

}  // namespace

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
    const auto* options = static_cast<const LV2_Options_Option*>(findFeature(features, LV2_OPTIONS__options));
    // What a VST host tells through effSetBlockSize.
    if (const int32_t block = blockLengthOption(options, map)) instance->synth_.setBlockSize(block);
    return instance;
}

Lv2Instrument::Lv2Instrument(float sampleRate, LV2_URID midiEventType)
    : midiEventType_(midiEventType) {
    synth_.setSampleRate(sampleRate);
    for (int32_t i = 0; i < kNumParameters; ++i)
        appliedBits_[i] = std::bit_cast<uint32_t>(synth_.parameters().get(i));
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
    synth_.receiveMidi(kAllSoundOff, sizeof kAllSoundOff, 0);
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
        synth_.setParameter(i, value);
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
            synth_.receiveMidi(reinterpret_cast<const uint8_t*>(event + 1), size, int32_t(delta));
        }
        at += sizeof(LV2_Atom_Event) + lv2_atom_pad_size(size);
    }
}

void Lv2Instrument::render(uint32_t frames) {
    float* left = outputs_[0];
    float* right = outputs_[1] != left ? outputs_[1] : nullptr;
    const bool whole = left && right;
    uint32_t done = 0;
    while (done < frames) {
        const uint32_t limit = whole ? uint32_t(INT32_MAX) : kScratchFrames;
        const uint32_t n = frames - done < limit ? frames - done : limit;
        float* out[2] = {left ? left + done : scratch_[0], right ? right + done : scratch_[1]};
        synth_.processReplacing(nullptr, out, int32_t(n));
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
