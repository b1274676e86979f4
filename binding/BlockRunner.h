// One block of a host's audio as every binding plays it: the block's events
// (note-ons, note chokes, MIDI bytes, parameter values) gathered in any
// order and kept sorted by frame, equal frames in the order they came; the
// outputs prepared once (a missing channel, or one sharing memory with an
// earlier one, goes to the instrument's scratch memory; cleared where the
// host wants them replaced); then the instrument rendered up to each
// parameter value, so that a value changes the sound from its own frame on.
// Notes and MIDI reach the instrument at their frame as the instrument's
// countdown: they need no cut in the render.
//
// A binding decodes its host's events into these calls and hands over the
// buffers; it knows nothing of the order of rendering. The queue is made
// once: the audio thread neither allocates, locks nor waits here. A block
// with more events than the queue holds keeps the first ones.
//
// Audio thread only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "synth/Instrument.h"

namespace tamrik::binding {

class BlockRunner {
public:
    static constexpr size_t kQueueSize = 2048;
    static constexpr int32_t kMaxChannels = 32;

    explicit BlockRunner(Instrument& instrument);

    // Events of the coming block. Frames are counted from the block's start;
    // a binding clamps what its host may send beyond the block, or leaves a
    // note's frame as it came where the format lets a note wait into later
    // blocks (VST 2's deltaFrames). False when the queue is full.
    bool midi(uint32_t frame, const uint8_t* bytes, size_t size);
    bool noteOn(uint32_t frame, int32_t channel, int32_t key, int32_t velocity);
    // key -1 every key, channel -1 any channel (Instrument::chokeKey).
    bool choke(uint32_t frame, int32_t key, int32_t channel);
    bool parameter(uint32_t frame, int32_t index, float value);
    // A message played at once, `frame` samples into the next render, where
    // a format delivers a block's events before the block and changes
    // parameters between the two (VST 2): a note must start with the values
    // it came with, as hosts of that format expect; the instrument's
    // countdown places it in the block.
    void midiAhead(uint32_t frame, const uint8_t* bytes, size_t size);

    // Plays the queued events and renders `frames` frames into `outputs`
    // (the instrument's outputCount() channels; nullptr for none). Replace
    // clears each channel first, Add keeps what it holds.
    enum class Outputs { Replace, Add };
    void run(float* const* outputs, uint32_t frames, Outputs mode = Outputs::Replace) {
        prepare(outputs, frames, mode);
        // A block without events, the usual one, is a single render.
        if (count_ == 0 && frames - 1 < uint32_t(INT32_MAX))
            instrument_.render(at_.data(), int32_t(frames));
        else
            play(frames);
    }

    // Forgets what is queued (a host's reset).
    void clear() { count_ = 0; }
    size_t queued() const { return count_; }

private:
    enum class Kind : uint8_t { Midi, Choke, Parameter };
    struct Event {
        uint32_t frame;
        Kind kind;
        uint8_t bytes[3];  // Midi: the message (what the instrument reads of one)
        uint8_t size;
        int32_t index;     // Choke: the key; Parameter: the index
        int32_t channel;   // Choke
        float value;       // Parameter
    };

    bool push(const Event& event);
    void prepare(float* const* outputs, uint32_t frames, Outputs mode) {
        static float* const kNone[kMaxChannels] = {};
        float* const* given = outputs ? outputs : kNone;
        bool same = true;
        for (int32_t c = 0; c < channels_; ++c) same = same && given[c] == handed_[size_t(c)];
        if (!same) takeBuffers(given);
        if (mode == Outputs::Replace)
            for (int32_t c = 0; c < channels_; ++c)
                if (float* out = at_[size_t(c)]) std::memset(out, 0, sizeof(float) * frames);
    }
    void takeBuffers(float* const* outputs);
    // The queued events at their frames, and the rest of the block.
    void play(uint32_t frames);
    void renderUntil(uint32_t frame);
    int32_t ahead(uint32_t frame) const;

    Instrument& instrument_;
    const int32_t channels_;
    std::array<Event, kQueueSize> queue_{};
    size_t count_ = 0;
    std::array<float*, kMaxChannels> at_{};  // each channel's buffer, or nullptr
    // The buffers the host handed last: the same again (hosts mostly keep
    // theirs) need no new check for sharing.
    std::array<float*, kMaxChannels> handed_{};
    uint32_t rendered_ = 0;
};

}  // namespace tamrik::binding
