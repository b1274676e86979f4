// The top-level window tamrik-host opens the plug-in's editor in, the way a
// host gives a plug-in a window: on X11 on a display connection of the
// host's own (the editor keeps its own), on Windows an HWND whose messages
// the host's loop dispatches (HostWindowWin32.cpp).
#pragma once

#if !defined(_WIN32)
#include <X11/Xlib.h>
#endif

#include <cstdint>
#include <string>

namespace tamrik::tk {
class PixelBuffer;
}

namespace tamrik::host {

class HostWindow {
public:
    // Throws std::runtime_error without a display.
    HostWindow(int width, int height, const std::string& title);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    // The id a plug-in's effEditOpen expects, as a pointer.
    void* handle() const { return reinterpret_cast<void*>(uintptr_t(window_)); }
    // Handles the host's own events; false once the user closed the window.
    bool pump();
    // What the window shows, editor included, as a .bmp file or (where
    // libpng is built: not on Windows) a PNG; false on failure.
    bool saveScreenshot(const std::string& path);

private:
#if defined(_WIN32)
    void* window_ = nullptr;  // HWND
#else
    Display* display_ = nullptr;
    Window window_ = 0;
    Atom deleteWindow_ = 0;
#endif
    int width_;
    int height_;
};

// Writes pixels as BMP when path ends in ".bmp", else as PNG.
bool saveImage(const tk::PixelBuffer& pixels, const std::string& path);

}  // namespace tamrik::host
