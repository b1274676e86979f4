// The panel's export against tamrik-render's one-shots: the hit row driven
// as a user drives it (a factory preset from the strip, then Export at the
// host's rate and at 48000 Hz) writes the very file the tool writes for
// that preset, note 60, velocity 127, 24 bits, byte for byte. The whole
// file is compared: both go through the same WAV writer, so its header
// (channels, rate, sizes) is as much the export's answer as its samples.
//
// Its own program, with one test: a noise sound's samples depend on how
// many instances the process made before (each draws the next noise), and
// the tool makes one per preset, in table order.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "EditorHost.h"
#include "synth/DrumTamrikInstrument.h"
#include "synth/FactoryPresets.h"

namespace tamrik::test {
namespace {

namespace fs = std::filesystem;

std::vector<char> Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The tool's one-shot of every factory preset at rate, into folder.
void RenderOneShots(const fs::path& folder, int rate) {
    const std::string command = "'" TAMRIK_RENDER_EXE "' --export-presets '" + folder.string() +
                                "' --pitch 60 --velocity 127 --bits 24 -q --rate " + std::to_string(rate);
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
}

int PresetOrder(std::string_view name) {
    for (size_t i = 0; i < kFactoryPresets.size(); ++i)
        if (kFactoryPresets[i].name == name) return int(i);
    return -1;
}

// A fresh folder of this process's own under the temporary folder.
struct Scratch {
    const fs::path path = fs::temp_directory_path() / ("tamrik-panel-export-" + std::to_string(::getpid()));
    Scratch() { fs::remove_all(path); }
    ~Scratch() { fs::remove_all(path); }
};

TEST(PanelExport, IsTheToolsOneShotAtTheHostsRateAnd48000) {
    const Scratch scratch;
    const fs::path& root = scratch.path;
    ASSERT_NO_FATAL_FAILURE(RenderOneShots(root / "44100", 44100));
    ASSERT_NO_FATAL_FAILURE(RenderOneShots(root / "48000", 48000));

    EditorHost host;
    int instances = 1;  // the process's first, as the tool's first
    ASSERT_EQ(host.openEditor(), 1);
    TForm1& form = host.form();
    form.Strip->SetUserPresetDirectory({});
    // The default sound (the first preset's values, without noise), then one
    // with noise. The tool plays preset k on its (k + 1)th instance, each
    // instance drawing the next noise, so this process draws on to that one.
    const int slash = PresetOrder("Slash");
    ASSERT_GT(slash, 0);
    ASSERT_GE(kFactoryPresets[size_t(slash)].values[kWave1].value_or(0.0f), 0.875f) << "Slash plays noise";
    for (const int order : {0, slash}) {
        for (; instances < order + 1; ++instances) DrumTamrikInstrument drawsTheNextNoise;
        const std::string name(kFactoryPresets[size_t(order)].name);
        ASSERT_EQ(form.Strip->PresetName(order), name);
        form.Strip->ChoosePreset(order);
        for (int ticks = 0; ticks < 1000 && (ticks == 0 || form.View->Rendering()); ++ticks) host.tick();
        for (const auto& [item, rate] : {std::pair{0, "44100"}, std::pair{2, "48000"}}) {
            form.View->ExportRateList->SetItemIndex(item);
            const fs::path file = form.View->ExportHit(root / "panel");
            ASSERT_FALSE(file.empty()) << form.Strip->ReadoutLine();
            const std::vector<char> panel = Bytes(file), tool = Bytes(root / rate / (name + ".wav"));
            ASSERT_GT(tool.size(), 44u + 3000u) << name << " at " << rate;
            EXPECT_EQ(panel.size(), tool.size()) << name << " at " << rate;
            EXPECT_TRUE(panel == tool) << name << " at " << rate;
        }
        EXPECT_EQ(form.View->Link()->hitRate(), 44100.0) << "the drawn hit stays at the host's rate";
    }
}

}  // namespace
}  // namespace tamrik::test
