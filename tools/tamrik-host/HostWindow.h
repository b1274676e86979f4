// The top-level X11 window tamrik-host opens the plug-in's editor in, on a
// display connection of the host's own (the editor keeps its own), the way
// a Linux host gives a plug-in a window.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <string>

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
    // What the window shows, editor included, as a PNG; false on failure.
    bool saveScreenshot(const std::string& path);

private:
    Display* display_ = nullptr;
    Window window_ = 0;
    Atom deleteWindow_ = 0;
    int width_;
    int height_;
};

}  // namespace tamrik::host
