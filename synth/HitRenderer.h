// One hit of a sound, rendered off the audio thread for drawing and export:
// the note-on at frame 0 on a fresh voice (phases from 0, as the first note
// of a fresh instance), through the very engine code an instance runs, into
// zeroed rows, then per channel at the setup's gain by the mix's own rule
// (common/AddScaled.h). So the samples are the ones the instrument plays
// for that note, bit for bit.
//
// It has its own values and voices and never builds the shared wave tables:
// a build would draw new noise, which every playing instance would then
// play. It reads the tables the instrument it previews has built.
//
// A setup with a rate that is not positive, finite and at most kMaxRate, or
// with a value or gain that is not finite, is refused: the hit is empty and
// done at once. Note and velocity are held to 0..127.
#pragma once

#include <cstdint>
#include <vector>

#include "synth/DrumVoices.h"
#include "synth/HitSetup.h"
#include "synth/Parameters.h"

namespace tamrik {

class HitRenderer {
public:
    static constexpr float kMaxRate = 384000.0f;
    // A hit is cut after this long, so that no value can make one endless.
    static constexpr double kMaxSeconds = 60.0;

    explicit HitRenderer(const HitSetup& setup);
    HitRenderer(const HitRenderer&) = delete;
    HitRenderer& operator=(const HitRenderer&) = delete;

    // Renders up to `frames` more samples; false once the hit has ended
    // (the voice rests, or the cut is reached).
    bool renderMore(int32_t frames);
    bool done() const { return done_; }
    // Renders what is left.
    void renderAll();

    // 0 left, 1 right; the two always have the same length.
    const std::vector<float>& channel(int32_t c) const { return c == 1 ? right : left; }
    // True while the channels are equal bit for bit.
    bool channelsEqual() const { return equal; }
    float sampleRate() const { return rate; }
    // The largest |sample| so far, in either channel.
    float peak() const { return peak_; }
    // The samples until the sound stays below `decibels` (of full scale, 1.0)
    // in both channels: one past the last sample at or above that level.
    int32_t lengthTo(float decibels) const;

    // The attack-hold-release envelope after its curve (0..1) at `sample`,
    // from the derived values the voice reads; 0 outside the envelope.
    float envelope(int32_t sample) const;
    // Its samples in all (held to the int32 range): the voice rests after
    // the last, so a hit lasts that long unless it is cut.
    int32_t envelopeLength() const { return envelopeLength_; }

private:
    static constexpr int32_t kPiece = 256;

    SynthParameters params;
    DrumVoices voices;
    float rate = 0.0f;
    float gains[2] = {1.0f, 1.0f};
    int32_t limit = 0;  // the cut, in samples
    // The envelope's derived values, as the voice takes them.
    int32_t attackLength = 0, holdLength = 0, releaseLength = 0, curveMode = 0;
    float attackStep = 0.0f, releaseStep = 0.0f;
    int64_t attackSamples = 0, holdSamples = 0;
    int32_t envelopeLength_ = 0;

    std::vector<float> left, right;
    bool done_ = true;
    bool equal = true;
    float peak_ = 0.0f;
};

}  // namespace tamrik
