// The VST 3 bundles' editor in real Win32 windows (wine under Xvfb), as a
// Windows host drives it: a frame without a run loop (Windows hosts have
// none), the view attached to the host's HWND, the host's message loop
// dispatching and the user's mouse through SendInput. The panel shows what
// the VST 2 DLL's shows, pixel for pixel; a drag reaches the component
// handler as one gesture; a hundred attach/remove cycles leave no window or
// GDI object behind.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <utility>
#include <vector>

#include "../vst3/Vst3TestHost.h"
#include "HitPlotArea.h"
#include "HostHarness.h"
#include "Win32HostWindow.h"
#include "Win32Input.h"
#include "synth/ParameterTable.h"

namespace tamrik::test {
namespace {

using namespace vst3;
using Kind = Edit::Kind;

// The instance's editor as a Windows host holds it: made, given a frame
// that offers no run loop, released.
struct View {
    View(Vst3Instance& p, PlugFrame& frame) {
        frame.offerRunLoop = false;
        view = v3_cpp_obj(p.controller)->create_view(p.controller, "editor");
        if (view) v3_cpp_obj(view)->set_frame(view, frame.frame());
    }
    ~View() {
        if (view) v3_cpp_obj_unref(view);
    }
    View(const View&) = delete;
    View& operator=(const View&) = delete;
    v3_plugin_view* operator->() const { return v3_cpp_obj(view); }
    v3_result attach(HWND parent) const { return (*this)->attached(view, parent, V3_VIEW_PLATFORM_TYPE_HWND); }
    v3_plugin_view** view = nullptr;
};

std::pair<LONG, LONG> ClientSize(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

// What a window shows on the screen, child windows included, in one copy.
std::vector<uint32_t> Screenshot(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    const POINT origin = OnScreen(window, 0, 0);
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<uint32_t> pixels;
    if (dib && bits) {
        const HGDIOBJ old = SelectObject(memory, dib);
        if (BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY)) {
            GdiFlush();
            const auto* p = static_cast<const uint32_t*>(bits);
            for (size_t i = 0; i < size_t(width) * size_t(height); ++i) pixels.push_back(p[i] & 0xFFFFFF);
        }
        SelectObject(memory, old);
    }
    if (dib) DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

TEST(Vst3EditorWin32, AtOneHundredPercentThePanelShowsWhatTheVst2DllShows) {
    HostHarness vst2;
    ASSERT_EQ(vst2.dispatch(vst::effEditOpen, 0, 0, HostWindow(1)), 1);
    Vst3Instance p;
    PlugFrame frame;
    View v(p, frame);
    ASSERT_EQ(v.attach(HostWindow(0)), V3_OK);
    ASSERT_EQ(Children(HostWindow(0)).size(), 1u);
    ASSERT_EQ(Children(HostWindow(1)).size(), 1u);
    const HWND panels[2] = {Children(HostWindow(0))[0], Children(HostWindow(1))[0]};
    ASSERT_TRUE(WaitUntilDrawn(panels[0]) && WaitUntilDrawn(panels[1]));
    const std::vector<uint32_t> vst3 = Screenshot(panels[0]), reference = Screenshot(panels[1]);
    ASSERT_EQ(vst3.size(), size_t(505 * 481));
    ASSERT_EQ(reference.size(), vst3.size());
    EXPECT_GT(std::set<uint32_t>(vst3.begin(), vst3.end()).size(), 16u) << "a panel, not an empty window";
    const HitPlotArea plot = HitPlotAreaOf(481);
    size_t differing = 0;
    for (size_t i = 0; i < vst3.size(); ++i)
        differing += vst3[i] != reference[i] && !plot.contains(int(i % 505), int(i / 505));
    EXPECT_EQ(differing, 0u) << "pixels that differ from the VST 2 panel";
    EXPECT_EQ(v->removed(v.view), V3_OK);
    vst2.dispatch(vst::effEditClose);
    EXPECT_TRUE(Drain());
}

TEST(Vst3EditorWin32, EmbedsThePanelInTheHostsWindowAndADragIsOneGestureOfTheHandler) {
    const HWND window = HostWindow();
    ComponentHandler handler;  // outlives the instance, which holds it to the end
    Vst3Instance p;
    ASSERT_EQ(v3_cpp_obj(p.controller)->set_component_handler(p.controller, handler.handler()), V3_OK);
    PlugFrame frame;
    View v(p, frame);
    ASSERT_NE(v.view, nullptr);
    EXPECT_EQ(v->is_platform_type_supported(v.view, V3_VIEW_PLATFORM_TYPE_HWND), V3_OK);
    EXPECT_NE(v->is_platform_type_supported(v.view, V3_VIEW_PLATFORM_TYPE_X11), V3_OK);

    ASSERT_EQ(v.attach(window), V3_OK) << "the host's message loop drives it: no run loop needed";
    EXPECT_EQ(v.attach(window), V3_FALSE) << "attached already";
    const std::vector<HWND> children = Children(window);
    ASSERT_EQ(children.size(), 1u) << "the panel is a direct child of the host's window";
    const HWND form = children[0];
    EXPECT_EQ(ClientSize(form), (std::pair<LONG, LONG>{505, 481}));
    EXPECT_TRUE(GetWindowLongA(form, GWL_STYLE) & WS_CHILD);
    EXPECT_TRUE(WaitUntilDrawn(form));
    EXPECT_TRUE(handler.edits.empty()) << "showing sends nothing";

    Drag(form, kCutOffKnob, 20, 0);
    EXPECT_TRUE(PumpUntil([&] { return !handler.edits.empty() && handler.edits.back().kind == Kind::End; }));
    std::vector<Edit> expected{{Kind::Begin, kCutOff, 0.0}};
    for (int k = 51; k <= 60; ++k) expected.push_back({Kind::Perform, kCutOff, double(float(k) / 100.0f)});
    expected.push_back({Kind::End, kCutOff, 0.0});
    EXPECT_EQ(handler.edits, expected);
    EXPECT_EQ(v3_cpp_obj(p.controller)->get_parameter_normalised(p.controller, kCutOff), double(0.6f));

    EXPECT_EQ(v->removed(v.view), V3_OK);
    EXPECT_TRUE(Drain());
    EXPECT_TRUE(Children(window).empty());
    EXPECT_EQ(frame.runLoop.registrations, 0);

    // The Kit's panel, at its own size.
    Vst3Instance kit(kKitPath);
    PlugFrame kitFrame;
    View k(kit, kitFrame);
    ASSERT_EQ(k.attach(window), V3_OK);
    ASSERT_EQ(Children(window).size(), 1u);
    EXPECT_EQ(ClientSize(Children(window)[0]), (std::pair<LONG, LONG>{505, 628}));
    EXPECT_EQ(k->removed(k.view), V3_OK);
    EXPECT_TRUE(Children(window).empty());
}

TEST(Vst3EditorWin32, AHundredCyclesLeaveNoWindowAndNoGdiObject) {
    const HWND window = HostWindow();
    Vst3Instance p;
    PlugFrame frame;
    {  // warm-up: the logo, drawn once per process
        View v(p, frame);
        ASSERT_EQ(v.attach(window), V3_OK);
        EXPECT_TRUE(Drain());
        v->removed(v.view);
    }
    const int windows = CountWindows(), objects = CountGdiObjects();
    for (int i = 0; i < 100; ++i) {
        View v(p, frame);
        ASSERT_EQ(v.attach(window), V3_OK) << i;
        EXPECT_TRUE(Drain()) << i;
        ASSERT_EQ(v->removed(v.view), V3_OK) << i;
    }
    {  // a host that lets the view go attached
        View v(p, frame);
        ASSERT_EQ(v.attach(window), V3_OK);
        EXPECT_TRUE(Drain());
    }
    EXPECT_TRUE(Children(window).empty());
    EXPECT_EQ(CountWindows(), windows);
    EXPECT_EQ(CountGdiObjects(), objects);
    EXPECT_EQ(frame.refs, 0) << "every view let its frame go";
}

}  // namespace
}  // namespace tamrik::test
