// A progress bar on the terminal for renders that take a while: it stays
// hidden for the first second (a quick render should print only its summary),
// draws at most ten times a second, and is wiped again when the work is done.
// Off when the error stream is not a terminal or when asked to be quiet.
#pragma once

#include <chrono>

namespace tamrik::render {

class ProgressBar {
public:
    explicit ProgressBar(bool enabled);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void update(double fraction);

private:
    using Clock = std::chrono::steady_clock;
    bool enabled;
    bool shown = false;
    Clock::time_point begin = Clock::now();
    Clock::time_point lastDrawn{};
};

}  // namespace tamrik::render
