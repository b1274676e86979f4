// The backend for X11 hosts: the form as a child window of the host's
// window, on a display connection of its own.
#pragma once

#include <memory>

#include "toolkit/Backend.h"

namespace tamrik::tk {

// Connects to $DISPLAY when the form is parented; Open fails (returns
// false) without a display or when the parent is not a window.
std::unique_ptr<Backend> CreateX11Backend();

}  // namespace tamrik::tk
