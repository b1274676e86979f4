// The real plug-in library in a real X11 window (Xvfb in CI), driven as a
// Linux host drives it: a top-level window of the host's own connection,
// effEditOpen into it, effEditIdle about 30 times a second, the user's
// mouse through XTest. Also: parents that are not windows are refused
// without a crash, no X error handler of ours stays installed, and open
// and close cycles leave no window and no connection behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "HostHarness.h"
#include "OpenDescriptors.h"
#include "UserSettingsFolder.h"
#include "toolkit/FontFace.h"

// Last: Xlib's macros (None, Bool, Status) would break the headers above.
#include "X11HostWindow.h"

namespace tamrik::test {
namespace {

using namespace vst;

bool WaitFor(HostHarness& host, const std::function<bool()>& done) {
    return IdleUntil([&] { host.dispatch(effEditIdle); }, done);
}

std::vector<float> AutomatedValues(HostHarness& host, int32_t index) {
    std::vector<float> values;
    for (const HostRequest& r : host.requests(audioMasterAutomate))
        if (r.index == index) values.push_back(r.opt);
    return values;
}

void DragKnob(HostDisplay& x, HostHarness& host, int pixels) {
    EXPECT_TRUE(DragCutOffKnob(x, [&] { host.dispatch(effEditIdle); }, pixels,
                               [&] { return AutomatedValues(host, 4).size(); }))
        << "a step of the drag reported nothing";
}

std::vector<unsigned long> KnobPixels(HostDisplay& x) {
    return ScreenPixels(x, kKnobX - 16, kKnobY - 16, 33, 33);
}

std::vector<int> Rect(HostHarness& host) {
    ERect* r = nullptr;
    if (host.dispatch(effEditGetRect, 0, 0, &r) != 1 || !r) return {};
    return {r->top, r->left, r->bottom, r->right};
}

TEST(X11Editor, AtTwoHundredPercentTheWindowIsTwiceAsLargeAndADragMeansTheSame) {
    OPEN_TEST_DISPLAY(x);
    const UserSettingsFolder settings("tamrik-x11", 200);
    HostHarness host;
    const std::vector<int> rect = Rect(host);
    ASSERT_EQ(rect, (std::vector<int>{0, 0, 962, 1010})) << "the user's scale, before open";
    XResizeWindow(x.display, x.window, unsigned(rect[3]), unsigned(rect[2]));  // as a host sizes its window
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, x.handle()), 1);
    const std::vector<::Window> children = x.Children();
    ASSERT_EQ(children.size(), 1u);
    XWindowAttributes a{};
    ASSERT_TRUE(XGetWindowAttributes(x.display, children[0], &a));
    EXPECT_EQ(std::vector<int>({a.width, a.height}), std::vector<int>({1010, 962}));
    EXPECT_TRUE(WaitUntilDrawn(x, [&] { host.dispatch(effEditIdle); }, 2));
    EXPECT_TRUE(DragCutOffKnob(x, [&] { host.dispatch(effEditIdle); }, 20,
                               [&] { return AutomatedValues(host, 4).size(); }, 0, 2));
    const std::vector<float> cutoff = AutomatedValues(host, 4);
    ASSERT_FALSE(cutoff.empty());
    for (size_t i = 0; i < cutoff.size(); ++i) EXPECT_EQ(cutoff[i], float(51 + int(i)) / 100.0f) << "as at 100 %";
    EXPECT_EQ(cutoff.back(), 0.6f);
    EXPECT_EQ(host.requests(audioMasterBeginEdit).size(), 1u) << "the drag is one edit";
    EXPECT_EQ(host.requests(audioMasterEndEdit).size(), 1u);
    host.dispatch(effEditClose);
}

TEST(X11Editor, AHostOpensItTurnsAKnobPicksAPresetAutomatesAndCloses) {
    OPEN_TEST_DISPLAY(x);
    const UserSettingsFolder settings("tamrik-x11");
    HostHarness host;
    const std::vector<int> panel{0, 0, 481, 505};  // the panel and the strip
    EXPECT_EQ(Rect(host), panel) << "asked before open, to size the window";
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, x.handle()), 1);
    const std::vector<::Window> children = x.Children();
    ASSERT_EQ(children.size(), 1u) << "the panel is a direct child of the host's window";
    XWindowAttributes a{};
    ASSERT_TRUE(XGetWindowAttributes(x.display, children[0], &a));
    EXPECT_EQ(a.map_state, IsViewable) << "mapped when effEditOpen returns";
    EXPECT_EQ(std::vector<int>({a.x, a.y, a.height, a.width}), std::vector<int>({0, 0, 481, 505}));
    EXPECT_EQ(Rect(host), panel);
    EXPECT_TRUE(WaitUntilDrawn(x, [&] { host.dispatch(effEditIdle); }));
    EXPECT_TRUE(host.requests(audioMasterAutomate).empty()) << "opening sends nothing";

    DragKnob(x, host, 20);
    const std::vector<float> cutoff = AutomatedValues(host, 4);
    ASSERT_FALSE(cutoff.empty());
    for (size_t i = 0; i < cutoff.size(); ++i) {
        const float expected = float(51 + int(i)) / 100.0f;
        EXPECT_EQ(cutoff[i], expected) << "one report per new value, in steps of 0.01";
    }
    EXPECT_EQ(cutoff.back(), 0.6f);
    EXPECT_EQ(host.requests(audioMasterAutomate).size(), cutoff.size()) << "only CutOff was touched";
    EXPECT_EQ(host.getParameter(4), 0.6f);

    // A preset from ComboBox6: it opens downwards from (400, 220), over the
    // strip and the hit row, title first.
    host.clearRequests();
    const int row = tk::OpenSystemFontFace("Times New Roman", 12)->LineHeight() + 2;
    const int slash = 220 + 1 + 5 * row + row / 2;
    const std::vector<unsigned long> closed = ScreenPixels(x, 410, slash - row / 2, 60, row);
    x.Move(440, 210);
    x.Button(true);
    x.Button(false);
    EXPECT_TRUE(WaitFor(host, [&] { return ScreenPixels(x, 410, slash - row / 2, 60, row) != closed; }))
        << "the list did not open";
    x.Move(440, slash);
    x.Button(true);
    x.Button(false);
    EXPECT_TRUE(WaitFor(host, [&] { return host.requests(audioMasterAutomate).size() >= 21; }));
    Drain(x.display, [&] { host.dispatch(effEditIdle); });
    EXPECT_EQ(host.requests(audioMasterAutomate).size(), 21u) << "the preset, and nothing sent back";
    EXPECT_EQ(host.getParameter(8), 1.0f) << "Slash: noise on Osc1";

    // The host automates CutOff; the knob follows without a report, and a
    // drag then starts from where it went.
    host.clearRequests();
    const std::vector<unsigned long> knob = KnobPixels(x);
    host.setParameter(4, 0.2f);
    EXPECT_TRUE(WaitFor(host, [&] { return KnobPixels(x) != knob; })) << "the knob did not follow";
    EXPECT_TRUE(host.requests(audioMasterAutomate).empty());
    DragKnob(x, host, 4);
    EXPECT_EQ(AutomatedValues(host, 4), (std::vector<float>{0.21f, 0.22f}));

    host.dispatch(effEditClose);
    EXPECT_TRUE(x.Children().empty()) << "destroyed, not only unmapped, when effEditClose returns";
    EXPECT_EQ(Rect(host), panel);
    EXPECT_EQ(XSetErrorHandler(&Sentinel), &Sentinel) << "no handler of ours left installed";
}

TEST(X11Editor, ParentsThatAreNotWindowsAreAnsweredZero) {
    OPEN_TEST_DISPLAY(x);
    const ::Window gone = XCreateSimpleWindow(x.display, x.window, 0, 0, 5, 5, 0, 0, 0);
    XDestroyWindow(x.display, gone);
    const Pixmap pixmap = XCreatePixmap(x.display, x.window, 4, 4, unsigned(DefaultDepth(x.display, 0)));
    XSync(x.display, False);
    HostHarness host;
    for (uintptr_t bad : {uintptr_t(gone), uintptr_t(pixmap), uintptr_t(0x7FFFFFF0), uintptr_t(0)}) {
        EXPECT_EQ(host.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(bad)), 0) << bad;
        host.dispatch(effEditIdle);
        EXPECT_EQ(Rect(host), (std::vector<int>{0, 0, 481, 505}));
    }
    host.dispatch(effEditClose);
    EXPECT_EQ(XSetErrorHandler(&Sentinel), &Sentinel);
    XFreePixmap(x.display, pixmap);

    // Hosts may make their editor calls from a thread of their own, with a
    // nonzero value.
    std::thread([&] {
        EXPECT_EQ(host.dispatch(effEditOpen, 0, 1, x.handle()), 1) << "nothing was left counted";
        host.dispatch(effEditIdle);
    }).join();
    EXPECT_EQ(x.Children().size(), 1u);
    std::thread([&] {
        host.dispatch(effEditIdle);
        host.dispatch(effEditClose);
    }).join();
    EXPECT_TRUE(x.Children().empty());
}

TEST(X11Editor, AHundredOpenAndCloseCyclesLeaveNothingBehind) {
    OPEN_TEST_DISPLAY(x);
    HostHarness host;
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, x.handle()), 1);  // warm-up: fontconfig's caches
    host.dispatch(effEditClose);
    const int descriptors = OpenDescriptors();
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, x.handle()), 1);
        host.dispatch(effEditIdle);
        host.dispatch(effEditClose);
        ASSERT_TRUE(x.Children().empty()) << "cycle " << i;
    }
    EXPECT_EQ(OpenDescriptors(), descriptors) << "a display connection leaked";
}

}  // namespace
}  // namespace tamrik::test
