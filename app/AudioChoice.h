// Which back end plays and which MIDI input listens: JACK when a server
// answers (and --alsa is not given), else the ALSA device; JACK MIDI with
// JACK audio, the ALSA sequencer with ALSA audio, both only when asked, so
// that a source connected to both is never played twice.
//
// Main thread.
#pragma once

#include <memory>
#include <string>

#include "app/AlsaPlayback.h"
#include "app/AlsaSequencerInput.h"
#include "app/JackSession.h"
#include "app/StandaloneOptions.h"

namespace tamrik::app {

class AudioChoice {
public:
    // Starts the audio (active) and the sequencer input when chosen, its
    // sources asked for; throws AudioError with one line saying what is
    // missing. `sequencer` outlives both.
    AudioChoice(Instrument& instrument, const StandaloneOptions& options, const std::string& clientName,
                MainLoopWait& wake, MidiRing& sequencer);

    AudioBackend& audio() { return *audio_; }
    // The JACK session, or nullptr when ALSA plays (or the server went and
    // a new one is awaited).
    JackSession* jack() { return jack_; }
    AlsaPlayback* alsa() { return alsa_; }
    bool sequencerListens() const { return sequencer_ != nullptr; }

    // --reconnect: lets the stopped server go; then a new try at a new one,
    // false while none answers.
    void dropJack();
    bool retryJack();

private:
    void openJack();

    Instrument& instrument_;
    const StandaloneOptions& options_;
    const std::string clientName_;
    MainLoopWait& wake_;
    MidiRing& ring_;
    bool jackMidi_ = false, alsaMidi_ = false;
    std::unique_ptr<AudioBackend> audio_;
    JackSession* jack_ = nullptr;
    AlsaPlayback* alsa_ = nullptr;
    std::unique_ptr<AlsaSequencerInput> sequencer_;
};

}  // namespace tamrik::app
