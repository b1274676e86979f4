// The hit row on a form of its own, over a made-up sound whose hit is known
// sample by sample: the hit begins again on every change the refresh sees
// (a value from the host, the note, the velocity) and only then; a long one
// is rendered a step per refresh and drawn as it fills in; the picture at
// 100 % and 200 % is locked by hashes (TAMRIK_PRINT_GOLDEN=1 prints them,
// TAMRIK_GOLDEN_PNG=PREFIX saves PREFIX-row-100.png ...); the light, the
// meters and the clip marks follow the peaks; an export goes to the folder
// chosen, named after the preset, and a failure says why.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "Hashing.h"
#include "editor/HitLink.h"
#include "editor/TForm1.h"
#include "toolkit/OffscreenBackend.h"

namespace tamrik::test {
namespace {

using namespace tk;

struct Values final : ParameterLink {
    std::array<float, kNumParameters> values{};
    Values() {
        for (int i = 0; i < kNumParameters; ++i) values[size_t(i)] = kParameterTable[i].defaultValue;
    }
    void setParameterAutomated(int32_t index, float value) override { values[size_t(index)] = value; }
    float getParameter(int32_t index) override { return values[size_t(index)]; }
};

// A hit of the release's length (R times 40000 frames), a sawtooth under a
// falling line, the right channel inverted when Ring is on; its peak is the
// velocity's share of full scale times Volume.
struct MadeUpSound final : HitLink {
    explicit MadeUpSound(Values& v) : link(v) {}
    Values& link;
    int begun = 0, sound = -1, note = -1, velocity = -1, length = 0, total = 0;
    float gain = 0;
    double rate = 40000.0;
    bool inverted = false;
    std::array<std::vector<float>, 2> samples;
    std::vector<float> peaks;
    std::vector<std::filesystem::path> exported;
    std::vector<double> exportRates;
    bool exportFails = false;

    bool beginHit(int s, int n, int v) override {
        ++begun;
        sound = s, note = n, velocity = v;
        total = int(link.values[kR] * 40000);
        gain = float(v) / 127.0f * link.values[kVolume] * 2.0f;
        inverted = link.values[kRing] > 0.5f;
        length = 0;
        samples = {std::vector<float>(size_t(total)), std::vector<float>(size_t(total))};
        return total > 0;
    }
    bool continueHit(int frames) override {
        const int end = std::min(total, length + frames);
        for (int f = length; f < end; ++f) {
            const float x = (float(f % 200) / 100.0f - 1.0f) * envelope(f) * gain;
            samples[0][size_t(f)] = x;
            samples[1][size_t(f)] = inverted ? -x : x;
        }
        length = end;
        return length < total;
    }
    float envelope(int f) const { return 1.0f - float(f) / float(total); }
    int hitLength() const override { return length; }
    const float* hitSamples(int channel) const override { return samples[size_t(channel & 1)].data(); }
    bool hitChannelsEqual() const override { return !inverted; }
    double hitRate() const override { return rate; }
    double soundRate() const override { return rate; }
    float hitEnvelope(int frame) const override { return envelope(frame); }
    int envelopeLength() const override { return total; }
    float hitPeak() const override { return gain; }
    int hitLengthTo(double) const override { return total * 999 / 1000; }
    int meterCount() const override { return 3; }
    int takePeaks(std::span<float> out) override {
        const size_t n = std::min(out.size(), peaks.size());
        std::copy_n(peaks.begin(), n, out.begin());
        peaks.assign(3, 0.0f);
        return int(n);
    }
    bool exportHit(const std::filesystem::path& file, double atRate, std::string& message) override {
        if (exportFails) {
            message = "the disk is full";
            return false;
        }
        exported.push_back(file);
        exportRates.push_back(atRate);
        std::FILE* f = std::fopen(file.string().c_str(), "wb");
        if (f) std::fclose(f);
        return true;
    }
    bool exportKit(const std::filesystem::path&, std::span<const int>, double, std::string& message) override {
        message = "not a kit";
        return false;
    }
};

uint64_t HashOf(const PixelBuffer& picture) {
    Fnv1a h;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) h.add(picture.Row(y)[x]);
    return h.value();
}

int Count(const PixelBuffer& picture, TColor colour) {
    int n = 0;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) n += picture.At(x, y) == colour;
    return n;
}

constexpr TColor kTraceColour = RgbColor(96, 200, 128);
constexpr TColor kClipColour = RgbColor(255, 48, 32);

struct Row : ::testing::Test {
    Values values;
    MadeUpSound sound{values};
    OffscreenBackend* screen = nullptr;
    std::unique_ptr<TForm1> form;

    void open(HitLink* link) {
        auto backend = std::make_unique<OffscreenBackend>(TPoint{0, 0}, OffscreenBackend::Faces::BuiltIn);
        screen = backend.get();
        form = std::make_unique<TForm1>(std::move(backend), values, link);
        form->Strip->SetUserPresetDirectory({});
        ASSERT_TRUE(form->CreateParented(NativeWindow(1)));
        form->ShowForm();
    }
    void SetUp() override { open(&sound); }
    void tick() {
        screen->Advance(100);
        form->Idle();
    }
    // Refreshes until the hit is whole; a hang fails rather than waits.
    int ticksUntilWhole() {
        int ticks = 0;
        do tick();
        while (form->View->Rendering() && ++ticks < 1000);
        return ticks + 1;
    }
    PixelBuffer plot() { return form->Snapshot(*form->View->Plot); }
};

TEST_F(Row, ItSitsBelowTheStripAndBeginsTheDefaultHitAtTheFirstRefresh) {
    EXPECT_EQ(form->View->BoundsRect(), (TRect{0, 361, 505, 481}));
    EXPECT_EQ(sound.begun, 0) << "nothing before the first refresh";
    tick();
    EXPECT_EQ(sound.begun, 1);
    EXPECT_EQ(std::vector<int>({sound.sound, sound.note, sound.velocity}), std::vector<int>({0, 60, 127}));
    for (int i = 0; i < 5; ++i) tick();
    EXPECT_EQ(sound.begun, 1) << "nothing changed, nothing begins again";
}

TEST_F(Row, EveryChangeTheRefreshSeesBeginsAHitWithinOneRefresh) {
    tick();
    values.values[kCutOff] = 0.25f;  // as host automation sets it
    tick();
    EXPECT_EQ(sound.begun, 2);
    form->View->SetNote(36);
    tick();
    EXPECT_EQ(sound.note, 36);
    form->View->SetVelocity(64);
    tick();
    EXPECT_EQ(std::vector<int>({sound.begun, sound.velocity}), std::vector<int>({4, 64}));
    values.values[kCutOff] = 0.25f;
    tick();
    EXPECT_EQ(sound.begun, 4) << "the same value again";
    sound.rate = 48000.0;  // the host's new sample rate
    tick();
    EXPECT_EQ(sound.begun, 5);
}

TEST_F(Row, ALongReleaseFillsInAStepPerRefreshAndIsDrawnAsItGoes) {
    values.values[kR] = 1.0f;  // 40000 frames: two steps
    tick();
    ASSERT_TRUE(form->View->Rendering());
    EXPECT_EQ(sound.hitLength(), HitRow::kFramesPerRefresh);
    const int partly = Count(plot(), kTraceColour);
    EXPECT_GT(partly, 0);
    tick();
    EXPECT_FALSE(form->View->Rendering());
    EXPECT_EQ(sound.hitLength(), 40000);
    EXPECT_GT(Count(plot(), kTraceColour), partly) << "the rest drawn in";
}

// From the host's side: a value changes, and within refreshes the picture
// changes with it.
TEST_F(Row, AnAutomatedValueRedrawsThePicture) {
    ticksUntilWhole();
    const uint64_t before = HashOf(plot());
    values.values[kVolume] = 0.1f;
    ticksUntilWhole();
    EXPECT_NE(HashOf(plot()), before);
    EXPECT_EQ(sound.begun, 2);
}

TEST_F(Row, DifferingChannelsAreDrawnAsTwoTraces) {
    ticksUntilWhole();
    const PixelBuffer one = plot();
    values.values[kRing] = 1.0f;
    ticksUntilWhole();
    const PixelBuffer two = plot();
    auto traceRows = [](const PixelBuffer& p) {
        std::vector<int> rows;
        for (int y = 0; y < p.Height(); ++y)
            for (int x = 0; x < p.Width(); ++x)
                if (p.At(x, y) == kTraceColour) {
                    rows.push_back(y);
                    break;
                }
        return rows;
    };
    const std::vector<int> a = traceRows(one), b = traceRows(two);
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    // One trace spans the plot's middle; two leave a gap between halves.
    auto gaps = [](const std::vector<int>& rows) {
        int n = 0;
        for (size_t i = 1; i < rows.size(); ++i) n += rows[i] != rows[i - 1] + 1;
        return n;
    };
    EXPECT_EQ(gaps(a), 0);
    EXPECT_EQ(gaps(b), 1);
}

TEST_F(Row, APeakPastFullScaleIsMarked) {
    ticksUntilWhole();
    EXPECT_EQ(Count(plot(), kClipColour), 0) << "the default peaks at full scale, not past it";
    values.values[kVolume] = 1.0f;  // twice full scale
    ticksUntilWhole();
    EXPECT_GT(Count(plot(), kClipColour), 20);
    EXPECT_EQ(HitPlot::PeakText(0.5f), "-6.0 dBFS");
    EXPECT_EQ(HitPlot::PeakText(2.0f), "6.0 dBFS");
    EXPECT_EQ(HitPlot::PeakText(0.0f), "silent");
}

TEST_F(Row, WithoutALinkTheRowSaysSoAndTheRestWorks) {
    open(nullptr);
    tick();
    EXPECT_EQ(form->View->Plot->State(), HitPlot::Shown::NoSound);
    EXPECT_FALSE(form->View->ExportButton->Enabled());
    EXPECT_FALSE(form->View->ExportRateList->Enabled());
    EXPECT_EQ(form->View->ExportHit(std::filesystem::temp_directory_path()), std::filesystem::path());
    EXPECT_EQ(form->Strip->ReadoutLine(), "No sound to export");
}

TEST_F(Row, TheLightFlashesOnSoundAndTheClipMarkHoldsAWhile) {
    ActivityMeter& light = *form->View->SoundMeters.at(0);
    ActivityMeter& clip = *form->View->ClipMarks.at(0);
    tick();
    EXPECT_FALSE(light.Lit());
    sound.peaks = {0.5f, 0.5f, 1.5f};
    tick();
    EXPECT_TRUE(light.Lit());
    EXPECT_TRUE(clip.Lit()) << "the right channel passed full scale";
    tick();
    tick();
    EXPECT_FALSE(light.Lit()) << "off again once the sound stops";
    EXPECT_TRUE(clip.Lit());
    for (int i = 0; i < 20; ++i) tick();
    EXPECT_FALSE(clip.Lit());
}

TEST(Meter, ALevelFallsBackSlowly) {
    Values values;
    auto backend = std::make_unique<OffscreenBackend>();
    TForm1 form(std::move(backend), values);
    ActivityMeter meter(&form, ActivityMeter::Kind::Level);
    meter.Feed(1.0f, 0);
    EXPECT_EQ(meter.LevelDb(), 0.0);
    meter.Feed(0.0f, 100);
    EXPECT_DOUBLE_EQ(meter.LevelDb(), -ActivityMeter::kFallDbPerSecond / 10);
    meter.Feed(std::numeric_limits<float>::quiet_NaN(), 10000);
    EXPECT_EQ(meter.LevelDb(), ActivityMeter::kFloorDb);
    EXPECT_FALSE(meter.Lit());
}

TEST_F(Row, AnExportGoesToTheChosenFolderNamedAfterThePreset) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tamrik-export-" + std::to_string(::getpid())) / "new";
    std::filesystem::remove_all(folder.parent_path());
    form->Strip->ChoosePreset(0);
    tick();
    const std::string name = form->Strip->SoundName();
    form->View->OpenExportChooser(false, folder.parent_path());
    ASSERT_TRUE(form->View->ExportList->DroppedDown());
    EXPECT_EQ(form->View->ExportList->Items().at(1), "[Export here]");
    const std::filesystem::path first = form->View->ExportHit(folder);
    EXPECT_EQ(first, folder / (name + ".wav")) << "the folder made, the file named after the preset";
    EXPECT_EQ(form->View->ExportHit(folder), folder / (name + " 2.wav")) << "never over another file";
    EXPECT_EQ(sound.exported.size(), 2u);
    EXPECT_EQ(form->Strip->ReadoutLine(), "Exported " + name + " 2.wav");
    sound.exportFails = true;
    EXPECT_EQ(form->View->ExportHit(folder), std::filesystem::path());
    EXPECT_EQ(form->Strip->ReadoutLine(), "Not exported: the disk is full");
    std::filesystem::remove_all(folder.parent_path());
}

// A panel setting: the list changes what an export asks for, not the sound,
// the hit or anything the host hears of.
TEST_F(Row, TheExportRateIsTheHostsUnlessAnotherIsChosen) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tamrik-export-rate-" + std::to_string(::getpid()));
    tick();
    TComboBox& rates = *form->View->ExportRateList;
    EXPECT_EQ(rates.Items(), (std::vector<std::string>{"Host rate", "44100 Hz", "48000 Hz"}));
    EXPECT_EQ(rates.Text(), "Host rate");
    const std::array<float, kNumParameters> valuesBefore = values.values;
    std::vector<double> asked;
    for (int item : {0, 2, 1}) {
        rates.SetItemIndex(item);
        tick();
        asked.push_back(form->View->ExportRate());
        ASSERT_NE(form->View->ExportHit(folder), std::filesystem::path()) << form->Strip->ReadoutLine();
    }
    EXPECT_EQ(asked, (std::vector<double>{0.0, 48000.0, 44100.0}));
    EXPECT_EQ(sound.exportRates, asked) << "each export at the rate chosen then";
    EXPECT_EQ(sound.begun, 1) << "the drawn hit stays the instrument's";
    EXPECT_EQ(values.values, valuesBefore);
    std::filesystem::remove_all(folder);
}

// The whole row over the made-up default hit, locked at two scales.
TEST_F(Row, TheRowDrawsAsItAlwaysHas) {
    const std::array<std::pair<int, uint64_t>, 2> golden{{{100, 0xf4479dd834808db3ull}, {200, 0xf196eb9c9bfcb5c3ull}}};
    for (const auto& [percent, hash] : golden) {
        form->SetScale(Scale(percent));
        ticksUntilWhole();
        const PixelBuffer picture = form->Snapshot(*form->View);
        EXPECT_EQ(picture.Width(), 505 * percent / 100);
        EXPECT_EQ(picture.Height(), 120 * percent / 100);
        if (const char* prefix = std::getenv("TAMRIK_GOLDEN_PNG"))
            picture.SavePng(std::string(prefix) + "-row-" + std::to_string(percent) + ".png");
        if (std::getenv("TAMRIK_PRINT_GOLDEN"))
            std::printf("row %d %% 0x%016llxull\n", percent, static_cast<unsigned long long>(HashOf(picture)));
        EXPECT_EQ(HashOf(picture), hash) << percent << " %";
    }
}

}  // namespace
}  // namespace tamrik::test
