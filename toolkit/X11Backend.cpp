// X11: one Display connection per open form, the form a child window of the
// host's window with the parent's depth and visual, pixels shown with
// XPutImage, input read when the host's idle call pumps. Xlib reports
// errors through one process-wide handler, so ours is installed only for
// the span of our own calls and the previous one is put back after; errors
// from other displays are passed on to it.
#include "toolkit/X11Backend.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "toolkit/Messages.h"
#include "toolkit/PlatformBackend.h"

namespace tamrik::tk {
namespace {

// Xlib calls the handler without a context pointer; the trap in force on
// this thread is found here.
class ErrorTrap;
thread_local ErrorTrap* currentTrap = nullptr;

class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : display_(display), outer_(currentTrap) {
        XSync(display_, False);
        currentTrap = this;
        previous_ = XSetErrorHandler(&Handle);
    }
    ~ErrorTrap() {
        XSync(display_, False);
        XSetErrorHandler(previous_);
        currentTrap = outer_;
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // Whether any request so far has failed.
    bool Failed() {
        XSync(display_, False);
        return errors_ > 0;
    }

private:
    static int Handle(Display* display, XErrorEvent* event) {
        for (ErrorTrap* trap = currentTrap; trap; trap = trap->outer_)
            if (trap->display_ == display) {
                ++trap->errors_;
                return 0;
            }
        // Not ours: the handler that was there before the outermost trap.
        ErrorTrap* outermost = currentTrap;
        while (outermost && outermost->outer_) outermost = outermost->outer_;
        return outermost && outermost->previous_ ? outermost->previous_(display, event) : 0;
    }

    Display* display_;
    ErrorTrap* outer_;
    XErrorHandler previous_ = nullptr;
    int errors_ = 0;
};

uint32_t VirtualKeyOf(KeySym sym) {
    switch (sym) {
        case XK_Left: case XK_KP_Left: return TK_VK_LEFT;
        case XK_Right: case XK_KP_Right: return TK_VK_RIGHT;
        case XK_Up: case XK_KP_Up: return TK_VK_UP;
        case XK_Down: case XK_KP_Down: return TK_VK_DOWN;
        case XK_Prior: case XK_KP_Prior: return TK_VK_PRIOR;
        case XK_Next: case XK_KP_Next: return TK_VK_NEXT;
        case XK_Home: case XK_KP_Home: return TK_VK_HOME;
        case XK_End: case XK_KP_End: return TK_VK_END;
        case XK_space: return TK_VK_SPACE;
        case XK_Return: case XK_KP_Enter: return TK_VK_RETURN;
        case XK_Escape: return TK_VK_ESCAPE;
        default: return 0;
    }
}

// Position of the lowest set bit and the width of a colour mask.
void MaskShape(unsigned long mask, int& shift, int& bits) {
    shift = 0;
    bits = 0;
    if (!mask) return;
    while (!(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    while (mask & 1) {
        mask >>= 1;
        ++bits;
    }
}

class X11Backend final : public Backend {
public:
    ~X11Backend() override { Close(); }

    bool Open(NativeWindow parent, int width, int height, BackendEvents& events) override;
    void Close() override;
    bool IsOpen() const override { return window_ != 0; }
    NativeWindow Window() const override { return window_; }
    void SetVisible(bool visible) override;
    void Resize(int width, int height) override;
    void Present(const PixelBuffer& surface, const TRect& area) override;
    TPoint ClientOrigin() const override;
    TPoint CursorPos() const override { return cursor_; }
    // The implicit grab of a button press keeps the pointer on our window.
    void CaptureMouse(bool) override {}
    uint64_t NowMs() const override;
    void Pump() override;
    int EventDescriptor() const override { return display_ ? ConnectionNumber(display_) : -1; }
    uint32_t KeyModifiers() const override { return modifiers_; }
    // The Xft.dpi resource desktops set for a scaled screen (96 is 100 %).
    int PlatformScalePercent() const override {
        if (!display_) return 0;
        const char* dpi = XGetDefault(display_, "Xft", "dpi");
        if (!dpi) return 0;
        const double value = std::strtod(dpi, nullptr);
        return value > 0 && value < 2000 ? int(value * 100.0 / 96.0 + 0.5) : 0;
    }

private:
    void NoteModifiers(unsigned state) {
        modifiers_ = ((state & ShiftMask) ? uint32_t(TK_MK_SHIFT) : 0u) | ((state & ControlMask) ? uint32_t(TK_MK_CONTROL) : 0u);
    }
    unsigned long PixelOf(uint32_t rgb) const;
    void Dispatch(const XEvent& event);

    Display* display_ = nullptr;
    ::Window window_ = 0;
    ::Window root_ = 0;
    GC gc_ = nullptr;
    Visual* visual_ = nullptr;
    int depth_ = 0;
    int redShift_ = 0, redBits_ = 0, greenShift_ = 0, greenBits_ = 0, blueShift_ = 0, blueBits_ = 0;
    BackendEvents* events_ = nullptr;
    TPoint cursor_;
    uint32_t modifiers_ = 0;
    std::vector<char> imageBytes_;
};

bool X11Backend::Open(NativeWindow parent, int width, int height, BackendEvents& events) {
    Close();
    display_ = XOpenDisplay(nullptr);
    if (!display_) return false;
    bool ok = false;
    {
        ErrorTrap trap(display_);
        XWindowAttributes pa{};
        if (parent != 0 && XGetWindowAttributes(display_, ::Window(parent), &pa) && !trap.Failed() &&
            pa.visual->c_class == TrueColor) {
            XSetWindowAttributes attributes{};
            attributes.colormap = pa.colormap;
            attributes.border_pixel = 0;
            attributes.background_pixmap = None;
            attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                                    KeyPressMask | KeyReleaseMask;
            window_ = XCreateWindow(display_, ::Window(parent), 0, 0, unsigned(std::max(width, 1)),
                                    unsigned(std::max(height, 1)), 0, pa.depth, InputOutput, pa.visual,
                                    CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask, &attributes);
            if (window_) gc_ = XCreateGC(display_, window_, 0, nullptr);
            root_ = pa.root;
            visual_ = pa.visual;
            depth_ = pa.depth;
            ok = window_ != 0 && gc_ != nullptr && !trap.Failed();
        }
    }
    if (!ok) {
        Close();
        return false;
    }
    MaskShape(visual_->red_mask, redShift_, redBits_);
    MaskShape(visual_->green_mask, greenShift_, greenBits_);
    MaskShape(visual_->blue_mask, blueShift_, blueBits_);
    events_ = &events;
    return true;
}

void X11Backend::Close() {
    if (!display_) return;
    {
        ErrorTrap trap(display_);
        if (gc_) XFreeGC(display_, gc_);
        // Destroyed, not only unmapped: the host's window must not keep it.
        if (window_) XDestroyWindow(display_, window_);
    }
    XCloseDisplay(display_);
    display_ = nullptr;
    window_ = 0;
    gc_ = nullptr;
    events_ = nullptr;
}

void X11Backend::SetVisible(bool visible) {
    if (!window_) return;
    ErrorTrap trap(display_);
    if (visible)
        XMapRaised(display_, window_);
    else
        XUnmapWindow(display_, window_);
}

void X11Backend::Resize(int width, int height) {
    if (!window_) return;
    ErrorTrap trap(display_);
    XResizeWindow(display_, window_, unsigned(std::max(width, 1)), unsigned(std::max(height, 1)));
}

unsigned long X11Backend::PixelOf(uint32_t rgb) const {
    auto channel = [](uint32_t value, int shift, int bits) {
        return (bits >= 8 ? (unsigned long)value << (bits - 8) : (unsigned long)value >> (8 - bits)) << shift;
    };
    return channel((rgb >> 16) & 0xFF, redShift_, redBits_) | channel((rgb >> 8) & 0xFF, greenShift_, greenBits_) |
           channel(rgb & 0xFF, blueShift_, blueBits_);
}

void X11Backend::Present(const PixelBuffer& surface, const TRect& area) {
    const TRect r = area.Intersect(surface.Bounds());
    if (!window_ || r.IsEmpty()) return;
    ErrorTrap trap(display_);
    imageBytes_.assign(size_t(r.Width()) * size_t(r.Height()) * 4, 0);
    XImage* image = XCreateImage(display_, visual_, unsigned(depth_), ZPixmap, 0, imageBytes_.data(),
                                 unsigned(r.Width()), unsigned(r.Height()), 32, 0);
    if (!image) return;
    for (int y = r.Top; y < r.Bottom; ++y) {
        const uint32_t* row = surface.Row(y);
        for (int x = r.Left; x < r.Right; ++x) XPutPixel(image, x - r.Left, y - r.Top, PixelOf(row[x]));
    }
    XPutImage(display_, window_, gc_, image, 0, 0, r.Left, r.Top, unsigned(r.Width()), unsigned(r.Height()));
    image->data = nullptr;  // the bytes belong to imageBytes_
    XDestroyImage(image);
    XFlush(display_);
}

TPoint X11Backend::ClientOrigin() const {
    if (!window_) return {};
    ErrorTrap trap(display_);
    int x = 0, y = 0;
    ::Window child = 0;
    if (!XTranslateCoordinates(display_, window_, root_, 0, 0, &x, &y, &child) || trap.Failed()) return {};
    return {x, y};
}

uint64_t X11Backend::NowMs() const {
    using namespace std::chrono;
    return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void X11Backend::Pump() {
    if (!window_) return;
    // Read first, handle after: handlers paint, and painting makes X calls
    // of its own.
    std::vector<XEvent> pending;
    {
        ErrorTrap trap(display_);
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            pending.push_back(event);
        }
    }
    for (const XEvent& event : pending) {
        if (!events_) return;
        Dispatch(event);
    }
}

void X11Backend::Dispatch(const XEvent& event) {
    switch (event.type) {
        case Expose: {
            const XExposeEvent& e = event.xexpose;
            events_->BackendExpose({e.x, e.y, e.x + e.width, e.y + e.height});
            break;
        }
        case MotionNotify:
            cursor_ = {event.xmotion.x_root, event.xmotion.y_root};
            NoteModifiers(event.xmotion.state);
            events_->BackendMouseMove({event.xmotion.x, event.xmotion.y});
            break;
        case ButtonPress:
        case ButtonRelease: {
            const XButtonEvent& b = event.xbutton;
            cursor_ = {b.x_root, b.y_root};
            NoteModifiers(b.state);
            if (b.button == Button1)
                events_->BackendLeftButton(event.type == ButtonPress, {b.x, b.y});
            else if (event.type == ButtonPress && b.button == Button3)
                events_->BackendRightButton({b.x, b.y});
            else if (event.type == ButtonPress && (b.button == Button4 || b.button == Button5))
                events_->BackendWheel({b.x, b.y}, b.button == Button4 ? 1 : -1);
            break;
        }
        case KeyPress:
        case KeyRelease: {
            XKeyEvent key = event.xkey;
            if (const uint32_t vk = VirtualKeyOf(XLookupKeysym(&key, 0)))
                events_->BackendKey(event.type == KeyPress, vk);
            // Text in Latin-1, which is all the toolkit's faces draw.
            char typed[8];
            KeySym symbol = 0;
            if (event.type == KeyPress && XLookupString(&key, typed, sizeof typed, &symbol, nullptr) == 1)
                events_->BackendChar(uint8_t(typed[0]));
            break;
        }
        default:
            break;
    }
}

}  // namespace

std::unique_ptr<Backend> CreateX11Backend() { return std::make_unique<X11Backend>(); }

std::unique_ptr<Backend> CreatePlatformBackend() { return CreateX11Backend(); }

}  // namespace tamrik::tk
