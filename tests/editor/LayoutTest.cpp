// What a host and a user see of the panel: the whole panel drawn offscreen
// with the built-in face, locked by a hash of its pixels (any change of
// layout, caption, initial state or look shows), the strip below it the same
// way, the size and place a host gives them, and the rectangle and
// open/close protocol of the dispatcher.
// The same at 150 % and 200 %, where every control is drawn afresh at the
// scaled size. After a deliberate change of look, TAMRIK_PRINT_GOLDEN=1
// prints the new hashes and TAMRIK_GOLDEN_PNG=PREFIX saves the pictures
// (PREFIX-100.png, ...) to look at first. The hit row below the strip is
// locked the same way, over the default sound as the instrument renders it.
//
// Every form in this program uses the built-in face, so that the logo,
// drawn once per process, is drawn with it too.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "EditorHost.h"
#include "Hashing.h"

namespace tamrik::test {
namespace {

using namespace tk;

constexpr uint64_t kPanelGolden = 0xdd10e499fbf1cd56ull;
constexpr uint64_t kPanelGolden150 = 0x2c6a3c4d15809217ull;
constexpr uint64_t kPanelGolden200 = 0x895573f7ea776058ull;
constexpr uint64_t kStripGolden = 0x3f78d8a10ce32bf3ull;
constexpr uint64_t kKitPanelGolden = 0x87387bf484db87e6ull;
constexpr uint64_t kHitRowGolden = 0xec9a57ea36144a53ull;
constexpr uint64_t kHitRowGolden200 = 0x3f845b2140192693ull;

uint64_t HashOf(const PixelBuffer& picture) {
    Fnv1a h;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) h.add(picture.Row(y)[x]);
    return h.value();
}

struct Panel : EditorHost {
    Panel() : EditorHost(OffscreenBackend::Faces::BuiltIn) {}
};

// The whole panel (or the strip) after the first refresh, at a scale.
PixelBuffer PanelAt(int percent, bool strip = false) {
    Panel host;
    EXPECT_EQ(host.openEditor(), 1);
    TForm1& f = host.form();
    f.Strip->SetUserPresetDirectory({});
    f.SetScale(Scale(percent));
    host.tick();
    PixelBuffer picture = f.Snapshot(strip ? static_cast<TWinControl&>(*f.Strip) : *f.GroupBox1);
    if (const char* prefix = std::getenv("TAMRIK_GOLDEN_PNG"))
        f.Snapshot(f).SavePng(std::string(prefix) + "-" + std::to_string(percent) + ".png");
    EXPECT_TRUE(host.automations().empty()) << "opening and the first refresh send nothing";
    return picture;
}

void ExpectGolden(const PixelBuffer& picture, int percent, uint64_t golden) {
    const uint64_t hash = HashOf(picture);
    if (std::getenv("TAMRIK_PRINT_GOLDEN"))
        std::printf("%d %% 0x%016llxull\n", percent, static_cast<unsigned long long>(hash));
    EXPECT_EQ(hash, golden) << percent << " %";
}

TEST(Layout, ThePanelDrawsAsItAlwaysHas) {
    const PixelBuffer picture = PanelAt(100);
    ASSERT_EQ(picture.Width(), 505);
    ASSERT_EQ(picture.Height(), 313);
    ExpectGolden(picture, 100, kPanelGolden);
}

TEST(Layout, TheStripBelowThePanel) {
    const PixelBuffer picture = PanelAt(100, true);
    ASSERT_EQ(picture.Width(), 505);
    ASSERT_EQ(picture.Height(), 48);
    ExpectGolden(picture, 0, kStripGolden);
}

TEST(Layout, ScaledPanelsAreLockedToo) {
    const PixelBuffer at150 = PanelAt(150), at200 = PanelAt(200);
    EXPECT_EQ(at150.Width(), 758);
    EXPECT_EQ(at150.Height(), 470);
    EXPECT_EQ(at200.Width(), 1010);
    EXPECT_EQ(at200.Height(), 626);
    ExpectGolden(at150, 150, kPanelGolden150);
    ExpectGolden(at200, 200, kPanelGolden200);
}

// Drawn afresh, not enlarged: a knob's body is a circle of the doubled
// diameter rasterised anew, its pointer and ticks are placed on the doubled
// geometry, so the picture differs from every pixel doubled.
TEST(Layout, TwoHundredPercentIsNotAPixelDoubledHundred) {
    const PixelBuffer small = PanelAt(100), large = PanelAt(200);
    ASSERT_EQ(large.Width(), 2 * small.Width());
    ASSERT_EQ(large.Height(), 2 * small.Height());
    auto differing = [&](const TRect& area) {
        int count = 0;
        for (int y = area.Top; y < area.Bottom; ++y)
            for (int x = area.Left; x < area.Right; ++x) count += large.At(x, y) != small.At(x / 2, y / 2);
        return count;
    };
    EXPECT_GT(differing(large.Bounds()), 1000);
    // A knob on its own: Tsumami3 (CutOff) lies at (152, 232) in the form.
    EXPECT_GT(differing({2 * 152, 2 * 232, 2 * 185, 2 * 265}), 40);
}

// DrumTamrik Kit's whole panel at its default state ("Init", pad 1
// selected): above the kit area, DrumTamrik's panel and strip pixel for
// pixel, since pad 1 has DrumTamrik's defaults.
TEST(Layout, TheKitPanelDrawsTheSoundPanelAboveThePads) {
    EditorHost host(OffscreenBackend::Faces::BuiltIn, Hosted::Kit);
    ASSERT_EQ(host.openEditor(), 1);
    KitForm& f = host.kitForm();
    f.Strip->SetUserPresetDirectory({});
    host.tick();
    const PixelBuffer whole = f.Snapshot(f);
    if (const char* prefix = std::getenv("TAMRIK_GOLDEN_PNG")) whole.SavePng(std::string(prefix) + "-kit.png");
    EXPECT_TRUE(host.automations().empty()) << "opening and the first refresh send nothing";
    ASSERT_EQ(whole.Width(), 505);
    ASSERT_EQ(whole.Height(), 628) << "the hit row below the kit area";
    // Everything above the hit row as it always was.
    ExpectGolden(whole.Crop({0, 0, 505, 508}), 0, kKitPanelGolden);
    ExpectGolden(f.Snapshot(*f.GroupBox1), 100, kPanelGolden);
    ExpectGolden(f.Snapshot(*f.Strip), 0, kStripGolden);
}

// The hit row below the strip, once the default sound's hit is whole.
PixelBuffer HitRowAt(int percent) {
    Panel host;
    EXPECT_EQ(host.openEditor(), 1);
    TForm1& f = host.form();
    f.Strip->SetUserPresetDirectory({});
    f.SetScale(Scale(percent));
    for (int ticks = 0; ticks < 100 && (ticks == 0 || f.View->Rendering()); ++ticks) host.tick();
    EXPECT_FALSE(f.View->Rendering());
    PixelBuffer picture = f.Snapshot(*f.View);
    if (const char* prefix = std::getenv("TAMRIK_GOLDEN_PNG"))
        picture.SavePng(std::string(prefix) + "-row-" + std::to_string(percent) + ".png");
    return picture;
}

TEST(Layout, TheHitRowDrawsTheDefaultSound) {
    const PixelBuffer at100 = HitRowAt(100), at200 = HitRowAt(200);
    EXPECT_EQ(std::vector<int>({at100.Width(), at100.Height(), at200.Width(), at200.Height()}),
              std::vector<int>({505, 120, 1010, 240}));
    ExpectGolden(at100, 100, kHitRowGolden);
    ExpectGolden(at200, 200, kHitRowGolden200);
}

TEST(Layout, EveryScaleStepGivesThePanelItsScaledSize) {
    Panel host;
    ASSERT_EQ(host.openEditor(), 1);
    TForm1& f = host.form();
    for (int percent : kScaleSteps) {
        f.SetScale(Scale(percent));
        const PixelBuffer picture = f.Snapshot(f);
        EXPECT_EQ(picture.Width(), (505 * percent + 50) / 100) << percent;
        EXPECT_EQ(picture.Height(), (481 * percent + 50) / 100) << percent;
        EXPECT_EQ(f.BoundsRect(), (TRect{0, 0, 505, 481})) << "the layout stays in logical pixels";
    }
}

TEST(Layout, AHostSeesThe505By313PanelAtItsWindowsOriginAndTheStripBelow) {
    Panel host;
    ASSERT_EQ(host.openEditor(), 1);
    TForm1& f = host.form();
    EXPECT_EQ(f.BoundsRect(), (TRect{0, 0, 505, 481}));
    EXPECT_EQ(f.GroupBox1->BoundsRect(), (TRect{0, 0, 505, 313})) << "the panel as it always was";
    EXPECT_EQ(f.Strip->BoundsRect(), (TRect{0, 313, 505, 361}));
    EXPECT_EQ(f.View->BoundsRect(), (TRect{0, 361, 505, 481}));
}

TEST(Bridge, TheRectangleIsThePanelsBeforeDuringAndAfterOpen) {
    Panel host;
    EXPECT_EQ(host.effect()->flags, vst::effFlagsHasEditor | vst::effFlagsCanReplacing | vst::effFlagsIsSynth);
    auto rect = [&] {
        vst::ERect* r = nullptr;
        EXPECT_EQ(host.dispatch(vst::effEditGetRect, 0, 0, &r), 1);
        return r ? std::vector<int>{r->top, r->left, r->bottom, r->right} : std::vector<int>{};
    };
    const std::vector<int> panel{0, 0, 481, 505};
    EXPECT_EQ(rect(), panel) << "before the first open";
    ASSERT_EQ(host.openEditor(), 1);
    EXPECT_EQ(rect(), panel);
    host.dispatch(vst::effEditClose);
    EXPECT_EQ(host.editor().getForm(), nullptr);
    EXPECT_EQ(rect(), panel) << "after the last close";
    EXPECT_EQ(host.dispatch(vst::effEditGetRect, 0, 0, nullptr), 0) << "nil address";

    EXPECT_EQ(host.dispatch(vst::effEditKeyDown, 65, 3, nullptr, 1.5f), -1);
    EXPECT_EQ(host.dispatch(vst::effEditKeyUp, 65, 3, nullptr, 1.5f), -1);
    EXPECT_EQ(host.dispatch(vst::effSetEditKnobMode, 0, 2), 0);
    for (int32_t opcode : {vst::effEditDraw, vst::effEditMouse, vst::effEditKey, vst::effEditTop, vst::effEditSleep})
        EXPECT_EQ(host.dispatch(opcode), 0) << opcode;
}

TEST(Bridge, OpensAreCountedAndAStrayCloseIsIgnored) {
    Panel host;
    host.dispatch(vst::effEditClose);
    EXPECT_EQ(host.editor().getOpenCount(), 0) << "a close without an open";
    ASSERT_EQ(host.openEditor(), 1);
    TForm1* first = host.editor().getForm();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(host.screen().Visible());
    ASSERT_EQ(host.openEditor(), 1);
    EXPECT_EQ(host.editor().getForm(), first) << "a second open keeps the form";
    host.dispatch(vst::effEditClose);
    EXPECT_EQ(host.editor().getForm(), first);
    EXPECT_TRUE(host.screen().Visible());
    host.dispatch(vst::effEditClose);
    EXPECT_EQ(host.editor().getForm(), nullptr);
    host.dispatch(vst::effEditClose);
    EXPECT_EQ(host.editor().getOpenCount(), 0);
    ASSERT_EQ(host.openEditor(), 1);
    EXPECT_NE(host.editor().getForm(), nullptr);
}

TEST(Bridge, ClosingTheInstanceWithTheEditorOpenTakesTheFormFirst) {
    for (int opens : {1, 3}) {
        Panel host;
        for (int i = 0; i < opens; ++i) host.openEditor();
        host.tick();
        host.close();  // the sanitizers see any use of the instance after it went
    }
}

TEST(Bridge, AHundredOpenAndCloseCycles) {
    Panel host;
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(host.openEditor(), 1);
        host.tick();
        host.dispatch(vst::effEditClose);
        ASSERT_EQ(host.editor().getForm(), nullptr);
    }
    EXPECT_TRUE(host.automations().empty());
}

}  // namespace
}  // namespace tamrik::test
