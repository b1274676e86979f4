// The one seam between the toolkit and a windowing system. A form owns one
// backend: the backend gives the form a native window inside the host's,
// shows the form's pixels there, reports input and the time, supplies the
// text faces, and may host the platform's own controls (the trackbar on
// Windows) as child windows of its own. Controls and windows above it never
// see which backend runs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "toolkit/FontFace.h"
#include "toolkit/Geometry.h"
#include "toolkit/PixelBuffer.h"
#include "toolkit/Scale.h"

namespace tamrik::tk {

// A platform window handle: an X11 Window id or, on Windows, an HWND.
using NativeWindow = uintptr_t;

// What a backend reports; the form implements it. Positions are in the
// form's client coordinates, in device pixels (the form maps them back to
// its logical ones).
class BackendEvents {
public:
    virtual void BackendMouseMove(TPoint client) = 0;
    virtual void BackendLeftButton(bool down, TPoint client) = 0;
    // delta: +1 for one notch away from the user, -1 towards.
    virtual void BackendWheel(TPoint client, int delta) = 0;
    virtual void BackendKey(bool down, uint32_t virtualKey) = 0;
    // A right-button press; its release means nothing to the toolkit.
    virtual void BackendRightButton(TPoint client) = 0;
    // A character typed (a code point; 8 for backspace), for the control
    // with the focus.
    virtual void BackendChar(uint32_t character) = 0;
    virtual void BackendExpose(const TRect& area) = 0;
    // A notification (TK_WM_HSCROLL, TK_WM_VSCROLL) that the native control
    // sender sent to the form's window.
    virtual void BackendControlNotify(uint32_t msg, uintptr_t wParam, NativeWindow sender) = 0;
    // A press on the native control sender that the toolkit's habits take
    // (TK_WM_LBUTTONDBLCLK, or TK_WM_LBUTTONDOWN with TK_MK_CONTROL): true
    // when the control acted on it, and the native control must not.
    virtual bool BackendControlPress(uint32_t msg, uintptr_t wParam, NativeWindow sender) = 0;
    // A tick of the platform's own timer, for backends whose host runs the
    // message loop (Win32): due timers fire and pending painting is done.
    virtual void BackendTimer() = 0;

protected:
    ~BackendEvents() = default;
};

// A child window of a platform window class inside the form's window. It
// draws itself and takes its own input; the toolkit only sends it messages
// and keeps its rectangle and visibility in step with the control's. It
// lives in device pixels: the backend scales the lengths its messages carry.
class NativeControl {
public:
    virtual ~NativeControl() = default;
    virtual NativeWindow Handle() const = 0;
    virtual intptr_t Send(uint32_t msg, uintptr_t wParam, intptr_t lParam) = 0;
    // formArea in the form's client coordinates, device pixels.
    virtual void Place(const TRect& formArea, bool visible) = 0;
};

class Backend {
public:
    virtual ~Backend() = default;

    // Creates the form's native window as a child of parent at (0, 0);
    // sizes here and in Resize and Present are device pixels.
    // False, with nothing left behind, if parent is not a usable window.
    virtual bool Open(NativeWindow parent, int width, int height, BackendEvents& events) = 0;
    // Destroys the native window and frees every resource; safe to repeat.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual NativeWindow Window() const = 0;

    virtual void SetVisible(bool visible) = 0;
    virtual void Resize(int width, int height) = 0;
    // Shows area of surface (the whole form) on the screen.
    virtual void Present(const PixelBuffer& surface, const TRect& area) = 0;

    // Screen position of the form's client (0, 0), and of the cursor.
    virtual TPoint ClientOrigin() const = 0;
    virtual TPoint CursorPos() const = 0;
    // Keeps mouse input coming to the form while a control holds capture.
    virtual void CaptureMouse(bool capture) = 0;
    // The modifiers held at the input being reported (TK_MK_SHIFT,
    // TK_MK_CONTROL).
    virtual uint32_t KeyModifiers() const { return 0; }

    // The scale the platform asks for (the desktop's or the parent window's
    // resolution), as a percent; 0 when it says nothing. Asked once open.
    virtual int PlatformScalePercent() const { return 0; }

    // Milliseconds on a clock that only moves forward.
    virtual uint64_t NowMs() const = 0;
    // Delivers every pending native event to the form; never blocks.
    virtual void Pump() = 0;
    // While open, a file descriptor that turns readable when native events
    // wait (X11's connection), for hosts that watch descriptors and pump
    // then; -1 where the host's message loop delivers them itself.
    virtual int EventDescriptor() const { return -1; }

    // A face of family at pixelHeight (the em size at 100 %) drawn at
    // scale; never null: the built-in face stands in when the system has
    // nothing usable.
    virtual std::unique_ptr<FontFace> OpenFont(const std::string& family, int pixelHeight, Scale scale) const {
        return OpenSystemFontFace(family, scale.Dev(pixelHeight));
    }
    // The platform's own control of className at the form's scale, or null
    // when the toolkit is to draw its stand-in. Only called while the
    // backend is open.
    virtual std::unique_ptr<NativeControl> CreateNativeControl(const std::string& /*className*/,
                                                               uint32_t /*style*/, const TRect& /*formArea*/,
                                                               Scale /*scale*/) {
        return nullptr;
    }
};

}  // namespace tamrik::tk
