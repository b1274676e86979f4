#include "app/AudioChoice.h"

#include <cstdio>

namespace tamrik::app {

namespace {

using Midi = StandaloneOptions::Midi;

}  // namespace

AudioChoice::AudioChoice(Instrument& instrument, const StandaloneOptions& options, const std::string& clientName,
                         MainLoopWait& wake, MidiRing& sequencer)
    : instrument_(instrument), options_(options), clientName_(clientName), wake_(wake), ring_(sequencer) {
    std::string noJack;
    if (options.alsaDevice.empty()) {
        jackMidi_ = options.midi != Midi::Alsa;
        alsaMidi_ = options.midi == Midi::Alsa || options.midi == Midi::Both;
        try {
            openJack();
        } catch (const JackError& e) {
            // Waiting for a server was asked for, or JACK MIDI: ALSA will not do.
            if (options.reconnect || options.midi == Midi::Jack || options.midi == Midi::Both) throw;
            noJack = e.what();
        }
    }
    if (!audio_) {
        jackMidi_ = false;
        alsaMidi_ = true;
        AlsaPlayback::Settings settings;
        if (!options.alsaDevice.empty()) settings.device = options.alsaDevice;
        settings.rate = options.rate;
        settings.period = options.period;
        try {
            auto alsa = std::make_unique<AlsaPlayback>(instrument, settings, &ring_, wake);
            alsa_ = alsa.get();
            audio_ = std::move(alsa);
        } catch (const AudioError& e) {
            throw AudioError(noJack.empty() ? e.what() : noJack + "; and " + e.what());
        }
        audio_->activate();
    }
    if (alsaMidi_) {
        try {
            sequencer_ = std::make_unique<AlsaSequencerInput>(clientName, ring_);
            sequencer_->start();
            for (const std::string& source : options.midiIn) sequencer_->connectSource(source);
        } catch (const AudioError& e) {
            // The audio plays on; a JACK MIDI input may still listen.
            std::fprintf(stderr, "drumtamrik: %s; playing on without it\n", e.what());
        }
    }
}

void AudioChoice::openJack() {
    auto jack = std::make_unique<JackSession>(instrument_, clientName_, wake_, jackMidi_, alsaMidi_ ? &ring_ : nullptr);
    jack->activate();
    jack_ = jack.get();
    audio_ = std::move(jack);
}

void AudioChoice::dropJack() {
    if (!jack_) return;
    jack_ = nullptr;
    audio_.reset();
}

bool AudioChoice::retryJack() {
    try {
        openJack();
        return true;
    } catch (const JackError&) {
        return false;
    }
}

}  // namespace tamrik::app
