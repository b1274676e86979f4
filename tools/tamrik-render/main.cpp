// tamrik-render: plays a MIDI file, or the built-in demo groove, through the
// DrumTamrik plug-in and writes a WAV file; or exports every factory preset as
// a one-shot, or a kit as one-shots and SFZ. Every failure is one line on stderr and exit status 2, and no
// output file is left behind (they are committed only at the very end).
#include <cerrno>
#include <chrono>
#include <cstring>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <vector>

#include "CommandLine.h"
#include "DemoGroove.h"
#include "KitSource.h"
#include "MidiFileReader.h"
#include "PendingFile.h"
#include "ProgressBar.h"
#include "Renderer.h"
#include "ToolError.h"
#include "WaveformPlot.h"
#include "WavWriter.h"
#include "kit/FactoryKits.h"
#include "kit/KitExport.h"
#include "kit/KitInstrument.h"

namespace tamrik::render {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

MidiSong readSong(const std::string& path) {
    std::error_code error;
    if (fs::is_directory(path, error))
        throw ToolError(path + ": expected a MIDI file, but this is a folder");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ToolError(path + ": expected a MIDI file, but it cannot be read (" +
                        std::strerror(errno) + ")");
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    try {
        return MidiFileReader::parse(bytes);
    } catch (const MidiError& e) {
        throw ToolError(path + ": " + e.what());
    }
}

RenderSettings settingsOf(const Options& options) {
    RenderSettings settings;
    settings.sampleRate = options.sampleRate;
    settings.blockSize = options.blockSize;
    settings.program = options.program;
    settings.params = options.params;
    settings.tailSeconds = options.tailSeconds;
    return settings;
}

std::string levels(const StereoBuffer& audio) {
    char text[96];
    std::snprintf(text, sizeof text, "peak %.1f dBFS, RMS %.1f dBFS",
                  toDecibels(audio.peak()), toDecibels(audio.rms()));
    return text;
}

std::string speed(double audioSeconds, Clock::duration took) {
    const double wall = std::chrono::duration<double>(took).count();
    char text[48];
    std::snprintf(text, sizeof text, "%.0fx real time", audioSeconds / std::max(wall, 1e-6));
    return text;
}

void listParams(const Options& options, const std::string& pluginPath) {
    const std::unique_ptr<PluginLibrary> library = PluginLibrary::open(pluginPath);
    const OfflineInstance instance(*library, options.sampleRate, options.blockSize, 0);
    const std::vector<std::string> names = instance.parameterNames();
    for (size_t i = 0; i < names.size(); ++i)
        std::printf("%2zu  %-8s default %.2f\n", i, names[i].c_str(),
                    static_cast<double>(instance.getParameter(static_cast<int32_t>(i))));
}

void exportPresets(const Options& options, const std::string& pluginPath) {
    if (options.kit || CommandLine::throughKit(options) || options.preset != nullptr || !options.plotPath.empty() ||
        !options.midiPath.empty())
        throw ToolError("--export-presets: expected no MIDI file, --kit, --preset or --plot with it");
    std::error_code error;
    fs::create_directories(options.exportDir, error);
    if (error || !fs::is_directory(options.exportDir))
        throw ToolError(options.exportDir + ": expected a folder to write one-shots into (" +
                        error.message() + ")");
    const std::unique_ptr<PluginLibrary> library = PluginLibrary::open(pluginPath);
    MidiSong note;
    note.messages.push_back({0, {0x90, options.pitch, options.velocity}, 3});

    std::vector<std::unique_ptr<PendingFile>> files;
    double longest = 0.0, total = 0.0;
    float peak = 0.0f;
    const Clock::time_point begin = Clock::now();
    for (const FactoryPreset& preset : kFactoryPresets) {
        files.push_back(std::make_unique<PendingFile>(
            (fs::path(options.exportDir) / (std::string(preset.name) + ".wav")).string()));
        Renderer renderer(*library, settingsOf(options), {SoundSetup{&preset, {}, {}}});
        const StereoBuffer audio = renderer.render(note, [](double) {});
        WavWriter::writeOneShot(files.back()->temporaryPath(), files.back()->path(), audio, options.format);
        longest = std::max(longest, audio.seconds());
        total += audio.seconds();
        peak = std::max(peak, audio.peak());
    }
    const Clock::duration took = Clock::now() - begin;
    for (const std::unique_ptr<PendingFile>& file : files) file->commit();
    if (!options.quiet)
        std::printf("Wrote %zu one-shots to %s: longest %.2f s, loudest peak %.1f dBFS, %s\n",
                    files.size(), fs::absolute(options.exportDir).lexically_normal().c_str(),
                    longest, toDecibels(peak), speed(total, took).c_str());
}

// Through the Kit's own code, not the plug-in: the one-shots are what the
// Kit plays for each pad, made by the code that plays them.
void exportKit(const Options& options) {
    // Made first, so that its noise is the first draw of the process, as the
    // plug-in's first instance has it.
    kit::KitInstrument kit;
    kit.load(KitSource::snapshot(options, kit.snapshot()));
    kit.setSampleRate(static_cast<float>(options.sampleRate));
    for (const auto& [name, value] : options.params) {
        int32_t index = 0;
        for (char text[16]; index < kit.parameterCount(); ++index)
            if ((kit.parameterShortName(index, text, sizeof text), name == text)) break;
        if (index == kit.parameterCount())
            throw ToolError("--param: '" + name + "' is not a parameter of DrumTamrik Kit (its short names: \"3 Cut\", \"3 Lvl\" ...)");
        kit.setParameter(index, value);
    }
    const kit::KitExport::Result result = kit::KitExport::write(
        kit, options.exportKitDir, options.velocities.empty() ? kit::KitExport::kDefaultVelocities : options.velocities);
    if (!result.error.empty()) throw ToolError(result.error);
    if (!options.quiet)
        std::printf("Wrote %zu files of kit \"%s\" to %s\n", result.files.size(), kit.kitName().c_str(),
                    fs::absolute(result.sfz).lexically_normal().c_str());
}

std::vector<SoundSetup> soundsOf(const Options& options) {
    if (CommandLine::throughKit(options)) return {SoundSetup{nullptr, {}, {}}};  // every note to the kit
    std::optional<Kit> kit = options.kit;
    if (!kit && options.midiPath.empty() && options.preset == nullptr)
        kit = Kit::parse(kDemoKit, options.pitch);
    if (!kit) return {SoundSetup{options.preset, {}, {}}};
    std::vector<SoundSetup> sounds;
    for (const KitEntry& entry : kit->entries())
        sounds.push_back({entry.preset, entry.note, entry.pitch});
    return sounds;
}

void renderSong(const Options& options, const std::string& pluginPath) {
    const MidiSong song = options.midiPath.empty() ? demoGroove() : readSong(options.midiPath);
    std::string outputPath = options.outputPath;
    if (outputPath.empty())
        outputPath = options.midiPath.empty()
                         ? "demo.wav"
                         : fs::path(options.midiPath).stem().string() + ".wav";
    PendingFile wav(outputPath);
    std::unique_ptr<PendingFile> plot;
    if (!options.plotPath.empty()) plot = std::make_unique<PendingFile>(options.plotPath);
    RenderSettings settings = settingsOf(options);
    std::string libraryPath = pluginPath;
    if (CommandLine::throughKit(options)) {
        NamedValues params = KitSource::values(options);
        params.insert(params.end(), settings.params.begin(), settings.params.end());
        settings.params = std::move(params);
        libraryPath = KitSource::libraryPath(pluginPath);
    }
    std::vector<std::unique_ptr<PendingFile>> stems;
    if (!options.stemsDir.empty()) {
        std::error_code error;
        fs::create_directories(options.stemsDir, error);
        if (error || !fs::is_directory(options.stemsDir))
            throw ToolError(options.stemsDir + ": expected a folder to write the stems into (" +
                            error.message() + ")");
        const uint32_t used = options.allStems ? ~0u : KitSource::pairsInUse(settings.params);
        for (int pair = 0; pair < 9; ++pair)
            stems.push_back(used >> pair & 1 ? std::make_unique<PendingFile>(
                                                   (fs::path(options.stemsDir) /
                                                    (pair == 0 ? "main.wav" : "aux" + std::to_string(pair) + ".wav"))
                                                       .string())
                                             : nullptr);
    }

    const std::unique_ptr<PluginLibrary> library = PluginLibrary::open(libraryPath);
    Renderer renderer(*library, settings, soundsOf(options));
    const Clock::time_point begin = Clock::now();
    StereoBuffer audio;
    std::vector<StereoBuffer> pairs;
    {
        ProgressBar progress(!options.quiet);
        try {
            audio = renderer.render(song, [&](double done) { progress.update(done); },
                                    stems.empty() ? nullptr : &pairs);
        } catch (const ToolError& e) {
            throw ToolError((options.midiPath.empty() ? "demo" : options.midiPath) + ": " +
                            e.what());
        }
    }
    const Clock::duration took = Clock::now() - begin;
    WavWriter::write(wav.temporaryPath(), wav.path(), audio, options.format);
    if (plot) WaveformPlot::write(plot->temporaryPath(), plot->path(), audio);
    for (size_t pair = 0; pair < stems.size() && pair < pairs.size(); ++pair)
        if (stems[pair]) WavWriter::write(stems[pair]->temporaryPath(), stems[pair]->path(), pairs[pair], options.format);
    wav.commit();
    if (plot) plot->commit();
    for (const std::unique_ptr<PendingFile>& stem : stems)
        if (stem) stem->commit();
    if (!options.quiet)
        std::printf("Wrote %s: %.2f s, %s, %s\n",
                    fs::absolute(outputPath).lexically_normal().c_str(), audio.seconds(),
                    levels(audio).c_str(), speed(audio.seconds(), took).c_str());
}

int run(int argc, const char* const* argv) {
    const Options options = CommandLine::parse(argc, argv);
    if (options.help) {
        std::fputs(CommandLine::helpText().c_str(), stdout);
        return 0;
    }
    if (options.listPresets) {
        for (const FactoryPreset& preset : kFactoryPresets)
            std::printf("%.*s\n", static_cast<int>(preset.name.size()), preset.name.data());
        return 0;
    }
    if (options.listKits) {
        for (const kit::FactoryKit& kit : kit::kFactoryKits)
            std::printf("%.*s\n", static_cast<int>(kit.name.size()), kit.name.data());
        return 0;
    }
    if (!options.exportKitDir.empty()) {  // needs no plug-in
        exportKit(options);
        return 0;
    }
    const std::string pluginPath =
        options.pluginPath.empty() ? PluginLibrary::findDefault() : options.pluginPath;
    if (options.listParams)
        listParams(options, pluginPath);
    else if (!options.exportDir.empty())
        exportPresets(options, pluginPath);
    else
        renderSong(options, pluginPath);
    return 0;
}

}  // namespace
}  // namespace tamrik::render

int main(int argc, char** argv) {
    try {
        return tamrik::render::run(argc, argv);
    } catch (const tamrik::render::ToolError& e) {
        std::fprintf(stderr, "tamrik-render: %s\n", e.what());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "tamrik-render: out of memory\n");
    } catch (const std::exception& e) {
        // Caught rather than left to terminate, so that unwinding removes
        // every unfinished output file.
        std::fprintf(stderr, "tamrik-render: %s\n", e.what());
    }
    return 2;
}
