// The parameter changes the editor made, on their way to the host: the UI
// thread adds them, and the next process or params flush, on whichever
// thread the host calls it, turns them into output events. One writer and
// one reader at a time, no lock: a ring of fixed size with two atomic
// counters, so the reading side never allocates or waits.
//
// A change is written whole or not at all; a full ring drops it (the
// instrument already has the value; only the host's automation record
// misses it). A writer can keep slots in reserve, so that the end of every
// gesture it has begun always finds room: a host never sees a gesture that
// does not end.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace tamrik::clap {

struct EditorChange {
    enum class Kind : uint32_t { Begin, Value, End };
    Kind kind;
    uint32_t id;
    double value;  // as the host sees it (Value only)
};

class EditorChanges {
public:
    // UI thread. False, writing nothing, when fewer than count + reserve
    // slots are free.
    bool push(const EditorChange* changes, uint32_t count, uint32_t reserve = 0) {
        const uint32_t head = head_.load(std::memory_order_relaxed);
        const uint32_t tail = tail_.load(std::memory_order_acquire);
        if (kCapacity - (head - tail) < count + reserve) return false;
        for (uint32_t k = 0; k < count; ++k) ring_[(head + k) % kCapacity] = changes[k];
        head_.store(head + count, std::memory_order_release);
        return true;
    }

    // The reading thread: hands each waiting change to emit in order, until
    // emit answers false (the host's list is full); that one stays for the
    // next time.
    template <typename Emit>
    void drain(Emit&& emit) {
        uint32_t tail = tail_.load(std::memory_order_relaxed);
        const uint32_t head = head_.load(std::memory_order_acquire);
        while (tail != head && emit(ring_[tail % kCapacity])) ++tail;
        tail_.store(tail, std::memory_order_release);
    }

    bool empty() const {
        return head_.load(std::memory_order_acquire) == tail_.load(std::memory_order_acquire);
    }

    // A whole kit loaded from the panel (482 values, each its own gesture)
    // fits; a power of two, so the counters wrap cleanly.
    static constexpr uint32_t kCapacity = 4096;

private:
    std::array<EditorChange, kCapacity> ring_{};
    std::atomic<uint32_t> head_{0}, tail_{0};
};

}  // namespace tamrik::clap
