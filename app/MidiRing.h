// Short MIDI messages handed from one thread to one other without a lock:
// the ALSA sequencer's thread pushes, the audio thread pops at the start of
// its block. A fixed ring of single messages; the two indices only grow and
// are read modulo the size, so full and empty never look alike. A message
// that finds the ring full is dropped: the audio side never waits for room.
//
// push: one producer thread. pop: one consumer thread (the audio thread).
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace tamrik::app {

struct MidiMessage {
    uint8_t bytes[3] = {};
    uint8_t size = 0;
};

class MidiRing {
public:
    static constexpr size_t kSize = 1024;  // a power of two
    static_assert((kSize & (kSize - 1)) == 0);

    bool push(const MidiMessage& message) {
        const size_t write = write_.load(std::memory_order_relaxed);
        if (write - read_.load(std::memory_order_acquire) == kSize) {
            dropped_.fetch_add(1, std::memory_order_relaxed);
            return false;
        }
        slots_[write % kSize] = message;
        write_.store(write + 1, std::memory_order_release);
        return true;
    }

    bool pop(MidiMessage& message) {
        const size_t read = read_.load(std::memory_order_relaxed);
        if (read == write_.load(std::memory_order_acquire)) return false;
        message = slots_[read % kSize];
        read_.store(read + 1, std::memory_order_release);
        return true;
    }

    // Messages lost to a full ring, for the report at the end.
    uint32_t dropped() const { return dropped_.load(std::memory_order_relaxed); }

private:
    std::array<MidiMessage, kSize> slots_{};
    // Apart, so that the two threads do not share a cache line for them.
    alignas(64) std::atomic<size_t> write_{0};
    alignas(64) std::atomic<size_t> read_{0};
    std::atomic<uint32_t> dropped_{0};
};

}  // namespace tamrik::app
