// The screenshot reads the window back from the server (XGetImage), so it
// shows what the panel really put on the screen, not what it meant to.
#include "toolkit/TopLevelWindow.h"

#include <X11/Xutil.h>

#include <stdexcept>

namespace tamrik::tk {

namespace {

// An 8-bit channel out of a pixel of any true-colour visual.
uint32_t Channel(unsigned long pixel, unsigned long mask) {
    if (!mask) return 0;
    int shift = 0;
    while (!(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return uint32_t(((pixel >> shift) & mask) * 255 / mask);
}

void FixSize(Display* display, Window window, int width, int height) {
    XSizeHints hints{};
    hints.flags = PMinSize | PMaxSize;
    hints.min_width = hints.max_width = width;
    hints.min_height = hints.max_height = height;
    XSetWMNormalHints(display, window, &hints);
}

}  // namespace

TopLevelWindow::TopLevelWindow(int width, int height, const std::string& title) : width_(width), height_(height) {
    display_ = XOpenDisplay(nullptr);
    if (!display_) throw std::runtime_error("cannot open the X display (is $DISPLAY set?)");
    const int screen = DefaultScreen(display_);
    window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), 0, 0, unsigned(width), unsigned(height),
                                  0, BlackPixel(display_, screen), BlackPixel(display_, screen));
    XStoreName(display_, window_, title.c_str());
    FixSize(display_, window_, width, height);
    deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display_, window_, &deleteWindow_, 1);
    XSelectInput(display_, window_, StructureNotifyMask);
    XMapRaised(display_, window_);
    // Panels open in windows that are already up, as in a host.
    for (XEvent event;;) {
        XWindowEvent(display_, window_, StructureNotifyMask, &event);
        if (event.type == MapNotify) break;
    }
}

TopLevelWindow::~TopLevelWindow() {
    XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
}

bool TopLevelWindow::pump() {
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == ClientMessage && Atom(event.xclient.data.l[0]) == deleteWindow_) return false;
        if (event.type == DestroyNotify) return false;
    }
    return true;
}

int TopLevelWindow::eventDescriptor() const { return ConnectionNumber(display_); }

void TopLevelWindow::setShown(bool shown) {
    if (shown)
        XMapRaised(display_, window_);
    else
        XWithdrawWindow(display_, window_, DefaultScreen(display_));  // unmapped, and the window manager told
    XFlush(display_);
}

void TopLevelWindow::resize(int width, int height) {
    width_ = width;
    height_ = height;
    FixSize(display_, window_, width, height);
    XResizeWindow(display_, window_, unsigned(width), unsigned(height));
    XFlush(display_);
}

void* TopLevelWindow::addArea(int x, int y, int width, int height) {
    const int screen = DefaultScreen(display_);
    const Window area = XCreateSimpleWindow(display_, window_, x, y, unsigned(width), unsigned(height), 0,
                                            BlackPixel(display_, screen), BlackPixel(display_, screen));
    XMapWindow(display_, area);
    // The panel's own connection must find it there.
    XSync(display_, False);
    return reinterpret_cast<void*>(uintptr_t(area));
}

void TopLevelWindow::placeArea(void* area, int x, int y, int width, int height) {
    XMoveResizeWindow(display_, Window(reinterpret_cast<uintptr_t>(area)), x, y, unsigned(width), unsigned(height));
    XFlush(display_);
}

void TopLevelWindow::raiseArea(void* area, bool above) {
    const Window window = Window(reinterpret_cast<uintptr_t>(area));
    if (above)
        XRaiseWindow(display_, window);
    else
        XLowerWindow(display_, window);
    XFlush(display_);
}

bool TopLevelWindow::saveScreenshot(const std::string& path) {
    XSync(display_, False);
    XImage* image = XGetImage(display_, window_, 0, 0, unsigned(width_), unsigned(height_), AllPlanes, ZPixmap);
    if (!image) return false;
    PixelBuffer pixels(width_, height_);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            pixels.Set(x, y, RgbColor(uint8_t(Channel(p, image->red_mask)), uint8_t(Channel(p, image->green_mask)),
                                     uint8_t(Channel(p, image->blue_mask))));
        }
    XDestroyImage(image);
    return SaveImageFile(pixels, path);
}

}  // namespace tamrik::tk
