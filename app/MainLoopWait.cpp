#include "app/MainLoopWait.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace tamrik::app {

namespace {

volatile std::sig_atomic_t quitSignalled = 0;

extern "C" void onQuitSignal(int) { quitSignalled = 1; }

constexpr int kQuitSignals[] = {SIGINT, SIGTERM, SIGHUP};

sigset_t quitSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : kQuitSignals) sigaddset(&set, s);
    return set;
}

}  // namespace

MainLoopWait::MainLoopWait() {
    eventFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (eventFd_ < 0) throw std::runtime_error("cannot make an event descriptor");
    const sigset_t set = quitSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    struct sigaction action {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    for (int s : kQuitSignals) sigaction(s, &action, nullptr);
}

MainLoopWait::~MainLoopWait() { close(eventFd_); }

void MainLoopWait::wait(std::span<const int> descriptors, int timeoutMs) {
    sigset_t during;
    pthread_sigmask(SIG_BLOCK, nullptr, &during);
    for (int s : kQuitSignals) sigdelset(&during, s);
    std::vector<pollfd> fds{{eventFd_, POLLIN, 0}};
    for (int d : descriptors)
        if (d >= 0) fds.push_back({d, POLLIN, 0});
    const timespec timeout{timeoutMs / 1000, long(timeoutMs % 1000) * 1000000L};
    if (quitSignalled) return;
    if (ppoll(fds.data(), fds.size(), timeoutMs < 0 ? nullptr : &timeout, &during) > 0 && fds[0].revents) {
        // Reading resets the count; how many wakes came does not matter.
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t n = read(eventFd_, &count, sizeof count);
    }
}

bool MainLoopWait::quitRequested() const { return quitSignalled != 0; }

void MainLoopWait::wake() {
    const uint64_t one = 1;
    // A full counter still wakes the reader; nothing to do about a failure.
    [[maybe_unused]] const ssize_t n = write(eventFd_, &one, sizeof one);
}

}  // namespace tamrik::app
