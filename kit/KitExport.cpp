#include "kit/KitExport.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

#include "common/ReplacedFile.h"
#include "common/SafeFileName.h"
#include "common/WaveFile.h"
#include "kit/KitInstrument.h"
#include "synth/HitRenderer.h"

namespace tamrik::kit {

namespace fs = std::filesystem;

namespace {

// A name inside a comment line: nothing that could end the line.
std::string commentText(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return text;
}

std::string toUtf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

std::vector<KitExport::Layer> KitExport::layersOf(std::vector<int32_t> velocities) {
    std::sort(velocities.begin(), velocities.end());
    if (velocities.empty() || velocities.front() < 1 || velocities.back() > 127 ||
        std::adjacent_find(velocities.begin(), velocities.end()) != velocities.end())
        return {};
    std::vector<Layer> layers;
    for (size_t i = velocities.size(); i-- > 0;)
        layers.push_back({velocities[i], i == 0 ? 1 : velocities[i - 1] + 1,
                          i + 1 == velocities.size() ? 127 : velocities[i]});
    return layers;
}

// A failure takes back what was written before it: a half-written kit would
// pass for a whole one.
KitExport::Result KitExport::write(const KitInstrument& kit, const std::string& folder,
                                   const std::vector<int32_t>& velocities, float rate) {
    Result result = writeAll(kit, folder, velocities, rate);
    if (result.error.empty()) return result;
    std::error_code ignored;
    for (const std::string& file : result.files) fs::remove(ReplacedFile::pathOf(file), ignored);
    result.files.clear();
    return result;
}

KitExport::Result KitExport::writeAll(const KitInstrument& kit, const std::string& folder,
                                      const std::vector<int32_t>& velocities, float rate) {
    Result result;
    const std::vector<Layer> layers = layersOf(velocities);
    if (layers.empty()) {
        result.error = "velocities must be 1 to 127, each once";
        return result;
    }
    const fs::path root = ReplacedFile::pathOf(folder);
    std::error_code failure;
    fs::create_directories(root, failure);
    if (!fs::is_directory(root, failure)) {
        result.error = folder + ": cannot make the folder";
        return result;
    }

    const std::string kitName = kit.kitName();
    std::string sfz = "// DrumTamrik Kit \"" + commentText(kitName) + "\": one region per pad and velocity layer.\n"
                      "// The samples hold each pad's Level, Pan and the kit's Volume: no volume or pan here.\n"
                      "// Muted pads are left out; every pad plays on the main outputs.\n";
    SafeFileName names;
    for (int32_t p = 0; p < kPads; ++p) {
        const KitPad& pad = kit.pad(p);
        if (pad.muted()) continue;
        const std::string stem = names.take(kit.padName(p), "Pad " + std::to_string(p + 1));
        const std::string key = std::to_string(pad.key());
        sfz += "\n// Pad " + std::to_string(p + 1) + ": " + commentText(kit.padName(p)) + "\n<group>\nlokey=" + key +
               "\nhikey=" + key + "\npitch_keycenter=" + key + "\nloop_mode=one_shot\namp_veltrack=0\n";
        if (const int32_t choke = pad.choke()) {
            const std::string group = std::to_string(choke);
            sfz += "group=" + group + "\noff_by=" + group + "\noff_mode=time\noff_time=0.005\n";
        }
        for (const Layer& layer : layers) {
            HitSetup setup;
            kit.hitSetup(p, 0, layer.velocity, setup);
            if (rate != 0.0f) setup.sampleRate = rate;
            HitRenderer hit(setup);
            hit.renderAll();
            const std::string file = stem + " v" + std::to_string(layer.velocity) + ".wav";
            const std::string path = toUtf8(root / ReplacedFile::pathOf(file));
            std::string error;
            if (!WaveFile::writeOneShot(path, hit.channel(0), hit.channel(1), hit.sampleRate(), error)) {
                result.error = path + ": " + error;
                return result;
            }
            result.files.push_back(path);
            sfz += "\n<region>\nlovel=" + std::to_string(layer.low) + "\nhivel=" + std::to_string(layer.high) +
                   "\nsample=" + file + "\n";
        }
    }

    result.sfz = toUtf8(root / ReplacedFile::pathOf(SafeFileName::of(kitName, "Kit") + ".sfz"));
    ReplacedFile out(result.sfz);
    if (!out.ok() || std::fwrite(sfz.data(), 1, sfz.size(), out.stream()) != sfz.size() || !out.commit()) {
        result.error = result.sfz + ": " + (out.error().empty() ? "cannot write the file" : out.error());
        return result;
    }
    result.files.push_back(result.sfz);
    return result;
}

}  // namespace tamrik::kit
