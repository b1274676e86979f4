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

#include <string>

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/midi/midi.h>

#include "binding/SessionState.h"
#include "lv2/HitLinkAccess.h"
#include "lv2/KitControlsAccess.h"
#include "lv2/Lv2Features.h"

namespace tamrik::lv2 {

const binding::Product& dspProduct() { return binding::TAMRIK_PRODUCT(); }

Lv2Instrument* Lv2Instrument::create(double sampleRate, const LV2_Feature* const* features) {
    const auto rate = static_cast<float>(sampleRate);
    if (!(rate > 0.0f) || !std::isfinite(rate)) return nullptr;
    auto* map = static_cast<LV2_URID_Map*>(const_cast<void*>(findFeature(features, LV2_URID__map)));
    if (!map || !map->map) return nullptr;
    try {
        return new Lv2Instrument(binding::makeInstrument(dspProduct()), rate, map);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

Lv2Instrument::Lv2Instrument(std::unique_ptr<Instrument> instrument, float sampleRate, LV2_URID_Map* map)
    : instrument_(std::move(instrument)),
      runner_(*instrument_),
      midiEventType_(map->map(map->handle, LV2_MIDI__MidiEvent)),
      chunkType_(map->map(map->handle, LV2_ATOM__Chunk)),
      stateKey_(map->map(map->handle, (std::string(dspProduct().lv2Uri) + "#state").c_str())),
      controls_(size_t(instrument_->parameterCount())),
      appliedBits_(controls_.size()),
      outputs_(size_t(instrument_->outputCount())) {
    instrument_->setSampleRate(sampleRate);
    for (size_t i = 0; i < appliedBits_.size(); ++i)
        appliedBits_[i] = std::bit_cast<uint32_t>(instrument_->getParameter(int32_t(i)));
}

void Lv2Instrument::connect(uint32_t port, void* data) {
    if (port < midiPort())
        controls_[port] = static_cast<const float*>(data);
    else if (port == midiPort())
        midi_ = data;
    else if (port - midiPort() - 1 < outputs_.size())
        outputs_[port - midiPort() - 1] = static_cast<float*>(data);
}

// A new run of the host's transport: nothing sounds on from before.
void Lv2Instrument::activate() {
    runner_.clear();
    instrument_->allSoundOff();
}

LV2_State_Status Lv2Instrument::save(LV2_State_Store_Function store, LV2_State_Handle handle) {
    if (!binding::savesStateBytes(*instrument_, binding::HostKeepsValues::Yes)) return LV2_STATE_SUCCESS;
    const auto bytes = binding::saveState(*instrument_);
    if (!bytes) return LV2_STATE_ERR_UNKNOWN;
    return store(handle, stateKey_, bytes->data(), bytes->size(), chunkType_, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status Lv2Instrument::restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
    if (!binding::savesStateBytes(*instrument_, binding::HostKeepsValues::Yes)) return LV2_STATE_SUCCESS;
    size_t size = 0;
    uint32_t type = 0, flags = 0;
    const void* data = retrieve(handle, stateKey_, &size, &type, &flags);
    if (!data) return LV2_STATE_ERR_NO_PROPERTY;
    if (type != chunkType_) return LV2_STATE_ERR_BAD_TYPE;
    if (!binding::loadState(*instrument_, static_cast<const uint8_t*>(data), size)) return LV2_STATE_ERR_UNKNOWN;
    return LV2_STATE_SUCCESS;
}

void Lv2Instrument::run(uint32_t frames) {
    applyControls();
    queueMidi(frames);
    runner_.run(outputs_.data(), frames);
}

void Lv2Instrument::applyControls() {
    for (size_t i = 0; i < controls_.size(); ++i) {
        if (!controls_[i]) continue;
        const float value = *controls_[i];
        const auto bits = std::bit_cast<uint32_t>(value);
        if (bits == appliedBits_[i]) continue;
        appliedBits_[i] = bits;
        instrument_->setParameter(int32_t(i), value);
    }
}

// Walks the sequence by hand rather than with the header's macro, so that an
// event claiming more bytes than the sequence holds is never read.
void Lv2Instrument::queueMidi(uint32_t frames) {
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
            runner_.midi(uint32_t(delta), reinterpret_cast<const uint8_t*>(event + 1), size);
        }
        at += sizeof(LV2_Atom_Event) + lv2_atom_pad_size(size);
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

LV2_State_Status save(LV2_Handle h, LV2_State_Store_Function store, LV2_State_Handle handle, uint32_t,
                      const LV2_Feature* const*) {
    return self(h)->save(store, handle);
}
LV2_State_Status restore(LV2_Handle h, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                         uint32_t, const LV2_Feature* const*) {
    return self(h)->restore(retrieve, handle);
}
const LV2_State_Interface kStateInterface = {save, restore};

tamrik::kit::KitControls* kitControls(LV2_Handle h) {
    return h ? tamrik::binding::kitControlsOf(self(h)->instrument()) : nullptr;
}
const tamrik::lv2::KitControlsAccess kKitControlsAccess = {kitControls};

tamrik::HitLink* hitLink(LV2_Handle h) { return h ? &self(h)->sound() : nullptr; }
const tamrik::lv2::HitLinkAccess kHitLinkAccess = {hitLink};

const void* extensionData(const char* uri) {
    if (!uri) return nullptr;
    if (std::strcmp(uri, LV2_STATE__interface) == 0) return &kStateInterface;
    if (std::strcmp(uri, tamrik::lv2::kKitControlsUri) == 0 && tamrik::lv2::dspProduct().panel == tamrik::binding::PanelKind::Kit)
        return &kKitControlsAccess;
    if (std::strcmp(uri, tamrik::lv2::kHitLinkUri) == 0) return &kHitLinkAccess;
    return nullptr;
}

const LV2_Descriptor kDescriptor = {tamrik::binding::TAMRIK_PRODUCT().lv2Uri, instantiate, connectPort, activate,
                                    run, deactivate, cleanup, extensionData};

}  // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
