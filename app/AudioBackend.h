// What the rest of the standalone program sees of its audio: a JACK client
// or an ALSA playback device, started, watched (rate, period, xruns, the
// load, whether it stopped under us) and closed. What only JACK has (ports
// and connections) stays on JackSession.
//
// Main thread.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tamrik::app {

class AudioError : public std::runtime_error {
public:
    explicit AudioError(const std::string& message) : std::runtime_error(message) {}
};

class AudioBackend {
public:
    virtual ~AudioBackend() = default;

    // Starts the audio thread; throws AudioError (one line).
    virtual void activate() = 0;
    // Stops it and lets the device or server go (also after it went away).
    virtual void close() = 0;

    // "JACK client 'DrumTamrik'", "ALSA device 'hw:0'".
    virtual std::string description() const = 0;
    virtual uint32_t sampleRate() const = 0;
    virtual uint32_t bufferSize() const = 0;
    virtual uint32_t xruns() const = 0;
    // The share of a period the audio thread spent rendering since the
    // start: on average, and the most one period took.
    virtual float load() const = 0;
    virtual float peakLoad() const = 0;
    // The server or the device went away under us; why, when it said.
    virtual bool stopped() const = 0;
    virtual std::string stopReason() const = 0;
};

}  // namespace tamrik::app
