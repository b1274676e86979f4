// An instrument as every plug-in format sees it: identity, parameters (each
// a value from 0 to 1 as the host stores it), programs, audio outputs, MIDI
// bytes in, sound out, and its whole state as bytes. A format binding (VST 2,
// LV2, CLAP) holds one and translates its host's calls into these, nothing
// more; the instrument knows no format.
//
// Threads, per operation:
// - Constants (identity, counts, names of parameters, groups and outputs,
//   defaults, steps, valueDisplay): any thread, any time.
// - setParameter, getParameter, parameterDisplay, currentProgram,
//   setProgram: any thread, also while another thread renders or calls these
//   (hosts play automation on the audio thread while their UI thread
//   switches programs). Each value is a relaxed atomic: a render sees it old
//   or new, never torn; a change that recomputes several derived values may
//   reach one block half-applied.
// - receiveMidi, chokeKey, render: the audio thread, one call at a time. They never
//   allocate, lock, log or wait.
// - setSampleRate, programName, setProgramName, copyProgram, saveState,
//   loadState: the UI (main) thread, one call at a time. setSampleRate and
//   loadState may come while the audio thread renders.
// - meters: any thread; render publishes into them, and one other thread
//   at a time (the panel's) takes from them, never waiting on each other.
//
// Text goes into the caller's buffer of `size` bytes, cut to fit and always
// terminated; an index out of range gives "". No input a host can send
// (index, NaN, infinity, garbage state) reads or writes out of bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tamrik {

struct HitSetup;
class PeakMeter;

struct InstrumentIdentity {
    const char* name;     // "DrumTamrik"
    const char* vendor;   // "Quenmar"
    const char* product;  // a longer name
    int32_t uniqueId;     // four characters, the first in the highest byte
    int32_t version;
    // The host should keep the session as saveState's bytes (VST 2 chunks)
    // rather than as each program's parameter values.
    bool sessionAsState;
};

class Instrument {
public:
    virtual ~Instrument() = default;

    // Constants.
    virtual const InstrumentIdentity& identity() const = 0;
    virtual int32_t parameterCount() const = 0;
    virtual int32_t programCount() const = 0;
    // Output channels; channels 2k and 2k + 1 are a stereo pair.
    virtual int32_t outputCount() const = 0;
    virtual void outputName(int32_t channel, char* text, size_t size) const = 0;

    // Parameter facts (constants). The short name fits 8 bytes ("CutOff");
    // the full name says which part it belongs to ("Pad 1 CutOff").
    virtual float parameterDefault(int32_t index) const = 0;
    // 0 for a continuous value, else n: the value means one of k / n.
    virtual int32_t parameterSteps(int32_t index) const = 0;
    virtual void parameterShortName(int32_t index, char* text, size_t size) const = 0;
    virtual void parameterName(int32_t index, char* text, size_t size) const = 0;
    virtual void parameterLabel(int32_t index, char* text, size_t size) const = 0;
    // The name of choice k (0 to parameterSteps) of a stepped parameter, as
    // its editor shows it; "" where there is none.
    virtual void choiceName(int32_t index, int32_t k, char* text, size_t size) const = 0;
    // Groups (a kit's pads): -1 when the parameter belongs to none.
    virtual int32_t groupCount() const = 0;
    virtual int32_t parameterGroup(int32_t index) const = 0;
    virtual void groupName(int32_t group, char* text, size_t size) const = 0;

    // Parameter values. NaN and infinities change nothing; finite values
    // are stored as given. An index out of range sets nothing and reads 0.
    virtual void setParameter(int32_t index, float value) = 0;
    virtual float getParameter(int32_t index) const = 0;
    // The value as the user reads it, in the full-stop notation whatever
    // the locale.
    virtual void parameterDisplay(int32_t index, char* text, size_t size) const = 0;
    // The same for any value the parameter may take (a host's automation
    // lane reads it for values not yet set).
    virtual void valueDisplay(int32_t index, float value, char* text, size_t size) const = 0;
    // The value a text means, as a user types it into a host's field: every
    // text valueDisplay gives reads back as the value it shows (so a host's
    // value -> text -> value round trip lands where it started, to the
    // display's precision). This one reads what every parameter of ours
    // shares: a stepped parameter's choice by name (any case), a plain
    // number with or without the label ("0.5", "0.50 /1"). An
    // instrument whose displays say more (decibels, notes, pan) reads those
    // first. False, and value unchanged, where the text means nothing here.
    virtual bool valueFromText(int32_t index, const char* text, float& value) const;

    // Programs: a program number out of range changes nothing.
    virtual int32_t currentProgram() const = 0;
    virtual void setProgram(int32_t program) = 0;
    virtual void programName(int32_t program, char* text, size_t size) const = 0;
    virtual void setProgramName(const char* name) = 0;  // the current program's
    virtual bool copyProgram(int32_t destination) = 0;  // the current one into it

    // A positive rate in Hz; lengths, sweeps and pitches follow at once.
    virtual void setSampleRate(float rate) = 0;
    // One MIDI message that takes effect `frame` samples into the next
    // render (a negative frame counts as 0). A block's messages come before
    // its render, best in time order.
    virtual void receiveMidi(const uint8_t* bytes, size_t size, int32_t frame) = 0;
    // Adds `frames` samples of sound into outputs[0 .. outputCount() - 1];
    // a nil channel is rendered into scratch memory so that time still
    // passes. Channels must not share memory. frames <= 0 does nothing.
    virtual void render(float* const* outputs, int32_t frames) = 0;
    // False once no voice sounds or waits: a render would add nothing until
    // the next MIDI message. Audio thread.
    virtual bool sounding() const = 0;
    // Silences everything at once, as controller 126 does, but whatever
    // channel the instrument listens to: a host's reset, or a new run of its
    // transport. Audio thread, or while nothing renders.
    virtual void allSoundOff() = 0;
    // The instrument's meters (synth/PeakMeter.h), or nil where it has none:
    // the sounds first, then one per output channel, each the largest
    // |sample| of a render that sounded (an idle render publishes nothing).
    // The audio thread publishes; one other thread at a time takes. The
    // pointer is the same for the instrument's life: any thread.
    virtual PeakMeter* meters() { return nullptr; }
    // Ends with a short fade what `key` (0 to 127; -1 every key) is playing,
    // `frame` samples into the next render, for a message on `channel` (0 to
    // 15; -1 any channel). An instrument without chokes leaves it: what it
    // plays ends by itself. Audio thread.
    virtual void chokeKey(int32_t /*key*/, int32_t /*channel*/, int32_t /*frame*/) {}

    // The whole state (every program, names, the current program) in a
    // versioned format of the instrument's own. loadState refuses a damaged,
    // truncated or foreign state and then changes nothing.
    virtual std::vector<uint8_t> saveState() const = 0;
    virtual bool loadState(const uint8_t* data, size_t size) = 0;

    // What one hit of `sound` struck with `note` and `velocity` depends on,
    // for a HitRenderer to play it off the audio thread: false (setup
    // untouched) where the instrument has no such sound. Any thread: it reads
    // only relaxed atomics.
    virtual bool hitSetup(int32_t /*sound*/, int32_t /*note*/, int32_t /*velocity*/,
                          HitSetup& /*setup*/) const {
        return false;
    }
};

}  // namespace tamrik
