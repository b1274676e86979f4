// The backend for Windows hosts: the form as a WS_CHILD window of the host's
// HWND, painted from a DIB section, driven by the host's message loop, with
// the common-controls trackbar as the native control of its class.
#pragma once

#include <memory>

#include "toolkit/Backend.h"

namespace tamrik::tk {

std::unique_ptr<Backend> CreateWin32Backend();

}  // namespace tamrik::tk
