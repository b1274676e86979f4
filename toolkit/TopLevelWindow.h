// A top-level window of the desktop's, fixed in size, for a program that
// shows a panel of its own (tamrik-host, a standalone player): the panel
// opens in it as in a host's window. On X11 it keeps a display connection
// of its own (the panel keeps its own); on Windows its messages, the
// panel's among them, are dispatched by pump() (TopLevelWindowWin32.cpp).
#pragma once

#if !defined(_WIN32)
#include <X11/Xlib.h>
#endif

#include <cstdint>
#include <string>

#include "toolkit/PixelBuffer.h"

namespace tamrik::tk {

class TopLevelWindow {
public:
    // Throws std::runtime_error without a display.
    TopLevelWindow(int width, int height, const std::string& title);
    ~TopLevelWindow();
    TopLevelWindow(const TopLevelWindow&) = delete;
    TopLevelWindow& operator=(const TopLevelWindow&) = delete;

    // The id a panel opens in (what a plug-in's effEditOpen expects), as a
    // pointer.
    void* handle() const { return reinterpret_cast<void*>(uintptr_t(window_)); }
    // Handles the host's own events; false once the user closed the window.
    bool pump();
    // Where the window's own events arrive (X11's connection), for a loop
    // that watches descriptors; -1 on Windows.
    int eventDescriptor() const;
    // Shows or hides the window (a session manager's optional GUI); the
    // panel in it keeps running either way.
    void setShown(bool shown);
    // A new size, kept fixed as before (a panel that took another scale).
    void resize(int width, int height);
    // A plain child window at this place, for a second panel beside the
    // first (its id, as handle()); moved with placeArea.
    void* addArea(int x, int y, int width, int height);
    void placeArea(void* area, int x, int y, int width, int height);
    // Above every other child window, or under every one.
    void raiseArea(void* area, bool above);
    // What the window shows, panel included, as a .bmp file or (where
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

// Writes pixels as BMP when path ends in ".bmp", else as PNG (not on
// Windows, which has no libpng: false there).
bool SaveImageFile(const PixelBuffer& pixels, const std::string& path);

}  // namespace tamrik::tk
