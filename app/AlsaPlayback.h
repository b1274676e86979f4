// The instrument played on an ALSA PCM device, where no JACK server runs or
// the command line names a device: opened for playback at the asked rate
// and period (the device may choose the nearest it has), two periods of
// buffer, and an audio thread of its own that renders a period and writes
// it, the write's wait being its only one. The thread asks for SCHED_FIFO;
// without real-time privileges it plays on at normal priority (one warning
// line, never a request for more). An underrun is counted and the device
// prepared again; a device that goes away stops the thread and wakes the
// main thread.
//
// Main thread, but for the audio thread's own loop.
#pragma once

#include <alsa/asoundlib.h>
#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/AlsaPeriod.h"
#include "app/AudioBackend.h"
#include "app/MainLoopWait.h"

namespace tamrik::app {

class AlsaPlayback : public AudioBackend {
public:
    struct Settings {
        std::string device = "default";
        uint32_t rate = 48000;
        uint32_t period = 64;
    };

    // Opens and sets up the device; throws AudioError (one line: no sound
    // card at all, or what the device refused).
    AlsaPlayback(Instrument& instrument, const Settings& settings, MidiRing* sequencer, MainLoopWait& wake);
    ~AlsaPlayback() override;
    AlsaPlayback(const AlsaPlayback&) = delete;
    AlsaPlayback& operator=(const AlsaPlayback&) = delete;

    // Whether the machine has a sound card ALSA knows of.
    static bool anySoundCard();

    void activate() override;
    void close() override;

    std::string description() const override;
    uint32_t sampleRate() const override { return rate_; }
    uint32_t bufferSize() const override { return period_ ? period_->frames() : 0; }
    uint32_t xruns() const override { return xruns_.load(std::memory_order_relaxed); }
    float load() const override { return period_ ? period_->cycle().load() : 0.0f; }
    float peakLoad() const override { return period_ ? period_->cycle().peakLoad() : 0.0f; }
    bool stopped() const override { return error_.load(std::memory_order_acquire) != 0; }
    std::string stopReason() const override;
    // After activate(): whether the audio thread got real-time priority.
    bool realtime() const { return realtime_; }

private:
    static void* threadEntry(void* self);
    void play();

    Instrument& instrument_;
    MainLoopWait& wake_;
    std::string device_;
    snd_pcm_t* pcm_ = nullptr;
    uint32_t rate_ = 0;
    std::optional<AlsaPeriod> period_;
    std::vector<uint8_t> bytes_;
    pthread_t thread_{};
    bool started_ = false;
    bool realtime_ = false;
    std::atomic<bool> running_{false};
    std::atomic<uint32_t> xruns_{0};
    std::atomic<int> error_{0};  // the write's error code that stopped the thread
};

}  // namespace tamrik::app
