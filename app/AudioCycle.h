// One audio period of the standalone program, whichever back end asks for
// it: the period's MIDI at its frames (JACK MIDI), what the ALSA sequencer
// sent since the last period at its first frame, then the render through a
// BlockRunner, as the plug-ins play a block. The time each period takes is
// measured (the monotonic clock, no system call) as a share of the period:
// on average and the largest since the start, relaxed atomics the main
// thread reads.
//
// Audio thread only, but for the constructor, setRate and the loads.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>

#include "app/MidiRing.h"
#include "binding/BlockRunner.h"
#include "synth/Instrument.h"

namespace tamrik::app {

class AudioCycle {
public:
    // `sequencer` may be nullptr (no ALSA sequencer input); it outlives the cycle.
    AudioCycle(Instrument& instrument, MidiRing* sequencer) : runner_(instrument), sequencer_(sequencer) {}

    void midi(uint32_t frame, const uint8_t* bytes, size_t size) { runner_.midi(frame, bytes, size); }

    void run(float* const* outputs, uint32_t frames) {
        const auto start = std::chrono::steady_clock::now();
        if (sequencer_) {
            MidiMessage message;
            while (sequencer_->pop(message)) runner_.midi(0, message.bytes, message.size);
        }
        runner_.run(outputs, frames);
        const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
        const float share =
            frames ? float(spent.count() * double(rate_.load(std::memory_order_relaxed)) / double(frames)) : 0.0f;
        // The audio thread is the only writer: load and store, no read-modify-write.
        total_.store(total_.load(std::memory_order_relaxed) + double(share), std::memory_order_relaxed);
        periods_.store(periods_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
        if (share > peak_.load(std::memory_order_relaxed)) peak_.store(share, std::memory_order_relaxed);
    }

    // Any thread.
    void setRate(float rate) { rate_.store(rate, std::memory_order_relaxed); }
    float load() const {
        const uint64_t periods = periods_.load(std::memory_order_relaxed);
        return periods ? float(total_.load(std::memory_order_relaxed) / double(periods)) : 0.0f;
    }
    float peakLoad() const { return peak_.load(std::memory_order_relaxed); }

private:
    binding::BlockRunner runner_;
    MidiRing* const sequencer_;
    std::atomic<float> rate_{48000.0f};
    std::atomic<double> total_{0.0};
    std::atomic<uint64_t> periods_{0};
    std::atomic<float> peak_{0.0f};
};

}  // namespace tamrik::app
