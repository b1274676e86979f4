// The one wait of these tests: a condition polled until it holds, with a
// deadline that only catches a hang (a busy machine just takes longer).
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace tamrik::test {

inline bool eventually(const std::function<bool()>& condition,
                       std::chrono::steady_clock::duration deadline = std::chrono::seconds(60)) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace tamrik::test
