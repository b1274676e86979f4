#include "app/AlsaSequencerInput.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "app/NameMatch.h"
#include "app/SequencerMessage.h"

namespace tamrik::app {

namespace {

extern "C" void quietSequencer(const char*, int, const char*, int, const char*, ...) {}

constexpr unsigned kReadable = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ;

// "20:0" as a client and a port; false for anything else.
bool numericAddress(const std::string& text, int& client, int& port) {
    char* end = nullptr;
    const long c = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != ':') return false;
    const char* portText = end + 1;
    const long p = std::strtol(portText, &end, 10);
    if (end == portText || *end != '\0' || c < 0 || c > 255 || p < 0 || p > 255) return false;
    client = int(c);
    port = int(p);
    return true;
}

}  // namespace

AlsaSequencerInput::AlsaSequencerInput(const std::string& clientName, MidiRing& ring) : ring_(ring) {
    snd_lib_error_set_handler(quietSequencer);
    if (const int e = snd_seq_open(&seq_, "default", SND_SEQ_OPEN_INPUT | SND_SEQ_OPEN_OUTPUT, 0); e < 0) {
        seq_ = nullptr;
        throw AudioError(std::string("no ALSA sequencer for MIDI input: ") + snd_strerror(e));
    }
    snd_seq_set_client_name(seq_, clientName.c_str());
    port_ = snd_seq_create_simple_port(seq_, kPortName, SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
                                       SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (port_ < 0 || wakeFd_ < 0) {
        if (wakeFd_ >= 0) ::close(wakeFd_);
        snd_seq_close(seq_);
        throw AudioError("the ALSA sequencer refused our MIDI input port");
    }
    // Told when ports appear, so that a source named before it exists is
    // connected when it does.
    snd_seq_connect_from(seq_, port_, SND_SEQ_CLIENT_SYSTEM, SND_SEQ_PORT_SYSTEM_ANNOUNCE);
    snd_seq_nonblock(seq_, 1);
}

AlsaSequencerInput::~AlsaSequencerInput() {
    if (thread_.joinable()) {
        stop_.store(true, std::memory_order_relaxed);
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = write(wakeFd_, &one, sizeof one);
        thread_.join();
    }
    ::close(wakeFd_);
    snd_seq_close(seq_);
}

std::string AlsaSequencerInput::address() const {
    return std::to_string(snd_seq_client_id(seq_)) + ":" + std::to_string(port_);
}

void AlsaSequencerInput::connectSource(const std::string& text) {
    {
        const std::lock_guard<std::mutex> guard(pendingLock_);
        pending_.push_back(text);
    }
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(wakeFd_, &one, sizeof one);
}

void AlsaSequencerInput::start() { thread_ = std::thread([this] { listen(); }); }

bool AlsaSequencerInput::connectNow(const std::string& text) {
    int client = -1, port = -1;
    if (numericAddress(text, client, port)) return snd_seq_connect_from(seq_, port_, client, port) == 0;
    const int self = snd_seq_client_id(seq_);
    snd_seq_client_info_t* clientInfo = nullptr;
    snd_seq_port_info_t* portInfo = nullptr;
    snd_seq_client_info_alloca(&clientInfo);
    snd_seq_port_info_alloca(&portInfo);
    snd_seq_client_info_set_client(clientInfo, -1);
    while (snd_seq_query_next_client(seq_, clientInfo) >= 0) {
        const int c = snd_seq_client_info_get_client(clientInfo);
        if (c == self || c == SND_SEQ_CLIENT_SYSTEM) continue;
        const std::string clientName = snd_seq_client_info_get_name(clientInfo);
        snd_seq_port_info_set_client(portInfo, c);
        snd_seq_port_info_set_port(portInfo, -1);
        while (snd_seq_query_next_port(seq_, portInfo) >= 0) {
            if ((snd_seq_port_info_get_capability(portInfo) & kReadable) != kReadable) continue;
            const std::string portName = snd_seq_port_info_get_name(portInfo);
            if (!containsIgnoringCase(clientName + ":" + portName, text)) continue;
            const int p = snd_seq_port_info_get_port(portInfo);
            if (snd_seq_connect_from(seq_, port_, c, p) != 0) continue;
            std::printf("drumtamrik: MIDI from %s:%s (%d:%d)\n", clientName.c_str(), portName.c_str(), c, p);
            std::fflush(stdout);
            return true;
        }
    }
    return false;
}

void AlsaSequencerInput::connectPending() {
    const std::lock_guard<std::mutex> guard(pendingLock_);
    std::erase_if(pending_, [&](const std::string& text) { return connectNow(text); });
}

void AlsaSequencerInput::listen() {
    const int count = snd_seq_poll_descriptors_count(seq_, POLLIN);
    std::vector<pollfd> fds(size_t(count) + 1);
    snd_seq_poll_descriptors(seq_, fds.data(), unsigned(count), POLLIN);
    fds[size_t(count)] = {wakeFd_, POLLIN, 0};
    while (!stop_.load(std::memory_order_relaxed)) {
        if (poll(fds.data(), fds.size(), -1) < 0) continue;
        if (fds[size_t(count)].revents & POLLIN) {
            uint64_t wakes = 0;
            [[maybe_unused]] const ssize_t n = read(wakeFd_, &wakes, sizeof wakes);
            connectPending();
        }
        snd_seq_event_t* event = nullptr;
        bool portsChanged = false;
        while (snd_seq_event_input(seq_, &event) >= 0 && event) {
            if (event->type == SND_SEQ_EVENT_PORT_START) portsChanged = true;
            else if (const std::optional<MidiMessage> message = midiMessageOf(*event))
                ring_.push(*message);
        }
        if (portsChanged) connectPending();
    }
}

}  // namespace tamrik::app
