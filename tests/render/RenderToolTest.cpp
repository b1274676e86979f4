// tamrik-render as a user runs it: the real executable in a scratch folder,
// its WAV files read back through libsndfile and compared sample for sample
// with the plug-in driven directly through the test host.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "HostHarness.h"
#include "MidiBytes.h"
#include "PcmWave.h"
#include "PluginInstance.h"
#include "common/WaveFile.h"
#include "kit/FactoryKits.h"
#include "tests/kit/SfzReader.h"
#include "synth/FactoryPresets.h"

namespace tamrik::test {
namespace {

namespace fs = std::filesystem;

struct Wav {
    int sampleRate = 0;
    std::vector<float> left, right;
};

struct Result {
    int status = -1;
    std::string out, err;
};

std::string readText(const fs::path& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class RenderTool : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        root = fs::temp_directory_path() / ("tamrik-render-" + name + "-" + std::to_string(getpid()));
        fs::remove_all(root);
        work = root / "work";
        fs::create_directories(work);
        fs::create_directories(root / "logs");
    }
    void TearDown() override { fs::remove_all(root); }

    // Runs the tool in the work folder; output and errors go outside it.
    Result run(const std::string& args) {
        const fs::path out = root / "logs" / "out", err = root / "logs" / "err";
        const std::string command = "cd '" + work.string() + "' && '" TAMRIK_RENDER_EXE "' " +
                                    args + " >'" + out.string() + "' 2>'" + err.string() + "'";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readText(out), readText(err)};
    }

    void writeFile(const std::string& name, const Bytes& bytes) {
        std::ofstream(work / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    }

    std::vector<std::string> workFiles() const {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(work))
            names.push_back(fs::relative(entry.path(), work).string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path root, work;
};

// A mono file's one channel is both.
Wav readWav(const fs::path& path, int channels = 2) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    Wav wav;
    if (file == nullptr) {
        ADD_FAILURE() << "cannot read " << path;
        return wav;
    }
    EXPECT_EQ(info.channels, channels) << path;
    const auto count = static_cast<size_t>(std::clamp(info.channels, 1, 2));
    std::vector<float> interleaved(static_cast<size_t>(info.frames) * count);
    sf_readf_float(file, interleaved.data(), info.frames);
    sf_close(file);
    wav.sampleRate = info.samplerate;
    for (size_t i = 0; i < interleaved.size(); i += count) {
        wav.left.push_back(interleaved[i]);
        wav.right.push_back(interleaved[i + count - 1]);
    }
    return wav;
}

float peakOf(const std::vector<float>& samples) {
    float peak = 0.0f;
    for (float s : samples) peak = std::max(peak, std::fabs(s));
    return peak;
}

// The plug-in played directly: fresh instance, optional preset, one note.
std::vector<float> directNote(const char* preset, uint8_t note, uint8_t velocity, int32_t frames) {
    HostHarness host;
    host.dispatch(vst::effOpen);
    if (preset != nullptr) {
        const FactoryPreset* values = findFactoryPreset(preset);
        for (size_t i = 0; i < values->values.size(); ++i)
            if (values->values[i]) host.setParameter(static_cast<int32_t>(i), *values->values[i]);
    }
    host.dispatch(vst::effMainsChanged, 0, 1);
    host.sendMidi(0x90, note, velocity, 0);
    std::vector<float> out = host.render(frames, 512);
    host.close();
    return out;
}

// A one-track file at 480 ticks per quarter; `events` are raw track events.
Bytes songFile(const Bytes& events) { return midiFile(0, 480, {join({events, endOfTrack()})}); }

TEST_F(RenderTool, DemoRendersTheGrooveAndSaysWhere) {
    const Result result = run("--plot groove.png --bits 32");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find((work / "demo.wav").string()), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("dBFS"), std::string::npos);
    EXPECT_NE(result.out.find("real time"), std::string::npos);

    const Wav wav = readWav(work / "demo.wav");
    EXPECT_EQ(wav.sampleRate, 44100);
    // Two bars at 110 BPM end on frame 192437; the last sounds ring on for at
    // most the longest envelope, and trailing silence is trimmed.
    EXPECT_GE(wav.left.size(), 192437u);
    EXPECT_LE(wav.left.size(), 192437u + 2 * 44100u);
    EXPECT_NE(wav.left.back(), 0.0f);
    EXPECT_GT(peakOf(wav.left), 0.1f);
    EXPECT_EQ(wav.left, wav.right);

    const std::string png = readText(work / "groove.png");
    EXPECT_EQ(png.substr(1, 3), "PNG");
}

TEST_F(RenderTool, OneNoteMatchesThePluginPlayedDirectly) {
    writeFile("note.mid", songFile({0x00, 0x90, 60, 100}));
    ASSERT_EQ(run("note.mid --bits 32 --preset P_Kick --quiet").status, 0);
    const Wav wav = readWav(work / "note.wav");
    ASSERT_GT(wav.left.size(), 1000u);
    const std::vector<float> direct =
        directNote("P_Kick", 60, 100, static_cast<int32_t>(wav.left.size()) + 4096);
    EXPECT_TRUE(std::equal(wav.left.begin(), wav.left.end(), direct.begin()));
    EXPECT_GT(peakOf(wav.left), 0.01f);
    // What was trimmed is silence.
    EXPECT_EQ(peakOf({direct.begin() + static_cast<long>(wav.left.size()), direct.end()}), 0.0f);
}

// 24 bits, the default, by the system's own rule: each sample to the
// nearest step, halves to even, clipped at full scale.
TEST_F(RenderTool, TwentyFourBitFilesHoldEachSampleAtItsNearestStep) {
    writeFile("note.mid", songFile({0x00, 0x90, 60, 100}));
    ASSERT_EQ(run("note.mid --preset P_Kick --quiet").status, 0);
    const PcmWave wav = readPcmWave(work / "note.wav");
    ASSERT_EQ(wav.problem, "");
    ASSERT_EQ(wav.channels, 2);
    EXPECT_EQ(wav.sampleRate, 44100u);
    ASSERT_GT(wav.samples[0].size(), 1000u);
    const std::vector<float> direct = directNote("P_Kick", 60, 100, static_cast<int32_t>(wav.samples[0].size()));
    for (size_t i = 0; i < direct.size(); ++i) {
        ASSERT_EQ(wav.samples[0][i], WaveFile::pcm24(direct[i])) << i;
        ASSERT_EQ(wav.samples[1][i], wav.samples[0][i]) << i;
    }
}

// The kit's export, read back strictly; a layer is what the plug-in plays
// for that pad's key, at 24 bits.
TEST_F(RenderTool, ExportsAKitAsOneShotsAndSfz) {
    const Result result = run("--export-kit out --kit Standard");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("65 files of kit \"Standard\""), std::string::npos) << result.out;
    const Sfz sfz = readSfz(work / "out" / "Standard.sfz");
    ASSERT_EQ(sfz.problem, "");
    ASSERT_EQ(sfz.regions.size(), 64u);
    for (const SfzRegion& region : sfz.regions)
        EXPECT_EQ(readPcmWave(work / "out" / region.opcodes.at("sample")).problem, "") << region.line;

    // The first pad plays no noise, whose draw differs between instances.
    const kit::KitSnapshot standard = kit::factoryKitSnapshot(*kit::factoryKitNamed("Standard"));
    for (int32_t wave : {kWave1, kWave2}) ASSERT_LT(standard.values[size_t(wave)], 0.875f);
    const auto key = static_cast<uint8_t>(kit::noteOf(standard.values[kit::kSoundParameters + kit::kKey]));
    writeFile("hit.mid", songFile({0x00, 0x90, key, 127}));
    ASSERT_EQ(run("hit.mid --kit Standard -q").status, 0);
    const PcmWave played = readPcmWave(work / "hit.wav");
    const PcmWave layer = readPcmWave(work / "out" / (standard.padNames[0] + " v127.wav"));
    ASSERT_EQ(layer.problem, "");
    ASSERT_EQ(layer.channels, 1);
    ASSERT_GT(layer.samples[0].size(), 1000u);
    const size_t both = std::min(layer.samples[0].size(), played.samples[0].size());
    for (size_t i = 0; i < both; ++i)
        ASSERT_TRUE(played.samples[0][i] == layer.samples[0][i] && played.samples[1][i] == layer.samples[0][i]) << i;
    for (size_t i = both; i < layer.samples[0].size(); ++i) ASSERT_EQ(layer.samples[0][i], 0) << i;
    for (size_t i = both; i < played.samples[0].size(); ++i) ASSERT_EQ(played.samples[0][i], 0) << i;
}

TEST_F(RenderTool, NoteLandsOnTheFrameOfItsTick) {
    // At 0.6 s per quarter, tick 777 is 0.97125 s: frame 42832.125, so 42832.
    const Bytes tempoAndNote = join({tempo(600000), {0x86, 0x09, 0x99, 60, 127}});
    writeFile("late.mid", songFile(tempoAndNote));
    ASSERT_EQ(run("late.mid -o late.wav --bits 32 --block 100 -q").status, 0);
    const Wav wav = readWav(work / "late.wav");
    constexpr size_t kStart = 42832;
    ASSERT_GT(wav.left.size(), kStart + 1000);
    EXPECT_EQ(peakOf({wav.left.begin(), wav.left.begin() + kStart}), 0.0f);
    const std::vector<float> direct =
        directNote(nullptr, 60, 127, static_cast<int32_t>(wav.left.size() - kStart));
    EXPECT_TRUE(std::equal(direct.begin(), direct.end(), wav.left.begin() + kStart));
}

TEST_F(RenderTool, KitMixesOneInstancePerSoundAtItsPitch) {
    // Notes 36 and 38 at once, and 40, which the kit does not hold.
    writeFile("kit.mid", songFile({0x00, 0x99, 36, 110, 0x00, 38, 90, 0x00, 40, 127}));
    // Sounds without noise: the plug-in redraws its shared noise table whenever
    // an instance is made, so noise sounds differ between processes by design.
    ASSERT_EQ(run("kit.mid --kit 36=StdBD1@48,38=MoMoMon --bits 32 -q").status, 0);
    const Wav wav = readWav(work / "kit.wav");
    const auto frames = static_cast<int32_t>(wav.left.size());
    const std::vector<float> kick = directNote("StdBD1", 48, 110, frames);
    const std::vector<float> tom = directNote("MoMoMon", 60, 90, frames);
    ASSERT_GT(peakOf(kick), 0.01f);
    ASSERT_GT(peakOf(tom), 0.01f);
    for (size_t i = 0; i < wav.left.size(); ++i)
        ASSERT_EQ(wav.left[i], kick[i] + tom[i]) << "frame " << i;
}

TEST_F(RenderTool, ExportsOneNonSilentFilePerPreset) {
    const Result result = run("--export-presets shots --bits 16");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("16 one-shots"), std::string::npos) << result.out;
    std::vector<std::string> expected;
    for (const FactoryPreset& preset : kFactoryPresets)
        expected.push_back("shots/" + std::string(preset.name) + ".wav");
    expected.push_back("shots");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(workFiles(), expected);
    for (const FactoryPreset& preset : kFactoryPresets) {
        // One channel, as every one-shot where both are the same.
        const Wav wav = readWav(work / "shots" / (std::string(preset.name) + ".wav"), 1);
        EXPECT_GT(peakOf(wav.left), 0.001f) << preset.name;
        EXPECT_LT(wav.left.size(), 2u * 44100u) << preset.name;
    }
}

// A kit file renders through DrumTamrik Kit, every note to the kit: the mix
// and each output pair as stems, bit for bit what the Kit plays directly.
TEST_F(RenderTool, KitFileRendersThroughTheKitWithStems) {
    writeFile("two.mid", songFile({0x00, 0x90, 36, 100, 0x00, 0x90, 38, 90}));
    std::ofstream(work / "mine.tamrikkit") << "DrumTamrik Kit 2\nname = Mine\n[Pad 1]\nOutput = Aux 2\n";
    ASSERT_EQ(run("two.mid --bits 32 --kit mine.tamrikkit --stems stems --all-stems --quiet").status, 0);
    const Wav mix = readWav(work / "two.wav"), main = readWav(work / "stems" / "main.wav"),
              aux2 = readWav(work / "stems" / "aux2.wav"), aux1 = readWav(work / "stems" / "aux1.wav");
    for (int pair = 1; pair <= 8; ++pair) EXPECT_TRUE(fs::exists(work / "stems" / ("aux" + std::to_string(pair) + ".wav")));
    // Without --all-stems, only the pairs a pad plays through; a pad the
    // user's --param moves or mutes moves its stem too.
    ASSERT_EQ(run("two.mid --bits 32 --kit mine.tamrikkit --stems used --quiet").status, 0);
    EXPECT_TRUE(fs::exists(work / "used" / "main.wav"));
    EXPECT_TRUE(fs::exists(work / "used" / "aux2.wav"));
    EXPECT_EQ(std::distance(fs::directory_iterator(work / "used"), fs::directory_iterator()), 2);
    EXPECT_EQ(readWav(work / "used" / "aux2.wav").left, readWav(work / "stems" / "aux2.wav").left);
    ASSERT_EQ(run("two.mid --kit mine.tamrikkit --param '1 Out=1,2 Mute=1' --stems moved --quiet").status, 0);
    EXPECT_TRUE(fs::exists(work / "moved" / "main.wav"));
    EXPECT_TRUE(fs::exists(work / "moved" / "aux8.wav"));
    EXPECT_EQ(std::distance(fs::directory_iterator(work / "moved"), fs::directory_iterator()), 2);
    fs::remove_all(work / "used");
    fs::remove_all(work / "moved");
    fs::remove(work / "two.wav");
    ASSERT_EQ(run("two.mid --bits 32 --kit mine.tamrikkit --quiet").status, 0);
    ASSERT_GT(mix.left.size(), 1000u);
    EXPECT_EQ(main.left, mix.left);
    EXPECT_EQ(aux2.left.size(), mix.left.size());
    EXPECT_EQ(peakOf(aux1.left), 0.0f);

    PluginInstance kit(TAMRIK_KIT_PATH);
    kit.setParameter(0 * 30 + 26, 0.25f);  // pad 1's Output: Aux 2
    hosting::EventBlock notes({hosting::midiEvent(0x90, 36, 100), hosting::midiEvent(0x90, 38, 90)});
    kit.dispatch(vst::effProcessEvents, 0, 0, notes.build());
    const auto direct = kit.render(int32_t(mix.left.size()), 512);
    EXPECT_EQ(mix.left, direct[0]) << "the snare on Main";
    EXPECT_EQ(aux2.left, direct[4]) << "the kick on Aux 2";
    EXPECT_GT(peakOf(aux2.left), 0.01f);
    EXPECT_GT(peakOf(mix.left), 0.01f);

    // A bad kit file: its line and reason, and nothing written.
    std::ofstream(work / "bad.tamrikkit") << "DrumTamrik Kit 2\n[Pad 1]\nOutput = soon\n";
    const std::vector<std::string> before = workFiles();
    const Result bad = run("two.mid --kit bad.tamrikkit --stems more");
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("bad.tamrikkit: line 3: Output: expected Main or Aux 1 to Aux 8, not 'soon'"),
              std::string::npos)
        << bad.err;
    EXPECT_EQ(workFiles(), before);
    EXPECT_EQ(run("two.mid --kit 36=StdBD1 --stems more").status, 2) << "stems only with a kit";
    EXPECT_EQ(run("two.mid --kit mine.tamrikkit --all-stems").status, 2) << "--all-stems only with --stems";
    EXPECT_EQ(workFiles(), before);
}

// A factory kit by name, in any case, plays through the Kit; --list-kits
// names them all, and each is installed as a kit file that plays the same
// (KitFile's tests hold those files to the factory kits' values; a second
// Kit instance in this process would draw other noise than the tool's
// first, so the tool is compared with itself).
TEST_F(RenderTool, FactoryKitsByNameListedAndAsKitFiles) {
    const Result listed = run("--list-kits");
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, "Init\nStandard\nElectro\nIndustrial\nPercussion\n");

    writeFile("two.mid", songFile({0x00, 0x90, 36, 100, 0x00, 0x90, 42, 90}));
    ASSERT_EQ(run("two.mid --bits 32 --kit standard --stems stems --quiet").status, 0);
    const Wav mix = readWav(work / "two.wav");
    ASSERT_GT(mix.left.size(), 1000u);
    // Every pad of the Standard kit plays through Main.
    EXPECT_EQ(std::distance(fs::directory_iterator(work / "stems"), fs::directory_iterator()), 1);
    EXPECT_EQ(readWav(work / "stems" / "main.wav").left, mix.left);
    EXPECT_GT(peakOf(mix.left), 0.01f);

    std::string names = listed.out;
    for (size_t end; (end = names.find('\n')) != std::string::npos; names.erase(0, end + 1)) {
        const std::string name = names.substr(0, end);
        const fs::path file = fs::path(TAMRIK_KITS_DIR) / (name + ".tamrikkit");
        ASSERT_TRUE(fs::exists(file)) << file;
        ASSERT_EQ(run("two.mid --bits 32 -o by-name.wav --kit " + name + " --quiet").status, 0);
        ASSERT_EQ(run("two.mid --bits 32 -o by-file.wav --kit '" + file.string() + "' --quiet").status, 0);
        EXPECT_EQ(readWav(work / "by-file.wav").left, readWav(work / "by-name.wav").left) << name;
    }
    ASSERT_EQ(run("two.mid --bits 32 -o standard.wav --kit Standard --quiet").status, 0);
    EXPECT_EQ(readWav(work / "standard.wav").left, mix.left);
    EXPECT_EQ(run("two.mid --kit Standards").status, 2) << "neither a kit's name nor a note list";
}

TEST_F(RenderTool, BadInputFailsWithOneLineAndLeavesNoFile) {
    const Bytes good = songFile({0x00, 0x90, 60, 100});
    writeFile("truncated.mid", Bytes(good.begin(), good.end() - 3));
    Bytes garbled = good;
    garbled[23] = 0xF4;
    writeFile("garbled.mid", garbled);
    writeFile("note.mid", good);
    const std::vector<std::string> before = workFiles();

    struct Case {
        std::string args, mentions;
    };
    const Case cases[] = {
        {"missing.mid", "missing.mid"},
        {"truncated.mid", "byte 14"},
        {"garbled.mid", "byte 23"},
        {"--preset Snare", "'Snare'"},
        {"--kit 36=Kick", "'Kick'"},
        {"--param Cutoff=0.5", "'Cutoff'"},
        {"--param CutOff=lots", "'lots'"},
        {"--rate fast", "'fast'"},
        {"--program 32", "--program"},
        {"-o no/such/folder/out.wav", "no/such/folder/out.wav"},
        {"-o .", "folder"},
        {"note.mid --plot no/such/plot.png", "no/such/plot.png"},
        {"--export-presets note.mid/x", "note.mid/x"},
        {"--plugin no-such.so", "no-such.so"},
        {"--plugin note.mid", "note.mid"},
        {"--plugin " TAMRIK_NIL_PLUGIN, "nil"},
        {"--frobnicate", "--frobnicate"},
        {"--export-kit out --kit Standard --velocities 0,64", "--velocities"},
        {"--export-kit out --kit Standard --velocities 64,100,64", "--velocities"},
        {"--export-kit out --kit Standard --velocities 64,", "--velocities"},
        {"--velocities 64", "--velocities"},
        {"--export-kit out", "--export-kit"},
        {"--export-kit out --kit Standard note.mid", "--export-kit"},
        {"--export-kit note.mid/x --kit Standard", "note.mid/x"},
        {"--export-kit out --kit Standard --param zz=0.5", "'zz'"},
    };
    for (const Case& c : cases) {
        const Result result = run(c.args);
        EXPECT_EQ(result.status, 2) << c.args;
        EXPECT_NE(result.err.find(c.mentions), std::string::npos) << c.args << ": " << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_EQ(result.out, "") << c.args;
        EXPECT_EQ(workFiles(), before) << c.args;
    }
}

}  // namespace
}  // namespace tamrik::test
