// The standalone program's command line. Parsing checks every word: a kit
// or preset that is not one, options that contradict each other and a
// missing value are errors (OptionError), so the program never plays
// something other than what was asked.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace tamrik::app {

class OptionError : public std::runtime_error {
public:
    explicit OptionError(const std::string& message) : std::runtime_error(message) {}
};

struct StandaloneOptions {
    bool kit = false;          // --kit: DrumTamrik Kit rather than DrumTamrik
    std::string kitChoice;     // its factory kit's name or kit file; empty: the saved kit
    std::string preset;        // --preset: a factory sound (DrumTamrik only)
    std::string clientName;    // --name; empty: the product's name
    bool noConnect = false;
    std::vector<std::string> connect;  // Main to these ports, L and R in turn
    std::vector<std::string> midiIn;   // MIDI sources to connect
    std::string alsaDevice;    // --alsa: this PCM device rather than JACK
    uint32_t rate = 48000;     // ALSA's rate and period, in frames
    uint32_t period = 64;
    // Which MIDI input listens: by default the one of the audio's back end,
    // so that a source is never played twice.
    enum class Midi { Default, Jack, Alsa, Both };
    Midi midi = Midi::Default;
    bool reconnect = false;    // wait for a new JACK server when it stops
    std::string statePath;     // --state; empty: the per-user file
    bool noGui = false;
    bool help = false;

    // Whether the command line chooses the sound, so the saved one stays unloaded.
    bool choosesSound() const { return !kitChoice.empty() || !preset.empty(); }
};

class StandaloneCommandLine {
public:
    // Throws OptionError naming the option or word at fault.
    static StandaloneOptions parse(int argc, const char* const* argv);
    static std::string helpText();
};

}  // namespace tamrik::app
