// One pad of the Kit: a complete DrumTamrik sound (its own values and 17
// voices in rotation, the same engine code and paths) with the pad's own
// settings, and the choke fade that another pad of its group can start.
//
// Threads: the settings are relaxed atomics like the sound's values (any
// thread writes, the audio thread reads once per block); note-ons, chokes
// and rendering are the audio thread's alone.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>

#include "common/Shared.h"
#include "kit/KitMap.h"
#include "synth/DrumVoices.h"
#include "synth/Parameters.h"

namespace tamrik::kit {

class KitPad {
public:
    // Chokes and note-ons waiting in one block; more are dropped (the note
    // still plays, only its effect on a fade is lost).
    static constexpr int32_t kMaxEvents = 32;

    // The pad's voices render on `path` (as DrumVoices).
    explicit KitPad(InstructionSet path = bestInstructionSet()) : voices(sound, path) {}
    KitPad(const KitPad&) = delete;
    KitPad& operator=(const KitPad&) = delete;

    // The kit's pads, every one on `path`, built in place (a pad cannot move).
    static std::unique_ptr<KitPad[]> all(InstructionSet path);

    void initEngine(bool buildTables) { voices.initEngine(buildTables); }

    // Values by slot: 0-21 the sound's, then the pad's settings.
    void set(int32_t slot, float value);
    float get(int32_t slot) const;
    void setSampleRate(float sampleRate) { sound.setSampleRate(sampleRate); }

    int32_t key() const { return noteOf(setting(kKey)); }
    // The note and velocity a strike of `velocity` plays on the pad's voices.
    int32_t pitch() const { return noteOf(setting(kPitch)); }
    int32_t velocityOf(int32_t velocity) const { return blendVelocity(setting(kVelocity), velocity); }
    // The gain per channel (left, right) at which the pad's sound is added
    // to its pair: Level x Pan x the kit's `master` gain, formed in double
    // and rounded to float once, so exactly 1 at the defaults.
    void gains(double master, float gain[2]) const;
    float sampleRate() const { return sound.sampleRate(); }
    int32_t choke() const { return eighthOf(setting(kChoke)); }
    int32_t output() const { return eighthOf(setting(kOutput)); }
    bool muted() const { return switchOn(setting(kMute)); }

    // Audio thread. A note on this pad `frame` samples into the block; the
    // serial orders it against chokes (a choke fades what came before it).
    void play(int32_t velocity, int32_t frame, uint32_t serial);
    // Another pad of the group played at `frame`: what sounds here fades.
    void choke(int32_t frame, uint32_t serial);
    void allSoundOff();

    // Nothing sounds, waits or fades: a block costs nothing.
    bool idle() const { return eventCount == 0 && !fading && voices.silent(); }
    bool fades() const { return fading; }

    // A block is rendered in spans that end where any pad has an event (the
    // kit renders every pad's voices together, SharedLanes); a pad's own
    // span runs from one of its events to the next. The frame of the next
    // event waiting, or the largest int32.
    int32_t nextEvent() const { return eventCount > 0 ? events[0].frame : std::numeric_limits<int32_t>::max(); }
    // Applies the events at frames up to `frame`, once everything before
    // them is rendered.
    void applyEvents(int32_t frame, int32_t fadeLength);
    // The fade over n rendered samples of the pad's sound.
    void fade(float* mono, int32_t n);
    // At the end of a span of the pad's own that rendered something: a fade
    // that has run out silences its voices.
    void endSpan();
    // After the block: events still ahead move into the next one.
    void endBlock(int32_t frames);

    const DrumVoices& engine() const { return voices; }
    DrumVoices& engine() { return voices; }

private:
    struct Event {
        int32_t frame;
        uint32_t serial;
        bool choke;  // else a note-on that ends a fade at its frame
    };

    float setting(PadSetting s) const { return settings[s].get(); }
    void push(int32_t frame, uint32_t serial, bool isChoke);
    void apply(const Event& e, int32_t fadeLength);
    void endFade();

    SynthParameters sound;
    DrumVoices voices;
    Shared<float> settings[kPadSettings];

    // Audio thread only.
    uint32_t voiceSerial[DrumVoices::kVoices] = {};
    Event events[kMaxEvents] = {};
    int32_t eventCount = 0;
    bool fading = false;
    uint32_t fadeMask = 0;     // the voices the fade ends
    int32_t fadeLeft = 0;      // samples until silence
    int32_t fadeTotal = 1;
};

}  // namespace tamrik::kit
