// A host's side of an X11 editor test: its own display connection and a
// top-level window to open the panel in, the user's pointer through XTest,
// the host's idle rounds, and waits for what the panel does. Include it
// after every other header: Xlib's macros (None, Bool, Status) would break
// them.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace tamrik::test {

inline bool DisplayRequired() {
    const char* v = std::getenv("TAMRIK_REQUIRE_X11");
    return v && std::string(v) == "1";
}

// Opens the host's display and window, or skips (fails where a display
// is required).
#define OPEN_TEST_DISPLAY(name)                                                \
    ::tamrik::test::HostDisplay name;                                          \
    if (!name.display) {                                                       \
        if (::tamrik::test::DisplayRequired())                                 \
            FAIL() << "TAMRIK_REQUIRE_X11=1 but no X display";                 \
        GTEST_SKIP() << "no X display ($DISPLAY)";                             \
    }

inline int Sentinel(Display*, XErrorEvent*) { return 0; }

// Tests that drive the display's one pointer must not overlap, and CTest's
// RUN_SERIAL alone does not keep them apart (it was seen starting the LV2 UI
// tests side by side, each catching the other's drags). A process takes
// the display's lock before its first window and holds it until it exits.
inline void HoldTheDisplay() {
    static const int lock = [] {
        const char* display = std::getenv("DISPLAY");
        const std::string path = "/tmp/tamrik-x11-pointer" + std::string(display ? display : "") + ".lock";
        const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd >= 0) flock(fd, LOCK_EX);
        return fd;
    }();
    (void)lock;
}

// Where the pointer is (screen coordinates), the window under it and the
// buttons the server holds down.
struct PointerState {
    int x = 0, y = 0;
    ::Window over = 0;
    unsigned mask = 0;
};
inline PointerState QueryPointer(Display* display) {
    PointerState p;
    ::Window root = 0;
    int wx = 0, wy = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &p.over, &p.x, &p.y, &wx, &wy, &p.mask);
    return p;
}

// The test display outlives each test (-noreset), and so does its XTest
// pointer: a button that an earlier program pressed and never released
// stays down, and a press on a button that is down reaches no window. Each
// test starts with every button up.
inline void ReleaseHeldButtons(Display* display) {
    const unsigned mask = QueryPointer(display).mask;
    for (unsigned button = 1; button <= 5; ++button)
        if (mask & (Button1Mask << (button - 1))) XTestFakeButtonEvent(display, button, False, CurrentTime);
    XSync(display, False);
}

// The server resets when its last client goes, as the previous test's did;
// a connection made in that moment is refused, so it is tried again.
inline Display* Connect() {
    if (!std::getenv("DISPLAY")) return nullptr;
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (Display* d = XOpenDisplay(nullptr)) return d;
        usleep(20000);
    }
    return nullptr;
}

// The host's connection and its top-level window, placed away from the
// screen's corner and raised, so the pointer lands on it.
struct HostDisplay {
    Display* display = Connect();
    ::Window window = 0;
    XErrorHandler before = nullptr;

    HostDisplay() {
        if (!display) return;
        HoldTheDisplay();
        ReleaseHeldButtons(display);
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 300, 250, 505, 313, 0, 0,
                                     BlackPixel(display, DefaultScreen(display)));
        XMapRaised(display, window);
        XSync(display, False);
        before = XSetErrorHandler(&Sentinel);
    }
    ~HostDisplay() {
        if (!display) return;
        XSetErrorHandler(before);
        XDestroyWindow(display, window);
        XCloseDisplay(display);
    }
    void* handle() const { return reinterpret_cast<void*>(uintptr_t(window)); }
    std::vector<::Window> Children() {
        XSync(display, False);
        ::Window root = 0, up = 0, *kids = nullptr;
        unsigned n = 0;
        XQueryTree(display, window, &root, &up, &kids, &n);
        std::vector<::Window> children(kids, kids + n);
        if (kids) XFree(kids);
        return children;
    }
    // Screen position of a point of the panel (the window's client area).
    std::pair<int, int> OnScreen(int x, int y) {
        int sx = 0, sy = 0;
        ::Window child = 0;
        XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &sx, &sy, &child);
        return {sx, sy};
    }
    void Move(int x, int y) {
        const auto [sx, sy] = OnScreen(x, y);
        XTestFakeMotionEvent(display, -1, sx, sy, CurrentTime);
        XFlush(display);
    }
    void Button(bool down) {
        XTestFakeButtonEvent(display, 1, down ? True : False, CurrentTime);
        XFlush(display);
    }
};

// Idle rounds until done(): the deadline only catches a hang, however slow
// the machine (a sanitizer build on a busy one).
constexpr int kHangMs = 20000;
inline bool IdleUntil(const std::function<void()>& idle, const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHangMs);
    for (;;) {
        idle();
        if (done()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        usleep(5000);
    }
}

// Before asserting that something did NOT happen: every event the host's
// requests so far caused has been handled. A round trip has the server
// deliver them to the panel's connection, an idle round reads and handles
// them; a few rounds, for what handling them caused in turn (a paint, the
// panel's own requests).
inline void Drain(Display* display, const std::function<void()>& idle) {
    for (int round = 0; round < 3; ++round) {
        XSync(display, False);
        idle();
    }
}

// Screen pixels of a rectangle of the host's window, whatever window shows
// there (a popup list included).
inline std::vector<unsigned long> ScreenPixels(HostDisplay& x, int left, int top, int width, int height) {
    XSync(x.display, False);
    const auto [sx, sy] = x.OnScreen(left, top);
    XImage* image = XGetImage(x.display, DefaultRootWindow(x.display), sx, sy, unsigned(width),
                              unsigned(height), AllPlanes, ZPixmap);
    std::vector<unsigned long> pixels;
    if (!image) return pixels;
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < width; ++i) pixels.push_back(XGetPixel(image, i, y));
    XDestroyImage(image);
    return pixels;
}

// Tsumami3 (CutOff) on the panel: GroupBox3 at (8, 200), the knob at (144, 32).
constexpr int kKnobX = 8 + 144 + 16, kKnobY = 200 + 32 + 16;

// Idle rounds until the panel has drawn its CutOff knob (the area shows
// more than one colour), then drained: the panel is on screen and has
// settled. times: the panel's scale.
inline bool WaitUntilDrawn(HostDisplay& x, const std::function<void()>& idle, int times = 1) {
    const bool drawn = IdleUntil(idle, [&] {
        const std::vector<unsigned long> knob = ScreenPixels(x, (kKnobX - 16) * times, (kKnobY - 16) * times, 33 * times, 33 * times);
        return std::adjacent_find(knob.begin(), knob.end(), std::not_equal_to<>()) != knob.end();
    });
    Drain(x.display, idle);
    return drawn;
}

// For a failure's report: where the pointer is, over which window, and
// which buttons the server holds down.
inline void DescribePointer(Display* display, const char* what) {
    const PointerState p = QueryPointer(display);
    std::fprintf(stderr, "%s: pointer at (%d, %d) over window 0x%lx, button mask 0x%x\n", what, p.x, p.y,
                 static_cast<unsigned long>(p.over), p.mask);
}

// Presses on the knob's centre and drags right, 2 pixels a step; each step
// waits until the panel has reported its new value (reports() counts them).
// The fake input is in the server's order on the host's connection, so the
// panel reads press, moves and release in that order whenever it idles.
// below: how far under the knob's centre the press is (a second press at
// the same spot soon after the first would be a double-click); times: the
// panel's scale, a whole number, by which every position and move grows.
inline bool DragCutOffKnob(HostDisplay& x, const std::function<void()>& idle, int pixels,
                           const std::function<size_t()>& reports, int below = 0, int times = 1) {
    const int y = (kKnobY + below) * times;
    x.Move(kKnobX * times, y);
    x.Button(true);
    XSync(x.display, False);
    bool all = true;
    for (int dx = 2; dx <= pixels; dx += 2) {
        const size_t before = reports();
        x.Move((kKnobX + dx) * times, y);
        XSync(x.display, False);
        if (!IdleUntil(idle, [&] { return reports() > before; })) {
            all = false;
            DescribePointer(x.display, "a drag step was not reported");
        }
    }
    x.Button(false);
    XSync(x.display, False);
    idle();
    return all;
}

}  // namespace tamrik::test
