// A value that two threads share without a lock: a relaxed atomic, read and
// written as a plain value. Each read sees a whole old or new value; nothing
// is ordered with it, which is all a parameter or a host setting needs.
#pragma once

#include <atomic>

namespace tamrik {

template <typename T>
struct Shared {
    static_assert(std::atomic<T>::is_always_lock_free, "the audio thread never waits");
    std::atomic<T> v{};
    Shared() = default;
    explicit Shared(T x) : v(x) {}
    T get() const { return v.load(std::memory_order_relaxed); }
    void set(T x) { v.store(x, std::memory_order_relaxed); }
};

}  // namespace tamrik
