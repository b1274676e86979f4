// Options take their value as the next word or after '='. --kit's value is
// optional (the saved kit, or Init), so a word after it is its value only
// when it is no option; --connect takes every word up to the next option.
#include "app/StandaloneOptions.h"

#include <optional>
#include <string_view>

#include "kit/FactoryKits.h"
#include "synth/FactoryPresets.h"

namespace tamrik::app {

namespace {

bool isOption(std::string_view word) { return word.size() > 1 && word.front() == '-'; }

uint32_t number(const std::string& option, const std::string& text, uint32_t low, uint32_t high) {
    uint64_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || n > high) throw OptionError(option + ": '" + text + "' is no whole number from " +
                                                              std::to_string(low) + " to " + std::to_string(high));
        n = n * 10 + uint64_t(c - '0');
    }
    if (text.empty() || n < low || n > high)
        throw OptionError(option + ": '" + text + "' is no whole number from " + std::to_string(low) + " to " +
                          std::to_string(high));
    return uint32_t(n);
}

bool isKitFile(std::string_view word) {
    constexpr std::string_view kSuffix = ".tamrikkit";
    return word.size() > kSuffix.size() && word.ends_with(kSuffix);
}

std::string factoryKitNames() {
    std::string names;
    for (const kit::FactoryKit& k : kit::kFactoryKits) names += (names.empty() ? "" : ", ") + std::string(k.name);
    return names;
}

}  // namespace

StandaloneOptions StandaloneCommandLine::parse(int argc, const char* const* argv) {
    StandaloneOptions options;
    int next = 1;
    const auto nextIsValue = [&] { return next < argc && !isOption(argv[next]); };
    while (next < argc) {
        const std::string_view word = argv[next++];
        if (!isOption(word)) throw OptionError("'" + std::string(word) + "': expected an option (see --help)");
        const size_t equals = word.find('=');
        const std::string_view name = word.substr(0, equals);
        std::optional<std::string_view> inlineValue;
        if (equals != std::string_view::npos) inlineValue = word.substr(equals + 1);
        const auto value = [&]() -> std::string {
            if (inlineValue) return std::string(*inlineValue);
            if (!nextIsValue()) throw OptionError(std::string(name) + ": expected a value after it");
            return argv[next++];
        };
        const auto noValue = [&] {
            if (inlineValue) throw OptionError(std::string(name) + ": takes no value");
        };
        if (name == "--kit") {
            options.kit = true;
            if (inlineValue)
                options.kitChoice = *inlineValue;
            else if (nextIsValue())
                options.kitChoice = argv[next++];
        } else if (name == "--preset") {
            options.preset = value();
        } else if (name == "--name") {
            options.clientName = value();
            if (options.clientName.empty()) throw OptionError("--name: expected a client name, not nothing");
        } else if (name == "--connect") {
            options.connect.push_back(value());
            while (nextIsValue()) options.connect.push_back(argv[next++]);
        } else if (name == "--midi-in") {
            options.midiIn.push_back(value());
        } else if (name == "--alsa") {
            options.alsaDevice = value();
            if (options.alsaDevice.empty()) throw OptionError("--alsa: expected a device name (for example hw:0), not nothing");
        } else if (name == "--rate") {
            options.rate = number(std::string(name), value(), 8000, 384000);
        } else if (name == "--period") {
            options.period = number(std::string(name), value(), 16, 8192);
        } else if (name == "--midi") {
            const std::string choice = value();
            if (choice == "jack") options.midi = StandaloneOptions::Midi::Jack;
            else if (choice == "alsa") options.midi = StandaloneOptions::Midi::Alsa;
            else if (choice == "both") options.midi = StandaloneOptions::Midi::Both;
            else throw OptionError("--midi: '" + choice + "' is none of jack, alsa, both");
        } else if (name == "--reconnect") {
            noValue();
            options.reconnect = true;
        } else if (name == "--state") {
            options.statePath = value();
        } else if (name == "--no-connect") {
            noValue();
            options.noConnect = true;
        } else if (name == "--no-gui") {
            noValue();
            options.noGui = true;
        } else if (name == "--help" || name == "-h") {
            noValue();
            options.help = true;
        } else {
            throw OptionError("'" + std::string(word) + "': not an option (see --help)");
        }
    }
    if (!options.kitChoice.empty() && !isKitFile(options.kitChoice) && !kit::factoryKitNamed(options.kitChoice))
        throw OptionError("--kit: '" + options.kitChoice + "' is neither a factory kit (" + factoryKitNames() +
                          ") nor a .tamrikkit file");
    if (!options.preset.empty() && findFactoryPreset(options.preset) == nullptr)
        throw OptionError("--preset: '" + options.preset + "' is not a factory preset");
    if (!options.preset.empty() && options.kit)
        throw OptionError("--kit and --preset: expected one or the other, a kit or a single sound");
    if (!options.alsaDevice.empty()) {
        if (options.midi == StandaloneOptions::Midi::Jack || options.midi == StandaloneOptions::Midi::Both)
            throw OptionError("--alsa and --midi " + std::string(options.midi == StandaloneOptions::Midi::Jack ? "jack" : "both") +
                              ": JACK MIDI needs the audio on JACK");
        if (options.reconnect) throw OptionError("--alsa and --reconnect: --reconnect waits for a JACK server");
        if (!options.connect.empty() || options.noConnect)
            throw OptionError("--alsa and --connect/--no-connect: an ALSA device has no ports to connect");
    }
    if (options.noConnect && !options.connect.empty())
        throw OptionError("--no-connect and --connect: expected one or the other");
    return options;
}

std::string StandaloneCommandLine::helpText() {
    return R"(Usage: drumtamrik [OPTION...]

Plays DrumTamrik, or DrumTamrik Kit with --kit, as a JACK client (or on an
ALSA device where no JACK server runs): MIDI in, audio out, and the sound,
kit and connections kept from one run to the next.

  --kit                  play DrumTamrik Kit (18 outputs) with the kit saved
                         last time (the first time: Init)
  --kit NAME             ... with a factory kit: )" + factoryKitNames() + R"(
  --kit FILE.tamrikkit   ... with the kit in this file
  --preset NAME          DrumTamrik with a factory sound (case as listed in
                         the panel, for example StdBD1)
  --name CLIENT          the JACK client's name (default: DrumTamrik, or
                         DrumTamrik Kit)
  --connect PORT...      Main to these ports instead of the system's playback
                         ports: left and right in turn, both to a single one
  --no-connect           Main to no port
  --midi-in PORT         connect this MIDI source (its full name, or a part
                         of it; for the ALSA sequencer also client:port);
                         may be given more than once
  --midi jack|alsa|both  which MIDI input listens (default: JACK MIDI with
                         JACK audio, the ALSA sequencer with ALSA audio)
  --alsa DEVICE          play on this ALSA device (for example hw:0) rather
                         than on JACK; without it ALSA's default device plays
                         when no JACK server runs
  --rate HZ              the ALSA device's rate (default 48000)
  --period FRAMES        the ALSA device's period (default 64)
  --reconnect            when the JACK server stops, save and wait for a new
                         one instead of quitting
  --state FILE           keep the session in FILE instead of the per-user
                         file ($XDG_STATE_HOME/drumtamrik, or
                         ~/.local/state/drumtamrik)
  --no-gui               headless: no window (without a display the program
                         says so and plays headless anyway)
  --help                 this text

Quit with Ctrl+C, SIGTERM or by closing the window: the session is saved
first. Errors are one line on standard error and exit status 2.
)";
}

}  // namespace tamrik::app
