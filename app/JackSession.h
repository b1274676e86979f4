// The instrument as a JACK client: one MIDI input and the instrument's
// outputs as audio ports under its own names, its process callback playing
// each cycle's MIDI at its frame through a BlockRunner, as the plug-ins do.
// A server is never started (JackNoStartServer): without one the client is
// not made. JACK's notification threads (rate, ports, connections, server
// shutdown) only store what happened and wake the main thread, which does
// everything else; the xrun count and the buffer size are relaxed atomics.
// The ALSA sequencer's messages, when it plays too, come through a MidiRing.
//
// Main thread, but for the callbacks; the audio thread is JACK's.
#pragma once

#include <jack/jack.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/AudioBackend.h"
#include "app/AudioCycle.h"
#include "app/MainLoopWait.h"
#include "app/SessionFile.h"
#include "synth/Instrument.h"

namespace tamrik::app {

class JackError : public AudioError {
public:
    explicit JackError(const std::string& message) : AudioError(message) {}
};

class JackSession : public AudioBackend {
public:
    static constexpr const char* kMidiInputName = "MIDI in";

    // Opens the client and registers its ports (the MIDI input only with
    // `jackMidi`); throws JackError (one line saying what is missing) when no
    // server answers or the server refuses. `sequencer` may be nullptr.
    JackSession(Instrument& instrument, const std::string& clientName, MainLoopWait& wake, bool jackMidi,
                MidiRing* sequencer);
    ~JackSession() override;
    JackSession(const JackSession&) = delete;
    JackSession& operator=(const JackSession&) = delete;

    // Throws JackError.
    void activate() override;
    // Stops the callbacks and leaves the server (also after it went away).
    void close() override;

    std::string description() const override { return "JACK client '" + clientName() + "'"; }
    std::string clientName() const;
    uint32_t sampleRate() const override;
    uint32_t bufferSize() const override { return bufferSize_.load(std::memory_order_relaxed); }
    uint32_t xruns() const override { return xruns_.load(std::memory_order_relaxed); }
    float load() const override { return cycle_.load(); }
    float peakLoad() const override { return cycle_.peakLoad(); }
    bool stopped() const override { return serverGone(); }
    std::string stopReason() const override { return shutdownReason(); }
    bool serverGone() const { return gone_.load(std::memory_order_acquire); }
    // Why the server said it went (set once serverGone()).
    std::string shutdownReason() const;
    bool hasMidiInput() const { return midiIn_ != nullptr; }

    // What JACK's threads saw since the last call.
    struct Changes {
        bool rate = false, ports = false, connections = false;
    };
    Changes takeChanges();

    // The instrument's outputs' port names, in channel order (Main first).
    const std::vector<std::string>& outputNames() const { return outputNames_; }
    // Every connection of our ports, now.
    std::vector<Connection> connections() const;
    // Connects our port (by short name) with the other end, whichever way
    // the signal flows; true when they are connected (also when they were).
    bool connect(const Connection& connection);
    // Undoes a connection; true when they are not connected (also when
    // they were not).
    bool disconnect(const Connection& connection);
    // The machine's playback ports.
    std::vector<std::string> playbackPorts() const;
    // Every MIDI source but our own ports, by full name.
    std::vector<std::string> midiSources() const;
    // The server's DSP load, percent of the period.
    float cpuLoad() const;
    // The port named `text`, else the first whose name or alias holds it (in
    // any case): a MIDI source, or an audio port to play into.
    enum class PortKind { MidiSource, AudioSink };
    std::optional<std::string> findPort(const std::string& text, PortKind kind) const;

private:
    static int process(jack_nframes_t frames, void* self);
    void render(jack_nframes_t frames);
    void note(uint32_t change);
    jack_port_t* ownPort(const std::string& shortName) const;

    Instrument& instrument_;
    MainLoopWait& wake_;
    jack_client_t* client_ = nullptr;
    bool active_ = false;
    AudioCycle cycle_;
    jack_port_t* midiIn_ = nullptr;
    std::vector<jack_port_t*> outputs_;
    std::vector<std::string> outputNames_;
    std::array<float*, binding::BlockRunner::kMaxChannels> buffers_{};

    std::atomic<uint32_t> changes_{0};
    std::atomic<uint32_t> bufferSize_{0};
    std::atomic<uint32_t> xruns_{0};
    std::atomic<bool> gone_{false};
    char shutdownReason_[256] = {};
};

}  // namespace tamrik::app
