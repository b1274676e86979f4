#include "JackProbe.h"

#include "Eventually.h"

#include <jack/midiport.h>

#include <algorithm>
#include <cstring>
#include <thread>

namespace tamrik::test {

JackProbe::JackProbe(int channels) : recorded_(size_t(channels)) {
    jack_set_error_function([](const char*) {});
    jack_set_info_function([](const char*) {});
    sender_ = jack_client_open(kSender, JackOptions(JackNoStartServer | JackUseExactName), nullptr);
    recorder_ = jack_client_open(kRecorder, JackOptions(JackNoStartServer | JackUseExactName), nullptr);
    if (!ok()) return;
    out_ = jack_port_register(sender_, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    for (int c = 0; c < channels; ++c)
        in_.push_back(jack_port_register(recorder_, ("in_" + std::to_string(c + 1)).c_str(), JACK_DEFAULT_AUDIO_TYPE,
                                         JackPortIsInput, 0));
    jack_set_process_callback(sender_, &JackProbe::send, this);
    jack_set_process_callback(recorder_, &JackProbe::record, this);
    jack_set_xrun_callback(
        sender_,
        [](void* self) {
            static_cast<JackProbe*>(self)->xruns_.fetch_add(1, std::memory_order_relaxed);
            return 0;
        },
        this);
    jack_activate(sender_);
    jack_activate(recorder_);
}

JackProbe::~JackProbe() {
    for (jack_client_t* client : {sender_, recorder_})
        if (client) {
            jack_deactivate(client);
            jack_client_close(client);
        }
}

bool JackProbe::portExists(const std::string& name) const { return ok() && jack_port_by_name(sender_, name.c_str()); }

bool JackProbe::setBufferSize(uint32_t frames) {
    return jack_set_buffer_size(sender_, frames) == 0 &&
           eventually([&] { return jack_get_buffer_size(sender_) == frames; });
}

std::vector<std::string> JackProbe::portsOf(const std::string& prefix) const {
    std::vector<std::string> out;
    if (const char** names = jack_get_ports(sender_, nullptr, nullptr, 0)) {
        for (const char** at = names; *at; ++at)
            if (std::string_view(*at).starts_with(prefix)) out.emplace_back(*at);
        jack_free(names);
    }
    return out;
}

bool JackProbe::connected(const std::string& a, const std::string& b) const {
    jack_port_t* port = jack_port_by_name(sender_, a.c_str());
    return port && jack_port_connected_to(port, b.c_str());
}

bool JackProbe::connect(const std::string& from, const std::string& to) {
    const int result = jack_connect(sender_, from.c_str(), to.c_str());
    return result == 0 || result == EEXIST;
}

bool JackProbe::play(const std::vector<TimedNote>& notes, size_t frames, std::chrono::seconds deadline) {
    notes_ = notes;
    std::sort(notes_.begin(), notes_.end(), [](const TimedNote& a, const TimedNote& b) { return a.frame < b.frame; });
    for (std::vector<float>& channel : recorded_) channel.assign(frames, 0.0f);
    frames_ = frames;
    nextNote_ = expected_ = 0;
    first_ = true;
    done_.store(false);
    gap_.store(false);
    aligned_.store(false);
    state_.store(kArmed, std::memory_order_release);
    const bool whole = eventually([&] { return done_.load(std::memory_order_acquire); }, deadline);
    state_.store(kIdle, std::memory_order_release);
    const uint64_t sent = sent_.load(), taken = taken_.load();
    return eventually([&] { return sent_.load() >= sent + 2 && taken_.load() >= taken + 2; }, deadline) && whole;
}

int JackProbe::send(jack_nframes_t frames, void* arg) {
    auto& self = *static_cast<JackProbe*>(arg);
    self.sendCycle(frames);
    self.sent_.fetch_add(1, std::memory_order_release);
    return 0;
}

int JackProbe::record(jack_nframes_t frames, void* arg) {
    auto& self = *static_cast<JackProbe*>(arg);
    self.recordCycle(frames);
    self.taken_.fetch_add(1, std::memory_order_release);
    return 0;
}

void JackProbe::sendCycle(jack_nframes_t frames) {
    void* buffer = jack_port_get_buffer(out_, frames);
    jack_midi_clear_buffer(buffer);
    const int state = state_.load(std::memory_order_acquire);
    const jack_nframes_t now = jack_last_frame_time(sender_);
    // One cycle passes after arming, so the connections just made are in
    // the graph before the first note.
    if (state == kArmed) {
        state_.store(kWarm, std::memory_order_relaxed);
        return;
    }
    if (state == kWarm) {
        start_.store(now, std::memory_order_relaxed);
        state_.store(kStarted, std::memory_order_release);
    } else if (state != kStarted) {
        return;
    }
    const uint32_t offset = now - start_.load(std::memory_order_relaxed);
    for (; nextNote_ < notes_.size() && notes_[nextNote_].frame < offset + frames; ++nextNote_) {
        const TimedNote& note = notes_[nextNote_];
        jack_midi_event_write(buffer, note.frame - offset, note.bytes.data(), note.bytes.size());
    }
}

void JackProbe::recordCycle(jack_nframes_t frames) {
    if (state_.load(std::memory_order_acquire) != kStarted || done_.load(std::memory_order_relaxed)) return;
    const uint32_t offset = jack_last_frame_time(recorder_) - start_.load(std::memory_order_relaxed);
    if (offset > UINT32_MAX / 2) return;  // a cycle before the start
    if (first_) aligned_.store(offset == 0, std::memory_order_release);
    if (!first_ && offset != expected_) gap_.store(true, std::memory_order_release);
    first_ = false;
    expected_ = size_t(offset) + frames;
    for (size_t c = 0; c < in_.size(); ++c) {
        const auto* in = static_cast<const float*>(jack_port_get_buffer(in_[c], frames));
        if (offset < frames_)
            std::memcpy(recorded_[c].data() + offset, in, sizeof(float) * std::min<size_t>(frames, frames_ - offset));
    }
    if (expected_ >= frames_) done_.store(true, std::memory_order_release);
}

}  // namespace tamrik::test
