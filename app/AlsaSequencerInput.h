// The ALSA sequencer's MIDI input: a port any source can connect to (or be
// connected to by name), and a thread of its own that waits for events and
// hands the channel messages to the audio thread through a MidiRing, to be
// played at the start of the next period. Sources named on the command line
// that are not there yet are connected when they appear; a source that
// vanishes is simply no longer heard.
//
// Main thread, but for the listening thread's own loop.
#pragma once

#include <alsa/asoundlib.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/AudioBackend.h"
#include "app/MidiRing.h"

namespace tamrik::app {

class AlsaSequencerInput {
public:
    static constexpr const char* kPortName = "MIDI in";

    // Opens the sequencer as client `clientName` and makes the port; throws
    // AudioError (one line) when there is no sequencer.
    AlsaSequencerInput(const std::string& clientName, MidiRing& ring);
    ~AlsaSequencerInput();
    AlsaSequencerInput(const AlsaSequencerInput&) = delete;
    AlsaSequencerInput& operator=(const AlsaSequencerInput&) = delete;

    // "client:port" of our input.
    std::string address() const;
    // Connects the source `text` names ("client:port", or a part of its
    // client's or port's name, in any case) as soon as it is there; the
    // listening thread says so in one line. The sequencer's handle is the
    // listening thread's alone once it runs, so the connection is made there.
    void connectSource(const std::string& text);
    void start();

private:
    bool connectNow(const std::string& text);
    void connectPending();
    void listen();

    snd_seq_t* seq_ = nullptr;
    int port_ = -1;
    MidiRing& ring_;
    int wakeFd_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex pendingLock_;  // the waiting names: the main and the listening thread
    std::vector<std::string> pending_;
};

}  // namespace tamrik::app
