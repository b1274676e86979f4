// The main thread's one wait: until a quit signal (SIGINT, SIGTERM, SIGHUP),
// a wake from another thread (JACK's notifications) or, for a window's
// sake, one of its descriptors turning readable or a timeout. The signals are
// blocked in every thread but while the main thread waits, and their handler
// only sets a flag; ppoll unblocks them and waits in one step, so a signal
// can never slip in between the check and the wait.
//
// Make one before any other thread starts (the threads inherit the blocked
// signals); one per process.
#pragma once

#include <span>

namespace tamrik::app {

class MainLoopWait {
public:
    MainLoopWait();
    ~MainLoopWait();
    MainLoopWait(const MainLoopWait&) = delete;
    MainLoopWait& operator=(const MainLoopWait&) = delete;

    // Main thread: returns after a signal or a wake (at once for a wake
    // that came since the last return), when one of `descriptors` is
    // readable, or after timeoutMs (never, when negative).
    void wait(std::span<const int> descriptors = {}, int timeoutMs = -1);
    bool quitRequested() const;
    // Any thread but the audio thread: one write to an eventfd.
    void wake();

private:
    int eventFd_ = -1;
};

}  // namespace tamrik::app
