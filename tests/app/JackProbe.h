// The tests' own JACK side: one client that sends MIDI notes at chosen
// frames, another that records audio, both counted from the same cycle.
// With the sender's output feeding the program under test and its outputs
// feeding the recorder, JACK runs the three in that order each cycle, so the
// recording starts with the cycle the first note is sent in, as an offline
// render starts with its first block. The recording is preallocated; the
// callbacks only copy.
#pragma once

#include <jack/jack.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace tamrik::test {

struct TimedNote {
    uint32_t frame;
    std::array<uint8_t, 3> bytes;
};

class JackProbe {
public:
    static constexpr const char* kSender = "tamrik-probe-notes";
    static constexpr const char* kRecorder = "tamrik-probe-record";

    // On the server JACK_DEFAULT_SERVER names; false from ok() without one.
    explicit JackProbe(int channels);
    ~JackProbe();
    JackProbe(const JackProbe&) = delete;
    JackProbe& operator=(const JackProbe&) = delete;

    bool ok() const { return sender_ && recorder_; }
    static std::string senderPort() { return std::string(kSender) + ":out"; }
    static std::string recorderPort(int channel) { return std::string(kRecorder) + ":in_" + std::to_string(channel + 1); }

    bool portExists(const std::string& name) const;
    // The full names of every port whose name starts with `prefix`.
    std::vector<std::string> portsOf(const std::string& prefix) const;
    bool connected(const std::string& a, const std::string& b) const;
    bool connect(const std::string& from, const std::string& to);
    // Asks the server for another period and waits until it runs it.
    bool setBufferSize(uint32_t frames);

    // Sends `notes` and records `frames` frames of every channel; then
    // waits until the recording is whole. False at the deadline.
    bool play(const std::vector<TimedNote>& notes, size_t frames, std::chrono::seconds deadline = std::chrono::seconds(60));
    const std::vector<float>& recorded(int channel) const { return recorded_[size_t(channel)]; }
    // The server's xruns since the probe came (any client's).
    uint32_t xruns() const { return xruns_.load(std::memory_order_relaxed); }
    // Whether every cycle came after the one before (none lost).
    bool gapless() const { return !gap_.load(std::memory_order_acquire); }
    // The first recorded cycle was the first note's.
    bool alignedStart() const { return aligned_.load(std::memory_order_acquire); }

private:
    static int send(jack_nframes_t frames, void* self);
    static int record(jack_nframes_t frames, void* self);
    void sendCycle(jack_nframes_t frames);
    void recordCycle(jack_nframes_t frames);

    jack_client_t* sender_ = nullptr;
    jack_client_t* recorder_ = nullptr;
    jack_port_t* out_ = nullptr;
    std::vector<jack_port_t*> in_;
    std::vector<std::vector<float>> recorded_;
    std::vector<TimedNote> notes_;
    size_t frames_ = 0;

    enum State : int { kIdle, kArmed, kWarm, kStarted };
    std::atomic<int> state_{kIdle};
    std::atomic<jack_nframes_t> start_{0};
    std::atomic<bool> done_{false}, gap_{false}, aligned_{false};
    std::atomic<uint32_t> xruns_{0};
    // Cycles each callback has finished: a play returns only once both have
    // seen it end, so the next one never changes what a callback reads.
    std::atomic<uint64_t> sent_{0}, taken_{0};
    size_t nextNote_ = 0;   // the sender's alone
    size_t expected_ = 0;   // the recorder's alone
    bool first_ = true;     // the recorder's alone
};

}  // namespace tamrik::test
