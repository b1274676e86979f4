// Drawn on stderr with a carriage return so that the summary line on stdout
// stays clean when it is piped.
#include "ProgressBar.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace tamrik::render {

namespace {
constexpr int kBarWidth = 40;
}  // namespace

ProgressBar::ProgressBar(bool wanted) : enabled(wanted && isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() {
    if (shown) std::fprintf(stderr, "\r%*s\r", kBarWidth + 16, "");
}

void ProgressBar::update(double fraction) {
    if (!enabled) return;
    const Clock::time_point now = Clock::now();
    if (now - begin < std::chrono::seconds(1) || now - lastDrawn < std::chrono::milliseconds(100))
        return;
    lastDrawn = now;
    shown = true;
    const int filled = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * kBarWidth);
    const std::string bar = std::string(static_cast<size_t>(filled), '#') +
                            std::string(static_cast<size_t>(kBarWidth - filled), '.');
    std::fprintf(stderr, "\rrendering [%s] %3d%%", bar.c_str(),
                 static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 100.0));
    std::fflush(stderr);
}

}  // namespace tamrik::render
