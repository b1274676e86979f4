#include "kit/KitPad.h"

#include <algorithm>
#include <utility>

namespace tamrik::kit {

namespace {

template <size_t... p>
std::unique_ptr<KitPad[]> padsOn(InstructionSet path, std::index_sequence<p...>) {
    return std::unique_ptr<KitPad[]>(new KitPad[sizeof...(p)]{(void(p), KitPad(path))...});
}

}  // namespace

std::unique_ptr<KitPad[]> KitPad::all(InstructionSet path) {
    return padsOn(path, std::make_index_sequence<kPads>{});
}

void KitPad::set(int32_t slot, float value) {
    if (slot < kSoundParameters)
        sound.set(slot, value);
    else if (slot < kPadStride)
        settings[slot - kSoundParameters].set(value);
}

float KitPad::get(int32_t slot) const {
    return slot < kSoundParameters ? sound.get(slot) : settings[slot - kSoundParameters].get();
}

void KitPad::gains(double master, float gain[2]) const {
    const double level = levelGain(clampUnit(setting(kLevel)));
    const float pan = clampUnit(setting(kPan));
    gain[0] = static_cast<float>(level * panLeft(pan) * master);
    gain[1] = static_cast<float>(level * panRight(pan) * master);
}

void KitPad::push(int32_t frame, uint32_t serial, bool isChoke) {
    if (eventCount == kMaxEvents) return;
    // Kept in time order; events of one frame stay in the order they came.
    int32_t at = eventCount++;
    for (; at > 0 && events[at - 1].frame > frame; --at) events[at] = events[at - 1];
    events[at] = {frame, serial, isChoke};
}

void KitPad::play(int32_t velocity, int32_t frame, uint32_t serial) {
    const int32_t voice = voices.nextVoice() == DrumVoices::lastVoice ? 0 : voices.nextVoice() + 1;
    voices.playNote(pitch(), velocityOf(velocity), frame);
    voiceSerial[voice] = serial;
    fadeMask &= ~(1u << voice);  // taken over: no longer part of a fade
    // Only a pad that fades, or is about to, needs to know when a new note
    // starts: its fade must end there.
    if (fading || eventCount > 0) push(frame, serial, false);
}

void KitPad::choke(int32_t frame, uint32_t serial) {
    if (voices.silent() && !fading && eventCount == 0) return;
    push(frame, serial, true);
}

void KitPad::allSoundOff() {
    voices.allSoundOff();
    eventCount = 0;
    fading = false;
    fadeMask = 0;
}

void KitPad::endFade() {
    voices.silence(fadeMask);
    fading = false;
    fadeMask = 0;
}

void KitPad::apply(const Event& e, int32_t fadeLength) {
    if (!e.choke) {
        // A new note here: what was fading stops now, the note plays whole.
        if (fading) endFade();
        return;
    }
    // Everything sounding or waiting that came before the choke fades.
    uint32_t mask = 0;
    for (int32_t v = 0; v < DrumVoices::kVoices; ++v)
        if (voices.voice(v).stage != DrumVoices::stageIdle && voiceSerial[v] < e.serial) mask |= 1u << v;
    if (mask == 0) return;
    fadeMask |= mask;
    if (!fading) {
        fading = true;
        fadeTotal = fadeLeft = std::max(fadeLength, 1);
    }
}

void KitPad::applyEvents(int32_t frame, int32_t fadeLength) {
    int32_t used = 0;
    for (; used < eventCount && events[used].frame <= frame; ++used) apply(events[used], fadeLength);
    if (used > 0) {
        std::copy(events + used, events + eventCount, events);
        eventCount -= used;
    }
}

void KitPad::fade(float* mono, int32_t n) {
    if (!fading) return;
    const double total = fadeTotal;
    for (int32_t i = 0; i < n; ++i) {
        mono[i] = fadeLeft > 0 ? static_cast<float>(mono[i] * (fadeLeft / total)) : 0.0f;
        if (fadeLeft > 0) --fadeLeft;
    }
}

void KitPad::endSpan() {
    if (fading && fadeLeft == 0) endFade();
}

void KitPad::endBlock(int32_t frames) {
    for (int32_t i = 0; i < eventCount; ++i) events[i].frame -= frames;
}

}  // namespace tamrik::kit
