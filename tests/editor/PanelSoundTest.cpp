// The hit row in a host, over the instrument itself: what it draws are the
// samples the instrument plays for that note, bit for bit (DrumTamrik, and
// a pad of the Kit), a value the host sets redraws it within refreshes, and
// the exports write the hit (a 24-bit WAV) and the kit (WAVs and an SFZ),
// and the lights and meters follow what the audio thread plays.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include <unistd.h>

#include "EditorHost.h"
#include "kit/KitMap.h"
#include "kit/PadSettings.h"

namespace tamrik::test {
namespace {

// Refreshes until the row's hit is whole; a hang fails rather than waits.
void TickUntilWhole(EditorHost& host) {
    for (int ticks = 0; ticks < 1000; ++ticks) {
        host.tick();
        if (!host.form().View->Rendering()) return;
    }
    ADD_FAILURE() << "the hit never ended";
}

// `frames` samples of the first output pair after a note-on at frame 0.
std::vector<std::vector<float>> Play(Instrument& synth, int note, int velocity, int frames) {
    const uint8_t on[3] = {0x90, uint8_t(note), uint8_t(velocity)};
    synth.receiveMidi(on, 3, 0);
    std::vector<std::vector<float>> out(size_t(synth.outputCount()), std::vector<float>(size_t(frames), 0.0f));
    for (int at = 0; at < frames;) {
        const int n = std::min(333, frames - at);
        std::vector<float*> channels;
        for (auto& c : out) channels.push_back(c.data() + at);
        synth.render(channels.data(), n);
        at += n;
    }
    return out;
}

void ExpectTheRowShowsWhatIsPlayed(EditorHost& host, int note) {
    ASSERT_EQ(host.openEditor(), 1);
    TickUntilWhole(host);
    const HitLink* hit = host.form().View->Link();
    ASSERT_NE(hit, nullptr) << "the editor hands the row its sound";
    const int length = hit->hitLength();
    ASSERT_GT(length, 1000);
    EXPECT_EQ(hit->hitRate(), 44100.0);
    EXPECT_GT(hit->hitPeak(), 0.0f);
    const auto played = Play(host.instrument(), note, 127, length + 100);
    for (int c = 0; c < 2; ++c)
        EXPECT_EQ(std::memcmp(hit->hitSamples(c), played[size_t(c)].data(), size_t(length) * sizeof(float)), 0)
            << "channel " << c;
}

TEST(PanelSound, TheRowDrawsTheSamplesDrumTamrikPlays) {
    EditorHost host;
    ExpectTheRowShowsWhatIsPlayed(host, 60);
}

TEST(PanelSound, TheRowDrawsTheSamplesTheSelectedPadPlays) {
    EditorHost host(tk::OffscreenBackend::Faces::System, Hosted::Kit);
    const int key = kit::noteOf(host.instrument().getParameter(kit::padIndex(0, kit::kSoundParameters + kit::kKey)));
    ExpectTheRowShowsWhatIsPlayed(host, key);
}

TEST(PanelSound, AValueTheHostSetsRedrawsTheRow) {
    EditorHost host;
    ASSERT_EQ(host.openEditor(), 1);
    TickUntilWhole(host);
    const HitLink* hit = host.form().View->Link();
    const tk::PixelBuffer before = host.form().Snapshot(*host.form().View->Plot);
    const int lengthBefore = hit->hitLength();
    host.setParameter(kR, 0.1f);  // a shorter release, from the host's side
    TickUntilWhole(host);
    EXPECT_LT(hit->hitLength(), lengthBefore);
    const tk::PixelBuffer after = host.form().Snapshot(*host.form().View->Plot);
    int differing = 0;
    for (int y = 0; y < after.Height(); ++y)
        for (int x = 0; x < after.Width(); ++x) differing += after.At(x, y) != before.At(x, y);
    EXPECT_GT(differing, 100);
    host.dispatch(vst::effSetSampleRate, 0, 0, nullptr, 22050.0f);  // a new rate alone
    TickUntilWhole(host);
    EXPECT_EQ(hit->hitRate(), 22050.0);
}

TEST(PanelSound, TheLightFlashesWhileTheHostPlays) {
    EditorHost host;
    ASSERT_EQ(host.openEditor(), 1);
    host.tick();
    const ActivityMeter& light = *host.form().View->SoundMeters.at(0);
    EXPECT_FALSE(light.Lit());
    host.render(512, 60);  // the audio thread plays a note
    host.tick();
    EXPECT_TRUE(light.Lit());
    EXPECT_FALSE(host.form().View->ClipMarks.at(0)->Lit()) << "the default sound stays below full scale";
    for (int i = 0; i < 3; ++i) host.tick();  // nothing more rendered
    EXPECT_FALSE(light.Lit());
}

TEST(PanelSound, EachPadsMeterShowsItsOwnLevel) {
    EditorHost host(tk::OffscreenBackend::Faces::System, Hosted::Kit);
    ASSERT_EQ(host.openEditor(), 1);
    const std::vector<ActivityMeter*>& meters = host.form().View->SoundMeters;
    ASSERT_EQ(meters.size(), 16u);
    ASSERT_EQ(host.form().View->ClipMarks.size(), 9u);
    const int key = kit::noteOf(host.instrument().getParameter(kit::padIndex(2, kit::kSoundParameters + kit::kKey)));
    host.render(512, uint8_t(key));
    host.tick();
    for (size_t p = 0; p < meters.size(); ++p)
        EXPECT_EQ(meters[p]->Lit(), p == 2) << "pad " << p + 1 << " at " << meters[p]->LevelDb() << " dB";
    EXPECT_GT(meters[2]->LevelDb(), -40.0);
}

// A fresh folder of this process's own under the temporary folder.
struct Scratch {
    std::filesystem::path path;
    explicit Scratch(const char* name)
        : path(std::filesystem::temp_directory_path() / (name + std::to_string(::getpid()))) {
        std::filesystem::remove_all(path);
    }
    ~Scratch() { std::filesystem::remove_all(path); }
};

std::vector<char> Bytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(PanelSound, ExportWritesTheWholeHitAsA24BitWav) {
    EditorHost host;
    ASSERT_EQ(host.openEditor(), 1);
    host.tick();  // the hit begun, maybe not whole yet
    const Scratch folder("tamrik-export-hit-");
    const std::filesystem::path file = host.form().View->ExportHit(folder.path);
    ASSERT_EQ(file, folder.path / "DrumTamrik.wav") << host.form().Strip->ReadoutLine();
    TickUntilWhole(host);
    const HitLink* hit = host.form().View->Link();
    const std::vector<char> bytes = Bytes(file);
    // One channel (both are equal), up to the last sound: the voice's last
    // sample is silent.
    const float* samples = hit->hitSamples(0);
    int sounding = hit->hitLength();
    while (sounding > 0 && samples[sounding - 1] == 0.0f) --sounding;
    EXPECT_GT(sounding, hit->hitLength() - 10);
    const size_t data = size_t(sounding) * 3;
    ASSERT_EQ(bytes.size(), 44 + data + data % 2);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 12), "WAVE");
    // The loudest sample, as the 24-bit integer it became.
    const int loudest = int(std::max_element(samples, samples + hit->hitLength(),
                                             [](float a, float b) { return std::abs(a) < std::abs(b); }) -
                            samples);
    const auto at = bytes.begin() + 44 + 3 * loudest;
    const int32_t pcm = int32_t(uint32_t(uint8_t(at[0])) | uint32_t(uint8_t(at[1])) << 8 |
                                uint32_t(uint8_t(at[2])) << 16 | (uint8_t(at[2]) & 0x80 ? 0xFF000000u : 0u));
    EXPECT_NEAR(pcm / 8388608.0, samples[loudest], 1.0 / 8388608.0);
}

// The list offers three rates, but the link takes whatever a caller
// passes: anything it cannot render at or write as a WAV rate is refused.
TEST(PanelSound, AnExportAtARateThatCannotBeRenderedIsRefused) {
    const Scratch folder("tamrik-export-rates-");
    std::filesystem::create_directories(folder.path);
    EditorHost drum, kit(tk::OffscreenBackend::Faces::System, Hosted::Kit);
    ASSERT_EQ(drum.openEditor(), 1);
    ASSERT_EQ(kit.openEditor(), 1);
    drum.tick();
    HitLink& hit = const_cast<HitLink&>(*drum.form().View->Link());
    HitLink& pads = const_cast<HitLink&>(*kit.form().View->Link());
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    for (double rate : {nan, -inf, inf, -44100.0, 1.0, 7999.0, 44100.5, 384001.0, 1e300}) {
        std::string message;
        EXPECT_FALSE(hit.exportHit(folder.path / "hit.wav", rate, message)) << rate;
        EXPECT_EQ(message, "no usable sample rate") << rate;
        message.clear();
        EXPECT_FALSE(pads.exportKit(folder.path / "kit", HitRow::kKitVelocities, rate, message)) << rate;
        EXPECT_EQ(message, "no usable sample rate") << rate;
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder.path)) << "nothing written";
    std::string message;
    EXPECT_TRUE(hit.exportHit(folder.path / "hit.wav", 384000.0, message)) << message;
    EXPECT_EQ(hit.hitRate(), 44100.0) << "the drawn hit keeps the instrument's rate";
}

TEST(PanelSound, ExportKitWritesAFolderWithAnSfz) {
    EditorHost host(tk::OffscreenBackend::Faces::System, Hosted::Kit);
    ASSERT_EQ(host.openEditor(), 1);
    const Scratch folder("tamrik-export-kit-");
    const std::filesystem::path kit = host.form().View->ExportKit(folder.path);
    ASSERT_EQ(kit, folder.path / "Init") << host.form().Strip->ReadoutLine();
    EXPECT_TRUE(std::filesystem::exists(kit / "Init.sfz"));
    int waves = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kit)) waves += entry.path().extension() == ".wav";
    EXPECT_EQ(waves, 16 * int(HitRow::kKitVelocities.size())) << "a file per pad and layer";
    host.form().View->ExportRateList->SetItemIndex(2);
    const std::filesystem::path again = host.form().View->ExportKit(folder.path);
    EXPECT_EQ(again, folder.path / "Init 2") << "never into the same folder";
    const std::vector<char> bytes = Bytes(again / "Kick v127.wav");
    ASSERT_GE(bytes.size(), 44u);
    uint32_t rate = 0;
    std::memcpy(&rate, bytes.data() + 24, sizeof rate);
    EXPECT_EQ(rate, 48000u) << "at the rate chosen";
}

TEST(PanelSound, DrumTamrikHasNoKitToExport) {
    EditorHost host;
    ASSERT_EQ(host.openEditor(), 1);
    EXPECT_EQ(host.form().View->ExportKitButton, nullptr);
    const Scratch folder("tamrik-export-none-");
    EXPECT_EQ(host.form().View->ExportKit(folder.path), std::filesystem::path());
    EXPECT_EQ(host.form().Strip->ReadoutLine(), "Not exported: this instrument is not a kit");
}

}  // namespace
}  // namespace tamrik::test
