// What the panel's hit view needs of the instrument: one hit of a sound
// rendered away from the audio path, its envelope and peak, the activity
// meters, and the export of a hit or a whole kit. Each binding implements it
// in the library that renders the audio, so the view's samples are the
// instrument's own; the panel never sees the engine.
//
// A hit starts from the sound's values as they are at beginHit and is
// rendered in steps (continueHit), so a long release never stalls the panel;
// what is rendered so far can be read between steps.
//
// UI thread, like the form. takePeaks reads what the audio thread leaves
// (relaxed atomics) and never waits on it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace tamrik {

class HitLink {
public:
    // Sound 0 (or the Kit's pad) at a note and velocity (1 to 127); false
    // when that sound cannot be rendered (the hit is then empty).
    virtual bool beginHit(int sound, int note, int velocity) = 0;
    // Renders up to frames more; false once the hit has ended.
    virtual bool continueHit(int frames) = 0;
    // Frames rendered so far, and their samples by channel (0 or 1).
    virtual int hitLength() const = 0;
    virtual const float* hitSamples(int channel) const = 0;
    virtual bool hitChannelsEqual() const = 0;
    virtual double hitRate() const = 0;
    // The rate the instrument plays at now: a new one is a new hit.
    virtual double soundRate() const = 0;
    // The amplitude envelope (0 to 1) at a frame, over envelopeLength frames.
    virtual float hitEnvelope(int frame) const = 0;
    virtual int envelopeLength() const = 0;
    // The largest magnitude rendered so far (1 is 0 dBFS).
    virtual float hitPeak() const = 0;
    // Frames until the hit stays below this level (in dB of full scale).
    virtual int hitLengthTo(double decibels) const = 0;

    // Meters: the sounds first, then every output channel. takePeaks fills
    // up to peaks.size() with the largest magnitude of each since the last
    // take and answers how many it filled.
    virtual int meterCount() const = 0;
    virtual int takePeaks(std::span<float> peaks) = 0;

    // The hit as begun, rendered whole into a 24-bit WAV file; the kit as a
    // folder of WAV files and an SFZ that plays them, one layer per
    // velocity. At rate Hz, rendered afresh as a hit at that rate, or with
    // rate 0 at the instrument's own; a rate the link cannot render at is
    // refused. False with the reason in message.
    virtual bool exportHit(const std::filesystem::path& file, double rate, std::string& message) = 0;
    virtual bool exportKit(const std::filesystem::path& folder, std::span<const int> velocities, double rate,
                           std::string& message) = 0;

protected:
    ~HitLink() = default;
};

}  // namespace tamrik
