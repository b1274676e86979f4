// The real DLL's editor in real Win32 windows (wine under Xvfb in CI),
// driven as a Windows host drives it: a top-level window of the host's,
// effEditOpen into it, the host's message loop dispatching, and the user's
// mouse through SendInput. Also: parents that are not windows, hosts that
// destroy their window first, a hundred open/close cycles leaving no window
// or GDI object behind, and two instances and two copies of the DLL. The
// Kit's DLL the same way: its whole panel, a pad selected, Learn, an
// audition by right-click. At the 200 % the user chose: the size the host
// is told and a drag that means what it does at 100 %. The platform's
// slider with the knobs' habits: readout, default, Shift, wheel.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "HostHarness.h"
#include "PluginInstance.h"
#include "kit/KitMap.h"
#include "Win32HostWindow.h"
#include "Win32Input.h"

namespace tamrik::test {
namespace {

using namespace vst;
namespace fs = std::filesystem;

std::string ClassOf(HWND hwnd) {
    char name[256] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

// child's rectangle in parent's client coordinates.
RECT InParent(HWND child, HWND parent) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::vector<float> Automated(HostHarness& host, int32_t index) {
    std::vector<float> values;
    for (const HostRequest& r : host.requests(audioMasterAutomate))
        if (r.index == index) values.push_back(r.opt);
    return values;
}

// The scroll notification codes the form's window gets from its trackbars.
std::vector<unsigned> scrollCodes;
HWND watchedForm = nullptr;

LRESULT CALLBACK WatchScrolls(int code, WPARAM wParam, LPARAM lParam) {
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && m->hwnd == watchedForm && m->message == WM_VSCROLL)
        scrollCodes.push_back(LOWORD(m->wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The row height of the form's list font: GDI's line height of the face.
int ListRowHeight() {
    const HDC dc = CreateCompatibleDC(nullptr);
    const HFONT font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                                   ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_ROMAN, "Times New Roman");
    const HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA m{};
    GetTextMetricsA(dc, &m);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    return int(m.tmHeight) + 2;
}

constexpr POINT kTrackBar3{280 + 8, 16 + 16};  // the A slider's top-left in the form

TEST(Win32Editor, OpensAsAChildAndTheUserDrivesKnobSliderAndPresets) {
    const HWND window = HostWindow();
    HostHarness host;
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, window), 1);
    const std::vector<HWND> children = Children(window);
    ASSERT_EQ(children.size(), 1u) << "the panel is a direct child of the host's window";
    const HWND form = children[0];
    RECT r = InParent(form, window);
    EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right - r.left, r.bottom - r.top}),
              std::vector<LONG>({0, 0, 505, 481}));
    EXPECT_TRUE(IsWindowVisible(form));
    EXPECT_TRUE(GetWindowLongA(form, GWL_STYLE) & WS_CHILD);
    EXPECT_TRUE(WaitUntilDrawn(form));
    EXPECT_TRUE(host.requests(audioMasterAutomate).empty()) << "opening sends nothing";

    Drag(form, kCutOffKnob, 20, 0);
    const std::vector<float> cutoff = Automated(host, 4);
    ASSERT_FALSE(cutoff.empty());
    for (size_t i = 0; i < cutoff.size(); ++i)
        EXPECT_EQ(cutoff[i], float(51 + int(i)) / 100.0f) << "one report per new value, in steps of 0.01";
    EXPECT_EQ(cutoff.back(), 0.6f);

    // The A slider: a native trackbar, its position inverted into the value.
    host.clearRequests();
    HWND bar = nullptr;
    for (HWND child : Children(form)) {
        r = InParent(child, form);
        if (ClassOf(child) == TRACKBAR_CLASSA && r.left == kTrackBar3.x && r.top == kTrackBar3.y) bar = child;
    }
    ASSERT_NE(bar, nullptr) << "TrackBar3 is the platform's trackbar";
    EXPECT_EQ(SendMessageA(bar, TBM_GETPOS, 0, 0), 45);
    RECT thumb{};
    SendMessageA(bar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    watchedForm = form;
    const HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, &WatchScrolls, nullptr, GetCurrentThreadId());
    Drag(bar, {(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2}, 0, -30);
    UnhookWindowsHookEx(hook);
    const LRESULT position = SendMessageA(bar, TBM_GETPOS, 0, 0);
    EXPECT_LT(position, 45) << "the thumb moved up";
    const std::vector<float> attack = Automated(host, 0);
    ASSERT_FALSE(attack.empty());
    EXPECT_EQ(attack.back(), float(50 - position) / 50.0f);
    EXPECT_EQ(host.getParameter(0), float(50 - position) / 50.0f);
    ASSERT_FALSE(scrollCodes.empty());
    EXPECT_EQ(scrollCodes.back(), unsigned(TB_ENDTRACK)) << "the last code is the end of the drag";
    EXPECT_EQ(host.requests(audioMasterAutomate).size(), attack.size()) << "only A was touched";

    // The host sets CutOff: the knob follows at the next refresh, without a
    // report.
    host.clearRequests();
    const RECT knob{kCutOffKnob.x - 16, kCutOffKnob.y - 16, kCutOffKnob.x + 17, kCutOffKnob.y + 17};
    const std::vector<uint32_t> before = Pixels(form, knob);
    host.setParameter(4, 0.2f);
    EXPECT_TRUE(PumpUntil([&] { return Pixels(form, knob) != before; })) << "the knob did not follow";
    EXPECT_TRUE(host.requests(audioMasterAutomate).empty());
    // A little lower: a second press at the same spot so soon would be a
    // double-click, which sets the default.
    Drag(form, {kCutOffKnob.x, kCutOffKnob.y + 6}, 4, 0);
    EXPECT_EQ(Automated(host, 4), (std::vector<float>{0.21f, 0.22f})) << "a drag starts where it went";

    // A preset from ComboBox6: the list opens downwards from (400, 220),
    // over the strip and the hit row.
    host.clearRequests();
    Click(form, 440, 210);
    const int row = ListRowHeight();
    Click(form, 440, 220 + 1 + 5 * row + row / 2);  // "Slash"
    EXPECT_TRUE(PumpUntil([&] { return host.requests(audioMasterAutomate).size() >= 21; }));
    EXPECT_TRUE(Drain());
    EXPECT_EQ(host.requests(audioMasterAutomate).size(), 21u) << "the preset, and nothing sent back";
    EXPECT_EQ(host.getParameter(8), 1.0f) << "Slash: noise on Osc1";

    host.dispatch(effEditClose);
    EXPECT_TRUE(Children(window).empty()) << "destroyed when effEditClose returns";
}

TEST(Win32Editor, ParentsThatAreNotWindowsAreAnsweredZeroAndRepeatsAreHarmless) {
    const HWND window = HostWindow();
    const HWND gone = MakeWindow(window, 0, 0);
    DestroyWindow(gone);
    HostHarness host;
    host.dispatch(effEditIdle);
    host.dispatch(effEditClose);
    const int windows = CountWindows();
    for (uintptr_t bad : {uintptr_t(gone), uintptr_t(0x7FFF1234), uintptr_t(0)}) {
        EXPECT_EQ(host.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(bad)), 0) << bad;
        host.dispatch(effEditIdle);
        EXPECT_EQ(CountWindows(), windows) << "nothing created for " << bad;
    }
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, window), 1) << "nothing was left counted";
    host.dispatch(effEditClose);
    host.dispatch(effEditClose);
    host.dispatch(effEditIdle);
    EXPECT_TRUE(Children(window).empty());
}

TEST(Win32Editor, AHostThatDestroysItsWindowBeforeClosingLeavesTheEditorUsable) {
    const HWND window = HostWindow();
    HostHarness host;
    const HWND parent = MakeWindow(window, 0, 0);
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, parent), 1);
    EXPECT_TRUE(Drain());
    DestroyWindow(parent);
    EXPECT_TRUE(Drain());
    host.dispatch(effEditIdle);
    host.dispatch(effEditClose);
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, window), 1);
    EXPECT_TRUE(Drain());
    host.dispatch(effEditClose);
    EXPECT_TRUE(Children(window).empty());
}

TEST(Win32Editor, AHundredOpenAndCloseCyclesLeaveNoWindowAndNoGdiObject) {
    const HWND window = HostWindow();
    HostHarness host;
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, window), 1);  // warm-up: the logo, drawn once
    EXPECT_TRUE(Drain());
    host.dispatch(effEditClose);
    const int windows = CountWindows(), objects = CountGdiObjects();
    const HBRUSH probe = CreateSolidBrush(RGB(1, 2, 3));
    ASSERT_EQ(CountGdiObjects(), objects + 1) << "the GDI count sees a new object";
    DeleteObject(probe);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, window), 1);
        EXPECT_TRUE(Drain());
        host.dispatch(effEditClose);
    }
    EXPECT_EQ(CountWindows(), windows);
    EXPECT_EQ(CountGdiObjects(), objects);
}

HMODULE ModuleOf(AEffect* effect) {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(effect->dispatcher), &module);
    return module;
}

intptr_t VST_CDECL SilentHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

TEST(Win32Editor, TwoInstancesAndTwoCopiesOfTheLibraryEachKeepTheirEditor) {
    const HWND first = HostWindow(0), second = HostWindow(1);
    {
        HostHarness a, b;
        for (bool aFirst : {true, false}) {
            ASSERT_EQ(a.dispatch(effEditOpen, 0, 0, first), 1);
            ASSERT_EQ(b.dispatch(effEditOpen, 0, 0, second), 1);
            EXPECT_TRUE(Drain());
            (aFirst ? a : b).dispatch(effEditClose);
            EXPECT_TRUE(Drain());
            EXPECT_EQ(Children(aFirst ? second : first).size(), 1u) << "the other editor stays";
            (aFirst ? b : a).dispatch(effEditClose);
            EXPECT_TRUE(Children(first).empty() && Children(second).empty());
        }
    }

    // A second copy of the DLL, at another path, in the same process.
    const fs::path copy = fs::temp_directory_path() / "DrumTamrikCopy.dll";
    fs::copy_file(TAMRIK_PLUGIN_PATH, copy, fs::copy_options::overwrite_existing);
    {
        const auto library = hosting::Vst2Library::open(copy.string());
        AEffect* other = library->instantiate(&SilentHost);
        HostHarness host;
        ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, first), 1);
        ASSERT_EQ(other->dispatcher(other, effEditOpen, 0, 0, second, 0.0f), 1);
        EXPECT_TRUE(Drain());
        ASSERT_EQ(Children(first).size(), 1u);
        ASSERT_EQ(Children(second).size(), 1u);
        const std::string classes[2] = {ClassOf(Children(first)[0]), ClassOf(Children(second)[0])};
        EXPECT_NE(classes[0], classes[1]) << "one window class per copy";
        const HMODULE modules[2] = {ModuleOf(host.effect()), ModuleOf(other)};
        EXPECT_NE(modules[0], modules[1]);
        host.dispatch(effEditClose);
        EXPECT_EQ(Children(second).size(), 1u) << "the copy's editor outlives the first's class";
        other->dispatcher(other, effEditClose, 0, 0, nullptr, 0.0f);
        for (int i = 0; i < 2; ++i) {
            WNDCLASSEXA info{};
            info.cbSize = sizeof info;
            EXPECT_FALSE(GetClassInfoExA(modules[i], classes[i].c_str(), &info))
                << classes[i] << " unregistered with its last form";
        }
        other->dispatcher(other, effClose, 0, 0, nullptr, 0.0f);
    }
    std::error_code ignored;
    fs::remove(copy, ignored);
}

// The Kit's panel: the sound panel and its strip (361 high), then the kit
// area with the pads two rows of eight.
POINT KitPadAt(int p) { return {8 + (p % 8) * 61 + 28, 361 + 16 + (p / 8) * 32 + 15}; }
constexpr POINT kKitLearn{72 + 20, 361 + 106};

TEST(Win32KitEditor, TheWholeKitPanelOpensAsAChildAndTheUserSelectsLearnsAndAuditions) {
    const HWND window = HostWindow();
    PluginInstance kit(TAMRIK_KIT_PATH);
    ERect* rect = nullptr;
    ASSERT_EQ(kit.dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(std::vector<int>({rect->top, rect->left, rect->bottom, rect->right}), (std::vector<int>{0, 0, 628, 505}));
    SetWindowPos(window, nullptr, 0, 0, 505 + 40, 628 + 60, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_EQ(kit.dispatch(effEditOpen, 0, 0, window), 1);
    const std::vector<HWND> children = Children(window);
    ASSERT_EQ(children.size(), 1u);
    const HWND form = children[0];
    RECT r{};
    GetWindowRect(form, &r);
    EXPECT_EQ(std::vector<LONG>({r.right - r.left, r.bottom - r.top}), std::vector<LONG>({505, 628}));
    EXPECT_TRUE(GetWindowLongA(form, GWL_STYLE) & WS_CHILD);
    int trackbars = 0;
    for (HWND child : Children(form)) trackbars += ClassOf(child) == TRACKBAR_CLASSA;
    EXPECT_EQ(trackbars, 6) << "the sound panel's sliders are the platform's trackbars";
    EXPECT_TRUE(WaitUntilDrawn(form));

    const int32_t key = kit::padIndex(2, kit::kSoundParameters + kit::kKey);
    Click(form, KitPadAt(2).x, KitPadAt(2).y);
    Click(form, kKitLearn.x, kKitLearn.y);
    kit.note(70, 100);
    kit.loudness(64);
    EXPECT_TRUE(PumpUntil([&] { return kit.getParameter(key) == kit::valueOfStep(70, 127); }))
        << "Learn did not take the note";

    // What the learned note played dies away first.
    for (int blocks = 0; kit.loudness(64) > 0.0 && blocks < 100000; ++blocks) continue;
    ASSERT_EQ(kit.loudness(64), 0.0);
    Click(form, KitPadAt(7).x, KitPadAt(7).y, true);
    EXPECT_TRUE(PumpUntil([&] { return kit.loudness(64) > 0.0; })) << "no audition";

    kit.dispatch(effEditClose);
    EXPECT_TRUE(Children(window).empty());
}

}  // namespace
}  // namespace tamrik::test

namespace tamrik::test {
namespace {

// The scale the user chose on the strip, in a settings file of the test's
// own (%APPDATA%): what a test can set without touching the process's DPI
// awareness, which is the host's.
class ChosenScale {
public:
    explicit ChosenScale(int percent) {
        if (const char* a = std::getenv("APPDATA")) before_ = a;
        fs::create_directories(folder_ / "DrumTamrik");
        std::ofstream(folder_ / "DrumTamrik" / "settings") << "scale = " << percent << "\n";
        _putenv_s("APPDATA", folder_.string().c_str());
    }
    ~ChosenScale() {
        _putenv_s("APPDATA", before_.c_str());
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    ChosenScale(const ChosenScale&) = delete;
    ChosenScale& operator=(const ChosenScale&) = delete;

private:
    fs::path folder_ = fs::temp_directory_path() / ("tamrik-win32-" + std::to_string(GetCurrentProcessId()));
    std::string before_;
};

// Sizes the host's client area as a host does from effEditGetRect, and
// gives the window back its own size afterwards (the tests share it).
class SizedHostWindow {
public:
    SizedHostWindow(HWND window, int width, int height) : window_(window) {
        GetWindowRect(window, &before_);
        RECT r{0, 0, width, height};
        AdjustWindowRect(&r, DWORD(GetWindowLongA(window, GWL_STYLE)), FALSE);
        SetWindowPos(window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
    }
    ~SizedHostWindow() {
        SetWindowPos(window_, nullptr, 0, 0, before_.right - before_.left, before_.bottom - before_.top,
                     SWP_NOMOVE | SWP_NOZORDER);
    }
    SizedHostWindow(const SizedHostWindow&) = delete;
    SizedHostWindow& operator=(const SizedHostWindow&) = delete;

private:
    HWND window_;
    RECT before_{};
};

TEST(Win32Editor, AtTwoHundredPercentTheHostsWindowGetsTheSizeAndADragMeansTheSame) {
    const ChosenScale chosen(200);
    const HWND window = HostWindow();
    HostHarness host;
    ERect* rect = nullptr;
    ASSERT_EQ(host.dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(std::vector<int>({rect->top, rect->left, rect->bottom, rect->right}),
              std::vector<int>({0, 0, 962, 1010}))
        << "the user's scale, before open";
    const SizedHostWindow sized(window, rect->right, rect->bottom);
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, window), 1);
    const std::vector<HWND> children = Children(window);
    ASSERT_EQ(children.size(), 1u);
    const HWND form = children[0];
    RECT r = InParent(form, window);
    EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right - r.left, r.bottom - r.top}),
              std::vector<LONG>({0, 0, 1010, 962}));
    GetClientRect(window, &r);
    EXPECT_EQ(std::vector<LONG>({r.right, r.bottom}), std::vector<LONG>({1010, 962})) << "the host's window";
    EXPECT_TRUE(WaitUntilDrawn(form, 2));
    EXPECT_TRUE(host.requests(audioMasterAutomate).empty());

    Drag(form, {kCutOffKnob.x * 2, kCutOffKnob.y * 2}, 40, 0);
    const std::vector<float> cutoff = Automated(host, 4);
    ASSERT_FALSE(cutoff.empty());
    for (size_t i = 0; i < cutoff.size(); ++i) EXPECT_EQ(cutoff[i], float(51 + int(i)) / 100.0f) << "as at 100 %";
    EXPECT_EQ(cutoff.back(), 0.6f);
    EXPECT_TRUE(PumpUntil([&] { return !host.requests(audioMasterEndEdit).empty(); })) << "the drag never ended";
    EXPECT_EQ(host.requests(audioMasterBeginEdit).size(), 1u) << "the drag is one edit";
    EXPECT_EQ(host.requests(audioMasterEndEdit).size(), 1u);

    host.dispatch(effEditClose);
    EXPECT_TRUE(Children(window).empty());
}

}  // namespace
}  // namespace tamrik::test

namespace tamrik::test {
namespace {

HWND TrackBar3(HWND form) {
    for (HWND child : Children(form)) {
        const RECT r = InParent(child, form);
        if (ClassOf(child) == TRACKBAR_CLASSA && r.left == kTrackBar3.x && r.top == kTrackBar3.y) return child;
    }
    return nullptr;
}

POINT ThumbOf(HWND bar) {
    RECT thumb{};
    SendMessageA(bar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    return {(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
}

void CtrlClick(HWND window, POINT at) {
    MouseTo(OnScreen(window, at.x, at.y));
    INPUT in[4]{};
    for (INPUT& i : in) i.type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[3].ki.wVk = VK_CONTROL;
    in[3].ki.dwFlags = KEYEVENTF_KEYUP;
    in[1].type = in[2].type = INPUT_MOUSE;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(4, in, sizeof in[0]);
    Settle();
    lastPress = GetTickCount();

}

void Wheel(int notches) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_WHEEL;
    in.mi.mouseData = DWORD(notches * WHEEL_DELTA);
    SendInput(1, &in, sizeof in);
    Settle();
}

int PositionOf(HWND bar) { return int(SendMessageA(bar, TBM_GETPOS, 0, 0)); }

// The platform's trackbar takes its own input; the habits of the knobs
// must hold on it all the same. The bar is A's (TrackBar3).
struct NativeSlider : ::testing::Test {
    HostHarness host;
    HWND form = nullptr;
    HWND bar = nullptr;
    void SetUp() override {
        ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, HostWindow()), 1);
        form = Children(HostWindow()).at(0);
        bar = TrackBar3(form);
        ASSERT_NE(bar, nullptr);
    }
    void TearDown() override { host.dispatch(effEditClose); }
};

TEST_F(NativeSlider, HasTheKnobsHabits) {
    const float initial = host.getParameter(0);

    // Hovering shows the readout.
    const RECT readout{232, 313 + 30, 232 + 265, 313 + 30 + 14};
    MouseTo(OnScreen(form, 250, 100));
    EXPECT_TRUE(Drain());
    const std::vector<uint32_t> blank = Pixels(form, readout);
    const POINT thumb = ThumbOf(bar);
    MouseTo(OnScreen(bar, thumb.x, thumb.y + 20));
    EXPECT_TRUE(PumpUntil([&] { return Pixels(form, readout) != blank; })) << "no readout over the slider";

    Drag(bar, ThumbOf(bar), 0, -30);
    ASSERT_NE(host.getParameter(0), initial);
    EXPECT_TRUE(PastTheDoubleClickTime());
    host.clearRequests();
    const POINT t = ThumbOf(bar);
    Click(bar, t.x, t.y);
    Click(bar, t.x, t.y);
    EXPECT_TRUE(PumpUntil([&] { return host.getParameter(0) == initial; })) << "a double-click sets the default";
    EXPECT_EQ(SendMessageA(bar, TBM_GETPOS, 0, 0), 45) << "and the slider shows it";
    EXPECT_EQ(host.requests(audioMasterBeginEdit).size(), host.requests(audioMasterEndEdit).size());

    Drag(bar, ThumbOf(bar), 0, -30);
    ASSERT_NE(host.getParameter(0), initial);
    EXPECT_TRUE(PastTheDoubleClickTime());
    host.clearRequests();
    CtrlClick(bar, ThumbOf(bar));
    EXPECT_TRUE(PumpUntil([&] { return host.getParameter(0) == initial; })) << "so does a Ctrl-click";
    EXPECT_EQ(host.requests(audioMasterBeginEdit).size(), 1u);
    EXPECT_EQ(host.requests(audioMasterEndEdit).size(), 1u);
}

// A is inverted: position p stands for (50 - p) / 50.
float AttackAt(int position) { return float(50 - position) / 50.0f; }

// Each press waits out the double-click time of the one before it.
TEST_F(NativeSlider, DragsTenTimesFinerWithShiftAndStepsByTheWheel) {
    EXPECT_TRUE(PastTheDoubleClickTime());
    ASSERT_EQ(PositionOf(bar), 45);

    Drag(bar, ThumbOf(bar), 0, -60, true);
    const int fine = 45 - PositionOf(bar);
    EXPECT_GE(fine, 1) << "Shift still moves the thumb";
    const std::vector<float> sent = Automated(host, 0);
    EXPECT_EQ(sent.size(), size_t(fine)) << "one report per position";
    for (size_t i = 0; i < sent.size(); ++i) EXPECT_EQ(sent[i], AttackAt(44 - int(i)));
    EXPECT_EQ(host.getParameter(0), AttackAt(45 - fine));
    EXPECT_TRUE(PumpUntil([&] { return !host.requests(audioMasterEndEdit).empty(); })) << "the drag never ended";
    EXPECT_EQ(host.requests(audioMasterBeginEdit).size(), 1u) << "the Shift drag is one edit";
    EXPECT_EQ(host.requests(audioMasterEndEdit).size(), 1u);

    EXPECT_TRUE(PastTheDoubleClickTime());
    const int from = PositionOf(bar);
    Drag(bar, ThumbOf(bar), 0, -60);
    const int plain = from - PositionOf(bar);
    EXPECT_NEAR(fine * 10, plain, 10) << "without Shift the same drag goes about ten times as far";

    // One notch up raises A one step, as the toolkit's slider does.
    EXPECT_TRUE(PastTheDoubleClickTime());
    host.clearRequests();
    const int at = PositionOf(bar);
    const POINT thumb = ThumbOf(bar);
    MouseTo(OnScreen(bar, thumb.x, thumb.y));
    Wheel(1);
    EXPECT_TRUE(PumpUntil([&] { return host.getParameter(0) != AttackAt(at); })) << "the wheel did nothing";
    EXPECT_EQ(host.getParameter(0), AttackAt(at - 1));
    EXPECT_TRUE(PumpUntil([&] { return PositionOf(bar) == at - 1; })) << "the slider shows it";
    EXPECT_TRUE(PumpUntil([&] { return !host.requests(audioMasterEndEdit).empty(); }));
    EXPECT_EQ(Automated(host, 0), std::vector<float>{AttackAt(at - 1)});
    EXPECT_EQ(host.requests(audioMasterAutomate).size(), 1u);
    EXPECT_EQ(host.requests(audioMasterBeginEdit).size(), 1u) << "a notch is one edit";
    EXPECT_EQ(host.requests(audioMasterEndEdit).size(), 1u);
    Wheel(-1);
    EXPECT_TRUE(PumpUntil([&] { return host.getParameter(0) == AttackAt(at); })) << "and down again";
}

}  // namespace
}  // namespace tamrik::test
