// drumtamrik with its window, under Xvfb and against a real JACK server on
// the dummy driver: the window at the panel's and the strip's size, at the
// user's scale; a click in the strip's MIDI list connecting a source; the
// window's close button saving the session and ending the program with 0.
// Every wait is for a condition, with a deadline that only catches a hang.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <thread>

#include "ChildProcess.h"
#include "DummyJackServer.h"
#include "Eventually.h"
#include "HitPlotArea.h"
#include "JackProbe.h"
#include "NsmTestServer.h"
#include "app/DeviceStrip.h"
#include "app/SessionFile.h"
#include "binding/Panels.h"
#include "binding/Products.h"
#include "editor/TForm1.h"
#include "toolkit/PixelBuffer.h"
#include "toolkit/Scale.h"
// Last: Xlib's macros would break the headers above.
#include "X11HostWindow.h"
#include <X11/keysym.h>

namespace tamrik::test {
namespace {

namespace fs = std::filesystem;
using app::DeviceStrip;



std::string nameOf(Display* display, ::Window window) {
    char* name = nullptr;
    if (!XFetchName(display, window, &name) || !name) return {};
    std::string text(name);
    XFree(name);
    return text;
}

// Children bottom to top.
std::vector<::Window> childrenOf(Display* display, ::Window window) {
    ::Window root = 0, up = 0, *kids = nullptr;
    unsigned n = 0;
    if (!XQueryTree(display, window, &root, &up, &kids, &n)) return {};
    std::vector<::Window> children(kids, kids + n);
    if (kids) XFree(kids);
    return children;
}

// What the screen shows in a rectangle of the window, whichever window draws it.
std::vector<unsigned long> pixelsOf(Display* display, ::Window window, int x, int y, int width, int height) {
    XSync(display, False);
    int sx = 0, sy = 0;
    ::Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &sx, &sy, &child);
    std::vector<unsigned long> pixels;
    XImage* image = XGetImage(display, DefaultRootWindow(display), sx, sy, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
    if (!image) return pixels;
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column) pixels.push_back(XGetPixel(image, column, row));
    XDestroyImage(image);
    return pixels;
}

bool drawn(const std::vector<unsigned long>& pixels) {
    return std::adjacent_find(pixels.begin(), pixels.end(), std::not_equal_to<>()) != pixels.end();
}

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Geometry&) const = default;
};
Geometry geometryOf(Display* display, ::Window window) {
    ::Window root = 0;
    int x = 0, y = 0;
    unsigned w = 0, h = 0, border = 0, depth = 0;
    XGetGeometry(display, window, &root, &x, &y, &w, &h, &border, &depth);
    return {x, y, int(w), int(h)};
}

class StandaloneWindowOnX11 : public ::testing::Test {
protected:
    void SetUp() override {
        display = Connect();
        if (!display) {
            if (DisplayRequired()) FAIL() << "TAMRIK_REQUIRE_X11=1 but no X display";
            GTEST_SKIP() << "no X display ($DISPLAY)";
        }
        HoldTheDisplay();
        ReleaseHeldButtons(display);
        XSetErrorHandler(&Sentinel);
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        root = fs::temp_directory_path() / ("tamrik-window-" + test + "-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root);
        // The name every test server shares (see tests/lv2/jack-session.sh).
        server = std::make_unique<DummyJackServer>("tamrik-test", root / "jackd.log", 256);
        ASSERT_TRUE(server->ready()) << textOf(root / "jackd.log");
    }

    void TearDown() override {
        app.reset();
        probe.reset();
        server.reset();
        if (display) XCloseDisplay(display);
        fs::remove_all(root);
    }

    void chooseScale(int percent) {
        fs::create_directories(root / "config" / "DrumTamrik");
        std::ofstream(root / "config" / "DrumTamrik" / "settings") << "scale = " << percent << "\n";
    }

    void startApp(std::vector<std::string> args, std::map<std::string, std::string> environment = {}) {
        args.insert(args.begin(), TAMRIK_STANDALONE_EXE);
        environment.insert({{"JACK_DEFAULT_SERVER", server->name()},
                            {"XDG_STATE_HOME", (root / "state").string()},
                            {"XDG_CONFIG_HOME", (root / "config").string()},
                            {"HOME", root.string()}});
        app = std::make_unique<ChildProcess>(args, root / "app.log", environment);
    }

    // The program's top-level window, once it is up with its panel and strip.
    ::Window appWindow(const std::string& title) {
        ::Window found = 0;
        const bool up = eventually([&] {
            XSync(display, False);
            for (::Window w : childrenOf(display, DefaultRootWindow(display)))
                if (nameOf(display, w) == title && childrenOf(display, w).size() == 2) found = w;
            return found || !app->running();
        });
        EXPECT_TRUE(up && found) << "no window: " << textOf(root / "app.log");
        return found;
    }

    void clickAt(::Window window, int x, int y) {
        int sx = 0, sy = 0;
        ::Window child = 0;
        XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &sx, &sy, &child);
        XTestFakeMotionEvent(display, -1, sx, sy, CurrentTime);
        XTestFakeButtonEvent(display, 1, True, CurrentTime);
        XTestFakeButtonEvent(display, 1, False, CurrentTime);
        XSync(display, False);
    }

    // What a window manager sends when the user closes the window.
    void closeWindow(::Window window) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &event);
        XSync(display, False);
    }

    // The window as it is on the screen, for the README's picture.
    void saveScreenshot(::Window window, const Geometry& size) {
        const char* path = std::getenv("TAMRIK_SCREENSHOT");
        if (!path) return;
        XImage* image = XGetImage(display, window, 0, 0, unsigned(size.width), unsigned(size.height), AllPlanes, ZPixmap);
        ASSERT_TRUE(image);
        tk::PixelBuffer pixels(size.width, size.height);
        for (int y = 0; y < size.height; ++y)
            for (int x = 0; x < size.width; ++x) pixels.Set(x, y, tk::TColor(XGetPixel(image, x, y) & 0xFFFFFF));
        XDestroyImage(image);
        EXPECT_TRUE(pixels.SavePng(path));
    }

    Display* display = nullptr;
    fs::path root;
    std::unique_ptr<DummyJackServer> server;
    std::unique_ptr<JackProbe> probe;
    std::unique_ptr<ChildProcess> app;
};

TEST_F(StandaloneWindowOnX11, TheStripsMidiListConnectsASourceAndClosingSavesAndQuits) {
    chooseScale(100);
    probe = std::make_unique<JackProbe>(2);
    ASSERT_TRUE(probe->ok());
    startApp({"--no-connect"});
    const ::Window window = appWindow("DrumTamrik");
    ASSERT_TRUE(window);

    const int panel = binding::panelHeight(binding::drumTamrik());
    const Geometry size = geometryOf(display, window);
    EXPECT_EQ(size.width, DeviceStrip::kWidth);
    EXPECT_EQ(size.height, panel + DeviceStrip::kHeight) << "the panel with the strip below it";
    const std::vector<::Window> parts = childrenOf(display, window);
    const ::Window stripArea = parts[0], panelWindow = parts[1];
    EXPECT_EQ(geometryOf(display, panelWindow), (Geometry{0, 0, DeviceStrip::kWidth, panel}));
    EXPECT_EQ(geometryOf(display, stripArea),
              (Geometry{0, panel - DeviceStrip::kListRoom, DeviceStrip::kWidth, DeviceStrip::kListRoom + DeviceStrip::kHeight}))
        << "the strip's list room lies under the panel's bottom";

    // The list: two rows (none, the probe's source) dropped up from the
    // box; its last row ends just above the box, whatever the face's height.
    const int listX = 72 + 200, listTop = panel + 38;
    const auto listRow = [&] { return pixelsOf(display, window, 72, listTop, 425, 20); };
    // The panel's bottom beside the hit plot, which may still be drawing.
    const int plotEnd = HitPlotAreaOf(panel).right;
    const auto panelBottom = [&] { return pixelsOf(display, window, plotEnd, panel - 40, DeviceStrip::kWidth - plotEnd, 40); };
    ASSERT_TRUE(eventually([&] { return drawn(listRow()) && drawn(panelBottom()); })) << "the panel and the strip are drawn";
    const std::vector<unsigned long> noSource = listRow(), panelBefore = panelBottom();
    clickAt(window, listX, listTop + 10);
    ASSERT_TRUE(eventually([&] {
        XSync(display, False);
        return childrenOf(display, window).back() == stripArea;
    })) << "the strip's window rises over the panel while its list is open";
    clickAt(window, listX, listTop - 5);
    EXPECT_TRUE(eventually([&] { return probe->connected(JackProbe::senderPort(), "DrumTamrik:MIDI in"); }))
        << textOf(root / "app.log");
    EXPECT_TRUE(eventually([&] {
        XSync(display, False);
        return childrenOf(display, window).back() == panelWindow;
    })) << "and goes back under it once a source is chosen";
    EXPECT_TRUE(eventually([&] { return listRow() != noSource && panelBottom() == panelBefore; }))
        << "the strip shows the source, the panel shows again where the list was";
    saveScreenshot(window, size);

    closeWindow(window);
    const std::optional<int> status = app->waitForExit();
    EXPECT_EQ(status, 0) << textOf(root / "app.log");
    EXPECT_NE(textOf(root / "app.log").find("session saved"), std::string::npos) << textOf(root / "app.log");
    const std::string bytes = textOf(root / "state" / "drumtamrik" / "DrumTamrik.state");
    const std::optional<app::SavedSession> saved =
        app::SessionFile::decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    ASSERT_TRUE(saved && saved->connections);
    EXPECT_EQ(*saved->connections, (std::vector<app::Connection>{{"MIDI in", JackProbe::senderPort()}}))
        << "the chosen source is kept with the session";
}

TEST_F(StandaloneWindowOnX11, TheKitsWindowTakesTheUsersScale) {
    chooseScale(150);
    startApp({"--kit", "--no-connect"});
    const ::Window window = appWindow("DrumTamrik Kit");
    ASSERT_TRUE(window);
    const tk::Scale scale(150);
    const Geometry size = geometryOf(display, window);
    EXPECT_EQ(size.width, scale.Dev(DeviceStrip::kWidth));
    EXPECT_EQ(size.height, scale.Dev(binding::panelHeight(binding::drumTamrikKit())) + scale.Dev(DeviceStrip::kHeight));
    app->signal(SIGTERM);
    EXPECT_EQ(app->waitForExit(), 0) << textOf(root / "app.log");
}

TEST_F(StandaloneWindowOnX11, AScaleChosenInThePanelResizesTheWindowAndIsKept) {
    chooseScale(100);
    startApp({"--no-connect"});
    const ::Window window = appWindow("DrumTamrik");
    ASSERT_TRUE(window);
    const int panel = binding::panelHeight(binding::drumTamrik());
    const auto drawnAt = [&](int x, int y) { return drawn(pixelsOf(display, window, x, y, 60, 16)); };
    // The panel's scale list, at the right end of its preset strip.
    const int listX = 426 + 30, listY = TForm1::kHeight + 4 + 10;
    ASSERT_TRUE(eventually([&] { return drawnAt(listX - 30, listY - 8) && drawnAt(8, panel + 20); }));
    // Opened and closed again, it keeps the keyboard: Down picks the next step.
    clickAt(window, listX, listY);
    clickAt(window, listX, listY);
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, XK_Down), True, CurrentTime);
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, XK_Down), False, CurrentTime);
    XSync(display, False);
    const tk::Scale scale(125);
    EXPECT_TRUE(eventually([&] { return geometryOf(display, window).width == scale.Dev(DeviceStrip::kWidth); }))
        << "the window follows the panel to 125 %";
    const Geometry size = geometryOf(display, window);
    EXPECT_EQ(size.height, scale.Dev(panel) + scale.Dev(DeviceStrip::kHeight));
    const ::Window stripArea = childrenOf(display, window).at(0);
    EXPECT_EQ(geometryOf(display, stripArea),
              (Geometry{0, scale.Dev(panel) - scale.Dev(DeviceStrip::kListRoom), size.width,
                        size.height - scale.Dev(panel) + scale.Dev(DeviceStrip::kListRoom)}))
        << "the strip follows at the same scale";
    // Written once the window has grown.
    EXPECT_TRUE(eventually([&] {
        return textOf(root / "config" / "DrumTamrik" / "settings").find("scale = 125") != std::string::npos;
    })) << "the user's choice is kept, as the plug-ins keep it";
    closeWindow(window);
    EXPECT_EQ(app->waitForExit(), 0) << textOf(root / "app.log");
}

bool mapped(Display* display, ::Window window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

// Under a session manager the window is its optional GUI: announced, shown
// and hidden on request, and its close button hides it rather than quitting.
TEST_F(StandaloneWindowOnX11, ASessionManagerShowsAndHidesTheWindowAndClosingOnlyHidesIt) {
    NsmTestServer nsm;
    startApp({"--no-connect"}, {{"NSM_URL", nsm.url()}});
    const std::optional<NsmTestServer::Announce> announce = nsm.waitForAnnounce();
    ASSERT_TRUE(announce) << textOf(root / "app.log");
    EXPECT_NE(announce->capabilities.find(":optional-gui:"), std::string::npos) << announce->capabilities;
    ASSERT_TRUE(nsm.open((root / "session" / "DrumTamrik.nTEST").string(), "DrumTamrik", "DrumTamrik.nTEST"))
        << textOf(root / "app.log");
    EXPECT_TRUE(nsm.waitForGui(true)) << "shown once it opens";
    const ::Window window = appWindow("DrumTamrik");
    ASSERT_TRUE(window);

    ASSERT_TRUE(nsm.setGui(false));
    EXPECT_TRUE(eventually([&] { return !mapped(display, window); })) << "hidden";
    ASSERT_TRUE(nsm.setGui(true));
    EXPECT_TRUE(eventually([&] { return mapped(display, window); })) << "shown again";
    closeWindow(window);
    EXPECT_TRUE(nsm.waitForGui(false)) << "the close button hides the window";
    EXPECT_TRUE(eventually([&] { return !mapped(display, window); }));
    EXPECT_TRUE(app->running()) << "and the program plays on";
    EXPECT_TRUE(nsm.errors().empty()) << nsm.errors().front();
    app->signal(SIGTERM);
    EXPECT_EQ(app->waitForExit(), 0) << textOf(root / "app.log");
}

TEST_F(StandaloneWindowOnX11, WithoutADisplayItSaysSoAndPlaysHeadless) {
    startApp({"--no-connect"}, {{"DISPLAY", ":4095"}});
    EXPECT_TRUE(eventually([&] {
        const std::string log = textOf(root / "app.log");
        return !app->running() || log.find("playing headless") != std::string::npos;
    }));
    ASSERT_TRUE(app->running()) << textOf(root / "app.log");
    const std::string log = textOf(root / "app.log");
    EXPECT_NE(log.find("drumtamrik: cannot open the X display (is $DISPLAY set?); playing headless\n"), std::string::npos)
        << log;
    EXPECT_NE(log.find(" as JACK client "), std::string::npos) << log;
    app->signal(SIGTERM);
    EXPECT_EQ(app->waitForExit(), 0) << textOf(root / "app.log");
}

}  // namespace
}  // namespace tamrik::test
