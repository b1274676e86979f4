// The instrument's frame: construction, programs (the factory kits), names,
// and MIDI into the pads (the channel filter, keys, chokes, auditions). Its
// parameters (KitParameters.cpp), the mix of the pads into the outputs
// (KitMix.cpp) and the state (KitState.cpp) have files of their own.
#include "kit/KitInstrument.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "common/FloatingPointGuard.h"
#include "common/StringCopy.h"
#include "kit/FactoryKits.h"
#include "synth/HitSetup.h"

namespace tamrik::kit {

const InstrumentIdentity KitInstrument::kIdentity = {"DrumTamrik Kit", "Quenmar", "DrumTamrik Kit",
                                                     KitInstrument::kUniqueId, 1, true};

KitInstrument::KitInstrument(InstructionSet path)
    : pads(KitPad::all(path)),
      mono(std::make_unique<float[][kPiece]>(kPads)),
      lanes(std::make_unique<SharedLanes>()) {
    const FloatingPointGuard fp;
    // One draw of noise for the whole instance, as a single-sound instance.
    for (int32_t p = 0; p < kPads; ++p) pads[p].initEngine(p == 0);
    loadFactoryKit(0);
}

int32_t KitInstrument::programCount() const { return kFactoryKitCount; }

void KitInstrument::outputName(int32_t c, char* text, size_t size) const {
    if (c < 0 || c >= kOutputChannels) return copyString(text, "", size);
    char buffer[16];
    const char* side = c % 2 == 0 ? "L" : "R";
    if (c < 2)
        std::snprintf(buffer, sizeof buffer, "Main %s", side);
    else
        std::snprintf(buffer, sizeof buffer, "Aux %d %s", static_cast<int>(c / 2), side);
    copyString(text, buffer, size);
}

void KitInstrument::loadFactoryKit(int32_t k) { load(factoryKitSnapshot(k)); }

void KitInstrument::setProgram(int32_t program) {
    if (program < 0 || program >= kFactoryKitCount || program == current.get()) return;
    const FloatingPointGuard fp;
    current.set(program);
    loadFactoryKit(program);
}

void KitInstrument::programName(int32_t program, char* text, size_t size) const {
    if (program < 0 || program >= kFactoryKitCount) return copyString(text, "", size);
    if (program == current.get()) return copyString(text, kitName_.get().c_str(), size);
    copyString(text, std::string(kFactoryKits[size_t(program)].name).c_str(), size);
}

void KitInstrument::setProgramName(const char* name) {
    if (name) kitName_.set(name);
}

std::string KitInstrument::padName(int32_t pad) const {
    return pad >= 0 && pad < kPads ? padNames[pad].get() : std::string();
}

void KitInstrument::setPadName(int32_t pad, const char* name) {
    if (pad >= 0 && pad < kPads && name) padNames[pad].set(name);
}

void KitInstrument::setSampleRate(float sampleRate) {
    const FloatingPointGuard fp;
    rate.set(sampleRate);
    for (int32_t p = 0; p < kPads; ++p) pads[p].setSampleRate(sampleRate);
}

void KitInstrument::receiveMidi(const uint8_t* bytes, size_t size, int32_t frame) {
    if (!bytes || size < 3) return;
    const int32_t listen = channelOf(channel.get());
    if (listen != 0 && (bytes[0] & 0x0F) != listen - 1) return;
    const int32_t status = bytes[0] & 0xF0;
    if (status == 0xB0 && bytes[1] == 126) return allSoundOff();
    if (status != 0x90) return;  // note-offs and the rest: as DrumTamrik, ignored
    const int32_t note = bytes[1] & 0x7F;
    const uint32_t seen = lastNote_.load(std::memory_order_relaxed);
    lastNote_.store(((seen >> 7) + 1) << 7 | uint32_t(note), std::memory_order_relaxed);
    uint32_t hit = 0;
    for (int32_t p = 0; p < kPads; ++p)
        if (pads[p].key() == note && !pads[p].muted()) hit |= 1u << p;
    strike(hit, bytes[2] & 0x7F, frame);
}

void KitInstrument::allSoundOff() {
    for (int32_t p = 0; p < kPads; ++p) pads[p].allSoundOff();
}

void KitInstrument::strike(uint32_t hit, int32_t velocity, int32_t frame) {
    if (hit == 0) return;
    uint32_t groups = 0;
    for (int32_t p = 0; p < kPads; ++p)
        if (hit >> p & 1) {
            if (const int32_t g = pads[p].choke()) groups |= 1u << g;
            hits[p].store(hits[p].load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
        }
    const FloatingPointGuard fp;
    const int32_t at = std::max(frame, 0);
    ++serial;
    // The rest of each struck pad's group fades; pads struck by this very
    // note never choke one another.
    if (groups)
        for (int32_t p = 0; p < kPads; ++p)
            if (!(hit >> p & 1) && (groups >> pads[p].choke() & 1) && pads[p].choke())
                pads[p].choke(at, serial);
    for (int32_t p = 0; p < kPads; ++p)
        if (hit >> p & 1) pads[p].play(velocity, at, serial);
    awake |= hit;
}

bool KitInstrument::hitSetup(int32_t sound, int32_t, int32_t velocity, HitSetup& setup) const {
    if (sound < 0 || sound >= kPads) return false;
    const FloatingPointGuard fp;  // the rounding the audio thread blends and mixes under
    const KitPad& pad = pads[sound];
    for (int32_t i = 0; i < kSoundParameters; ++i) setup.values[i] = pad.get(i);
    setup.sampleRate = pad.sampleRate();
    setup.note = pad.pitch();
    setup.velocity = pad.velocityOf(clampInt(velocity, 0, 127));
    pad.gains(masterGain(), setup.gain);
    setup.isa = pad.engine().isa();
    return true;
}

void KitInstrument::audition(int32_t pad) {
    if (pad >= 0 && pad < kPads) auditions.fetch_or(1u << pad, std::memory_order_relaxed);
}

uint32_t KitInstrument::hitCount(int32_t pad) const {
    return pad >= 0 && pad < kPads ? hits[pad].load(std::memory_order_relaxed) : 0;
}

void KitInstrument::padName(int32_t pad, char* text, size_t size) const {
    copyString(text, padName(pad).c_str(), size);
}

void KitInstrument::kitName(char* text, size_t size) const { copyString(text, kitName_.get().c_str(), size); }

void KitInstrument::chokeKey(int32_t key, int32_t midiChannel, int32_t frame) {
    if (key < -1 || key > 127 || midiChannel < -1 || midiChannel > 15) return;
    const int32_t listen = channelOf(channel.get());
    if (listen != 0 && midiChannel >= 0 && midiChannel != listen - 1) return;
    const int32_t at = std::max(frame, 0);
    ++serial;  // what is struck later in the block is not part of it
    for (int32_t p = 0; p < kPads; ++p)
        if (key < 0 || pads[p].key() == key) pads[p].choke(at, serial);
}

bool KitInstrument::sounding() const {
    for (int32_t p = 0; p < kPads; ++p)
        if (!pads[p].idle()) return true;
    return false;
}

}  // namespace tamrik::kit
