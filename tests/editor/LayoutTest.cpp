// What a host and a user see of the panel: the whole panel drawn offscreen
// with the built-in face, locked by a hash of its pixels (any change of
// layout, caption, initial state or look shows), the size and place a host
// gives it, and the rectangle and open/close protocol of the dispatcher.
// After a deliberate change of look, TAMRIK_PRINT_GOLDEN=1 prints the new
// hash and TAMRIK_GOLDEN_PNG=FILE.png saves the picture to look at first.
//
// Every form in this program uses the built-in face, so that the logo,
// drawn once per process, is drawn with it too.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "EditorHost.h"

namespace tamrik::test {
namespace {

using namespace tk;

constexpr uint64_t kPanelGolden = 0xdd10e499fbf1cd56ull;

uint64_t HashOf(const PixelBuffer& picture) {
    uint64_t h = 1469598103934665603ull;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            for (int k = 0; k < 4; ++k) {
                h ^= (picture.Row(y)[x] >> (8 * k)) & 0xFF;
                h *= 1099511628211ull;
            }
    return h;
}

struct Panel : EditorHost {
    Panel() : EditorHost(OffscreenBackend::Faces::BuiltIn) {}
};

TEST(Layout, ThePanelDrawsAsItAlwaysHas) {
    Panel host;
    ASSERT_EQ(host.openEditor(), 1);
    host.tick();
    TForm1& f = host.form();
    const PixelBuffer picture = f.Snapshot(f);
    ASSERT_EQ(picture.Width(), 505);
    ASSERT_EQ(picture.Height(), 313);
    const uint64_t hash = HashOf(picture);
    if (const char* png = std::getenv("TAMRIK_GOLDEN_PNG")) picture.SavePng(png);
    if (std::getenv("TAMRIK_PRINT_GOLDEN")) std::printf("panel 0x%016llxull\n", static_cast<unsigned long long>(hash));
    EXPECT_EQ(hash, kPanelGolden);
    EXPECT_TRUE(host.automations().empty()) << "opening and the first refresh send nothing";
}

TEST(Layout, AHostSeesA505By313PanelAtItsWindowsOrigin) {
    Panel host;
    ASSERT_EQ(host.openEditor(), 1);
    TForm1& f = host.form();
    EXPECT_EQ(f.BoundsRect(), (TRect{0, 0, 505, 313}));
    EXPECT_EQ(f.GroupBox1->BoundsRect(), (TRect{0, 0, 505, 313})) << "the panel fills the form";
}

TEST(Bridge, TheRectangleIsThePanelsBeforeDuringAndAfterOpen) {
    Panel host;
    EXPECT_EQ(host.effect()->flags, vst::effFlagsHasEditor | vst::effFlagsCanReplacing | vst::effFlagsIsSynth);
    auto rect = [&] {
        vst::ERect* r = nullptr;
        EXPECT_EQ(host.dispatch(vst::effEditGetRect, 0, 0, &r), 1);
        return r ? std::vector<int>{r->top, r->left, r->bottom, r->right} : std::vector<int>{};
    };
    const std::vector<int> panel{0, 0, 313, 505};
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
