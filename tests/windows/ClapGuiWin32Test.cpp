// DrumTamrik.clap's panel in a Win32 host window: the gui extension embeds
// it as a child window at the panel's size, needs no timer of the host's
// (the host's message loop drives it), and create / set_parent / destroy
// cycles leave no window, GDI object or timer behind.
#include <gtest/gtest.h>
#include <windows.h>

#include "../clap/ClapTestHost.h"
#include "Win32HostWindow.h"

namespace tamrik::test {
namespace {

using namespace clap;

clap_window_t parentWindow() {
    clap_window_t w{};
    w.api = CLAP_WINDOW_API_WIN32;
    w.win32 = HostWindow();
    return w;
}

TEST(ClapGuiWin32, EmbedsThePanelAsAChildWindowWithoutHostTimers) {
    ClapInstance p;
    p.host().offerTimers = false;
    const clap_plugin_gui_t& gui = p.gui();
    EXPECT_TRUE(gui.is_api_supported(p.plugin(), CLAP_WINDOW_API_WIN32, false));
    EXPECT_FALSE(gui.is_api_supported(p.plugin(), CLAP_WINDOW_API_X11, false));
    EXPECT_FALSE(gui.is_api_supported(p.plugin(), CLAP_WINDOW_API_WIN32, true));
    const char* api = nullptr;
    bool floating = true;
    ASSERT_TRUE(gui.get_preferred_api(p.plugin(), &api, &floating));
    EXPECT_STREQ(api, CLAP_WINDOW_API_WIN32);

    ASSERT_TRUE(gui.create(p.plugin(), CLAP_WINDOW_API_WIN32, false));
    const clap_window_t parent = parentWindow();
    ASSERT_TRUE(gui.set_parent(p.plugin(), &parent));
    ASSERT_TRUE(gui.show(p.plugin()));
    EXPECT_TRUE(Drain());
    const std::vector<HWND> children = Children(HostWindow());
    ASSERT_EQ(children.size(), 1u);
    RECT r{};
    GetClientRect(children[0], &r);
    EXPECT_EQ(r.right - r.left, 505);
    EXPECT_EQ(r.bottom - r.top, 481);
    EXPECT_TRUE(IsWindowVisible(children[0]));
    ASSERT_TRUE(gui.hide(p.plugin()));
    EXPECT_FALSE(IsWindowVisible(children[0]));
    gui.destroy(p.plugin());
    EXPECT_TRUE(Drain());
    EXPECT_TRUE(Children(HostWindow()).empty());
    EXPECT_EQ(p.host().timerRegistrations, 0);
}

TEST(ClapGuiWin32, CyclesLeaveNoWindowAndNoGdiObject) {
    const clap_window_t parent = parentWindow();
    ClapInstance p;
    int windows = 0, objects = 0;
    // Two cycles warm up: the logo is drawn once per process and, under
    // wine, the second panel still adds two objects for good; from then on
    // a cycle must add nothing.
    for (int i = -2; i < 100; ++i) {
        if (i == 0) windows = CountWindows(), objects = CountGdiObjects();
        ASSERT_TRUE(p.gui().create(p.plugin(), CLAP_WINDOW_API_WIN32, false)) << i;
        EXPECT_TRUE(p.gui().set_scale(p.plugin(), 1.0));
        ASSERT_TRUE(p.gui().set_parent(p.plugin(), &parent)) << i;
        p.gui().show(p.plugin());
        EXPECT_TRUE(Drain()) << i;
        p.gui().destroy(p.plugin());
    }
    EXPECT_EQ(CountWindows(), windows);
    EXPECT_EQ(CountGdiObjects(), objects);
    EXPECT_TRUE(p.host().timers.empty());
}

}  // namespace
}  // namespace tamrik::test
