// The X11 backend on a real display (Xvfb in CI): a knob and a trackbar
// embedded in a foreign parent window and dragged with XTest, bad parents
// refused without a crash, our error handler never left behind, and open
// and close cycles that leave no window and no connection behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "OpenDescriptors.h"
#include "controls/Tsumami.h"
#include "controls/vTrackBar.h"
#include "toolkit/Form.h"
#include "toolkit/TrackBarWindow.h"
#include "toolkit/X11Backend.h"

// Last: Xlib's macros (None, Bool, Status) would break the headers above.
#include "X11HostWindow.h"

namespace tamrik {
namespace {

using namespace tk;
using test::OpenDescriptors;

using test::DisplayRequired;
using test::ReleaseHeldButtons;
using test::Sentinel;

#define OPEN_BACKEND_DISPLAY(name, ...)                                                  \
    TestDisplay name{__VA_ARGS__};                                                       \
    if (!name.display) {                                                                 \
        if (DisplayRequired()) FAIL() << "TAMRIK_REQUIRE_X11=1 but no X display";       \
        GTEST_SKIP() << "no X display ($DISPLAY)";                                       \
    }

// The test's own connection and a top-level window standing in for a host.
// Only a test that clicks shows its window, on top and away from the corner,
// so that X11 tests running side by side on one display do not catch each
// other's pointer.
struct TestDisplay {
    Display* display = std::getenv("DISPLAY") ? XOpenDisplay(nullptr) : nullptr;
    ::Window parent = 0;

    explicit TestDisplay(bool shown = false) {
        if (!display) return;
        test::HoldTheDisplay();
        ReleaseHeldButtons(display);
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), shown ? 300 : 0, shown ? 250 : 0, 320,
                                     200, 0, 0, WhitePixel(display, DefaultScreen(display)));
        if (shown) XMapRaised(display, parent);
        XSync(display, False);
    }
    ~TestDisplay() {
        if (!display) return;
        XDestroyWindow(display, parent);
        XCloseDisplay(display);
    }
    int Children() {
        ::Window root = 0, up = 0, *kids = nullptr;
        unsigned n = 0;
        XQueryTree(display, parent, &root, &up, &kids, &n);
        if (kids) XFree(kids);
        return int(n);
    }
    TPoint ParentOnScreen() {
        int x = 0, y = 0;
        ::Window child = 0;
        XTranslateCoordinates(display, parent, DefaultRootWindow(display), 0, 0, &x, &y, &child);
        return {x, y};
    }
    void FakeMove(TPoint p) {
        XTestFakeMotionEvent(display, -1, p.x, p.y, CurrentTime);
        XFlush(display);
    }
    void FakeButton(bool down) {
        XTestFakeButtonEvent(display, 1, down ? True : False, CurrentTime);
        XFlush(display);
    }
};

// Idles the form, as the host's idle calls would, until done(); the
// deadline only catches a hang.
bool IdleUntil(TForm& form, const std::function<bool()>& done) {
    return test::IdleUntil([&] { form.Idle(); }, done);
}

TEST(X11Embedding, KnobAndTrackBarAreDraggedInAForeignWindow) {
    OPEN_BACKEND_DISPLAY(host, true);
    TForm form(CreateX11Backend(), 200, 140);
    auto* knob = new TTsumami(&form);
    knob->SetBounds(10, 10, 33, 33);
    auto* bar = new TvTrackBar(&form);
    bar->SetOrientation(TvTrackBarOrientation::trVertical);
    bar->SetBounds(60, 10, 33, 113);
    bar->SetMax(50);
    bar->SetPosition(25);
    bar->SetThumbLength(15);
    bar->SetFrequency(5);
    bar->SetTickMarks(TvTickMark::tmBoth);
    ASSERT_TRUE(form.CreateParented(host.parent));
    form.ShowForm();
    EXPECT_EQ(host.Children(), 1);
    XSync(host.display, False);
    form.Idle();

    const TPoint origin = host.ParentOnScreen();
    host.FakeMove({origin.x + 26, origin.y + 26});
    host.FakeButton(true);
    ASSERT_TRUE(IdleUntil(form, [&] { return knob->Adjusting(); }));
    host.FakeMove({origin.x + 46, origin.y + 26});
    EXPECT_TRUE(IdleUntil(form, [&] { return knob->Position() == 60; })) << knob->Position();
    host.FakeMove({origin.x + 26, origin.y + 6});
    EXPECT_TRUE(IdleUntil(form, [&] { return knob->Position() == 60; }));
    host.FakeMove({origin.x + 6, origin.y + 26});
    EXPECT_TRUE(IdleUntil(form, [&] { return knob->Position() == 40; })) << knob->Position();
    host.FakeButton(false);
    EXPECT_TRUE(IdleUntil(form, [&] { return !knob->Adjusting(); }));

    // What reached the screen: the knob's maximum tick starts black on grey.
    XImage* image = XGetImage(host.display, form.NativeHandle(), 10, 10, 33, 33, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(XGetPixel(image, 24, 26), 0ul);
    EXPECT_EQ(XGetPixel(image, 9, 19) & 0xFFFFFF, 0xC0C0C0ul);
    XDestroyImage(image);

    const TRect thumb = dynamic_cast<TrackBarWindow*>(bar->WindowClass())->ThumbRect();
    const TPoint grip{origin.x + 60 + (thumb.Left + thumb.Right) / 2, origin.y + 10 + (thumb.Top + thumb.Bottom) / 2};
    host.FakeMove(grip);
    host.FakeButton(true);
    ASSERT_TRUE(IdleUntil(form, [&] { return bar->Adjusting(); }));
    host.FakeMove({grip.x, origin.y - 50});
    EXPECT_TRUE(IdleUntil(form, [&] { return bar->Position() == 0; })) << bar->Position();
    EXPECT_TRUE(bar->Adjusting());
    host.FakeButton(false);
    EXPECT_TRUE(IdleUntil(form, [&] { return !bar->Adjusting(); }));
    EXPECT_EQ(bar->Position(), 0);
}

TEST(X11Lifecycle, RefusesParentsThatAreNotWindowsAndRestoresTheErrorHandler) {
    OPEN_BACKEND_DISPLAY(host);
    const XErrorHandler before = XSetErrorHandler(&Sentinel);
    const ::Window gone = XCreateSimpleWindow(host.display, host.parent, 0, 0, 5, 5, 0, 0, 0);
    XDestroyWindow(host.display, gone);
    const Pixmap pixmap = XCreatePixmap(host.display, host.parent, 4, 4, unsigned(DefaultDepth(host.display, 0)));
    XSync(host.display, False);
    for (NativeWindow bad : {NativeWindow(0), NativeWindow(gone), NativeWindow(pixmap), NativeWindow(0x7FFFFFF0)}) {
        TForm form(CreateX11Backend(), 50, 50);
        EXPECT_FALSE(form.CreateParented(bad)) << bad;
        form.ShowForm();
        form.Idle();
    }
    EXPECT_EQ(XSetErrorHandler(before), &Sentinel) << "our handler must not stay installed";
    XFreePixmap(host.display, pixmap);

    const std::string display = std::getenv("DISPLAY");
    unsetenv("DISPLAY");
    TForm headless(CreateX11Backend(), 50, 50);
    EXPECT_FALSE(headless.CreateParented(host.parent));
    setenv("DISPLAY", display.c_str(), 1);
}

TEST(X11Lifecycle, SurvivesAHostThatDestroysItsWindowFirst) {
    OPEN_BACKEND_DISPLAY(host);
    const XErrorHandler before = XSetErrorHandler(&Sentinel);
    auto form = std::make_unique<TForm>(CreateX11Backend(), 100, 100);
    new TTsumami(form.get());
    ASSERT_TRUE(form->CreateParented(host.parent));
    form->ShowForm();
    XDestroyWindow(host.display, host.parent);  // takes our child window with it
    XSync(host.display, False);
    host.parent = XCreateSimpleWindow(host.display, DefaultRootWindow(host.display), 0, 0, 5, 5, 0, 0, 0);
    form->Repaint();
    form->Idle();
    form.reset();
    EXPECT_EQ(XSetErrorHandler(before), &Sentinel);
}

TEST(X11Lifecycle, AHundredOpenAndCloseCyclesLeaveNothingBehind) {
    OPEN_BACKEND_DISPLAY(host);
    {
        // Warm-up: fontconfig keeps caches of its own for the process.
        TForm form(CreateX11Backend(), 505, 313);
        ASSERT_TRUE(form.CreateParented(host.parent));
    }
    const int descriptors = OpenDescriptors();
    for (int i = 0; i < 100; ++i) {
        auto form = std::make_unique<TForm>(CreateX11Backend(), 505, 313);
        new TTsumami(form.get());
        ASSERT_TRUE(form->CreateParented(host.parent));
        form->ShowForm();
        form->Idle();
        form.reset();
        XSync(host.display, False);
        ASSERT_EQ(host.Children(), 0) << "cycle " << i << ": the window must be destroyed";
    }
    EXPECT_EQ(OpenDescriptors(), descriptors) << "a display connection leaked";
}

}  // namespace
}  // namespace tamrik
