// The backend a form gets inside a real host: X11 on Linux, Win32 on
// Windows. Each platform's backend file defines it, and the build compiles
// the one file of its platform, so the choice is made in one place.
#pragma once

#include <memory>

#include "toolkit/Backend.h"

namespace tamrik::tk {

std::unique_ptr<Backend> CreatePlatformBackend();

}  // namespace tamrik::tk
