// The renderer's options and their parsing. Parsing checks the form of every
// word (numbers, NAME=VALUE pairs, kit entries against the preset table);
// parameter names are checked later against the names the plug-in reports.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Kit.h"

namespace tamrik::render {

enum class SampleFormat { Pcm16, Pcm24, Float32 };

struct Options {
    std::string midiPath;    // empty: the built-in demo
    std::string outputPath;  // empty: demo.wav or <midi name>.wav here
    std::string pluginPath;  // empty: look beside the executable
    std::string exportDir;   // set: one-shot export instead of a song
    std::string exportKitDir;        // set (with a Kit): the kit as one-shots and SFZ instead
    std::vector<int32_t> velocities;  // the export's layers; empty: the default ones
    std::string plotPath;
    std::optional<Kit> kit;  // the demo's kit when neither a kit nor a sound is given
    std::string kitFile;     // set: render through DrumTamrik Kit with this kit file
    std::optional<int32_t> factoryKit;  // set: ... or with this factory kit
    std::string stemsDir;    // set (with a Kit): one WAV per output pair here
    bool allStems = false;   // every pair's stem, not only those a pad plays through
    const FactoryPreset* preset = nullptr;
    int program = 0;
    std::vector<std::pair<std::string, float>> params;  // in the order given
    uint8_t pitch = 60;
    uint8_t velocity = 127;
    uint32_t sampleRate = 44100;
    SampleFormat format = SampleFormat::Pcm24;
    int blockSize = 512;
    double tailSeconds = 3.0;
    bool quiet = false;
    bool help = false;
    bool listPresets = false;
    bool listKits = false;
    bool listParams = false;
};

class CommandLine {
public:
    // Throws ToolError naming the option or word at fault.
    static Options parse(int argc, const char* const* argv);
    static std::string helpText();
    // Whether the render goes through DrumTamrik Kit.
    static bool throughKit(const Options& options) { return !options.kitFile.empty() || options.factoryKit; }
};

}  // namespace tamrik::render
