// Options take their value either as the next word or after '='. A kit or
// sound choice that would be ignored (a kit together with --preset) is an
// error, so that the user never hears something other than what was asked.
#include "CommandLine.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "DemoGroove.h"
#include "kit/FactoryKits.h"
#include "NumberParsing.h"
#include "ToolError.h"

namespace tamrik::render {

namespace {

class Words {
public:
    Words(int argc, const char* const* argv) : count(argc), words(argv) {}
    bool more() const { return next < count; }
    std::string_view take() { return words[next++]; }
    // The value of `option`: what followed '=' in the same word, else the next word.
    std::string_view valueOf(std::string_view option, std::optional<std::string_view> inlineValue) {
        if (inlineValue) return *inlineValue;
        if (!more()) throw ToolError(std::string(option) + ": expected a value after it");
        return take();
    }

private:
    int count;
    const char* const* words;
    int next = 1;
};

void addParams(std::string_view list, Options& options) {
    size_t start = 0;
    for (;;) {
        const size_t comma = list.find(',', start);
        const std::string_view pair = list.substr(start, comma - start);
        const size_t equals = pair.find('=');
        if (equals == std::string_view::npos || equals == 0)
            throw ToolError("--param: '" + std::string(pair) +
                            "': expected NAME=VALUE, for example CutOff=0.3");
        const double value = parseReal(pair.substr(equals + 1),
                                       "--param " + std::string(pair.substr(0, equals)), 0.0, 1.0);
        options.params.emplace_back(std::string(pair.substr(0, equals)), static_cast<float>(value));
        if (comma == std::string_view::npos) return;
        start = comma + 1;
    }
}

// "127,100,50": whole velocities, each once, in any order.
std::vector<int32_t> parseVelocities(std::string_view list) {
    std::vector<int32_t> velocities;
    size_t start = 0;
    for (;;) {
        const size_t comma = list.find(',', start);
        const auto v = static_cast<int32_t>(parseWhole(list.substr(start, comma - start), "--velocities", 1, 127));
        if (std::find(velocities.begin(), velocities.end(), v) != velocities.end())
            throw ToolError("--velocities: " + std::to_string(v) + " is given twice");
        velocities.push_back(v);
        if (comma == std::string_view::npos) return velocities;
        start = comma + 1;
    }
}

SampleFormat parseFormat(std::string_view word) {
    if (word == "16") return SampleFormat::Pcm16;
    if (word == "24") return SampleFormat::Pcm24;
    if (word == "32" || word == "float") return SampleFormat::Float32;
    throw ToolError("--bits: '" + std::string(word) + "' is not 16, 24 or 32 (float)");
}

}  // namespace

Options CommandLine::parse(int argc, const char* const* argv) {
    Options options;
    Words words(argc, argv);
    std::optional<std::string_view> kitText;
    while (words.more()) {
        const std::string_view word = words.take();
        if (word.size() < 2 || word[0] != '-') {
            if (!options.midiPath.empty())
                throw ToolError("'" + std::string(word) + "': expected one MIDI file, '" +
                                options.midiPath + "' is already given");
            options.midiPath = word;
            continue;
        }
        std::string_view name = word;
        std::optional<std::string_view> inlineValue;
        if (const size_t equals = word.find('='); equals != std::string_view::npos) {
            name = word.substr(0, equals);
            inlineValue = word.substr(equals + 1);
        }
        const auto value = [&] { return words.valueOf(name, inlineValue); };
        const std::string option(name);
        if (name == "-o" || name == "--output") options.outputPath = value();
        else if (name == "--plugin") options.pluginPath = value();
        else if (name == "--export-presets") options.exportDir = value();
        else if (name == "--export-kit") options.exportKitDir = value();
        else if (name == "--velocities") options.velocities = parseVelocities(value());
        else if (name == "--plot") options.plotPath = value();
        else if (name == "--kit") kitText = value();
        else if (name == "--stems") options.stemsDir = value();
        else if (name == "--preset") {
            const std::string_view presetName = value();
            options.preset = findFactoryPreset(presetName);
            if (options.preset == nullptr)
                throw ToolError("--preset: '" + std::string(presetName) +
                                "' is not a factory preset (see --list-presets)");
        }
        else if (name == "--program")
            options.program = static_cast<int>(parseWhole(value(), option, 0, 31));
        else if (name == "--param") addParams(value(), options);
        else if (name == "--pitch")
            options.pitch = static_cast<uint8_t>(parseWhole(value(), option, 0, 127));
        else if (name == "--velocity")
            options.velocity = static_cast<uint8_t>(parseWhole(value(), option, 1, 127));
        else if (name == "--rate")
            options.sampleRate = static_cast<uint32_t>(parseWhole(value(), option, 8000, 384000));
        else if (name == "--bits") options.format = parseFormat(value());
        else if (name == "--block")
            options.blockSize = static_cast<int>(parseWhole(value(), option, 1, 8192));
        else if (name == "--tail") options.tailSeconds = parseReal(value(), option, 0.0, 60.0);
        else if (inlineValue) throw ToolError(option + ": takes no value");
        else if (name == "-q" || name == "--quiet") options.quiet = true;
        else if (name == "-h" || name == "--help") options.help = true;
        else if (name == "--list-presets") options.listPresets = true;
        else if (name == "--list-kits") options.listKits = true;
        else if (name == "--all-stems") options.allStems = true;
        else if (name == "--list-params") options.listParams = true;
        else throw ToolError("'" + option + "': unknown option (see --help)");
    }
    if (kitText && options.preset != nullptr)
        throw ToolError("--kit and --preset: expected one or the other, a kit or a single sound");
    const bool kitFile = kitText && kitText->size() > 10 && kitText->ends_with(".tamrikkit");
    if (kitText) options.factoryKit = kit::factoryKitNamed(*kitText);
    if (kitFile) options.kitFile = *kitText;
    if (!options.stemsDir.empty() && !throughKit(options))
        throw ToolError("--stems: expected a kit with it (--kit FILE.tamrikkit or a factory kit's name)");
    if (options.allStems && options.stemsDir.empty()) throw ToolError("--all-stems: expected --stems DIR with it");
    if (!options.exportKitDir.empty() && !throughKit(options))
        throw ToolError("--export-kit: expected a kit with it (--kit FILE.tamrikkit or a factory kit's name)");
    if (!options.exportKitDir.empty() && (!options.midiPath.empty() || !options.exportDir.empty() ||
                                          !options.stemsDir.empty() || !options.plotPath.empty() ||
                                          !options.outputPath.empty()))
        throw ToolError("--export-kit: expected no MIDI file, -o, --plot, --stems or --export-presets with it");
    if (!options.velocities.empty() && options.exportKitDir.empty())
        throw ToolError("--velocities: expected --export-kit DIR with it");
    // The kit's default pitch is --pitch, wherever it stood on the line.
    if (kitText && !throughKit(options))
        options.kit = Kit::parse(*kitText == "default" ? kDemoKit : *kitText, options.pitch);
    return options;
}

std::string CommandLine::helpText() {
    return R"(Usage: tamrik-render [MIDI_FILE] [-o OUT.wav] [options]

Plays a Standard MIDI File (or, without one, a built-in two-bar demo groove on
a drum kit) through the DrumTamrik plug-in and writes a WAV file.

Input and output:
  MIDI_FILE              format 0 or 1 (default: the built-in demo)
  -o, --output FILE      WAV file to write (default: demo.wav or <midi name>.wav
                         in the current folder)
  --plot FILE.png        also draw the waveform as a PNG (default: none)
  --rate HZ              sample rate, 8000 to 384000 (default: 44100)
  --bits 16|24|32        sample format; 32 is floating point (default: 24)
  --tail SECONDS         longest ring-out after the song ends (default: 3)
  --block FRAMES         plug-in block size, 1 to 8192 (default: 512)

Sound:
  --kit NOTE=PRESET[@PITCH],...
                         a drum kit: one instance per entry, triggered by NOTE
                         and played at PITCH (default: --pitch); 'default' is
                         the demo's kit (default: the demo's kit for the demo,
                         a single sound for a MIDI file)
  --preset NAME          a single sound set to a factory preset (default: none,
                         the plug-in's program defaults)
  --program N            program to select first, 0 to 31 (default: 0)
  --param NAME=VALUE,... set parameters, 0 to 1, after the preset, on every
                         instance (default: none)
  --kit FILE.tamrikkit   render through DrumTamrik Kit (DrumTamrikKit.so beside the
                         plug-in) with this kit file; every note goes to the kit
  --kit KIT              the same with a factory kit by name (see --list-kits)
  --stems DIR            with a Kit: also one WAV in DIR per output pair a pad
                         plays through (main.wav, aux1.wav ... aux8.wav)
  --all-stems            with --stems: every pair's WAV, used or not
  --pitch N              note a kit sound or a one-shot plays (default: 60)
  --velocity N           velocity of exported one-shots, 1 to 127 (default: 127)
  --export-presets DIR   write one one-shot WAV per factory preset into DIR
                         instead of a song, mono where both channels are the
                         same (default: off)
  --export-kit DIR       with --kit: write the kit into DIR instead of a song, as
                         one 24-bit WAV per unmuted pad and velocity layer and
                         <kit name>.sfz playing them on the pads' keys (--rate
                         and --param apply; default: off)
  --velocities V,...     the export's layers, 1 to 127, each once, in any order
                         (default: 127,96,64,32)
  --plugin PATH          the plug-in library (default: DrumTamrik.so beside this
                         program, in ../lib/vst, or in the build tree)

Information:
  --list-presets         list the factory presets
  --list-kits            list the factory kits (installed as .tamrikkit files
                         in share/DrumTamrik/Kits)
  --list-params          list the plug-in's parameters and their defaults
  -q, --quiet            print nothing but errors (default: off)
  -h, --help             show this help

Errors print one line and exit with status 2, leaving no output file behind.
)";
}

}  // namespace tamrik::render
