// libjack reports its own failures on standard error, several lines for one
// missing server; those are silenced, and the session says in one line what
// is missing instead.
#include "app/JackSession.h"

#include <jack/midiport.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "app/NameMatch.h"

namespace tamrik::app {

namespace {

enum Change : uint32_t { kRate = 1, kPorts = 2, kConnections = 4 };

std::string serverName() {
    const char* name = std::getenv("JACK_DEFAULT_SERVER");
    return name && name[0] ? name : "default";
}

// JACK's own lists end with nullptr and are freed by JACK.
std::vector<std::string> taken(const char** names) {
    std::vector<std::string> out;
    if (!names) return out;
    for (const char** at = names; *at; ++at) out.emplace_back(*at);
    jack_free(names);
    return out;
}

}  // namespace

JackSession::JackSession(Instrument& instrument, const std::string& clientName, MainLoopWait& wake, bool jackMidi,
                         MidiRing* sequencer)
    : instrument_(instrument), wake_(wake), cycle_(instrument, sequencer) {
    jack_set_error_function([](const char*) {});
    jack_set_info_function([](const char*) {});
    if (clientName.size() + 1 > size_t(jack_client_name_size()))
        throw JackError("--name: '" + clientName + "' is longer than JACK's " +
                        std::to_string(jack_client_name_size() - 1) + " characters");
    jack_status_t status{};
    client_ = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
    if (!client_) {
        if (status & (JackServerFailed | JackServerError))
            throw JackError("no JACK server '" + serverName() +
                            "' is running: start one (jackd, or PipeWire with pipewire-jack) and try again");
        if (status & JackVersionError) throw JackError("the JACK server speaks another protocol version than libjack here");
        throw JackError("the JACK server '" + serverName() + "' refused the client '" + clientName + "'");
    }
    jack_set_process_callback(client_, &JackSession::process, this);
    jack_set_sample_rate_callback(
        client_,
        [](jack_nframes_t rate, void* self) {
            static_cast<JackSession*>(self)->cycle_.setRate(float(rate));
            static_cast<JackSession*>(self)->note(kRate);
            return 0;
        },
        this);
    jack_set_buffer_size_callback(
        client_,
        [](jack_nframes_t frames, void* self) {
            static_cast<JackSession*>(self)->bufferSize_.store(frames, std::memory_order_relaxed);
            return 0;
        },
        this);
    jack_set_xrun_callback(
        client_,
        [](void* self) {
            static_cast<JackSession*>(self)->xruns_.fetch_add(1, std::memory_order_relaxed);
            return 0;
        },
        this);
    jack_set_port_registration_callback(
        client_, [](jack_port_id_t, int, void* self) { static_cast<JackSession*>(self)->note(kPorts); }, this);
    jack_set_port_connect_callback(
        client_,
        [](jack_port_id_t, jack_port_id_t, int, void* self) { static_cast<JackSession*>(self)->note(kConnections); },
        this);
    jack_on_info_shutdown(
        client_,
        [](jack_status_t, const char* reason, void* arg) {
            auto* self = static_cast<JackSession*>(arg);
            if (reason) std::strncpy(self->shutdownReason_, reason, sizeof self->shutdownReason_ - 1);
            self->gone_.store(true, std::memory_order_release);
            self->wake_.wake();
        },
        this);
    bufferSize_.store(jack_get_buffer_size(client_), std::memory_order_relaxed);

    if (jackMidi) midiIn_ = jack_port_register(client_, kMidiInputName, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    const int32_t channels = std::min(instrument.outputCount(), binding::BlockRunner::kMaxChannels);
    for (int32_t c = 0; c < channels; ++c) {
        char name[64];
        instrument.outputName(c, name, sizeof name);
        outputNames_.emplace_back(name);
        outputs_.push_back(jack_port_register(client_, name, JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0));
    }
    if ((jackMidi && !midiIn_) || std::find(outputs_.begin(), outputs_.end(), nullptr) != outputs_.end()) {
        close();
        throw JackError("the JACK server refused our ports");
    }
}

JackSession::~JackSession() { close(); }

void JackSession::activate() {
    instrument_.setSampleRate(float(jack_get_sample_rate(client_)));
    cycle_.setRate(float(jack_get_sample_rate(client_)));
    if (jack_activate(client_) != 0) throw JackError("the JACK server did not start our client");
    active_ = true;
}

void JackSession::close() {
    if (!client_) return;
    // A server that went away has stopped our callbacks already.
    if (active_ && !serverGone()) jack_deactivate(client_);
    jack_client_close(client_);
    client_ = nullptr;
    active_ = false;
}

int JackSession::process(jack_nframes_t frames, void* self) {
    static_cast<JackSession*>(self)->render(frames);
    return 0;
}

void JackSession::render(jack_nframes_t frames) {
    if (midiIn_) {
        void* midi = jack_port_get_buffer(midiIn_, frames);
        const uint32_t count = jack_midi_get_event_count(midi);
        for (uint32_t i = 0; i < count; ++i) {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, midi, i) == 0)
                cycle_.midi(std::min<uint32_t>(event.time, frames), event.buffer, event.size);
        }
    }
    for (size_t c = 0; c < outputs_.size(); ++c) buffers_[c] = static_cast<float*>(jack_port_get_buffer(outputs_[c], frames));
    cycle_.run(buffers_.data(), frames);
}

void JackSession::note(uint32_t change) {
    changes_.fetch_or(change, std::memory_order_relaxed);
    wake_.wake();
}

JackSession::Changes JackSession::takeChanges() {
    const uint32_t seen = changes_.exchange(0, std::memory_order_relaxed);
    return {(seen & kRate) != 0, (seen & kPorts) != 0, (seen & kConnections) != 0};
}

std::string JackSession::clientName() const { return client_ ? jack_get_client_name(client_) : ""; }

uint32_t JackSession::sampleRate() const { return client_ ? jack_get_sample_rate(client_) : 0; }

std::string JackSession::shutdownReason() const {
    return serverGone() ? std::string(shutdownReason_, strnlen(shutdownReason_, sizeof shutdownReason_)) : "";
}

jack_port_t* JackSession::ownPort(const std::string& shortName) const {
    if (shortName == kMidiInputName) return midiIn_;
    for (size_t c = 0; c < outputs_.size(); ++c)
        if (outputNames_[c] == shortName) return outputs_[c];
    return nullptr;
}

std::vector<Connection> JackSession::connections() const {
    std::vector<Connection> out;
    if (!client_ || serverGone()) return out;
    const auto add = [&](jack_port_t* port, const std::string& name) {
        for (std::string& peer : taken(jack_port_get_all_connections(client_, port))) out.push_back({name, std::move(peer)});
    };
    if (midiIn_) add(midiIn_, kMidiInputName);
    for (size_t c = 0; c < outputs_.size(); ++c) add(outputs_[c], outputNames_[c]);
    return out;
}

bool JackSession::connect(const Connection& connection) {
    jack_port_t* ours = ownPort(connection.port);
    if (!client_ || serverGone() || !ours || !jack_port_by_name(client_, connection.peer.c_str())) return false;
    const char* ourName = jack_port_name(ours);
    const bool in = ours == midiIn_;
    const int result = in ? jack_connect(client_, connection.peer.c_str(), ourName)
                          : jack_connect(client_, ourName, connection.peer.c_str());
    return result == 0 || result == EEXIST;
}

bool JackSession::disconnect(const Connection& connection) {
    jack_port_t* ours = ownPort(connection.port);
    if (!client_ || serverGone() || !ours) return false;
    if (!jack_port_connected_to(ours, connection.peer.c_str())) return true;
    const char* ourName = jack_port_name(ours);
    return (ours == midiIn_ ? jack_disconnect(client_, connection.peer.c_str(), ourName)
                            : jack_disconnect(client_, ourName, connection.peer.c_str())) == 0;
}

std::vector<std::string> JackSession::midiSources() const {
    if (!client_ || serverGone()) return {};
    std::vector<std::string> ports = taken(jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput));
    const std::string own = clientName() + ":";
    std::erase_if(ports, [&](const std::string& port) { return port.starts_with(own); });
    return ports;
}

float JackSession::cpuLoad() const { return client_ && !serverGone() ? jack_cpu_load(client_) : 0.0f; }

std::vector<std::string> JackSession::playbackPorts() const {
    if (!client_) return {};
    return taken(jack_get_ports(client_, nullptr, JACK_DEFAULT_AUDIO_TYPE, JackPortIsPhysical | JackPortIsInput));
}

std::optional<std::string> JackSession::findPort(const std::string& text, PortKind kind) const {
    if (!client_ || text.empty()) return std::nullopt;
    const bool midi = kind == PortKind::MidiSource;
    const std::vector<std::string> ports = taken(jack_get_ports(
        client_, nullptr, midi ? JACK_DEFAULT_MIDI_TYPE : JACK_DEFAULT_AUDIO_TYPE, midi ? JackPortIsOutput : JackPortIsInput));
    const std::string own = clientName() + ":";
    std::vector<std::pair<std::string, std::vector<std::string>>> named;  // each port and its aliases
    for (const std::string& port : ports) {
        if (port.starts_with(own)) continue;
        if (port == text) return port;
        std::vector<std::string> aliases;
        if (jack_port_t* p = jack_port_by_name(client_, port.c_str())) {
            const size_t size = size_t(jack_port_name_size());
            std::vector<char> a(size, '\0'), b(size, '\0');
            char* both[2] = {a.data(), b.data()};
            const int count = jack_port_get_aliases(p, both);
            for (int i = 0; i < count && i < 2; ++i) aliases.emplace_back(both[i]);
        }
        named.emplace_back(port, std::move(aliases));
    }
    for (const auto& [port, aliases] : named)
        if (std::find(aliases.begin(), aliases.end(), text) != aliases.end()) return port;
    for (const auto& [port, aliases] : named) {
        if (containsIgnoringCase(port, text)) return port;
        for (const std::string& alias : aliases)
            if (containsIgnoringCase(alias, text)) return port;
    }
    return std::nullopt;
}

}  // namespace tamrik::app
