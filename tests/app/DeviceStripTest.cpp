// The device strip on the offscreen backend with the built-in face: what it
// draws, what a click in its MIDI list does, and how the refresh follows
// the audio side without disturbing a list the user has open.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "Hashing.h"
#include "app/DeviceStrip.h"
#include "toolkit/ComboBox.h"
#include "toolkit/Form.h"
#include "toolkit/Label.h"
#include "toolkit/OffscreenBackend.h"

namespace tamrik::test {
namespace {

using app::DeviceStatus;
using app::DeviceStrip;

constexpr uint64_t kStripGolden = 0x4e41d8e9cc0b4193ull;
constexpr tk::TPoint kOrigin{100, 100};

const std::string kKit = "a2j:E-Drum Kit [24] (capture): E-Drum Kit MIDI 1";
const std::string kProbe = "tamrik-probe-notes:out";

DeviceStatus twoSources() { return {"JACK", 48000, 64, {kKit, kProbe}, kProbe, 12.5f, 3}; }

struct Strip {
    DeviceStatus status = twoSources();
    std::vector<std::string> chosen;
    std::vector<bool> listShown;
    int backdrops = 0;
    tk::OffscreenBackend* screen = nullptr;
    std::unique_ptr<DeviceStrip> strip;

    explicit Strip(int percent = 100) {
        auto backend = std::make_unique<tk::OffscreenBackend>(kOrigin, tk::OffscreenBackend::Faces::BuiltIn);
        screen = backend.get();
        strip = std::make_unique<DeviceStrip>(
            std::move(backend), [this] { return status; }, [this](const std::string& s) { chosen.push_back(s); });
        const tk::Scale scale(percent);
        EXPECT_TRUE(strip->open(0, scale,
                                [this, scale] {
                                    ++backdrops;
                                    return tk::PixelBuffer(scale.Dev(DeviceStrip::kWidth), scale.Dev(DeviceStrip::kListRoom));
                                },
                                [this](bool shown) { listShown.push_back(shown); }));
    }

    // A click at a point of the form, in logical pixels.
    void click(tk::TPoint at) {
        const tk::Scale scale = strip->form().GetScale();
        screen->MoveMouse(kOrigin.x + scale.Dev(at.x) + 1, kOrigin.y + scale.Dev(at.y) + 1);
        screen->PressLeft();
        screen->ReleaseLeft();
        strip->idle();
    }
    tk::TPoint listCentre() {
        tk::TComboBox& list = strip->midiList();
        const tk::TPoint o = list.FormOrigin();
        return {o.x + list.Width() / 2, o.y + list.Height() / 2};
    }
    // The centre of row `row` of the list, dropped up above the box.
    tk::TPoint rowCentre(int row) {
        tk::TComboBox& list = strip->midiList();
        const int rows = int(list.Items().size()), itemHeight = strip->form().TextHeight() + 2;
        const int top = list.FormOrigin().y - rows * itemHeight - 2;
        return {listCentre().x, top + 1 + row * itemHeight + itemHeight / 2};
    }
    std::string caption(int n) {
        std::vector<std::string> captions;
        for (tk::TWinControl* c : strip->box().Controls())
            if (auto* label = dynamic_cast<tk::TLabel*>(c)) captions.push_back(label->Caption());
        return captions.at(size_t(n));
    }
    void tick() {
        screen->Advance(DeviceStrip::kRefreshMs);
        strip->idle();
    }
};

uint64_t hashOf(const tk::PixelBuffer& picture) {
    Fnv1a h;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) h.add(picture.Row(y)[x]);
    return h.value();
}

TEST(DeviceStrip, DrawsWhatTheAudioSideSaysAsItAlwaysHas) {
    Strip s;
    EXPECT_EQ(s.caption(0), "JACK  48000 Hz  64 frames");
    EXPECT_EQ(s.caption(1), "CPU 12.5 %  xruns 3");
    EXPECT_EQ(s.strip->midiList().Items(), (std::vector<std::string>{DeviceStrip::kNoMidi, kKit, kProbe}));
    EXPECT_EQ(s.strip->midiList().Text(), kProbe);
    const tk::PixelBuffer picture = s.strip->form().Snapshot(s.strip->box());
    EXPECT_EQ(picture.Width(), DeviceStrip::kWidth);
    EXPECT_EQ(picture.Height(), DeviceStrip::kHeight);
    if (const char* path = std::getenv("TAMRIK_GOLDEN_PNG")) picture.SavePng(std::string(path) + "-strip.png");
    const uint64_t hash = hashOf(picture);
    if (std::getenv("TAMRIK_PRINT_GOLDEN")) std::printf("strip 0x%016llxull\n", static_cast<unsigned long long>(hash));
    EXPECT_EQ(hash, kStripGolden);

    // At twice the size the same strip, twice as large.
    Strip large(200);
    const tk::PixelBuffer twice = large.strip->form().Snapshot(large.strip->box());
    EXPECT_EQ(twice.Width(), 2 * DeviceStrip::kWidth);
    EXPECT_EQ(twice.Height(), 2 * DeviceStrip::kHeight);
}

TEST(DeviceStrip, AClickInTheListChoosesASourceOrNone) {
    Strip s;
    s.click(s.listCentre());
    ASSERT_TRUE(s.strip->midiList().DroppedDown()) << "the list opens, above the strip";
    EXPECT_EQ(s.listShown, std::vector<bool>{true});
    EXPECT_EQ(s.backdrops, 1) << "the panel's pixels are taken as the list opens";
    s.click(s.rowCentre(1));
    EXPECT_FALSE(s.strip->midiList().DroppedDown());
    EXPECT_EQ(s.chosen, std::vector<std::string>{kKit});
    EXPECT_EQ(s.listShown, (std::vector<bool>{true, false})) << "the strip's window goes back under the panel";

    s.status.midiSource = kKit;
    s.click(s.listCentre());
    s.click(s.rowCentre(0));
    EXPECT_EQ(s.chosen, (std::vector<std::string>{kKit, ""})) << "(none) lets every source go";

    // Opening and closing the list without choosing chooses nothing.
    s.click(s.listCentre());
    s.click(s.listCentre());
    EXPECT_EQ(s.chosen.size(), 2u);
    EXPECT_EQ(s.listShown.back(), false);
}

TEST(DeviceStrip, TheRefreshFollowsTheAudioSideButLeavesAnOpenListAlone) {
    Strip s;
    s.status.sampleRate = 44100;
    s.status.xruns = 4;
    s.status.midiSources = {kKit};
    s.status.midiSource.clear();
    s.tick();
    EXPECT_EQ(s.caption(0), "JACK  44100 Hz  64 frames");
    EXPECT_EQ(s.caption(1), "CPU 12.5 %  xruns 4");
    EXPECT_EQ(s.strip->midiList().Items(), (std::vector<std::string>{DeviceStrip::kNoMidi, kKit}));
    EXPECT_EQ(s.strip->midiList().ItemIndex(), 0);

    s.click(s.listCentre());
    ASSERT_TRUE(s.strip->midiList().DroppedDown());
    s.status.midiSources = {kKit, kProbe};
    s.tick();
    EXPECT_TRUE(s.strip->midiList().DroppedDown()) << "a new source does not close the list under the pointer";
    EXPECT_EQ(s.strip->midiList().Items().size(), 2u);
    s.click(s.listCentre());
    s.tick();
    EXPECT_EQ(s.strip->midiList().Items().size(), 3u) << "the next refresh lists it";

    // A source still connected but no longer listed stays shown as the choice.
    s.status.midiSources = {kKit};
    s.status.midiSource = kProbe;
    s.tick();
    EXPECT_EQ(s.strip->midiList().Text(), kProbe);
}

}  // namespace
}  // namespace tamrik::test
