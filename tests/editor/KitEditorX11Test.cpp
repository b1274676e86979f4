// DrumTamrikKit.so's panel in a real X11 window, as a Linux host drives it:
// the rectangle sizes the host's window for the whole kit panel, a click
// selects a pad, Learn takes the next note played, a right-click auditions
// a pad; all seen from outside, through the record's entries only.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "PluginInstance.h"
#include "editor/KitForm.h"
#include "kit/KitMap.h"

// Last: Xlib's macros (None, Bool, Status) would break the headers above.
#include "X11HostWindow.h"

namespace tamrik::test {
namespace {

using namespace vst;

// The middle of pad p and of the Learn button, in the panel's pixels.
std::pair<int, int> PadAt(int p) { return {8 + (p % 8) * 61 + 28, KitForm::kKitTop + 16 + (p / 8) * 32 + 15}; }
constexpr std::pair<int, int> kLearn{72 + 20, KitForm::kKitTop + 106};

void Click(HostDisplay& x, std::pair<int, int> at, unsigned button = 1) {
    x.Move(at.first, at.second);
    XTestFakeButtonEvent(x.display, button, True, CurrentTime);
    XTestFakeButtonEvent(x.display, button, False, CurrentTime);
    XFlush(x.display);
}

TEST(KitX11Editor, AHostOpensTheKitPanelSelectsLearnsAuditionsAndCloses) {
    OPEN_TEST_DISPLAY(x);
    PluginInstance kit(TAMRIK_KIT_PATH);
    const auto idle = [&] { kit.dispatch(effEditIdle); };
    ERect* r = nullptr;
    ASSERT_EQ(kit.dispatch(effEditGetRect, 0, 0, &r), 1);
    ASSERT_EQ(std::vector<int>({r->top, r->left, r->bottom, r->right}), (std::vector<int>{0, 0, 628, 505}))
        << "the whole kit panel, asked before open";
    XResizeWindow(x.display, x.window, 505, 628);
    ASSERT_EQ(kit.dispatch(effEditOpen, 0, 0, x.handle()), 1);
    const std::vector<::Window> children = x.Children();
    ASSERT_EQ(children.size(), 1u) << "the panel is a direct child of the host's window";
    XWindowAttributes a{};
    ASSERT_TRUE(XGetWindowAttributes(x.display, children[0], &a));
    EXPECT_EQ(a.map_state, IsViewable);
    EXPECT_EQ(std::vector<int>({a.width, a.height}), std::vector<int>({505, 628}));
    EXPECT_TRUE(WaitUntilDrawn(x, idle));

    // Pad 3, then Learn, then a note: pad 3 moves to that key.
    const int32_t key = kit::padIndex(2, kit::kSoundParameters + kit::kKey);
    Click(x, PadAt(2));
    Drain(x.display, idle);
    Click(x, kLearn);
    Drain(x.display, idle);
    kit.note(70, 100);
    kit.loudness(64);
    EXPECT_TRUE(IdleUntil(idle, [&] { return kit.getParameter(key) == kit::valueOfStep(70, 127); }))
        << "Learn did not take the note";

    // A right-click on pad 8 sounds it in the next blocks.
    // What the learned note played dies away first.
    for (int blocks = 0; kit.loudness(64) > 0.0 && blocks < 100000; ++blocks) continue;
    ASSERT_EQ(kit.loudness(64), 0.0);
    Click(x, PadAt(7), 3);
    EXPECT_TRUE(IdleUntil(idle, [&] { return kit.loudness(64) > 0.0; })) << "no audition";

    kit.dispatch(effEditClose);
    EXPECT_TRUE(x.Children().empty()) << "destroyed when effEditClose returns";
    EXPECT_EQ(XSetErrorHandler(&Sentinel), &Sentinel) << "no handler of ours left installed";
}

}  // namespace
}  // namespace tamrik::test
